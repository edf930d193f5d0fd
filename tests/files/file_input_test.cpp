#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

namespace ts {
namespace {

std::vector<std::uint8_t> chunk(std::string_view type, std::uint32_t length, std::size_t dataBytes) {
    std::vector<std::uint8_t> out;
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(length >> shift));
    for (const char c : type) out.push_back(static_cast<std::uint8_t>(c));
    out.resize(out.size() + dataBytes + 4, 0x55);  // data and a CRC nobody checks here
    return out;
}

std::vector<std::uint8_t> joined(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const std::vector<std::uint8_t> kSignature(kPngSignature.begin(), kPngSignature.end());

// An input of `prefix` followed by `fill` bytes for ever (or by its end),
// counting what was taken from it.
struct Source {
    std::vector<std::uint8_t> prefix;
    bool endless = true;
    std::uint8_t fill = 0;
    std::size_t taken = 0;
    ReadSome reader() {
        return [this](std::uint8_t* into, std::size_t count) -> std::ptrdiff_t {
            std::size_t k = 0;
            for (; k < count; ++k, ++taken) {
                if (taken < prefix.size()) {
                    into[k] = prefix[taken];
                } else if (endless) {
                    into[k] = fill;
                } else {
                    break;
                }
            }
            return static_cast<std::ptrdiff_t>(k);
        };
    }
};

// The signature is looked at before anything else, and each chunk's length
// before its data: an endless input that is no PNG, or whose chunk lies,
// costs a few bytes; a PNG is read to its IEND and no further.
TEST(ReadPngStream, ReadsNoFurtherThanWhatIsWrongOrTheEnd) {
    const std::vector<std::uint8_t> png =
        joined({kSignature, chunk("IHDR", 13, 13), chunk("IDAT", 3, 3), chunk("IEND", 0, 0)});
    const std::vector<std::uint8_t> hugeLength = joined({kSignature, chunk("IHDR", 0x80000000u, 0)});
    const struct {
        const char* what;
        std::vector<std::uint8_t> prefix;
        bool endless;
        std::size_t limit;
        bool ok;
        std::size_t kept;  // bytes given back (and read)
    } cases[] = {
        {"zeros", {}, true, 1000, true, kOtherImageHeaderBytes},  // enough to name another image
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}, false, 1000, true, 6},
        {"empty", {}, false, 1000, true, 0},
        {"a PNG, then more", png, true, 1000, true, png.size()},
        {"a PNG to its end", png, false, 1000, true, png.size()},
        {"a length out of range", hugeLength, true, 1000, true, 16},
        {"a chunk past the limit", joined({kSignature, chunk("IHDR", 993, 0)}), true, 1000, false, 16},
        {"a chunk to the limit", joined({kSignature, chunk("IHDR", 968, 968), chunk("IEND", 0, 0)}), false, 1000, true,
         1000},
        {"cut in the length", std::vector<std::uint8_t>(png.begin(), png.begin() + 11), false, 1000, true, 11},
        {"cut in the data", std::vector<std::uint8_t>(png.begin(), png.begin() + 20), false, 1000, true, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Source source{c.prefix, c.endless};
        std::vector<std::uint8_t> bytes{7};
        const Outcome got = readPngStream("input", source.reader(), c.limit, bytes);
        EXPECT_EQ(static_cast<bool>(got), c.ok) << got.message;
        EXPECT_EQ(source.taken, c.kept);
        if (!c.ok) {
            EXPECT_EQ(got.message, "Could not read input: it is larger than 1000 bytes");
            EXPECT_TRUE(bytes.empty());
            continue;
        }
        // What was taken, the input's first bytes.
        std::vector<std::uint8_t> taken = c.prefix;
        taken.resize(c.kept, source.fill);
        EXPECT_EQ(bytes, taken);
    }
}

TEST(ReadPngStream, AFailedReadSaysWhy) {
    int calls = 0;
    const ReadSome failing = [&calls](std::uint8_t* into, std::size_t count) -> std::ptrdiff_t {
        if (calls++ == 0) {  // the signature, then a failure
            std::copy_n(kPngSignature.begin(), std::min(count, kPngSignature.size()), into);
            return static_cast<std::ptrdiff_t>(std::min(count, kPngSignature.size()));
        }
        errno = EIO;
        return -1;
    };
    std::vector<std::uint8_t> bytes;
    const Outcome got = readPngStream("input", failing, 1000, bytes);
    EXPECT_FALSE(got);
    EXPECT_EQ(got.message, std::string("Could not read input: ") + std::strerror(EIO));
    EXPECT_TRUE(bytes.empty());
}

// What is no regular file is refused before a byte is read, and a file
// larger than the limit by its size alone: none of these is waited on or
// read through.
TEST(ReadBoundedPng, RefusesPipesDevicesAndLargeFilesAtOnce) {
    const std::filesystem::path folder = testing::freshFolder();
    ASSERT_EQ(::mkfifo((folder / "pipe.png").c_str(), 0644), 0);
    {
        const int fd = ::open((folder / "sparse.png").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, kPngSignature.data(), kPngSignature.size()), 8);
        ASSERT_EQ(::ftruncate(fd, off_t{4} << 30), 0) << std::strerror(errno);  // 4 GiB, nearly all holes
        ::close(fd);
    }
    const struct {
        std::filesystem::path file;
        std::string says;
    } cases[] = {
        {folder / "pipe.png", "it is a named pipe, not a regular file"},
        {"/dev/zero", "it is a character device, not a regular file"},
        {folder / "sparse.png", "it is larger than 256 MiB"},
    };
    for (const auto& c : cases) {
        if (!std::filesystem::exists(c.file)) continue;
        std::vector<std::uint8_t> bytes;
        const auto start = std::chrono::steady_clock::now();
        const Outcome got = readBoundedPng(c.file, kMaxPictureFileBytes, bytes);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_FALSE(got) << c.file;
        EXPECT_EQ(got.message, "Could not read " + c.file.string() + ": " + c.says);
        EXPECT_TRUE(bytes.empty());
        EXPECT_LT(seconds, 1.0) << c.file << ": nothing is read from what is refused";
    }

    // A regular file is read as a stream: to IEND, whatever follows.
    const std::vector<std::uint8_t> png = joined({kSignature, chunk("IHDR", 13, 13), chunk("IEND", 0, 0)});
    testing::writeBytes(folder / "trailing.png", joined({png, std::vector<std::uint8_t>(5000, 1)}));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(readBoundedPng(folder / "trailing.png", kMaxPictureFileBytes, bytes));
    EXPECT_EQ(bytes, png);
}

}  // namespace
}  // namespace ts
