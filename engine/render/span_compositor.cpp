#include "engine/render/span_compositor.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/render/pixel_math.h"
#include "engine/render/span_blend_kernels.h"

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

// Per-channel sum clamped at 255, two channels per add: a channel that overflows into its ninth bit
// turns that bit into a full byte.
inline uint32_t addSaturated(uint32_t a, uint32_t b) {
    uint32_t rb = (a & 0x00FF00FFu) + (b & 0x00FF00FFu);
    uint32_t ga = ((a >> 8) & 0x00FF00FFu) + ((b >> 8) & 0x00FF00FFu);
    rb |= (rb & 0x01000100u) - ((rb & 0x01000100u) >> 8);
    ga |= (ga & 0x01000100u) - ((ga & 0x01000100u) >> 8);
    return (rb & 0x00FF00FFu) | ((ga & 0x00FF00FFu) << 8);
}

inline uint32_t over(uint32_t src, uint32_t dst) {
    // Premultiplied source over destination; sums cannot exceed 255 per channel.
    return src + scalePixel(dst, 255 - pixelA(src));
}

// One past the end of the run of full coverage that starts at `i`: eight bytes at a time, since the
// inside of a shape makes runs as long as the shape is wide.
inline int fullRunEnd(const uint8_t* coverage, int i, int length) {
    constexpr uint64_t kAllFull = ~uint64_t(0);
    while (i + 8 <= length) {
        uint64_t eight;
        std::memcpy(&eight, coverage + i, 8);
        if (eight != kAllFull) break;
        i += 8;
    }
    while (i < length && coverage[i] == 255) ++i;
    return i;
}

// Writes `count` copies of the pixel `v`, two at a time.
inline void fillPixels(uint8_t* p, uint32_t v, int count) {
    const uint64_t two = uint64_t(v) | (uint64_t(v) << 32);
    int k = 0;
    for (; k + 2 <= count; k += 2, p += 8) std::memcpy(p, &two, 8);
    if (k < count) store(p, v);
}

}  // namespace

void blendSpanScalar(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length, bool opaque) {
    int i = 0;
    while (i < length) {
        uint32_t c = coverage[i];
        if (c == 255 && opaque) {
            int end = fullRunEnd(coverage, i + 1, length);
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

void blendSpan(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length, bool opaque) {
    static const BlendSpanKernel widest = availableBlendKernels().back().blend;
    widest(dst, src, coverage, length, opaque);
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
            int end = fullRunEnd(coverage, i + 1, length);
            uint8_t* p = dst + static_cast<size_t>(i) * 4;
            if (opaque) {
                fillPixels(p, src, end - i);
            } else {
                // What lies below is often flat for long stretches: blend each new colour once.
                const uint32_t keep = 255 - pixelA(src);
                uint32_t below = load(p), blended = src + scalePixel(below, keep);
                for (int k = i; k < end; ++k, p += 4) {
                    uint32_t d = load(p);
                    if (d != below) {
                        below = d;
                        blended = src + scalePixel(d, keep);
                    }
                    store(p, blended);
                }
            }
            i = end;
            continue;
        }
        uint8_t* p = dst + static_cast<size_t>(i) * 4;
        store(p, over(scalePixel(src, c), load(p)));
        ++i;
    }
}

namespace {

inline void addPixel(uint8_t* dst, uint32_t src, uint32_t coverage) {
    if (coverage == 0) return;
    uint32_t s = coverage == 255 ? src : scalePixel(src, coverage);
    store(dst, addSaturated(load(dst), s));
}

}  // namespace

void addSpan(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length) {
    int i = 0;
#if defined(__SSE2__)
    // Four pixels at a time where all four are fully covered: a saturating byte add is the sum,
    // channel by channel. The inside of a shape is mostly such runs.
    for (; i + 4 <= length; i += 4) {
        uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        uint8_t* d = dst + static_cast<size_t>(i) * 4;
        if (four == 0xFFFFFFFFu) {
            __m128i* d4 = reinterpret_cast<__m128i*>(d);
            __m128i s4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            _mm_storeu_si128(d4, _mm_adds_epu8(_mm_loadu_si128(d4), s4));
        } else if (four != 0) {
            for (int k = 0; k < 4; ++k) addPixel(d + k * 4, src[i + k], coverage[i + k]);
        }
    }
#endif
    for (; i < length; ++i) addPixel(dst + static_cast<size_t>(i) * 4, src[i], coverage[i]);
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
