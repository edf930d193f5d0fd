#include "state/picture_sizes.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ts {
namespace {

TEST(PictureSizes, TheCanvasComesFirstAndEveryNameIsLowerCase) {
    ASSERT_FALSE(pictureSizes().empty());
    EXPECT_EQ(pictureSizes().front().width, 600);
    EXPECT_EQ(pictureSizes().front().height, 450);
    for (const PictureSize& size : pictureSizes()) {
        for (const char c : std::string(size.name)) EXPECT_FALSE(c >= 'A' && c <= 'Z') << size.name;
        EXPECT_GT(size.width, 0) << size.name;
        EXPECT_GT(size.height, 0) << size.name;
    }
}

TEST(PictureSizes, NamesAreFoundInEitherCaseAndNothingElseIs) {
    struct Case {
        const char* name;
        std::optional<std::pair<int, int>> pixels;
    } const cases[] = {
        {"canvas", std::pair{600, 450}},
        {"CANVAS", std::pair{600, 450}},
        {"2x", std::pair{1200, 900}},
        {"4X", std::pair{2400, 1800}},
        {"hd", std::pair{1920, 1080}},
        {"Hd", std::pair{1920, 1080}},
        {"4k", std::pair{3840, 2160}},
        {"a4", std::pair{3508, 2480}},
        {"A3", std::pair{4961, 3508}},
        {"", std::nullopt},
        {"a", std::nullopt},
        {"a44", std::nullopt},
        {"4", std::nullopt},
        {"hd\n", std::nullopt},
        {"canvas2", std::nullopt},
        {"1920x1080", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<PictureSize> found = pictureSizeNamed(c.name);
        ASSERT_EQ(found.has_value(), c.pixels.has_value()) << c.name;
        if (found) {
            EXPECT_EQ(std::pair(found->width, found->height), *c.pixels) << c.name;
        }
    }
}

}  // namespace
}  // namespace ts
