#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "annotate/caption_fonts.hpp"
#include "gui/command_line.hpp"
#include "gui/display_check.hpp"
#include "gui/guarded_application.hpp"
#include "gui/main_window.hpp"
#include "platform/clock.hpp"
#include "platform/main_guard.hpp"

namespace {

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

QtMessageHandler qtHandler = nullptr;

// While the application connects to the display: Qt's notes on its
// platform plugins are dropped, and a display it cannot open ends the
// program with one line instead of an abort.
void connectingMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n",
                     ts::displayFailureMessage(environment("DISPLAY"), environment("WAYLAND_DISPLAY")).c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (context.category && std::string(context.category).starts_with("qt.qpa")) return;
    if (qtHandler) qtHandler(type, context, message);
}

int run(int argc, char** argv) {
    // A picture saved past the file size limit fails with EFBIG, which the
    // save reports, rather than ending the window by SIGXFSZ.
    std::signal(SIGXFSZ, SIG_IGN);

    switch (ts::windowAction(argc, argv)) {
        case ts::WindowAction::Help:
            std::fputs(ts::windowUsage().c_str(), stdout);
            return 0;
        case ts::WindowAction::Version:
            std::printf("%s\n", ts::windowVersion().c_str());
            return 0;
        case ts::WindowAction::BadOption:
            std::fprintf(stderr, "textscape: unknown option %s\n", ts::badWindowOption(argc, argv).c_str());
            std::fputs(ts::windowUsage().c_str(), stderr);
            return 2;
        case ts::WindowAction::Run:
            break;
    }
    const std::string file = ts::windowFile(argc, argv);

    // SOURCE_DATE_EPOCH stands for the moment of every picture, as in the
    // renderer: the same names and Creation Time on every run.
    std::optional<std::time_t> sourceDate;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr) {
        sourceDate = ts::sourceDateEpoch(epoch);
        if (!sourceDate) {
            std::fprintf(stderr, "textscape: %s\n", ts::kBadSourceDateEpoch);
            return 1;
        }
        if (const std::string date = ts::SystemClock(sourceDate).date(); !ts::dateFitsNames(date)) {
            std::fprintf(stderr,
                         "textscape: SOURCE_DATE_EPOCH gives the date %s, outside the years 1000 to 9999 that a "
                         "picture's name can hold\n",
                         date.c_str());
            return 1;
        }
    }

    // Every picture has a caption: without its fonts the window cannot work.
    if (const ts::Outcome fonts = ts::loadCaptionFonts(); !fonts) {
        std::fprintf(stderr, "textscape: %s\n", fonts.message.c_str());
        return 1;
    }

    // Without a screen Qt would abort with a long plugin message.
    const std::string platform = ts::requestedPlatform(argc, argv, std::getenv("QT_QPA_PLATFORM"));
    if (!ts::canOpenDisplay(platform, environment("DISPLAY"), environment("WAYLAND_DISPLAY"))) {
        std::fprintf(stderr, "%s\n", ts::kNoDisplayMessage);
        return 1;
    }

    qtHandler = qInstallMessageHandler(connectingMessages);
    ts::GuardedApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    QApplication::setApplicationName(QStringLiteral("Textscape"));

    ts::Form1 form(nullptr, std::make_unique<ts::SystemClock>(sourceDate));
    // A failure no action caught is told by the window, which keeps a
    // picture not yet saved.
    app.setFailureReport([&form](const QString& what) { form.runTimeError(what); });
    form.start(file);
    // A run-time error during start-up ends the program before the loop runs.
    const int status = form.ended() ? form.exitStatus() : QApplication::exec();
    app.setFailureReport({});
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // An allocation that fails ends the program with one line, not an abort.
    return ts::runGuarded("textscape", [&] { return run(argc, argv); });
}
