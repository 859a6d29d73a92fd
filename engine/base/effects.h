// Blend modes and bitmap filters (PlaceObject3), in plain data.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/styles.h"

namespace swf {

// Values as stored in PlaceObject3's BlendMode byte (0 and 1 both mean Normal).
enum class BlendMode : uint8_t {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

struct DropShadowFilter {
    Rgba color;
    double blurX = 4, blurY = 4;  // pixels
    double angle = 0.785398;      // radians
    double distance = 4;          // pixels
    double strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
    int passes = 1;

    bool operator==(const DropShadowFilter&) const = default;
};

struct BlurFilter {
    double blurX = 4, blurY = 4;
    int passes = 1;

    bool operator==(const BlurFilter&) const = default;
};

struct GlowFilter {
    Rgba color;
    double blurX = 6, blurY = 6;
    double strength = 2;
    bool inner = false, knockout = false, compositeSource = true;
    int passes = 1;

    bool operator==(const GlowFilter&) const = default;
};

struct BevelFilter {
    Rgba shadowColor, highlightColor;
    double blurX = 4, blurY = 4;
    double angle = 0.785398, distance = 4, strength = 1;
    bool inner = true, knockout = false, compositeSource = true, onTop = false;
    int passes = 1;

    bool operator==(const BevelFilter&) const = default;
};

struct GradientGlowBevelFilter {
    bool bevel = false;  // false: gradient glow; true: gradient bevel
    std::vector<GradientStop> stops;
    double blurX = 4, blurY = 4, angle = 0.785398, distance = 4, strength = 1;
    bool inner = false, knockout = false, compositeSource = true, onTop = false;
    int passes = 1;

    bool operator==(const GradientGlowBevelFilter&) const = default;
};

struct ConvolutionFilter {
    int matrixX = 0, matrixY = 0;
    float divisor = 1, bias = 0;
    std::vector<float> matrix;
    Rgba defaultColor;
    bool clamp = true, preserveAlpha = true;

    bool operator==(const ConvolutionFilter&) const = default;
};

// 4x5 matrix over straight RGBA in 0..255 units, row-major (R' = m[0]*R + m[1]*G + m[2]*B + m[3]*A + m[4], ...).
struct ColorMatrixFilter {
    std::array<float, 20> matrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};

    bool operator==(const ColorMatrixFilter&) const = default;
};

struct Filter {
    enum class Kind : uint8_t { DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel };
    Kind kind = Kind::Blur;
    DropShadowFilter dropShadow;
    BlurFilter blur;
    GlowFilter glow;
    BevelFilter bevel;
    GradientGlowBevelFilter gradient;
    ConvolutionFilter convolution;
    ColorMatrixFilter colorMatrix;

    bool operator==(const Filter&) const = default;
};

}  // namespace swf
