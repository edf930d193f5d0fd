#include "gui/help_box.hpp"

#include <QAction>
#include <QKeySequence>

#include "gui/command_line.hpp"

// The icons are built into the static library; its resources must be
// registered by name, from outside any namespace.
static void registerIcons() { Q_INIT_RESOURCE(textscape_icons); }

namespace ts {

QString keysOf(const QAction& action) {
    const QList<QKeySequence> keys = action.shortcuts();
    return keys.isEmpty() ? QString() : keys.front().toString(QKeySequence::NativeText);
}

QString tipWithKeys(const QString& does, const QString& keys) {
    return keys.isEmpty() ? does : QStringLiteral("%1 (%2)").arg(does, keys);
}

QString helpText(const QList<QAction*>& actions) {
    QString keys;
    for (const QAction* action : actions) {
        const QString key = keysOf(*action);
        if (key.isEmpty()) continue;
        QString name = action->text();
        name.remove(QLatin1Char('&'));
        keys += QStringLiteral("  %1\t%2\n").arg(key, name);
    }
    return QStringLiteral(
               "%1\n"
               "Type a text of up to 100 characters and get a picture made from it: the same text always "
               "gives the same shapes and colours.\n\n"
               "Keys:\n%2  Up/Down\tearlier texts, in the text prompt\n"
               "  Double click\ton the picture: full screen; Escape returns\n\n"
               "The line below the picture names how it was made:\n"
               "  tip1\tthe shape formula, 1 to 15\n"
               "  tip2\tthe colour channel formula, 1 to 3\n"
               "  tip3\tthe colour mixing formula, 1 to 4\n"
               "  seed\tthe number the text gives; it chooses the palette\n\n"
               "Free software under the MIT licence.")
        .arg(QString::fromStdString(windowVersion()), keys);
}

QIcon programIcon() {
    static const bool registered = (registerIcons(), true);
    (void)registered;
    QIcon fallback;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        fallback.addFile(QStringLiteral(":/textscape/icons/textscape-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("textscape"), fallback);
}

}  // namespace ts
