#include "gui/accessibility.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace ts {

namespace {

// Where a widget keeps the role it was given.
constexpr char kRoleProperty[] = "textscapeAccessibleRole";

// Asked before Qt's own factories for a class of ours, which they do not
// know, and for a widget given a role of its own.
QAccessibleInterface* labelButtonFactory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (const QVariant role = widget->property(kRoleProperty); role.isValid())
        return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
    if (className != QLatin1String(LabelButton::staticMetaObject.className())) return nullptr;
    return new QAccessibleWidget(widget, QAccessible::StaticText);
}

void installFactory() {
    static const bool installed = (QAccessible::installFactory(labelButtonFactory), true);
    (void)installed;
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
    installFactory();
    setFocusPolicy(Qt::NoFocus);
}

void setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    installFactory();
    widget->setProperty(kRoleProperty, static_cast<int>(role));
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
