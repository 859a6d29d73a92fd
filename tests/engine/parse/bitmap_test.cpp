// Bitmap characters: every lossless format, JPEG with and without tables and alpha, header quirks,
// damage that fails one bitmap only, and the size limits.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/parse/bitmap_decoder.h"
#include "tests/engine/parse/parse_helpers.h"
#include "tests/engine/parse/sample_movies.h"
#include "tools/swfwriter/swf_writer.h"

using namespace parse_test;

namespace {

swf::BitmapRef decode(const swf::Movie& m, uint16_t id) {
    const auto* b = m.findAs<swf::EncodedBitmap>(id);
    EXPECT_NE(b, nullptr) << "character " << id;
    if (!b) return nullptr;
    std::string error;
    swf::BitmapRef img = swf::decodeBitmap(*b, m.jpegTables, error);
    EXPECT_NE(img, nullptr) << error;
    return img;
}

// Straight colour of `src` premultiplied as the decoder must give it.
void expectPremultiplied(const swf::RgbaImage& got, const swf::RgbaImage& src, int tolerance) {
    ASSERT_EQ(got.width, src.width);
    ASSERT_EQ(got.height, src.height);
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            const uint8_t* s = src.at(x, y);
            const uint8_t* g = got.at(x, y);
            EXPECT_EQ(g[3], s[3]) << x << "," << y;
            for (int c = 0; c < 3; ++c)
                EXPECT_LE(std::abs(g[c] - (s[c] * s[3] + 127) / 255), tolerance) << x << "," << y << " channel " << c;
        }
}

// Splits a whole JPEG into a tables-only stream and an image stream without tables, as DefineBits
// movies store them.
void splitJpeg(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& tables, std::vector<uint8_t>& image) {
    tables = {0xFF, 0xD8};
    image = {0xFF, 0xD8};
    size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] != 0xDA) {
        size_t len = static_cast<size_t>(jpeg[i + 2] << 8 | jpeg[i + 3]);
        auto& to = (jpeg[i + 1] == 0xDB || jpeg[i + 1] == 0xC4) ? tables : image;
        to.insert(to.end(), jpeg.begin() + static_cast<long>(i), jpeg.begin() + static_cast<long>(i + 2 + len));
        i += 2 + len;
    }
    tables.insert(tables.end(), {0xFF, 0xD9});
    image.insert(image.end(), jpeg.begin() + static_cast<long>(i), jpeg.end());
}

}  // namespace

TEST(BitmapParse, LosslessFormatsDecodeToPremultipliedPixels) {
    swf::Movie m = parse(sample::allMovies()[2].second);
    swf::RgbaImage opaque = sample::testImage(false), translucent = sample::testImage(true);
    expectPremultiplied(*decode(m, 1), opaque, 0);
    expectPremultiplied(*decode(m, 3), opaque, 0);
    expectPremultiplied(*decode(m, 4), translucent, 0);
    expectPremultiplied(*decode(m, 5), translucent, 0);
    // 15-bit colour keeps five bits per channel.
    expectPremultiplied(*decode(m, 2), opaque, 8);
    EXPECT_EQ(m.findAs<swf::EncodedBitmap>(2)->losslessFormat, 4);
}

TEST(BitmapParse, JpegWithAndWithoutAlphaPlane) {
    swf::Movie m = parse(sample::allMovies()[2].second);
    expectPremultiplied(*decode(m, 6), sample::smoothImage(), 6);  // lossy: colours come back near
    swf::BitmapRef withAlpha = decode(m, 7);
    ASSERT_NE(withAlpha, nullptr);
    EXPECT_EQ(withAlpha->at(0, 0)[3], 0);
    EXPECT_EQ(withAlpha->at(1, 2)[3], 65);
    EXPECT_NEAR(withAlpha->at(1, 2)[1], (72 * 65 + 127) / 255, 3);  // premultiplied
    const auto* jpeg4 = m.findAs<swf::EncodedBitmap>(8);
    ASSERT_NE(jpeg4, nullptr);
    EXPECT_EQ(jpeg4->tagVersion, 4);
    EXPECT_DOUBLE_EQ(jpeg4->deblocking, 0.5);
    EXPECT_NE(decode(m, 8), nullptr);
    EXPECT_EQ(m.findAs<swf::EncodedBitmap>(6)->width, 32);
    EXPECT_EQ(m.findAs<swf::EncodedBitmap>(6)->height, 24);
}

TEST(BitmapParse, DefineBitsUsesTheMovieTablesAndHeaderQuirksAreMended) {
    std::vector<uint8_t> tables, image;
    splitJpeg(swfw::encodeJpeg(sample::smoothImage()), tables, image);
    std::vector<uint8_t> quirky = {0xFF, 0xD9, 0xFF, 0xD8};
    quirky.insert(quirky.end(), image.begin(), image.end());
    // A JPEG2 holding the tables stream and the image stream one after the other.
    std::vector<uint8_t> joined = tables;
    joined.insert(joined.end(), image.begin(), image.end());
    swfw::SwfWriter w;
    w.jpegTables(tables);
    w.defineBits(1, image);
    w.defineBits(2, quirky);
    w.defineBitsJpeg2(3, joined);
    swf::Movie m = parse(w.finish());
    for (uint16_t id : {1, 2, 3}) {
        swf::BitmapRef img = decode(m, id);
        ASSERT_NE(img, nullptr) << id;
        expectPremultiplied(*img, sample::smoothImage(), 6);
    }
    EXPECT_TRUE(m.findAs<swf::EncodedBitmap>(1)->usesMovieTables);
}

TEST(BitmapParse, DamagedDataFailsThatBitmapWithAMessage) {
    std::vector<uint8_t> jpeg = swfw::encodeJpeg(sample::testImage(false));
    std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + 40);
    swfw::SwfWriter w;
    w.defineBitsJpeg2(1, cut);
    w.defineBitsLosslessRaw(2, 1, 5, 4, 3, std::nullopt, {0x78, 0x9C, 0x01, 0x02});
    w.defineBitsJpeg2(3, {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0});
    w.defineBitsLossless(4, sample::testImage(false));
    swf::Movie m = parse(w.finish());
    for (uint16_t id : {1, 2, 3}) {
        const auto* b = m.findAs<swf::EncodedBitmap>(id);
        ASSERT_NE(b, nullptr);
        std::string error;
        EXPECT_EQ(swf::decodeBitmap(*b, m.jpegTables, error), nullptr) << id;
        EXPECT_FALSE(error.empty()) << id;
    }
    EXPECT_NE(decode(m, 4), nullptr);
}

TEST(BitmapParse, SizeLimitsFailTheBitmapNotTheMovie) {
    swfw::SwfWriter w;
    w.defineBitsLosslessRaw(1, 1, 5, 9000, 2, std::nullopt, {});
    w.defineBitsLossless(2, sample::testImage(false));
    w.defineBitsLossless(3, sample::testImage(false));
    swf::ParseLimits limits;
    limits.maxTotalBitmapPixels = 12 + 5;  // room for one 4x3 bitmap, not two
    swf::Movie m = swf::parseMovie(w.finish(), limits);
    ASSERT_EQ(m.failedCharacters.count(1), 1u);
    EXPECT_NE(m.failedCharacters.at(1).find("9000x2"), std::string::npos);
    EXPECT_NE(m.find(2), nullptr);
    ASSERT_EQ(m.failedCharacters.count(3), 1u);
    EXPECT_NE(m.failedCharacters.at(3).find("pixels together"), std::string::npos);

    // The decoder checks the side length too, for JPEGs whose size only decoding knows.
    swf::EncodedBitmap jpeg;
    jpeg.imageData = swfw::encodeJpeg(sample::smoothImage());
    std::string error;
    EXPECT_EQ(swf::decodeBitmap(jpeg, {}, error, 31), nullptr);
    EXPECT_NE(error.find("limit"), std::string::npos);
    EXPECT_NE(swf::decodeBitmap(jpeg, {}, error, 32), nullptr);
}
