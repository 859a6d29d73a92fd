// The frames both rasterizers draw in the comparison: lists of shapes in twips, one fill or one
// stroke group per shape, with the matrix that maps them to a 1920x1080 target.
#pragma once

#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/base/paths.h"

namespace swf::bench {

constexpr int kFrameWidth = 1920, kFrameHeight = 1080;

struct Scene {
    std::string name;
    std::vector<ShapePaths> shapes;  // in painting order
    Matrix toPixels;
    Rgba background;
};

// Large overlapping translucent ellipses and stars (even-odd and non-zero), many small shapes,
// linear and radial gradient fills, thin strokes, and a smoothed, rotated bitmap fill.
std::vector<Scene> comparisonScenes();

}  // namespace swf::bench
