// The pixel work BitmapData methods share: noise from the player's generator, flood fill, channel
// copies, merges, palette maps, thresholds, colour bounds and comparison.
#include <gtest/gtest.h>

#include "engine/avm1/bitmap_operations.h"

namespace swf::avm1 {
namespace {

void make(BitmapPixels& b, int w, int h, uint32_t fill, bool transparent = true) {
    b.width = w, b.height = h, b.transparent = transparent;
    b.premultiplied.assign(size_t(w) * size_t(h), premultiply(fill));
}

TEST(BitmapOperationsTest, NoiseDrawsTheMinimalStandardSequenceChannelByChannel) {
    // The generator's first states from 1: 16807, 282475249, 1622650073, 984943658.
    NoiseGenerator rng(0);
    EXPECT_EQ(rng.next(), 16807u);
    EXPECT_EQ(rng.next(), 282475249u);
    NoiseGenerator same(1), negative(-5), other(-6);
    EXPECT_EQ(same.next(), 16807u);
    EXPECT_NE(negative.next(), other.next());

    BitmapPixels b;
    make(b, 2, 1, 0);
    fillNoise(b, 0, 0, 255, 7, false);
    // Red, green, blue from successive states, each taken modulo 256; alpha stays opaque.
    uint32_t s1 = 16807, s2 = 282475249, s3 = 1622650073;
    EXPECT_EQ(b.get(0, 0), 0xFF000000u | (s1 % 256) << 16 | (s2 % 256) << 8 | (s3 % 256));

    // A range, one channel, grey scale and alpha.
    fillNoise(b, 7, 10, 12, 2, false);
    for (int x = 0; x < 2; ++x) {
        uint32_t c = b.get(x, 0);
        EXPECT_EQ(c & 0xFFFF00FFu, 0xFF000000u);
        EXPECT_GE(c >> 8 & 255, 10u);
        EXPECT_LE(c >> 8 & 255, 12u);
    }
    fillNoise(b, 3, 0, 255, 7 | 8, true);
    uint32_t g = b.get(1, 0);
    EXPECT_EQ(g >> 16 & 255, g & 255);
    EXPECT_EQ(g >> 8 & 255, g & 255);
}

TEST(BitmapOperationsTest, FloodFillStopsAtOtherColoursAndTheEdges) {
    BitmapPixels b;
    make(b, 5, 5, 0xFFFFFFFFu);
    for (int y = 0; y < 5; ++y) b.set(2, y, 0xFF000000u);  // a wall down the middle
    floodFill(b, 0, 4, 0xFFFF0000u);
    EXPECT_EQ(b.get(0, 0), 0xFFFF0000u);
    EXPECT_EQ(b.get(1, 3), 0xFFFF0000u);
    EXPECT_EQ(b.get(2, 2), 0xFF000000u);
    EXPECT_EQ(b.get(3, 0), 0xFFFFFFFFu);
    floodFill(b, 9, 9, 0xFF00FF00u);  // outside: nothing
    EXPECT_EQ(b.get(4, 4), 0xFFFFFFFFu);
    // A large fill finishes (no recursion per pixel).
    BitmapPixels big;
    make(big, 2000, 2000, 0);
    floodFill(big, 1000, 1000, 0xFF123456u);
    EXPECT_EQ(big.get(0, 1999), 0xFF123456u);
}

TEST(BitmapOperationsTest, ChannelCopyMergeAndPaletteMapWorkOnStraightColours) {
    BitmapPixels src, dst;
    make(src, 2, 2, 0xFF112233u);
    make(dst, 2, 2, 0xFF000000u);
    copyChannel(src, {0, 0, 2, 2}, dst, 1, 0, *channelShift(1), *channelShift(4));
    EXPECT_EQ(dst.get(0, 0), 0xFF000000u);  // left of where the copy landed
    EXPECT_EQ(dst.get(1, 1), 0xFF000011u);
    EXPECT_FALSE(channelShift(3));

    make(dst, 1, 1, 0xFF000000u);
    mergePixels(src, {0, 0, 1, 1}, dst, 0, 0, {256, 128, 0, 256});
    EXPECT_EQ(dst.get(0, 0), 0xFF111100u);

    std::array<std::optional<std::array<uint32_t, 256>>, 4> tables;
    std::array<uint32_t, 256> red{};
    red[0x11] = 0x00000080u;  // red 0x11 becomes blue 0x80
    tables[0] = red;
    make(dst, 1, 1, 0);
    paletteMap(src, {0, 0, 1, 1}, dst, 0, 0, tables);
    EXPECT_EQ(dst.get(0, 0), 0xFF0022B3u);  // green and blue and alpha pass through, red's entry added
}

TEST(BitmapOperationsTest, ThresholdCountsPassingPixelsAndMayCopyTheRest) {
    BitmapPixels b;
    make(b, 3, 1, 0xFF000010u);
    b.set(1, 0, 0xFF000090u);
    auto test = thresholdTest(u">");
    ASSERT_TRUE(test);
    EXPECT_FALSE(thresholdTest(u"=>"));
    BitmapPixels out;
    make(out, 3, 1, 0xFFFFFFFFu);
    EXPECT_EQ(thresholdPixels(b, {0, 0, 3, 1}, out, 0, 0, *test, 0x80, 0xFFFF0000u, 0xFFu, true), 1u);
    EXPECT_EQ(out.get(1, 0), 0xFFFF0000u);
    EXPECT_EQ(out.get(0, 0), 0xFF000010u);
    // Into itself, shifted: reads the pixels as they were.
    EXPECT_EQ(thresholdPixels(b, {0, 0, 3, 1}, b, 1, 0, *thresholdTest(u"=="), 0x10, 0xFF0000FFu, 0xFFu, false), 1u);
    EXPECT_EQ(b.get(1, 0), 0xFF0000FFu);
    EXPECT_EQ(b.get(2, 0), 0xFF000010u);
}

TEST(BitmapOperationsTest, ColourBoundsAndComparison) {
    BitmapPixels b;
    make(b, 4, 4, 0xFFFFFFFFu);
    b.set(1, 2, 0xFFFF0000u);
    b.set(2, 3, 0xFFFF0000u);
    PixelArea r = colorBounds(b, 0xFFFFFFFFu, 0xFFFF0000u, true);
    EXPECT_EQ(r.x0, 1);
    EXPECT_EQ(r.y0, 2);
    EXPECT_EQ(r.x1, 3);
    EXPECT_EQ(r.y1, 4);
    EXPECT_TRUE(colorBounds(b, 0xFFFFFFFFu, 0xFF00FF00u, true).empty());
    PixelArea notWhite = colorBounds(b, 0xFFFFFFu, 0xFFFFFFu, false);
    EXPECT_EQ(notWhite.x0, 1);

    BitmapPixels c;
    make(c, 4, 4, 0xFFFFFFFFu);
    c.set(1, 2, 0xFFFF0000u);
    c.set(2, 3, 0xFFFF0000u);
    EXPECT_EQ(comparePixels(b, c).code, 0);
    c.set(0, 0, 0xFF102030u);
    c.set(3, 3, 0x80FFFFFFu);
    Comparison d = comparePixels(b, c);
    ASSERT_EQ(d.code, 1);
    EXPECT_EQ(d.difference[0], 0xFFEFDFCFu);
    EXPECT_EQ(d.difference[15], uint32_t(0xFF - 0x80) << 24 | 0xFFFFFFu);
    EXPECT_EQ(d.difference[1], 0u);
    BitmapPixels narrow;
    make(narrow, 3, 4, 0);
    EXPECT_EQ(comparePixels(b, narrow).code, -3);
}

}  // namespace
}  // namespace swf::avm1
