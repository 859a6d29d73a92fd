// Decoded sound as the mixer takes it: 44.1 kHz, 16-bit, stereo, interleaved left/right.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

constexpr int kMixRate = 44100;

struct PcmBuffer {
    std::vector<int16_t> samples;  // left, right, left, right...
    size_t frames() const { return samples.size() / 2; }
};

}  // namespace swf
