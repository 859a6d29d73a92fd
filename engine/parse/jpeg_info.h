// Finds the frame size of a JPEG stream from its markers, without decoding it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace swf {

struct ImageSize {
    int width = 0, height = 0;
};

// The size in the first SOF marker, or nothing when there is none before the data ends.
std::optional<ImageSize> jpegFrameSize(std::span<const uint8_t> jpeg);

}  // namespace swf
