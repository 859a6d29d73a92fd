// The demo movie: a few seconds of animation (looping) that exercise what the engine draws:
// gradients, a shape tween, rotating nested clips, a bitmap, a mask, text in an embedded font, and a
// clip that moves itself by script.
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

constexpr int kStageWidth = 640, kStageHeight = 480, kFrameRate = 24, kFrameCount = 120;
// Where the comet clip starts; its script then moves it 4 pixels right and 3 down each frame.
constexpr int kCometStartX = 320, kCometStartY = 240;

std::vector<uint8_t> writeDemoMovie();

}  // namespace demo
