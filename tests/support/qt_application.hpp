#pragma once

#include <QApplication>

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

}  // namespace ts::testing
