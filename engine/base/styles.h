// Fill and line styles as the SWF shape records describe them, in plain data.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/base/image.h"
#include "engine/base/pixel_source.h"

namespace swf {

enum class SpreadMode : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : uint8_t { Rgb = 0, LinearRgb = 1 };

struct GradientStop {
    uint8_t ratio = 0;  // 0..255 along the gradient
    Rgba color;

    bool operator==(const GradientStop&) const = default;
};

// Gradient space: the gradient square runs from -16384 to 16384 twips on both axes before `matrix`.
struct Gradient {
    Matrix matrix;
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Rgb;
    std::vector<GradientStop> stops;
    double focalPoint = 0;  // -1..1, focal radial gradients only

    bool operator==(const Gradient&) const = default;
};

// A decoded bitmap character: premultiplied RGBA pixels.
using BitmapRef = std::shared_ptr<const RgbaImage>;

struct FillStyle {
    enum class Kind : uint8_t { Solid, LinearGradient, RadialGradient, FocalGradient, Bitmap };
    Kind kind = Kind::Solid;
    Rgba color;             // Solid
    Gradient gradient;      // the three gradient kinds
    uint16_t bitmapId = 0;  // Bitmap: character id as stored in the movie
    BitmapRef bitmap;       // Bitmap: resolved by the player from bitmapId; null when the id names no bitmap
    Matrix bitmapMatrix;    // Bitmap: bitmap pixels (twips units: 20 per pixel) to shape space
    bool bitmapRepeating = true;
    bool bitmapSmoothed = true;
    bool bitmapOpaque = false;  // Bitmap: every pixel of `bitmap` has alpha 255, so it can be copied, not blended
    // Bitmap: pixels a script keeps changing; `bitmap` is taken from it again each time it is drawn.
    std::shared_ptr<PixelSource> bitmapSource;

    bool operator==(const FillStyle&) const = default;
};

enum class CapStyle : uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    double width = 20;  // twips; 0 is a hairline
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill;  // LINESTYLE2 with HasFillFlag: the stroke is painted with this fill

    bool operator==(const LineStyle&) const = default;
};

}  // namespace swf
