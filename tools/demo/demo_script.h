// The demo's one script: the comet clip's first frame, which gives the clip a speed and an
// onEnterFrame handler that moves it across the stage, bouncing at the edges and turning.
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

// ActionScript byte code (a DoAction body) for a clip on a stage of `width` x `height` pixels.
std::vector<uint8_t> cometScript(int width, int height);

}  // namespace demo
