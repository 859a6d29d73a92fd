// Putting one row's span of paint onto a surface: source-over with per-pixel coverage for pictures,
// and the union of coverages for mask surfaces.
#pragma once

#include <cstdint>

namespace swf::render {

// dst (RGBA bytes, premultiplied) = src * coverage + dst * (1 - srcAlpha * coverage).
// `opaque` promises that every source pixel has alpha 255, so covered runs are simply copied.
void blendSpan(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length, bool opaque);
// The same with one colour for the whole span.
void blendSolidSpan(uint8_t* dst, uint32_t src, const uint8_t* coverage, int length);

// dst = min(255, dst + src * coverage), per channel: sums paint of regions that do not overlap.
void addSpan(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length);

// mask = mask + coverage * (1 - mask): the union of shapes drawn into a mask.
void uniteMaskSpan(uint8_t* mask, const uint8_t* coverage, int length);

// coverage *= mask, in place.
void applyMaskSpan(uint8_t* coverage, const uint8_t* mask, int length);

}  // namespace swf::render
