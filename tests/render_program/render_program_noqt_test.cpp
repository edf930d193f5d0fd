// The renderer loads no toolkit: no Qt library among the shared objects its
// ELF asks for (directly or through another library), and it draws and
// writes a picture with no display and no Qt platform named.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_folder.hpp"

namespace ts {
namespace {

struct Output {
    std::string text;
    int status = -1;
};

// Runs a shell command line and gives its standard output and exit status.
Output commandOutput(const std::string& command) {
    Output out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.text.append(buffer, got);
    const int raw = ::pclose(pipe);
    out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::vector<std::string> linesWith(const std::string& text, const std::string& word) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.find(word) != std::string::npos) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

const std::string kProgram = TEXTSCAPE_RENDER_PROGRAM;

// Each way of listing the libraries: ldd follows the whole tree of
// dependencies, readelf the program's own DT_NEEDED entries.
struct LibraryListing {
    const char* name;
    std::string command;
    std::string entryWord;  // a word on every line that names a library
};

TEST(RenderProgramWithoutQt, NoQtLibraryAmongTheLibrariesItLoads) {
    const LibraryListing listings[] = {
        {"ldd", "ldd " + quoted(kProgram), ".so"},
        {"readelf", "readelf -d " + quoted(kProgram), "(NEEDED)"},
    };
    for (const LibraryListing& listing : listings) {
        SCOPED_TRACE(listing.name);
        const Output out = commandOutput(listing.command + " 2>/dev/null");
        ASSERT_EQ(out.status, 0) << out.text;
        const std::vector<std::string> libraries = linesWith(out.text, listing.entryWord);
        // The C library at least, so a listing that came out empty or in
        // another shape does not pass for one without Qt.
        ASSERT_FALSE(linesWith(out.text, "libc.so").empty()) << out.text;
        for (const std::string& library : libraries) EXPECT_EQ(library.find("libQt"), std::string::npos) << library;
    }
}

TEST(RenderProgramWithoutQt, DrawsAndWritesAPictureWithNoDisplay) {
    const std::filesystem::path folder = testing::freshFolder();
    const std::filesystem::path file = folder / "x.png";
    const std::string environment = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    const Output out = commandOutput(environment + quoted(kProgram) + " --info -o " + quoted(file.string()) +
                                     " 'hello world' 2>&1");
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_FALSE(out.text.empty());
    const std::vector<std::uint8_t> bytes = testing::readBytes(file);
    const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    ASSERT_GT(bytes.size(), signature.size());
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), bytes.begin()));
}

}  // namespace
}  // namespace ts
