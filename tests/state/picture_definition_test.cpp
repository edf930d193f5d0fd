#include "state/picture_definition.hpp"

#include <gtest/gtest.h>

namespace ts {
namespace {

TEST(PictureDefinition, TheProgramDrawsEveryDefinitionFromTheFirstToTheNewest) {
    EXPECT_EQ(kOldestPictureDefinition, 1);
    EXPECT_EQ(kLatestPictureDefinition, 2);
    for (int number = kOldestPictureDefinition; number <= kLatestPictureDefinition; ++number) {
        EXPECT_TRUE(isKnownPictureDefinition(number));
        EXPECT_EQ(pictureDefinition(number).number, number);
    }
    for (const int unknown : {-1, 0, kLatestPictureDefinition + 1, 1000})
        EXPECT_FALSE(isKnownPictureDefinition(unknown));
}

TEST(PictureDefinition, ANewerDefinitionIsRefusedInOneLineNamingBoth) {
    EXPECT_EQ(newerDefinitionMessage(3),
              "this picture needs picture definition 3; this Textscape draws definitions 1 to 2");
    EXPECT_EQ(newerDefinitionMessage(17).rfind(kNeedsDefinition, 0), 0u);
}

TEST(PictureDefinitionDeathTest, AnUnknownDefinitionIsAProgrammingError) {
    EXPECT_DEATH((void)pictureDefinition(kLatestPictureDefinition + 1), "a picture definition this program knows");
    EXPECT_DEATH((void)pictureDefinition(0), "a picture definition this program knows");
}

}  // namespace
}  // namespace ts
