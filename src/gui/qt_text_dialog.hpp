#pragma once

#include <QString>

#include "gui/text_dialog.hpp"

class QWidget;

namespace ts {

// Screen pixels for a distance in twips (1/1440 inch), rounded to nearest.
int twipsToPixels(int twips, double dotsPerInch);

// The prompt as the label shows it: a carriage return (with or without a
// line feed after it) starts a new line.
QString promptLines(std::string_view prompt);

// The text prompt as a modal Qt dialog: the prompt's lines over a one-line
// field, with OK and Cancel. It has no title of its own, so the title bar
// shows the application's name.
class QtTextDialog final : public TextDialog {
public:
    explicit QtTextDialog(QWidget* parent = nullptr) : parent_(parent) {}

    std::string ask(std::string_view prompt, int leftTwips, int topTwips) override;

private:
    QWidget* parent_;
};

}  // namespace ts
