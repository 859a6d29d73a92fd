// One video stream as the timeline shows it: the picture for any frame number, decoded in stream
// order from the nearest key frame before it, and kept while the same frame is asked for again.
// Only the current picture is kept, so memory stays bounded however long the movie plays.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/styles.h"
#include "engine/parse/video.h"
#include "engine/video/video_decoder.h"

namespace swf {

class VideoPlayback {
public:
    // `stream` must outlive this.
    explicit VideoPlayback(const VideoStream& stream);
    explicit VideoPlayback(VideoStream&&) = delete;

    // The picture of the last stored frame numbered `number` or less (null when there is none,
    // or nothing of it could be decoded). The same picture object is returned while it does not
    // change, so that a frame that shows it again can be seen to be unchanged.
    BitmapRef frame(uint16_t number);

    // How many packets were decoded in all (for tests and figures: seeking and replay cost).
    uint64_t packetsDecoded() const { return packetsDecoded_; }
    // Why pictures are missing, when they are (the codec is unknown, packets were damaged).
    const std::string& problem() const { return problem_; }

private:
    void decodeRange(std::map<uint16_t, std::vector<uint8_t>>::const_iterator from,
                     std::map<uint16_t, std::vector<uint8_t>>::const_iterator to);

    const VideoStream& stream_;
    PacketLayout layout_;
    VideoDecoder decoder_;
    std::vector<uint16_t> keyFrames_;  // frame numbers, ascending
    std::optional<uint16_t> decodedUpTo_;  // the last frame number fed to the decoder
    BitmapRef picture_;
    uint64_t packetsDecoded_ = 0;
    std::string problem_;
};

}  // namespace swf
