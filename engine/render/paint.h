// What fills the pixels of a shape: a solid colour, a gradient or a bitmap, already mapped to target
// pixels and with the colour transform folded in. shadeSpan() writes premultiplied pixels for a run of
// one row; the kind is decided once per span, never per pixel.
#pragma once

#include <cstdint>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/base/styles.h"
#include "engine/render/gradient_table.h"

namespace swf::render {

class Paint {
public:
    // `toPixels` maps the shape's twips to target pixels.
    void setFill(const FillStyle& fill, const Matrix& toPixels, const ColorTransform& cxform);
    void setSolid(Rgba straight, const ColorTransform& cxform);

    uint32_t solidPixel() const { return solid_; }
    // True when every pixel the paint makes is fully opaque.
    bool opaque() const { return opaque_; }
    // False when the paint makes nothing visible (fully transparent, or a bitmap fill with no bitmap).
    bool visible() const { return visible_; }

    // Whether bitmap fills may be smoothed at all (they are not at low quality); on by default.
    void setSmoothing(bool allowed) { smoothingAllowed_ = allowed; }

    // True when every pixel of a row gets the same colour (a solid, or a gradient that runs
    // straight down), so a span can be painted with the colour of its first pixel.
    bool rowUniform() const { return kind_ == Kind::Solid || rowUniform_; }

    // Pixels x .. x+length-1 of row y, sampled at pixel centres.
    void shadeSpan(int x, int y, int length, uint32_t* out) const;

private:
    enum class Kind : uint8_t { Solid, Linear, Radial, Focal, Bitmap };
    void shadeGradient(int x, int y, int length, uint32_t* out) const;
    void shadeBitmap(int x, int y, int length, uint32_t* out) const;

    Kind kind_ = Kind::Solid;
    uint32_t solid_ = 0;
    bool opaque_ = false;
    bool visible_ = false;
    bool rowUniform_ = false;

    Matrix inverse_;  // target pixels to gradient space or to bitmap pixels
    GradientTable table_;
    SpreadMode spread_ = SpreadMode::Pad;
    double focal_ = 0;

    const RgbaImage* bitmap_ = nullptr;
    bool repeating_ = false, smoothed_ = false, smoothingAllowed_ = true;
    ColorTransform cxform_;
    bool cxformIdentity_ = true;
};

}  // namespace swf::render
