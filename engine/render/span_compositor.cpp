#include "engine/render/span_compositor.h"

#include <algorithm>
#include <cstring>

#include "engine/render/pixel_math.h"

namespace swf::render {

namespace {

inline uint32_t load(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Scales all four channels of a packed pixel by s/255, two channels per multiply.
inline uint32_t scalePixel(uint32_t p, uint32_t s) {
    uint32_t rb = (p & 0x00FF00FFu) * s + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ga = ((p >> 8) & 0x00FF00FFu) * s + 0x00800080u;
    ga = (ga + ((ga >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ga;
}

inline uint32_t over(uint32_t src, uint32_t dst) {
    // Premultiplied source over destination; sums cannot exceed 255 per channel.
    return src + scalePixel(dst, 255 - pixelA(src));
}

}  // namespace

void blendSpan(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length, bool opaque) {
    int i = 0;
    while (i < length) {
        uint32_t c = coverage[i];
        if (c == 255 && opaque) {
            int end = i + 1;
            while (end < length && coverage[end] == 255) ++end;
            std::memcpy(dst + static_cast<size_t>(i) * 4, src + i, static_cast<size_t>(end - i) * 4);
            i = end;
            continue;
        }
        if (c != 0) {
            uint8_t* p = dst + static_cast<size_t>(i) * 4;
            uint32_t s = src[i];
            if (c != 255) s = scalePixel(s, c);
            uint32_t a = pixelA(s);
            if (a == 255) store(p, s);
            else if (a != 0) store(p, over(s, load(p)));
        }
        ++i;
    }
}

void blendSolidSpan(uint8_t* dst, uint32_t src, const uint8_t* coverage, int length) {
    const bool opaque = pixelA(src) == 255;
    int i = 0;
    while (i < length) {
        uint32_t c = coverage[i];
        if (c == 0) {
            ++i;
            continue;
        }
        if (c == 255) {
            // Fully covered runs (the inside of a shape) are the bulk of the work: do them together.
            int end = i + 1;
            while (end < length && coverage[end] == 255) ++end;
            uint8_t* p = dst + static_cast<size_t>(i) * 4;
            if (opaque) {
                for (int k = i; k < end; ++k, p += 4) store(p, src);
            } else {
                const uint32_t keep = 255 - pixelA(src);
                for (int k = i; k < end; ++k, p += 4) store(p, src + scalePixel(load(p), keep));
            }
            i = end;
            continue;
        }
        uint8_t* p = dst + static_cast<size_t>(i) * 4;
        store(p, over(scalePixel(src, c), load(p)));
        ++i;
    }
}

void addSpan(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length) {
    for (int i = 0; i < length; ++i, dst += 4) {
        uint32_t c = coverage[i];
        if (c == 0) continue;
        uint32_t s = c == 255 ? src[i] : scalePixel(src[i], c);
        for (int k = 0; k < 4; ++k) dst[k] = static_cast<uint8_t>(std::min(255u, dst[k] + ((s >> (8 * k)) & 255u)));
    }
}

void uniteMaskSpan(uint8_t* mask, const uint8_t* coverage, int length) {
    for (int i = 0; i < length; ++i) {
        uint32_t m = mask[i], c = coverage[i];
        mask[i] = static_cast<uint8_t>(m + c - div255(m * c));
    }
}

void applyMaskSpan(uint8_t* coverage, const uint8_t* mask, int length) {
    for (int i = 0; i < length; ++i) coverage[i] = mul255(coverage[i], mask[i]);
}

}  // namespace swf::render
