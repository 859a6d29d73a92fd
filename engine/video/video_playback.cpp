#include "engine/video/video_playback.h"

#include <algorithm>

namespace swf {

VideoPlayback::VideoPlayback(const VideoStream& stream)
    : stream_(stream), layout_(packetLayout(stream)), decoder_(stream, layout_) {
    if (!decoder_.ok()) problem_ = decoder_.error();
    for (const auto& [number, packet] : stream.frames)
        if (isKeyFrame(stream.codec(), packet, layout_)) keyFrames_.push_back(number);
}

BitmapRef VideoPlayback::frame(uint16_t number) {
    if (!decoder_.ok() || stream_.frames.empty()) return nullptr;
    auto target = stream_.frames.upper_bound(number);
    if (target == stream_.frames.begin()) return nullptr;  // before the first stored frame
    --target;
    uint16_t wanted = target->first;
    if (decodedUpTo_ && *decodedUpTo_ == wanted) return picture_;

    // Start at the last key frame at or before the wanted one (the first frame when there is
    // none), unless decoding can go on from where it stands without passing a key frame.
    auto key = std::upper_bound(keyFrames_.begin(), keyFrames_.end(), wanted);
    uint16_t start = key == keyFrames_.begin() ? stream_.frames.begin()->first : *(key - 1);
    auto from = stream_.frames.find(start);
    if (decodedUpTo_ && *decodedUpTo_ < wanted && *decodedUpTo_ >= start) {
        from = stream_.frames.upper_bound(*decodedUpTo_);
    } else {
        decoder_.reset();
        picture_.reset();
    }
    decodeRange(from, std::next(target));
    decodedUpTo_ = wanted;
    return picture_;
}

void VideoPlayback::decodeRange(std::map<uint16_t, std::vector<uint8_t>>::const_iterator from,
                                std::map<uint16_t, std::vector<uint8_t>>::const_iterator to) {
    for (auto it = from; it != to; ++it) {
        std::string why;
        ++packetsDecoded_;
        // A packet that gives nothing leaves the picture before it on show.
        if (auto picture = decoder_.decode(it->second, why))
            picture_ = std::move(picture);
        else if (problem_.empty())
            problem_ = "video frame " + std::to_string(it->first) + ": " + why;
        if (!decoder_.ok()) return;
    }
}

}  // namespace swf
