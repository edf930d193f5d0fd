#pragma once

#include <QLineEdit>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include "gui/text_dialog.hpp"

class QWidget;

namespace ts {

// Screen pixels for a distance in twips (1/1440 inch), rounded to nearest.
int twipsToPixels(int twips, double dotsPerInch);

// Where the prompt's top-left corner goes: `leftTwips` and `topTwips` from
// the top-left corner of the screen that holds the window, whose geometry is
// `screen` (in the desktop's coordinates) at `dotsPerInch`.
QPoint promptPosition(const QRect& screen, int leftTwips, int topTwips, double dotsPerInchX, double dotsPerInchY);

// The prompt's kind of window: a plain dialog with a title and a close
// button, and no minimise or maximise.
Qt::WindowFlags promptWindowFlags();

// The prompt as the label shows it: a carriage return (with or without a
// line feed after it) starts a new line.
QString promptLines(std::string_view prompt);

// Characters as the program counts them: code points, so that a character
// outside the Basic Multilingual Plane (an emoji) is one.
qsizetype characterCount(const QString& text);

// The prompt's field: typing stops at kMaxTextLength characters. A paste is
// taken whole, so that a text too long is seen and refused with its reason
// rather than cut unseen.
class TextField final : public QLineEdit {
public:
    explicit TextField(QWidget* parent = nullptr) : QLineEdit(parent) {}

    // The texts Up and Down bring back, the latest first. Down past the
    // latest returns to what was being typed.
    void setHistory(QStringList texts) { history_ = std::move(texts); }
    const QStringList& history() const { return history_; }

protected:
    // The cursor goes to the end of a text brought back, with nothing
    // selected, so that a key typed does not replace it all.
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // How many characters may still be typed in place of the selection.
    qsizetype room() const;
    void recall(int index);

    QStringList history_;
    int recalled_ = -1;  // -1: the text being typed
    QString typing_;
};

// The text prompt as a modal Qt dialog: the prompt's lines over a one-line
// field, with OK and Cancel, and the reason a text was refused below it. It
// has no title of its own, so the title bar shows the application's name,
// and only a close button.
class QtTextDialog final : public TextDialog {
public:
    explicit QtTextDialog(QWidget* parent = nullptr) : parent_(parent) {}

    std::optional<std::string> ask(const TextRequest& request) override;

private:
    QWidget* parent_;
};

}  // namespace ts
