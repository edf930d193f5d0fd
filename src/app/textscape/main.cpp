#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "gui/display_check.hpp"
#include "gui/main_window.hpp"
#include "platform/main_guard.hpp"

namespace {

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

int run(int argc, char** argv) {
    // Without a screen Qt would abort with a long plugin message.
    const std::string platform = ts::requestedPlatform(argc, argv, std::getenv("QT_QPA_PLATFORM"));
    if (!ts::canOpenDisplay(platform, environment("DISPLAY"), environment("WAYLAND_DISPLAY"))) {
        std::fprintf(stderr, "%s\n", ts::kNoDisplayMessage);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Textscape"));

    ts::Form1 form;
    form.start();
    // A run-time error during start-up ends the program before the loop runs.
    if (form.ended()) return form.exitStatus();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    // An allocation that fails ends the program with one line, not an abort.
    return ts::runGuarded("textscape", [&] { return run(argc, argv); });
}
