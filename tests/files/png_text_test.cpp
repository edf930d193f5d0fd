#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/png_text.hpp"
#include "support/png_chunks.hpp"

namespace ts {
namespace {

// The smallest PNG: one black pixel.
std::vector<std::uint8_t> tinyPng() {
    return {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n', 0,    0,    0,    13,  'I',  'H',  'D',  'R',  0,
            0,    0,    1,    0,    0,    0,    1,    8,    0,    0,    0,    0,   0x3A, 0x7E, 0x9B, 0x55, 0,
            0,    0,    10,   'I',  'D',  'A',  'T',  0x78, 0x9C, 0x63, 0x60, 0,   0,    0,    2,    0,    1,
            0x48, 0xAF, 0xA4, 0x71, 0,    0,    0,    0,    'I',  'E',  'N',  'D', 0xAE, 0x42, 0x60, 0x82};
}

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
