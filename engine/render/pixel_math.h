// Small integer helpers for 8-bit premultiplied pixel arithmetic.
#pragma once

#include <cstdint>

namespace swf::render {

// x / 255, rounded, for x in 0..65025 (exact for every product of two bytes).
inline uint32_t div255(uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

inline uint8_t mul255(uint32_t a, uint32_t b) { return static_cast<uint8_t>(div255(a * b)); }

// A premultiplied pixel packed as bytes R, G, B, A in memory order (little-endian: R is the low byte).
inline uint32_t packPixel(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return r | (g << 8) | (b << 16) | (a << 24);
}
inline uint8_t pixelR(uint32_t p) { return static_cast<uint8_t>(p); }
inline uint8_t pixelG(uint32_t p) { return static_cast<uint8_t>(p >> 8); }
inline uint8_t pixelB(uint32_t p) { return static_cast<uint8_t>(p >> 16); }
inline uint8_t pixelA(uint32_t p) { return static_cast<uint8_t>(p >> 24); }

}  // namespace swf::render
