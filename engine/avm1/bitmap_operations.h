// The pixel work BitmapData methods share in both script machines: seeded noise, flood fill,
// channel copies, merges, palette maps, threshold tests, colour bounds and comparison. Each works on
// straight ARGB colours through BitmapPixels, so results carry the player's premultiplied rounding.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "engine/avm1/bitmap_data.h"

namespace swf::avm1 {

// A rectangle of whole pixels: x0,y0 inclusive, x1,y1 exclusive.
struct PixelArea {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    // This area clipped to a bitmap of the given size.
    PixelArea within(int width, int height) const;
};

// The player's generator for noise: the minimal standard multiplicative one (16807, 2^31 - 1).
class NoiseGenerator {
public:
    explicit NoiseGenerator(int32_t seed);
    uint32_t next();

private:
    uint32_t state_;
};

// noise(): every pixel of `b` gets values in [low, high] for the channels in `channels`
// (1 red, 2 green, 4 blue, 8 alpha), drawn red, green, blue then alpha; one shared value for the
// colour channels when `grayScale`. Channels not drawn are 0, alpha 255.
void fillNoise(BitmapPixels& b, int32_t seed, uint32_t low, uint32_t high, uint32_t channels, bool grayScale);

// floodFill(): the pixels joined to (x, y) through sides that have its exact colour take `argb`.
void floodFill(BitmapPixels& b, int x, int y, uint32_t argb);

// The channel selector a script passes (1, 2, 4, 8) as a bit shift in an ARGB word, or none.
std::optional<int> channelShift(uint32_t channel);

// The source rectangle `from` of `src` placed at (dx, dy) of `dst`, clipped to both: calls
// `each(sx, sy, tx, ty)` for every pixel pair. `src` may be `dst`: callers read from a copy.
template <class F>
void forEachPair(const BitmapPixels& src, PixelArea from, const BitmapPixels& dst, int dx, int dy, F each) {
    from = from.within(src.width, src.height);
    for (int y = from.y0; y < from.y1; ++y)
        for (int x = from.x0; x < from.x1; ++x) {
            int tx = dx + x - from.x0, ty = dy + y - from.y0;
            if (dst.inside(tx, ty)) each(x, y, tx, ty);
        }
}

// A copy of a bitmap's pixels to read from while the same bitmap is written.
void snapshot(const BitmapPixels& b, BitmapPixels& copy);

// copyChannel(): one channel of the source into another channel of the destination.
void copyChannel(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy, int srcShift, int dstShift);

// merge(): each channel becomes (source * m + destination * (256 - m)) / 256, multipliers
// (red, green, blue, alpha) in 0..256.
void mergePixels(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy,
                 const std::array<uint32_t, 4>& multipliers);

// paletteMap(): each source channel looks up its table (red, green, blue, alpha); the four words
// found are added. A missing table passes its channel through unchanged.
void paletteMap(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy,
                const std::array<std::optional<std::array<uint32_t, 256>>, 4>& tables);

enum class ThresholdTest { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };
std::optional<ThresholdTest> thresholdTest(const std::u16string& operation);

// threshold(): source pixels whose colour under `mask` passes the test against `limit & mask`
// become `color`; the others are copied when `copySource`. Answers how many passed.
uint32_t thresholdPixels(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy, ThresholdTest test,
                         uint32_t limit, uint32_t color, uint32_t mask, bool copySource);

// getColorBoundsRect(): the smallest area holding every pixel whose colour under `mask` is (or,
// when !find, is not) `color`; empty at the origin when there is none.
PixelArea colorBounds(const BitmapPixels& b, uint32_t mask, uint32_t color, bool find);

// Whether the pixel is at least as opaque as `alphaThreshold` (a clear pixel never is).
bool opaqueAt(const BitmapPixels& b, int x, int y, uint32_t alphaThreshold);

// compare(): 0 when both hold the same colours, -3 / -4 when widths / heights differ, otherwise
// the difference: per pixel, the colour channels subtracted (alpha opaque), or when only alpha
// differs, white with the alpha difference; unchanged pixels clear.
struct Comparison {
    int code = 0;  // 0 same, -3 widths differ, -4 heights differ, 1 `difference` holds the result
    std::vector<uint32_t> difference;  // straight ARGB, row by row
};
Comparison comparePixels(const BitmapPixels& a, const BitmapPixels& b);

}  // namespace swf::avm1
