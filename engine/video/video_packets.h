// What can be learnt from a video packet without decoding it: whether it starts a picture anew
// (a key frame, from which decoding may restart), and how a stream's packets wrap the codec's data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/parse/video.h"

namespace swf {

struct PacketLayout {
    // VP6: packets may begin with a byte of two 4-bit crops (width, height) in front of the codec's
    // data, as video files carry it. 0 or 1 bytes to skip.
    size_t skip = 0;
};

// The layout of `stream`'s packets, judged from its first key frame: for VP6, the leading byte is
// taken as a crop byte when only the data after it starts a picture of the stream's size.
PacketLayout packetLayout(const VideoStream& stream);

// Whether `packet` (as stored, layout included) is a key frame of `codec`. Damaged or unknown
// packets are not.
bool isKeyFrame(VideoCodec codec, std::span<const uint8_t> packet, const PacketLayout& layout);

}  // namespace swf
