// Blend modes and bitmap filters (PlaceObject3), in plain data.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/image.h"
#include "engine/base/pixel_source.h"
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

// Moves each pixel by amounts read from a map bitmap: the pixel at (x, y) takes the colour found at
// (x + (componentX - 128) * scaleX / 256, y + (componentY - 128) * scaleY / 256), the components
// being channels of the map pixel over (x, y) (the map's top-left sits at mapX, mapY of the object).
struct DisplacementMapFilter {
    enum class Mode : uint8_t { Wrap, Clamp, Ignore, Color };
    enum Channel : uint8_t { Red = 1, Green = 2, Blue = 4, Alpha = 8 };
    std::shared_ptr<PixelSource> mapSource;  // kept by the object: the script's bitmap, as it changes
    std::shared_ptr<const RgbaImage> map;    // the map's pixels for one paint (taken from mapSource)
    int mapX = 0, mapY = 0;                  // pixels
    int componentX = 0, componentY = 0;      // Channel bits; the first of red, green, blue, alpha is used
    double scaleX = 0, scaleY = 0;           // pixels at full channel value
    double mapScaleX = 1, mapScaleY = 1;     // target pixels per map pixel
    Mode mode = Mode::Wrap;
    Rgba color;  // straight: what Color mode shows where the source lies outside the object
    // Where the object's own bitmap lies in the target, pixels: the map is placed from its top-left,
    // and Wrap and Clamp keep lookups inside it. Set for each paint.
    int objectX0 = 0, objectY0 = 0, objectX1 = 0, objectY1 = 0;

    bool operator==(const DisplacementMapFilter&) const = default;
};

struct Filter {
    enum class Kind : uint8_t {
        DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel, DisplacementMap
    };
    Kind kind = Kind::Blur;
    DropShadowFilter dropShadow;
    BlurFilter blur;
    GlowFilter glow;
    BevelFilter bevel;
    GradientGlowBevelFilter gradient;
    ConvolutionFilter convolution;
    ColorMatrixFilter colorMatrix;
    DisplacementMapFilter displacement;

    bool operator==(const Filter&) const = default;
};

}  // namespace swf
