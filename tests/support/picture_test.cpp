#include "support/picture.h"

#include "support/error.h"
#include "tests/package/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

uint32_t PixelAt(const Picture& p, int x, int y) {
    const uint8_t* px = &p.pixels()[(size_t(y) * p.width() + x) * 4];
    EXPECT_EQ(px[3], 255);
    return px[0] | px[1] << 8 | uint32_t(px[2]) << 16;
}

std::string FailureClass(const std::vector<uint8_t>& bytes) {
    Picture picture;
    try {
        picture.load(bytes.data(), bytes.size());
    } catch (const sav::Error& failure) {
        EXPECT_FALSE(picture.hasGraphic());
        return failure.className();
    }
    return "no failure";
}

// A bitmap with an 8-bit palette, hand-made, stored top-down.
std::vector<uint8_t> Palette8TopDown() {
    std::vector<uint8_t> b(54 + 4 * 2 + 8, 0);  // two palette entries, two rows of 3 pixels (+1 pad)
    b[0] = 'B', b[1] = 'M', b[10] = 62, b[14] = 40, b[18] = 3;
    const int32_t height = -2;
    std::memcpy(&b[22], &height, 4);
    b[26] = 1, b[28] = 8, b[46] = 2;
    b[54] = 0x00, b[55] = 0x00, b[56] = 0xFF;  // entry 0: red (B,G,R,0)
    b[58] = 0xFF, b[59] = 0x00, b[60] = 0x00;  // entry 1: blue
    const uint8_t rows[8] = {0, 1, 0, 0, 1, 1, 7, 0};  // index 7 is beyond the palette: black
    std::memcpy(&b[62], rows, 8);
    return b;
}

TEST(Picture, Bitmap24DecodesTopDownWithTheBottomLeftAsTransparentColour) {
    const auto bmp = testfiles::Bitmap24(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xABCDEF, 0x000000});
    Picture picture;
    picture.load(bmp.data(), bmp.size());
    EXPECT_EQ(picture.kind(), Picture::Kind::Bitmap);
    ASSERT_EQ(picture.width(), 3);
    ASSERT_EQ(picture.height(), 2);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(picture, 2, 0), 0x0000FFu);
    EXPECT_EQ(PixelAt(picture, 1, 1), 0xABCDEFu);
    EXPECT_EQ(picture.transparentColor(), 0x123456u);

    Picture copy = picture;  // the saver window keeps a copy of its own
    picture.clear();
    EXPECT_FALSE(picture.hasGraphic());
    EXPECT_EQ(copy.width(), 3);
    EXPECT_EQ(PixelAt(copy, 0, 0), 0xFF0000u);
}

TEST(Picture, PaletteBitmapStoredTopDown) {
    const auto bmp = Palette8TopDown();
    Picture picture;
    picture.load(bmp.data(), bmp.size());
    ASSERT_EQ(picture.width(), 3);
    ASSERT_EQ(picture.height(), 2);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0x0000FFu);
    EXPECT_EQ(PixelAt(picture, 0, 1), 0x0000FFu);
    EXPECT_EQ(PixelAt(picture, 2, 1), 0x000000u);
    EXPECT_EQ(picture.transparentColor(), 0x0000FFu);
}

TEST(Picture, Rle8AndBitFieldBitmaps) {
    // RLE8, 4 x 2: bottom row a run of 4 of entry 1, top row absolute 0,1,0 then end of bitmap.
    std::vector<uint8_t> rle(54 + 8, 0);
    rle[0] = 'B', rle[1] = 'M', rle[10] = 62, rle[14] = 40, rle[18] = 4, rle[22] = 2, rle[26] = 1, rle[28] = 8;
    rle[30] = 1, rle[46] = 2;
    rle[54 + 2] = 0xFF;                 // entry 0 red
    rle[58 + 1] = 0xFF;                 // entry 1 green
    const uint8_t codes[] = {4, 1, 0, 0, 0, 3, 0, 1, 0, 0, 0, 1};
    rle.insert(rle.end(), codes, codes + sizeof codes);
    Picture picture;
    picture.load(rle.data(), rle.size());
    ASSERT_EQ(picture.height(), 2);
    EXPECT_EQ(PixelAt(picture, 3, 1), 0x00FF00u);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(picture, 3, 0), 0x000000u);  // never painted

    // 16-bit 5-6-5 bit fields, one pixel of pure green and one of white.
    std::vector<uint8_t> bf(66 + 4, 0);
    bf[0] = 'B', bf[1] = 'M', bf[10] = 66, bf[14] = 40, bf[18] = 2, bf[22] = 1, bf[26] = 1, bf[28] = 16, bf[30] = 3;
    const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(&bf[54], masks, 12);
    bf[66] = 0xE0, bf[67] = 0x07, bf[68] = 0xFF, bf[69] = 0xFF;
    picture.load(bf.data(), bf.size());
    EXPECT_EQ(PixelAt(picture, 0, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0xFFFFFFu);
}

TEST(Picture, DamagedBitmapsFail) {
    auto bmp = testfiles::Bitmap24(4, 4, std::vector<uint32_t>(16, 0x808080));
    EXPECT_EQ(FailureClass(std::vector<uint8_t>(bmp.begin(), bmp.end() - 1)), "EInvalidGraphic");  // pixels cut
    EXPECT_EQ(FailureClass(std::vector<uint8_t>(bmp.begin(), bmp.begin() + 20)), "EInvalidGraphic");
    auto huge = bmp;
    huge[18] = 0xFF, huge[19] = 0xFF, huge[20] = 0xFF, huge[21] = 0x7F;  // width near 2^31
    EXPECT_EQ(FailureClass(huge), "EInvalidGraphic");
    auto depth = bmp;
    depth[28] = 7;
    EXPECT_EQ(FailureClass(depth), "EInvalidGraphic");
    auto header = bmp;
    header[14] = 20;
    EXPECT_EQ(FailureClass(header), "EInvalidGraphic");
    auto rle = bmp;
    rle[30] = 1;  // RLE8 with 24 bits per pixel
    EXPECT_EQ(FailureClass(rle), "EInvalidGraphic");
}

TEST(Picture, JpegDecodesThroughLibjpeg) {
    const auto jpeg = testfiles::SolidJpeg(16, 8, 0x3080C0);
    Picture picture;
    picture.load(jpeg.data(), jpeg.size());
    EXPECT_EQ(picture.kind(), Picture::Kind::Jpeg);
    ASSERT_EQ(picture.width(), 16);
    ASSERT_EQ(picture.height(), 8);
    const uint32_t c = PixelAt(picture, 7, 5);
    EXPECT_NEAR(int(c >> 16), 0x30, 4);
    EXPECT_NEAR(int(c >> 8 & 0xFF), 0x80, 4);
    EXPECT_NEAR(int(c & 0xFF), 0xC0, 4);
}

TEST(Picture, DamagedJpegsFail) {
    const auto jpeg = testfiles::SolidJpeg(64, 64, 0x102030);
    EXPECT_EQ(FailureClass(std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)), "EJPEG");
    EXPECT_EQ(FailureClass(std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 2)), "EJPEG");
    EXPECT_EQ(FailureClass({0xFF, 0xD8, 'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}), "EJPEG");
}

TEST(Picture, UnknownOrTooShortStartsGiveNoGraphic) {
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a'}, std::vector<uint8_t>{'B'}, std::vector<uint8_t>{}}) {
        Picture picture;
        picture.load(bytes.data(), bytes.size());
        EXPECT_FALSE(picture.hasGraphic());
        EXPECT_EQ(picture.kind(), Picture::Kind::None);
    }
}

}  // namespace

namespace {

// Damaged files either decode or fail with the program's failure type: never a crash, a hang
// or another exception (the sanitizer build checks the memory side).
TEST(Picture, RandomDamageFailsCleanly) {
    std::mt19937 random(20261208);
    const std::vector<std::vector<uint8_t>> originals = {
        testfiles::Bitmap24(7, 5, std::vector<uint32_t>(35, 0x445566)), Palette8TopDown(),
        testfiles::SolidJpeg(24, 16, 0x808000)};
    for (const auto& original : originals) {
        for (int round = 0; round < 700; ++round) {
            std::vector<uint8_t> bytes = original;
            const int flips = 1 + int(random() % 6);
            for (int i = 0; i < flips; ++i) bytes[2 + random() % (bytes.size() - 2)] = uint8_t(random());
            if (random() % 3 == 0) bytes.resize(2 + random() % (bytes.size() - 2));
            Picture picture;
            try {
                picture.load(bytes.data(), bytes.size());
                EXPECT_EQ(picture.pixels().size(), size_t(picture.width()) * picture.height() * 4);
            } catch (const sav::Error&) {
                EXPECT_FALSE(picture.hasGraphic());
            }
        }
    }
}

}  // namespace
