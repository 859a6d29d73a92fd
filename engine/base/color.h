// Colours and colour transforms.
#pragma once

#include <algorithm>
#include <cstdint>

namespace swf {

// A straight (not premultiplied) 8-bit colour, as SWF records store it.
struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// SWF CXFORM: channel' = clamp(channel * mul + add), with add in 0..255 units. Applied to straight colour.
struct ColorTransform {
    float rMul = 1, gMul = 1, bMul = 1, aMul = 1;
    float rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    bool isIdentity() const {
        return rMul == 1 && gMul == 1 && bMul == 1 && aMul == 1 && rAdd == 0 && gAdd == 0 && bAdd == 0 &&
               aAdd == 0;
    }

    // NaN (from transforms multiplied out of range) counts as 0.
    static uint8_t clampChannel(float v) { return v > 0 ? static_cast<uint8_t>(std::min(v, 255.0f)) : 0; }

    Rgba apply(Rgba c) const {
        return {clampChannel(c.r * rMul + rAdd), clampChannel(c.g * gMul + gAdd), clampChannel(c.b * bMul + bAdd),
                clampChannel(c.a * aMul + aAdd)};
    }

    // (*this * inner) applies `inner` first, then *this: the transform of a child inside its parent.
    ColorTransform operator*(const ColorTransform& in) const {
        ColorTransform o;
        o.rMul = rMul * in.rMul;
        o.gMul = gMul * in.gMul;
        o.bMul = bMul * in.bMul;
        o.aMul = aMul * in.aMul;
        o.rAdd = rAdd + rMul * in.rAdd;
        o.gAdd = gAdd + gMul * in.gAdd;
        o.bAdd = bAdd + bMul * in.bAdd;
        o.aAdd = aAdd + aMul * in.aAdd;
        return o;
    }

    bool operator==(const ColorTransform&) const = default;
};

}  // namespace swf
