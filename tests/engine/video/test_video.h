// Video for the tests, made at test time: pictures with detail and motion, encoded with
// libavcodec's own encoders (Sorenson H.263, Screen Video 2) or the writer's Screen Video encoder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/image.h"
#include "engine/parse/video.h"

namespace swf::test {

// An opaque picture: colour bars and a gradient, with a square that moves with `frame`.
RgbaImage movingPicture(int width, int height, int frame);

// Packets of `pictures` encoded with libavcodec's encoder for `codec` (H.263 or Screen Video 2),
// a key frame every `keyInterval` pictures; nullopt when this libavcodec has no such encoder.
std::optional<std::vector<std::vector<uint8_t>>> encodeWithLibavcodec(VideoCodec codec,
                                                                      const std::vector<RgbaImage>& pictures,
                                                                      int keyInterval = 100);

// A stream of `codec` from packets numbered 0, 1, 2...
VideoStream streamOf(VideoCodec codec, int width, int height, const std::vector<std::vector<uint8_t>>& packets);

// Mean absolute difference per colour channel, and the largest one (alpha ignored; sizes must match).
struct PictureDifference {
    double mean = 0;
    int largest = 0;
};
PictureDifference difference(const RgbaImage& a, const RgbaImage& b);

}  // namespace swf::test
