// Embedded video as a movie stores it: a DefineVideoStream character with the VideoFrame payloads
// that belong to it. Plain data; decoding lives in engine/video.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace swf {

// The CodecID of DefineVideoStream.
enum class VideoCodec : uint8_t {
    SorensonH263 = 2,
    ScreenVideo = 3,
    Vp6 = 4,
    Vp6Alpha = 5,
    ScreenVideo2 = 6,
};

// DefineVideoStream with its VideoFrame tags (which may come in any frame of any timeline).
struct VideoStream {
    uint16_t declaredFrameCount = 0;  // NumFrames, as stored
    uint16_t width = 0, height = 0;   // pixels: the picture is drawn into this box
    uint8_t deblocking = 0;           // 0: as each packet says, 1: off, 2..5: filter levels
    bool smoothing = false;           // draw scaled pictures smoothly (bilinear) rather than nearest
    uint8_t codecId = 0;              // a VideoCodec, or an unknown value kept as stored
    // Frame payloads by FrameNum, as stored. A frame number given twice keeps its first payload.
    std::map<uint16_t, std::vector<uint8_t>> frames;

    VideoCodec codec() const { return static_cast<VideoCodec>(codecId); }
};

}  // namespace swf
