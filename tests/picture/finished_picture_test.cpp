// The finished picture, caption included, straight from the picture
// sequence: the window's and the renderer's tests check the same checksums
// through Qt, these need no toolkit, so that every build checks them, a
// build for another processor included.
#include <gtest/gtest.h>

#include <cstdint>

#include "annotate/caption_fonts.hpp"
#include "picture/picture.hpp"
#include "support/canvas_checksum.hpp"
#include "support/caption_pictures.hpp"
#include "support/fakes.hpp"

namespace ts {
namespace {

TEST(FinishedPicture, CaptionsInEachScriptGiveThePicturesChecksums) {
    const Outcome fonts = loadCaptionFonts();
    ASSERT_TRUE(fonts) << fonts.message;
    for (const testing::CaptionPicture& picture : testing::kCaptionPictures) {
        FixedClock clock = testing::testClock();
        const std::uint64_t checksum = testing::canvasChecksum(MakeFreshPicture(picture.text, makeCanvas(), clock).canvas);
        EXPECT_EQ(checksum, picture.checksum) << picture.what << ": 0x" << std::hex << checksum;
    }
}

}  // namespace
}  // namespace ts
