// The shared pixel work of BitmapData (see bitmap_operations.h).
#include "engine/avm1/bitmap_operations.h"

#include <algorithm>
#include <vector>

namespace swf::avm1 {

PixelArea PixelArea::within(int width, int height) const {
    return {std::clamp(x0, 0, width), std::clamp(y0, 0, height), std::clamp(x1, 0, width), std::clamp(y1, 0, height)};
}

namespace {
constexpr uint32_t kModulus = 2147483647u;  // 2^31 - 1
}

NoiseGenerator::NoiseGenerator(int32_t seed) {
    // The generator has no zero state: a seed of zero or below starts from its magnitude plus one.
    int64_t s = seed > 0 ? int64_t(seed) : -int64_t(seed) + 1;
    state_ = uint32_t(s % kModulus);
    if (state_ == 0) state_ = 1;
}

uint32_t NoiseGenerator::next() {
    state_ = uint32_t(uint64_t(state_) * 16807u % kModulus);
    return state_;
}

void fillNoise(BitmapPixels& b, int32_t seed, uint32_t low, uint32_t high, uint32_t channels, bool grayScale) {
    low = std::min<uint32_t>(low, 255), high = std::min<uint32_t>(high, 255);
    if (high < low) std::swap(low, high);
    NoiseGenerator rng(seed);
    const uint32_t span = high - low + 1;
    auto value = [&] { return low + rng.next() % span; };
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            uint32_t color = 0;
            if (grayScale) {
                uint32_t v = value();
                color = v << 16 | v << 8 | v;
            } else {
                for (int shift : {16, 8, 0})
                    if (channels & (1u << ((16 - shift) / 8))) color |= value() << shift;
            }
            uint32_t alpha = channels & 8 ? value() : 255;
            b.set(x, y, alpha << 24 | color);
        }
}

void floodFill(BitmapPixels& b, int x0, int y0, uint32_t argb) {
    if (!b.inside(x0, y0) || b.premultiplied.empty()) return;
    if (!b.transparent) argb |= 0xFF000000u;
    const size_t width = size_t(b.width);
    const uint32_t from = b.premultiplied[size_t(y0) * width + size_t(x0)];
    const uint32_t to = premultiply(argb);
    if (from == to) return;
    // Row spans: each pixel is filled once, and the stack holds at most a few entries per row.
    std::vector<std::pair<int, int>> todo{{x0, y0}};
    auto at = [&](int x, int y) -> uint32_t& { return b.premultiplied[size_t(y) * width + size_t(x)]; };
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        if (at(x, y) != from) continue;
        int left = x, right = x;
        while (left > 0 && at(left - 1, y) == from) --left;
        while (right + 1 < b.width && at(right + 1, y) == from) ++right;
        for (int i = left; i <= right; ++i) at(i, y) = to;
        for (int ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= b.height) continue;
            bool inRun = false;
            for (int i = left; i <= right; ++i) {
                bool match = at(i, ny) == from;
                if (match && !inRun) todo.push_back({i, ny});
                inRun = match;
            }
        }
    }
}

std::optional<int> channelShift(uint32_t channel) {
    switch (channel) {
    case 1: return 16;
    case 2: return 8;
    case 4: return 0;
    case 8: return 24;
    default: return std::nullopt;
    }
}

void snapshot(const BitmapPixels& b, BitmapPixels& copy) {
    copy.width = b.width, copy.height = b.height, copy.transparent = b.transparent;
    copy.premultiplied = b.premultiplied;
}

void copyChannel(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy, int srcShift, int dstShift) {
    BitmapPixels source;
    snapshot(src, source);
    forEachPair(source, from, dst, dx, dy, [&](int sx, int sy, int tx, int ty) {
        uint32_t v = source.get(sx, sy) >> srcShift & 255;
        uint32_t d = dst.get(tx, ty);
        dst.set(tx, ty, (d & ~(255u << dstShift)) | v << dstShift);
    });
}

void mergePixels(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy,
                 const std::array<uint32_t, 4>& multipliers) {
    BitmapPixels source;
    snapshot(src, source);
    const int shifts[4] = {16, 8, 0, 24};
    forEachPair(source, from, dst, dx, dy, [&](int sx, int sy, int tx, int ty) {
        uint32_t s = source.get(sx, sy), d = dst.get(tx, ty), out = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t m = std::min<uint32_t>(multipliers[size_t(i)], 256);
            uint32_t v = ((s >> shifts[i] & 255) * m + (d >> shifts[i] & 255) * (256 - m)) / 256;
            out |= v << shifts[i];
        }
        dst.set(tx, ty, out);
    });
}

void paletteMap(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy,
                const std::array<std::optional<std::array<uint32_t, 256>>, 4>& tables) {
    BitmapPixels source;
    snapshot(src, source);
    const int shifts[4] = {16, 8, 0, 24};
    forEachPair(source, from, dst, dx, dy, [&](int sx, int sy, int tx, int ty) {
        uint32_t s = source.get(sx, sy), out = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t c = s >> shifts[i] & 255;
            out += tables[size_t(i)] ? (*tables[size_t(i)])[c] : c << shifts[i];
        }
        dst.set(tx, ty, out);
    });
}

std::optional<ThresholdTest> thresholdTest(const std::u16string& op) {
    if (op == u"<") return ThresholdTest::Less;
    if (op == u"<=") return ThresholdTest::LessOrEqual;
    if (op == u">") return ThresholdTest::Greater;
    if (op == u">=") return ThresholdTest::GreaterOrEqual;
    if (op == u"==") return ThresholdTest::Equal;
    if (op == u"!=") return ThresholdTest::NotEqual;
    return std::nullopt;
}

uint32_t thresholdPixels(const BitmapPixels& src, PixelArea from, BitmapPixels& dst, int dx, int dy, ThresholdTest test,
                         uint32_t limit, uint32_t color, uint32_t mask, bool copySource) {
    BitmapPixels source;
    snapshot(src, source);
    limit &= mask;
    uint32_t passed = 0;
    forEachPair(source, from, dst, dx, dy, [&](int sx, int sy, int tx, int ty) {
        uint32_t s = source.get(sx, sy), v = s & mask;
        bool pass = false;
        switch (test) {
        case ThresholdTest::Less: pass = v < limit; break;
        case ThresholdTest::LessOrEqual: pass = v <= limit; break;
        case ThresholdTest::Greater: pass = v > limit; break;
        case ThresholdTest::GreaterOrEqual: pass = v >= limit; break;
        case ThresholdTest::Equal: pass = v == limit; break;
        case ThresholdTest::NotEqual: pass = v != limit; break;
        }
        if (pass) {
            dst.set(tx, ty, color);
            ++passed;
        } else if (copySource) {
            dst.set(tx, ty, s);
        }
    });
    return passed;
}

PixelArea colorBounds(const BitmapPixels& b, uint32_t mask, uint32_t color, bool find) {
    color &= mask;
    int x0 = b.width, y0 = b.height, x1 = -1, y1 = -1;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            if (((b.get(x, y) & mask) == color) == find)
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x1 < 0) return {};
    return {x0, y0, x1 + 1, y1 + 1};
}

bool opaqueAt(const BitmapPixels& b, int x, int y, uint32_t alphaThreshold) {
    if (!b.inside(x, y) || b.premultiplied.empty()) return false;
    uint32_t alpha = b.premultiplied[size_t(y) * size_t(b.width) + size_t(x)] >> 24;
    return alpha > 0 && alpha >= alphaThreshold;
}

Comparison comparePixels(const BitmapPixels& a, const BitmapPixels& b) {
    Comparison out;
    if (a.width != b.width) return {-3, {}};
    if (a.height != b.height) return {-4, {}};
    bool differs = false;
    out.difference.assign(size_t(a.width) * size_t(a.height), 0);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            uint32_t p = a.get(x, y), q = b.get(x, y);
            if (p == q) continue;
            differs = true;
            uint32_t d;
            if ((p & 0xFFFFFFu) != (q & 0xFFFFFFu)) {
                d = 0xFF000000u;
                for (int shift : {16, 8, 0}) d |= (((p >> shift) - (q >> shift)) & 255) << shift;
            } else {
                d = (((p >> 24) - (q >> 24)) & 255) << 24 | 0xFFFFFFu;
            }
            out.difference[size_t(y) * size_t(a.width) + size_t(x)] = d;
        }
    if (!differs) out.difference.clear();
    out.code = differs ? 1 : 0;
    return out;
}

}  // namespace swf::avm1
