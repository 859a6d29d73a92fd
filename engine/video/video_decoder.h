// Decodes one embedded video stream's packets, in stream order, into premultiplied RGBA pictures
// with libavcodec: Sorenson H.263, Screen Video 1 and 2, VP6 and VP6 with alpha.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "engine/base/image.h"
#include "engine/parse/video.h"
#include "engine/video/video_packets.h"

namespace swf {

class VideoDecoder {
public:
    // `error` is set (and ok() false) when the stream's codec cannot be decoded here.
    VideoDecoder(const VideoStream& stream, const PacketLayout& layout);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    bool ok() const { return impl_ != nullptr; }
    const std::string& error() const { return error_; }

    // Decodes the next packet (as stored in the VideoFrame tag). Returns its picture, or null when
    // the packet gives none (damaged, or not decodable without the pictures before it), with
    // `why` set.
    std::shared_ptr<RgbaImage> decode(std::span<const uint8_t> packet, std::string& why);
    // Forgets the pictures decoded so far, before decoding restarts at a key frame.
    void reset();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string error_;
};

}  // namespace swf
