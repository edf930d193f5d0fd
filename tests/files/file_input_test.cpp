#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <optional>

#include "files/file_input.hpp"
#include "support/test_folder.hpp"
#include "support/test_names.hpp"

namespace ts {
namespace {

std::vector<std::uint8_t> bytesOf(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t k = 0; k < count; ++k) bytes[k] = static_cast<std::uint8_t>(k * 7 + 1);
    return bytes;
}

TEST(ReadBoundedFile, ReadsARegularFileUpToTheLimitWhole) {
    const std::filesystem::path folder = testing::freshFolder();
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{99}, std::size_t{100}}) {
        const std::filesystem::path file = folder / ("f" + std::to_string(size));
        testing::writeBytes(file, bytesOf(size));
        std::vector<std::uint8_t> read{9, 9};
        const Outcome got = readBoundedFile(file, 100, read);
        ASSERT_TRUE(got) << got.message;
        EXPECT_EQ(read, bytesOf(size)) << size;
    }
    // More than one piece of the reader's buffer.
    testing::writeBytes(folder / "big", bytesOf(300000));
    std::vector<std::uint8_t> read;
    ASSERT_TRUE(readBoundedFile(folder / "big", 300000, read));
    EXPECT_EQ(read, bytesOf(300000));
    // A symbolic link to a regular file is read like the file.
    std::filesystem::create_symlink(folder / "big", folder / "link");
    ASSERT_TRUE(readBoundedFile(folder / "link", 300000, read));
    EXPECT_EQ(read.size(), 300000u);
}

struct RefusedCase {
    const char* what;
    // Makes what is to be read, in the folder given, and gives its name;
    // nothing when this system cannot make it.
    std::function<std::optional<std::filesystem::path>(const std::filesystem::path&)> make;
    std::size_t limit;
    const char* says;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.what; }

class ReadBoundedFileRefuses : public ::testing::TestWithParam<RefusedCase> {};

// Whatever is not a regular file within the limit is refused at once, with
// one line naming the file; a named pipe without a writer is not waited on.
TEST_P(ReadBoundedFileRefuses, AtOnceNamingTheFileAndWhy) {
    const RefusedCase& c = GetParam();
    const std::optional<std::filesystem::path> made = c.make(testing::freshFolder());
    if (!made) GTEST_SKIP() << "cannot make " << c.what << " here";
    const std::filesystem::path& file = *made;

    std::vector<std::uint8_t> bytes{1, 2, 3};
    const auto start = std::chrono::steady_clock::now();
    const Outcome got = readBoundedFile(file, c.limit, bytes);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(got);
    EXPECT_EQ(got.failure, Failure::Refused);
    EXPECT_EQ(got.message, "Could not read " + file.string() + ": " + c.says);
    EXPECT_EQ(got.file, file);
    EXPECT_TRUE(bytes.empty());
    EXPECT_LT(seconds, 5.0) << "nothing is read from what is refused";
}

INSTANTIATE_TEST_SUITE_P(Things, ReadBoundedFileRefuses,
                         ::
                             testing::Values(RefusedCase{"missing",
                                                         [](const std::filesystem::path& folder) {
                                                             return folder / "missing";
                                                         },
                                                         100, "No such file or directory"},
                                             RefusedCase{"a folder",
                                                         [](const std::filesystem::path& folder) { return folder; },
                                                         100, "it is a folder"},
                                             RefusedCase{"a named pipe",
                                                         [](const std::filesystem::path& folder)
                                                             -> std::optional<std::filesystem::path> {
                                                             if (::mkfifo((folder / "pipe").c_str(), 0644) != 0)
                                                                 return std::nullopt;
                                                             return folder / "pipe";
                                                         },
                                                         100, "it is a named pipe, not a regular file"},
                                             RefusedCase{"a device",
                                                         [](const std::filesystem::path&)
                                                             -> std::optional<std::filesystem::path> {
                                                             if (!std::filesystem::is_character_file("/dev/null"))
                                                                 return std::nullopt;
                                                             return "/dev/null";
                                                         },
                                                         100, "it is a character device, not a regular file"},
                                             // A socket cannot even be opened.
                                             RefusedCase{"a socket",
                                                         [](
                                                             const std::
                                                                 filesystem::
                                                                     path& folder) -> std::
                                                                                       optional<std::filesystem::path> {
                                                                                           const std::string name =
                                                                                               (folder / "socket")
                                                                                                   .string();
                                                                                           sockaddr_un address{};
                                                                                           address.sun_family = AF_UNIX;
                                                                                           if (name.size() >=
                                                                                               sizeof address.sun_path)
                                                                                               return std::nullopt;
                                                                                           std::strcpy(address.sun_path,
                                                                                                       name.c_str());
                                                                                           const int fd = ::socket(
                                                                                               AF_UNIX, SOCK_STREAM, 0);
                                                                                           const bool bound =
                                                                                               fd >= 0 &&
                                                                                               ::bind(fd,
                                                                                                      reinterpret_cast<
                                                                                                          sockaddr*>(
                                                                                                          &address),
                                                                                                      sizeof address) ==
                                                                                                   0;
                                                                                           if (fd >= 0) ::close(fd);
                                                                                           if (!bound)
                                                                                               return std::nullopt;
                                                                                           return name;
                                                                                       },
                                                         100, "No such device or address"},
                                             RefusedCase{"one byte over the limit",
                                                         [](const std::filesystem::path& folder) {
                                                             testing::writeBytes(folder / "file", bytesOf(101));
                                                             return folder / "file";
                                                         },
                                                         100, "it is larger than 100 bytes"},
                                             // Sparse: its size says it all, nothing of it is read.
                                             RefusedCase{"larger than a picture file may be",
                                                         [](const std::filesystem::path& folder) {
                                                             testing::writeBytes(folder / "file", {});
                                                             std::filesystem::resize_file(folder / "file",
                                                                                          kMaxPictureFileBytes + 1);
                                                             return folder / "file";
                                                         },
                                                         kMaxPictureFileBytes, "it is larger than 256 MiB"}),
                         testing::nameByWhat);

}  // namespace
}  // namespace ts
