// How far two renderings of the same frame lie apart, so that a comparison of speeds can show both
// sides painted the same picture rather than one of them skipping work.
#pragma once

#include "engine/base/image.h"

namespace swf::bench {

struct ImageDifference {
    double meanChannel = 0;  // mean absolute difference per channel, 0..255
    double farShare = 0;     // share of pixels with a channel more than kFar apart, 0..1
    bool sameSize = false;
    static constexpr int kFar = 32;
};

ImageDifference compareImages(const RgbaImage& a, const RgbaImage& b);

}  // namespace swf::bench
