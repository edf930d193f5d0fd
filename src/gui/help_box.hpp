#pragma once

#include <QIcon>
#include <QList>
#include <QString>

class QAction;

namespace ts {

// The keys of an action as the platform writes them ("Ctrl+N"), the first
// of several; empty when it has none.
QString keysOf(const QAction& action);

// A button's tooltip: what it does, then its keys in brackets when it has any.
QString tipWithKeys(const QString& does, const QString& keys);

// The help and about text: the version, the licence, the keys of `actions`
// and what the parameter line's tip1, tip2, tip3 and seed mean.
QString helpText(const QList<QAction*>& actions);

// The program's icon: the theme's "textscape" where installed, else the one
// built into the program.
QIcon programIcon();

}  // namespace ts
