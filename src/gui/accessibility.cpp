#include "gui/accessibility.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace ts {

namespace {

// Asked before Qt's own factories for a class of ours, which they do not know.
QAccessibleInterface* labelButtonFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(LabelButton::staticMetaObject.className())) return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    return widget ? new QAccessibleWidget(widget, QAccessible::StaticText) : nullptr;
}

std::function<void(QWidget*, bool)>& watcher() {
    static std::function<void(QWidget*, bool)> watching;
    return watching;
}

void announce(QWidget* widget, QAccessible::Event type) {
    QAccessibleEvent changed(widget, type);
    QAccessible::updateAccessibility(&changed);
    if (watcher()) watcher()(widget, type == QAccessible::NameChanged);
}

}  // namespace

LabelButton::LabelButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    static const bool installed = (QAccessible::installFactory(labelButtonFactory), true);
    (void)installed;
    setFocusPolicy(Qt::NoFocus);
}

void setAccessibleNameAnnounced(QWidget* widget, const QString& name) {
    if (widget->accessibleName() == name) return;
    widget->setAccessibleName(name);
    announce(widget, QAccessible::NameChanged);
}

void setAccessibleDescriptionAnnounced(QWidget* widget, const QString& description) {
    if (widget->accessibleDescription() == description) return;
    widget->setAccessibleDescription(description);
    announce(widget, QAccessible::DescriptionChanged);
}

void watchAnnouncements(std::function<void(QWidget*, bool nameChanged)> watching) {
    watcher() = std::move(watching);
}

}  // namespace ts
