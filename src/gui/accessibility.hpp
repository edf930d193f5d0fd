#pragma once

#include <QAccessible>
#include <QPushButton>
#include <QString>

#include <functional>

class QWidget;

namespace ts {

// A button that does nothing and is there to be read: the heading and the
// banner. Assistive technology is told it is static text, not a button.
class LabelButton final : public QPushButton {
    Q_OBJECT

public:
    explicit LabelButton(const QString& text, QWidget* parent = nullptr);
};

// What assistive technology is told `widget` is (a picture, a window),
// where the toolkit would call it a mere filler. Set before it is first
// looked at.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

// Changes `widget`'s accessible name or description and tells assistive
// technology, so that the new one is announced.
void setAccessibleNameAnnounced(QWidget* widget, const QString& name);
void setAccessibleDescriptionAnnounced(QWidget* widget, const QString& description);

// Sees every announcement made through the two functions above, whether or
// not assistive technology listens (the tests watch with it); empty to stop.
void watchAnnouncements(std::function<void(QWidget*, bool nameChanged)> watcher);

}  // namespace ts
