#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/png_text.hpp"
#include "support/png_chunks.hpp"

namespace ts {
namespace {

using testing::tinyPng;

TEST(AddPngText, StoresValuesExactlyWithValidChunks) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Text", "two  spaces\nand a line"},
        {"Parameters", "tip1=7  tip2=2  tip3=4  seed=127010"},
        {"Accented", "Zażółć gęślą jaźń"},
        {"Empty", ""}};
    std::vector<std::uint8_t> png = tinyPng();
    for (const auto& [key, value] : values) addPngText(png, key, value);
    const auto texts = testing::pngTexts(png);
    EXPECT_EQ(texts.count("!crc"), 0u);
    for (const auto& [key, value] : values) EXPECT_EQ(texts.at(key), value) << key;
}

TEST(AddPngTextDeathTest, WhatIsNotAPngOrNotAKeyIsAProgrammingError) {
    std::vector<std::uint8_t> notPng(64, 0);
    EXPECT_DEATH(addPngText(notPng, "Text", "x"), "a PNG file");
    for (const std::string& key : {std::string(), std::string(80, 'k'), std::string(" lead"), std::string("a\nb")}) {
        std::vector<std::uint8_t> png = tinyPng();
        EXPECT_DEATH(addPngText(png, key, "x"), "PNG text key") << key;
    }
}

}  // namespace
}  // namespace ts
