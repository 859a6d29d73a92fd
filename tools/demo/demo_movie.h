// The demo movie: a few seconds of animation (looping) that exercise what the engine draws:
// gradients, a shape tween, rotating nested clips, a bitmap, a mask and text in an embedded font.
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

constexpr int kStageWidth = 640, kStageHeight = 480, kFrameRate = 24, kFrameCount = 120;

std::vector<uint8_t> writeDemoMovie();

}  // namespace demo
