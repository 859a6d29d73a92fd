// A rectangle painted with one untiled picture: how a bitmap object and a video frame reach the
// renderer, which knows only shapes.
#pragma once

#include "engine/base/paths.h"

namespace swf {

// `picture` carries the picture and how it is sampled (matrix from picture pixels to the box's
// space, smoothing, opacity); the box is filled with it, untiled. Empty paths (bounds kept) when
// there is no picture to show.
ShapePaths pictureBoxPaths(const Rect& box, FillStyle picture);

}  // namespace swf
