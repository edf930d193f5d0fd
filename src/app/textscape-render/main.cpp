// textscape-render: the window's picture for a text, written to a file,
// without a display.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/batch_list.hpp"
#include "cli/render_options.hpp"
#include "cli/render_run.hpp"
#include "platform/clock.hpp"
#include "platform/main_guard.hpp"

namespace {

// A standard descriptor the program was started without (`<&-`) is opened
// on /dev/null the wrong way round: reading standard input or writing
// standard output then fails with EBADF as it would closed, and no file the
// program opens (the caption's fonts) can take its number and be read as the text.
void holdClosedStandardDescriptors() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int held = ::open("/dev/null", fd == STDOUT_FILENO ? O_RDONLY : O_WRONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

int run(int argc, char** argv) {
    holdClosedStandardDescriptors();
    // A closed pipe (EPIPE) and a file past the size limit (EFBIG) are
    // failed writes like any other: one line, a batch's summary and status
    // 1, rather than a silent death by SIGPIPE or SIGXFSZ.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = ts::parseRenderOptions(arguments);
    if (const auto* error = std::get_if<ts::OptionError>(&parsed)) {
        std::cerr << "textscape-render: " << error->message << " (see --help)\n";
        return 2;
    }
    const auto& options = std::get<ts::RenderOptions>(parsed);
    if (options.action == ts::RenderOptions::Action::Help) {
        std::cout << ts::renderUsage();
        return ts::finishOutput(std::cout, std::cerr, 0);
    }
    if (options.action == ts::RenderOptions::Action::ListSizes) {
        std::cout << ts::sizeListing();
        return ts::finishOutput(std::cout, std::cerr, 0);
    }
    if (options.action == ts::RenderOptions::Action::Version) {
        std::cout << ts::renderVersion() << '\n';
        return ts::finishOutput(std::cout, std::cerr, 0);
    }

    // Standard input through a buffer that reports a failed read as one,
    // where std::cin would take it for the end of the input.
    ts::DescriptorInput input(STDIN_FILENO);
    std::istream in(&input);
    // SOURCE_DATE_EPOCH stands for the moment of every picture: the same
    // name, Creation Time and bytes on every run.
    std::optional<std::time_t> sourceDate;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr) {
        sourceDate = ts::sourceDateEpoch(epoch);
        if (!sourceDate) {
            std::cerr << "textscape-render: " << ts::kBadSourceDateEpoch << '\n';
            return 1;
        }
    }
    ts::SystemClock clock(sourceDate);
    return ts::runRenderer(
        options, {in, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1}, clock);
}

}  // namespace

int main(int argc, char** argv) {
    return ts::runGuarded("textscape-render", [&] { return run(argc, argv); });
}
