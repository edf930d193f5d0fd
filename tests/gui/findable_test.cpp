#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "gui/command_line.hpp"
#include "gui/help_box.hpp"
#include "window_fixture.hpp"

namespace ts {
namespace {

class FindableTest : public testing::WindowFixture {
protected:
    QAction* action(const QString& text) {
        for (QAction* a : form->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
};

// Everything the canvas's right click offers, the menu button offers too; the
// button is shown and lies clear of the seven controls.
TEST_F(FindableTest, TheMenuButtonOffersEveryActionOfTheCanvasMenu) {
    QToolButton* button = form->menuButton();
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    ASSERT_NE(button->menu(), nullptr);
    const QList<QAction*> offered = button->menu()->actions();
    for (QAction* a : form->pictureMenu()->actions()) EXPECT_TRUE(offered.contains(a)) << a->text().toStdString();
    QStringList names;
    for (QAction* a : offered)
        if (!a->isSeparator()) names.append(a->text());
    for (const char* wanted : {"New text", "Copy picture", "Save on disk", "Save as\u2026", "Open picture\u2026",
                               "Help and about", "Quit"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(wanted))) << wanted;
    for (const char* control : {"Command1", "Command2", "Command3", "Command4", "Command5", "Picture1", "Picture2"}) {
        auto* widget = form->clientArea()->findChild<QWidget*>(QString::fromLatin1(control));
        ASSERT_NE(widget, nullptr) << control;
        EXPECT_FALSE(widget->geometry().intersects(button->geometry())) << control;
    }
    EXPECT_TRUE(form->clientArea()->rect().contains(button->geometry()));
}

// A button that has keys names them in its tooltip.
TEST_F(FindableTest, TooltipsNameTheKeys) {
    const struct {
        const char* control;
        const char* action;
    } cases[] = {
        {"Command5", "New text"},
        {"Command3", "Save on disk"},
        {"Command2", "Quit"},
        {"menuButton", "Help and about"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        auto* widget = form->findChild<QWidget*>(QString::fromLatin1(c.control));
        QAction* a = action(QString::fromLatin1(c.action));
        ASSERT_NE(widget, nullptr);
        ASSERT_NE(a, nullptr);
        const QString keys = keysOf(*a);
        ASSERT_FALSE(keys.isEmpty());
        EXPECT_TRUE(widget->toolTip().endsWith(QStringLiteral("(%1)").arg(keys))) << widget->toolTip().toStdString();
    }
}

TEST(TipWithKeys, AddsTheKeysInBracketsWhenThereAreAny) {
    EXPECT_EQ(tipWithKeys(QStringLiteral("Ends"), QStringLiteral("Ctrl+Q")), QStringLiteral("Ends (Ctrl+Q)"));
    EXPECT_EQ(tipWithKeys(QStringLiteral("Ends"), QString()), QStringLiteral("Ends"));
}

// F1 opens the help and about box, which leaves the window usable.
TEST_F(FindableTest, F1OpensHelpWithVersionLicenceKeysAndTheParameterLine) {
    EXPECT_EQ(form->helpBox(), nullptr);
    form->activateWindow();
    QTest::keyClick(form.get(), Qt::Key_F1);
    if (!form->helpBox()) action(QStringLiteral("Help and about"))->trigger();  // no key focus offscreen
    QMessageBox* box = form->helpBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    const QString text = box->text();
    for (const QString& wanted :
         {QString::fromStdString(windowVersion()), QStringLiteral("MIT licence"), QStringLiteral("tip1\tthe shape"),
          QStringLiteral("tip2\tthe colour channel"), QStringLiteral("tip3\tthe colour mixing"),
          QStringLiteral("seed\tthe number"), keysOf(*action(QStringLiteral("New text"))),
          keysOf(*action(QStringLiteral("Save as\u2026"))), QStringLiteral("F1"), QStringLiteral("Up/Down")})
        EXPECT_TRUE(text.contains(wanted)) << wanted.toStdString();
    box->close();
}

// The title stays "Form1"; the platform adds the program's name, and the
// window carries the program's icon.
TEST_F(FindableTest, TitleIsForm1WithTheProgramsNameAndTheWindowHasItsIcon) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Textscape"));
    // The platform plugin (xcb, Windows) writes "Form1 — Textscape" from
    // these two; the offscreen one shows no title bar.
    ASSERT_NE(form->windowHandle(), nullptr);
    EXPECT_EQ(form->windowHandle()->title(), QStringLiteral("Form1"));
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_FALSE(programIcon().pixmap(32, 32).isNull());
}

}  // namespace
}  // namespace ts
