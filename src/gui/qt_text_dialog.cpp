#include "gui/qt_text_dialog.hpp"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <cmath>

#include "seed/read_text_seed.hpp"

namespace ts {

int twipsToPixels(int twips, double dotsPerInch) { return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0)); }

namespace {

// Shows a dialog again as soon as it is minimised.
class MinimiseUndone final : public QObject {
public:
    explicit MinimiseUndone(QWidget& dialog) : dialog_(dialog) { dialog_.installEventFilter(this); }
    ~MinimiseUndone() override { dialog_.removeEventFilter(this); }
    MinimiseUndone(const MinimiseUndone&) = delete;
    MinimiseUndone& operator=(const MinimiseUndone&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &dialog_ && event->type() == QEvent::WindowStateChange && dialog_.isMinimized()) {
            QTimer::singleShot(0, &dialog_, [dialog = &dialog_] {
                if (QWidget* window = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr)
                    if (window->isMinimized()) window->showMaximized();
                dialog->showNormal();
                dialog->activateWindow();
            });
        }
        return false;
    }

private:
    QWidget& dialog_;
};

}  // namespace

QPoint promptPosition(const QRect& screen, int leftTwips, int topTwips, double dotsPerInchX, double dotsPerInchY) {
    return screen.topLeft() + QPoint(twipsToPixels(leftTwips, dotsPerInchX), twipsToPixels(topTwips, dotsPerInchY));
}

Qt::WindowFlags promptWindowFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

QString promptLines(std::string_view prompt) {
    QString text = QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

qsizetype characterCount(const QString& text) {
    qsizetype count = 0;
    for (qsizetype k = 0; k < text.size(); ++k)
        if (!text.at(k).isLowSurrogate() || k == 0 || !text.at(k - 1).isHighSurrogate()) ++count;
    return count;
}

qsizetype TextField::room() const { return kMaxTextLength - (characterCount(text()) - characterCount(selectedText())); }

void TextField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    deselect();
    end(false);
}

void TextField::recall(int index) {
    if (index < -1 || index >= history_.size() || index == recalled_) {
        QApplication::beep();
        return;
    }
    if (recalled_ == -1) typing_ = text();
    recalled_ = index;
    setText(index == -1 ? typing_ : history_.at(index));
}

void TextField::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Up) {
            recall(recalled_ + 1);
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Down) {
            recall(recalled_ - 1);
            event->accept();
            return;
        }
    }
    // Keys that type text; shortcuts such as paste carry a control character.
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && characterCount(typed) > room()) {
        event->accept();
        QApplication::beep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextField::inputMethodEvent(QInputMethodEvent* event) {
    // Text composed with an input method is cut to what still fits.
    const QString commit = event->commitString();
    if (characterCount(commit) > room()) {
        QString fitting;
        for (const char32_t c : commit.toUcs4()) {
            if (characterCount(fitting) >= room()) break;
            fitting += QString::fromUcs4(&c, 1);
        }
        event->setCommitString(fitting, event->replacementStart(), event->replacementLength());
        QApplication::beep();
    }
    QLineEdit::inputMethodEvent(event);
}

std::optional<std::string> QtTextDialog::ask(const TextRequest& request) {
    QDialog dialog(parent_, promptWindowFlags());
    dialog.setModal(true);

    auto* label = new QLabel(promptLines(request.prompt), &dialog);
    label->setObjectName(QStringLiteral("prompt"));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* field = new TextField(&dialog);
    field->setObjectName(QStringLiteral("text"));
    field->setText(QString::fromStdString(request.text));
    dialog.setAccessibleName(QStringLiteral("New text"));
    field->setAccessibleName(QStringLiteral("Text for the picture"));
    field->setAccessibleDescription(promptLines(request.prompt).replace(QLatin1Char('\n'), QStringLiteral("; ")) +
                                    QStringLiteral(". Up and Down bring back recent texts."));
    QStringList recent;
    for (const std::string& text : request.recent) recent.append(QString::fromStdString(text));
    field->setHistory(recent);

    // The same texts from a drop-down beside the field.
    auto* recentButton = new QToolButton(&dialog);
    recentButton->setObjectName(QStringLiteral("recent"));
    recentButton->setText(QStringLiteral("\u25be"));
    recentButton->setToolTip(QStringLiteral("Recent texts (Up and Down in the field)"));
    recentButton->setAccessibleName(QStringLiteral("Recent texts"));
    recentButton->setPopupMode(QToolButton::InstantPopup);
    recentButton->setEnabled(!recent.isEmpty());
    auto* recentMenu = new QMenu(recentButton);
    recentMenu->setObjectName(QStringLiteral("recentMenu"));
    for (const QString& text : recent) {
        // An ampersand in a menu item marks its key; the text is shown as it is.
        QString shown = text;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = recentMenu->addAction(shown);
        QObject::connect(item, &QAction::triggered, field, [field, text] {
            field->setText(text);
            field->setFocus();
        });
    }
    recentButton->setMenu(recentMenu);

    // Why the last text was not taken, in the program's own words.
    auto* refusal = new QLabel(&dialog);
    refusal->setObjectName(QStringLiteral("refusal"));
    refusal->setTextFormat(Qt::PlainText);
    refusal->setWordWrap(true);
    const auto showRefusal = [refusal](const std::string& why) {
        QString reason = QString::fromStdString(why);
        if (!reason.isEmpty()) reason[0] = reason[0].toUpper();
        refusal->setText(reason);
        refusal->setAccessibleDescription(reason);
        refusal->setVisible(!reason.isEmpty());
    };
    showRefusal(request.refusal);
    refusal->setAccessibleName(QStringLiteral("Why the text was not taken"));
    label->setAccessibleName(label->text());
    QPalette warning = refusal->palette();
    warning.setColor(QPalette::WindowText, QColor(170, 0, 0));
    refusal->setPalette(warning);
    // As it is typed, the text is told to whoever watches (the picture
    // follows it), and a text the program would refuse shows why at once.
    if (TypingWatcher* typing = watcher())
        QObject::connect(field, &QLineEdit::textChanged, refusal, [typing, showRefusal](const QString& text) {
            showRefusal(typing->typed(text.toStdString()));
        });

    // OK and Cancel stacked on the right of the prompt, the field below both.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QGridLayout(&dialog);
    layout->addWidget(label, 0, 0);
    layout->addWidget(buttons, 0, 1, Qt::AlignTop);
    auto* fieldRow = new QHBoxLayout;
    fieldRow->setContentsMargins(0, 0, 0, 0);
    fieldRow->addWidget(field, 1);
    fieldRow->addWidget(recentButton);
    layout->addLayout(fieldRow, 1, 0, 1, 2);
    layout->addWidget(refusal, 2, 0, 1, 2);
    layout->setRowMinimumHeight(0, 64);
    layout->setColumnMinimumWidth(0, 260);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    field->setFocus();

    const QScreen* screen = parent_ && parent_->screen() ? parent_->screen() : QGuiApplication::primaryScreen();
    dialog.move(promptPosition(screen->geometry(), request.leftTwips, request.topTwips, screen->logicalDotsPerInchX(),
                               screen->logicalDotsPerInchY()));

    // Its fixed size is known before it is mapped, so that the window
    // manager offers no maximise; and a minimise (some managers offer one
    // for every dialog, and would hide the window with it) is undone.
    dialog.layout()->activate();
    MinimiseUndone undo(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return field->text().toStdString();
}

}  // namespace ts
