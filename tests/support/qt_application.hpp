#pragma once

#include <QApplication>
#include <QTimer>

namespace ts::testing {

// The one application object of a test program, made on first use, so that
// listing the tests needs no display. Headless unless told otherwise.
inline QApplication& application() {
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "textscape-tests";
        static char* argv[] = {name, nullptr};
        auto* made = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Textscape"));
        return made;
    }();
    return *app;
}

// A program ended before the event loop ran (a failure at start-up) leaves
// the application quitting: every later event loop, a dialog's or a wait's,
// would return at once. Running the loop once takes that end, as the
// program's own exit would have.
inline void takePendingEnd() {
    QTimer::singleShot(0, &application(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace ts::testing
