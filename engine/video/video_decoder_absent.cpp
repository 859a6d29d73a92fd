// The decoder of a build without libavcodec: no stream can be decoded, so video shows nothing.
#include "engine/video/video_decoder.h"

namespace swf {

struct VideoDecoder::Impl {};

VideoDecoder::VideoDecoder(const VideoStream&, const PacketLayout&) { error_ = "this build decodes no video"; }
VideoDecoder::~VideoDecoder() = default;
std::shared_ptr<RgbaImage> VideoDecoder::decode(std::span<const uint8_t>, std::string& why) {
    why = error_;
    return nullptr;
}
void VideoDecoder::reset() {}

}  // namespace swf
