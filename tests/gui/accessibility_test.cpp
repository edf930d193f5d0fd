#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <utility>
#include <vector>

#include "annotate/info_line.hpp"
#include "gui/accessibility.hpp"
#include "gui/qt_text_dialog.hpp"
#include "when_modal_opens.hpp"
#include "window_fixture.hpp"

namespace ts {
namespace {

class AccessibilityTest : public testing::WindowFixture {
protected:
    QWidget* control(const char* name) { return form->findChild<QWidget*>(QString::fromLatin1(name)); }
};

// Return and Space press the focused button, as Enter on the keypad does.
TEST_F(AccessibilityTest, ReturnAndSpacePressTheFocusedButton) {
    QApplication::setActiveWindow(form.get());
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(key);
        QWidget* button = control("Command5");
        button->setFocus();
        const std::size_t asked = dialog->requests.size();
        QTest::keyClick(button, key);
        EXPECT_EQ(dialog->requests.size(), asked + 1);
    }
}

// The focused button looks plainly different from the same button unfocused.
TEST_F(AccessibilityTest, TheFocusIsVisible) {
    QApplication::setActiveWindow(form.get());
    QWidget* button = control("Command5");
    button->setFocus();
    const QImage focused = button->grab().toImage();
    control("Command2")->setFocus();
    const QImage unfocused = button->grab().toImage();
    ASSERT_EQ(focused.size(), unfocused.size());
    int differing = 0;
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x) differing += focused.pixel(x, y) != unfocused.pixel(x, y);
    // More than a faint one-pixel ring: at least the whole outline.
    EXPECT_GE(differing, 2 * (focused.width() + focused.height()));
}

// What a screen reader is told of each control: its role and its name; the
// heading and the banner are text, not buttons.
TEST_F(AccessibilityTest, ControlsHaveRolesAndNames) {
    const struct {
        const char* control;
        QAccessible::Role role;
        const char* name;
    } cases[] = {
        {"Command1", QAccessible::StaticText, "Create text-based image"},
        {"Command4", QAccessible::StaticText, "Textscape \u2014 type a text, get a picture"},
        {"Command5", QAccessible::Button, "new text / new image"},
        {"Command2", QAccessible::Button, "exit"},
        {"Command3", QAccessible::Button, "save on disk D:"},
        {"menuButton", QAccessible::ButtonMenu, "Menu"},
        {"Picture1", QAccessible::Graphic, "Picture of \u201cHello, Textscape\u201d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control(c.control));
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->role(), c.role);
        EXPECT_EQ(reader->text(QAccessible::Name), QString::fromUtf8(c.name));
        if (c.role == QAccessible::Button) {
            EXPECT_FALSE(reader->text(QAccessible::Description).isEmpty());
        }
    }
    QAccessibleInterface* canvas = QAccessible::queryAccessibleInterface(control("Picture1"));
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->text(QAccessible::Description).toStdString(), parameterLine(form->state()));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->clientArea())->text(QAccessible::Name).toStdString(),
              "Picture and buttons");
    // The window is a window, named after the program.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name).toStdString(), "Textscape");
}


// A new picture announces the canvas's new name and parameter line; a new
// status line is announced as the client area's description.
TEST_F(AccessibilityTest, NewPictureAndStatusAreAnnounced) {
    std::vector<std::pair<QObject*, QAccessible::Event>> announced;
    watchAnnouncements([&](QWidget* widget, bool nameChanged) {
        announced.emplace_back(widget, nameChanged ? QAccessible::NameChanged : QAccessible::DescriptionChanged);
    });
    dialog->answer = "Another text";
    form->Command5_Click();
    const auto saw = [&](QObject* object, QAccessible::Event type) {
        for (const auto& [o, t] : announced)
            if (o == object && t == type) return true;
        return false;
    };
    EXPECT_TRUE(saw(control("Picture1"), QAccessible::NameChanged));
    EXPECT_TRUE(saw(control("Picture1"), QAccessible::DescriptionChanged));
    announced.clear();
    form->copyPicture();
    EXPECT_TRUE(saw(form->clientArea(), QAccessible::DescriptionChanged));
    EXPECT_EQ(form->clientArea()->accessibleDescription(), form->statusLine());
    watchAnnouncements({});
}

// The prompt's dialog, field and refusal carry names a screen reader says.
TEST(PromptAccessibility, DialogFieldAndMessageAreNamed) {
    testing::application();
    QtTextDialog prompt;
    QString dialogName, fieldName, fieldDescription, refusalName, refusalDescription;
    const testing::WhenModalOpens<> answer([&](QDialog& dialog) {
        dialogName = dialog.accessibleName();
        if (auto* field = dialog.findChild<QLineEdit*>()) {
            fieldName = field->accessibleName();
            fieldDescription = field->accessibleDescription();
        }
        if (auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("refusal"))) {
            refusalName = refusal->accessibleName();
            refusalDescription = refusal->accessibleDescription();
        }
        dialog.reject();
    });
    (void)prompt.ask({"first line\rsecond line", 0, 0, "x\ny", "a line break at position 2", {}});
    EXPECT_EQ(dialogName, QStringLiteral("New text"));
    EXPECT_EQ(fieldName, QStringLiteral("Text for the picture"));
    EXPECT_TRUE(fieldDescription.startsWith(QStringLiteral("first line; second line"))) << fieldDescription.toStdString();
    EXPECT_EQ(refusalName, QStringLiteral("Why the text was not taken"));
    EXPECT_EQ(refusalDescription, QStringLiteral("A line break at position 2"));
}

}  // namespace
}  // namespace ts
