#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "files/bmp_writer.hpp"
#include "files/save_composite.hpp"
#include "picture/picture.hpp"
#include "state/layout.hpp"
#include "support/file_size_limit.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

using testing::namesIn;
using testing::readBytes;

constexpr const char* kName = "T20260308140509";
const Colour kWhite = Colour::fromRgb(255, 255, 255);
const Colour kBlack = Colour::fromRgb(0, 0, 0);
const Colour kOld = Colour::fromRgb(255, 0, 0);  // what lay on the window before

// The canvas, the composite and the window of one picture, and a folder.
class SaveFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetGeometry(s);
        s.imeslike = kName;
        paint(1);
        form.raster().fill(kOld);
        folder = testing::freshFolder() / "Pictures";
    }

    // Fills the canvas with a picture that differs for each `variant`.
    void paint(int variant) {
        for (int x = 0; x < 600; ++x)
            for (int y = 0; y < 450; ++y)
                canvas.setPixel(static_cast<float>(x), static_cast<float>(y),
                                Colour::fromRgb(static_cast<std::uint8_t>(x + variant), static_cast<std::uint8_t>(y),
                                                static_cast<std::uint8_t>(x ^ y)));
    }

    Outcome save(const std::filesystem::path& where) {
        return SaveComposite(s, canvas, composite, form, history, where);
    }

    FormState s;
    RasterSurface canvas{layout::kCanvasWidth, layout::kCanvasHeight};
    RasterSurface composite{layout::kPicture2.width, layout::kPicture2.height};
    RasterSurface form{900, 600};
    SaveHistory history;
    std::filesystem::path folder;
};

// The composite has the canvas's size: the copy is the whole canvas, its
// last row and column included, and nothing more.
TEST_F(SaveFixture, CopiesTheWholeCanvas) {
    CopyToComposite(s, canvas, composite, form);
    EXPECT_TRUE(composite.raster() == canvas.raster());
}

TEST_F(SaveFixture, LeavesTheCountersOnePastTheirLastValues) {
    CopyToComposite(s, canvas, composite, form);
    EXPECT_EQ(s.i.value(), 601);
    EXPECT_EQ(s.j.value(), 451);
}

TEST_F(SaveFixture, ProgressMarkEndsAt630And631WithTheRowBehindItBlack) {
    CopyToComposite(s, canvas, composite, form);
    for (int y = 540; y <= 547; ++y) {
        EXPECT_EQ(form.raster().at(28, y), kOld) << y;
        for (int x = 29; x <= 629; ++x) ASSERT_EQ(form.raster().at(x, y), kBlack) << x << "," << y;
        EXPECT_EQ(form.raster().at(630, y), kWhite) << y;
        EXPECT_EQ(form.raster().at(631, y), kWhite) << y;
        EXPECT_EQ(form.raster().at(632, y), kOld) << y;
    }
    for (int x = 28; x <= 632; ++x) {
        EXPECT_EQ(form.raster().at(x, 539), kOld) << x;
        EXPECT_EQ(form.raster().at(x, 548), kOld) << x;
    }
}

TEST_F(SaveFixture, ProgressMarkMovesOnePixelPerColumn) {
    // After column 0 only x 31 is white; after column i >= 1, x i+30 and i+31.
    std::vector<std::pair<int, std::vector<int>>> seen;
    CopyToComposite(s, canvas, composite, form, [&](int column) {
        if (column == 0 || column == 1 || column == 300 || column == 600) {
            std::vector<int> whites;
            for (int x = 0; x < 900; ++x)
                if (form.raster().at(x, 543) == kWhite) whites.push_back(x);
            seen.emplace_back(column, whites);
        }
    });
    const std::vector<std::pair<int, std::vector<int>>> expected = {
        {0, {31}}, {1, {31, 32}}, {300, {330, 331}}, {600, {630, 631}}};
    EXPECT_EQ(seen, expected);
}

TEST_F(SaveFixture, ASecondSaveKeepsTheFirstMarkAndEndsOnIt) {
    CopyToComposite(s, canvas, composite, form);
    bool keptMark = true;
    CopyToComposite(s, canvas, composite, form, [&](int column) {
        if (column < 599)
            keptMark = keptMark && form.raster().at(630, 543) == kWhite && form.raster().at(631, 543) == kWhite;
    });
    EXPECT_TRUE(keptMark);
    EXPECT_EQ(form.raster().at(629, 543), kBlack);
    EXPECT_EQ(form.raster().at(630, 543), kWhite);
    EXPECT_EQ(form.raster().at(631, 543), kWhite);
}

TEST_F(SaveFixture, WritesTheCompositeAsABitmapNamedAfterThePicture) {
    const Outcome saved = save(folder);
    ASSERT_TRUE(saved) << saved.message;
    EXPECT_EQ(saved.file, folder / "T20260308140509.bmp");
    EXPECT_EQ(readBytes(saved.file), encodeBmp(composite.raster()));
    EXPECT_EQ(readBytes(saved.file), encodeBmp(canvas.raster()));
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"T20260308140509.bmp"}) << "no temporary file is left";
}

TEST_F(SaveFixture, MakesTheFolderWhenMissing) {
    const std::filesystem::path nested = folder / "a" / "b";
    const Outcome saved = save(nested);
    ASSERT_TRUE(saved) << saved.message;
    EXPECT_TRUE(std::filesystem::is_regular_file(nested / "T20260308140509.bmp"));
}

TEST_F(SaveFixture, SavingTheSamePictureAgainReplacesItsOwnFile) {
    const Outcome first = save(folder);
    ASSERT_TRUE(first) << first.message;
    testing::writeText(first.file, "spoiled");
    const Outcome second = save(folder);
    ASSERT_TRUE(second) << second.message;
    EXPECT_EQ(second.file, first.file);
    EXPECT_EQ(readBytes(second.file), encodeBmp(composite.raster()));
    EXPECT_EQ(namesIn(folder).size(), 1u);
}

TEST_F(SaveFixture, AnotherPictureWithTheSameStampGetsTheNextNumber) {
    std::vector<std::filesystem::path> files;
    std::vector<std::vector<std::uint8_t>> contents;
    for (int variant : {1, 2, 3, 2}) {  // the last is a new picture equal to the second: its file
        paint(variant);
        const Outcome saved = save(folder);
        ASSERT_TRUE(saved) << saved.message;
        files.push_back(saved.file.filename());
        contents.push_back(encodeBmp(composite.raster()));
    }
    const std::vector<std::filesystem::path> expected = {"T20260308140509.bmp", "T20260308140509-2.bmp",
                                                         "T20260308140509-3.bmp", "T20260308140509-2.bmp"};
    EXPECT_EQ(files, expected);
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(readBytes(folder / files[k]), contents[k]) << files[k];
}

TEST_F(SaveFixture, LeavesAFileOfAnEarlierRunAlone) {
    std::filesystem::create_directories(folder);
    testing::writeText(folder / "T20260308140509.bmp", "earlier");
    testing::writeText(folder / "T20260308140509-2.bmp", "earlier too");
    const Outcome saved = save(folder);
    ASSERT_TRUE(saved) << saved.message;
    EXPECT_EQ(saved.file, folder / "T20260308140509-3.bmp");
    EXPECT_EQ(readBytes(folder / "T20260308140509.bmp"),
              std::vector<std::uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
}

TEST_F(SaveFixture, AFolderThatCannotBeMadeIsReportedNotThrown) {
    // A path below a regular file cannot be a folder, not even for root.
    const std::filesystem::path base = testing::freshFolder();
    testing::writeText(base / "plain-file", "x");
    const Outcome saved = save(base / "plain-file" / "Pictures");
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.failure, Failure::FolderUnavailable);
    EXPECT_EQ(saved.file.filename(), "T20260308140509.bmp");
    EXPECT_NE(saved.message.find((base / "plain-file" / "Pictures" / "T20260308140509.bmp").string()),
              std::string::npos)
        << saved.message;
    EXPECT_NE(saved.message.find("Not a directory"), std::string::npos) << saved.message;
    EXPECT_EQ(form.raster().at(631, 543), kWhite) << "the copy and the mark are complete";
}

// Runs `body` in a child process that has only an ordinary user's rights,
// and returns what it wrote to `out`.
std::string asOrdinaryUser(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string reply = "could not drop root rights";
        if (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0)) reply = body();
        (void)!::write(channel[1], reply.data(), reply.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string reply;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        reply.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return reply;
}

TEST_F(SaveFixture, AFolderWithoutWriteRightsIsReported) {
    // Root writes into any folder, so the save runs as another user, in a
    // folder under the system's temporary one, which every user can reach.
    std::string base = (std::filesystem::temp_directory_path() / "textscape-save-XXXXXX").string();
    ASSERT_NE(::mkdtemp(base.data()), nullptr);
    std::filesystem::permissions(base, std::filesystem::perms(0755));
    folder = std::filesystem::path(base) / "Pictures";
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms(0555));
    const std::string reply = asOrdinaryUser([&] {
        const Outcome saved = save(folder);
        return std::string(saved                                   ? "saved"
                           : saved.failure == Failure::WriteFailed ? "failed: "
                                                                   : "other: ") +
               saved.message;
    });
    std::filesystem::permissions(folder, std::filesystem::perms(0755));
    EXPECT_EQ(reply.rfind("failed: ", 0), 0u) << reply;
    EXPECT_NE(reply.find((folder / "T20260308140509.bmp").string()), std::string::npos) << reply;
    EXPECT_NE(reply.find("Permission denied"), std::string::npos) << reply;
    EXPECT_TRUE(namesIn(folder).empty());
    std::filesystem::remove_all(base);
}

using testing::FileSizeLimit;

TEST_F(SaveFixture, AWriteThatStopsHalfwayLeavesNoFileBehind) {
    std::filesystem::create_directories(folder);
    Outcome saved;
    {
        FileSizeLimit limit(4096);
        saved = save(folder);
    }
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.failure, Failure::WriteFailed);
    EXPECT_NE(saved.message.find("T20260308140509.bmp"), std::string::npos) << saved.message;
    EXPECT_NE(saved.message.find("File too large"), std::string::npos) << saved.message;
    EXPECT_TRUE(namesIn(folder).empty()) << "neither a partial file nor a temporary one";

    const Outcome retried = save(folder);
    ASSERT_TRUE(retried) << retried.message;
    EXPECT_EQ(retried.file, folder / "T20260308140509.bmp");
}

TEST_F(SaveFixture, AFailedReplaceKeepsThePreviousFileWhole) {
    const Outcome first = save(folder);
    ASSERT_TRUE(first) << first.message;
    const std::vector<std::uint8_t> before = readBytes(first.file);
    Outcome second;
    {
        FileSizeLimit limit(4096);
        second = save(folder);
    }
    ASSERT_FALSE(second);
    EXPECT_EQ(second.file, first.file);
    EXPECT_EQ(readBytes(first.file), before);
    EXPECT_EQ(namesIn(folder).size(), 1u);
}

}  // namespace
}  // namespace ts
