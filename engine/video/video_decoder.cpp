#include "engine/video/video_decoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include "engine/video/picture_conversion.h"

namespace swf {

namespace {

// Pictures larger than this are refused before the codec allocates for them: a damaged header
// may state any size.
constexpr int64_t kMaxPicturePixels = 4096 * 4096;

AVCodecID codecIdFor(VideoCodec codec) {
    switch (codec) {
    case VideoCodec::SorensonH263: return AV_CODEC_ID_FLV1;
    case VideoCodec::ScreenVideo: return AV_CODEC_ID_FLASHSV;
    case VideoCodec::Vp6: return AV_CODEC_ID_VP6F;
    case VideoCodec::Vp6Alpha: return AV_CODEC_ID_VP6A;
    case VideoCodec::ScreenVideo2: return AV_CODEC_ID_FLASHSV2;
    }
    return AV_CODEC_ID_NONE;
}

}  // namespace

struct VideoDecoder::Impl {
    VideoCodec codec = VideoCodec::SorensonH263;
    PacketLayout layout;
    int declaredWidth = 0, declaredHeight = 0;
    const AVCodec* decoder = nullptr;
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;

    ~Impl() { close(); }

    void close() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }

    bool open(std::string& why) {
        context = avcodec_alloc_context3(decoder);
        packet = av_packet_alloc();
        frame = av_frame_alloc();
        if (!context || !packet || !frame) {
            why = "out of memory for the video decoder";
            return false;
        }
        context->thread_count = 1;  // pictures are wanted at once, in order
        context->max_pixels = kMaxPicturePixels;
        context->width = declaredWidth;
        context->height = declaredHeight;
        if (avcodec_open2(context, decoder, nullptr) < 0) {
            why = std::string("the ") + decoder->name + " decoder could not be opened";
            return false;
        }
        return true;
    }

    // The picture of the frame just decoded. VP6 pictures cover whole macroblocks: the crop byte, or
    // else the stream's declared size, trims them.
    std::shared_ptr<RgbaImage> picture(std::span<const uint8_t> stored, std::string& why) {
        int width = frame->width, height = frame->height;
        if (codec == VideoCodec::Vp6 || codec == VideoCodec::Vp6Alpha) {
            if (layout.skip == 1) {
                width -= stored[0] >> 4;
                height -= stored[0] & 0x0F;
            } else {
                if (declaredWidth > 0 && width > declaredWidth && width - declaredWidth < 16) width = declaredWidth;
                if (declaredHeight > 0 && height > declaredHeight && height - declaredHeight < 16)
                    height = declaredHeight;
            }
        }
        if (width <= 0 || height <= 0) {
            why = "the decoded picture is empty";
            return nullptr;
        }
        switch (frame->format) {
        case AV_PIX_FMT_YUV420P:
        case AV_PIX_FMT_YUVJ420P:
        case AV_PIX_FMT_YUVA420P: {
            Plane alpha;
            if (frame->format == AV_PIX_FMT_YUVA420P) alpha = {frame->data[3], frame->linesize[3]};
            return std::make_shared<RgbaImage>(yuv420ToRgba({frame->data[0], frame->linesize[0]},
                                                            {frame->data[1], frame->linesize[1]},
                                                            {frame->data[2], frame->linesize[2]}, alpha, width,
                                                            height));
        }
        case AV_PIX_FMT_BGR24:
            return std::make_shared<RgbaImage>(bgrToRgba({frame->data[0], frame->linesize[0]}, width, height));
        default:
            why = "the decoder gave pictures in an unexpected format";
            return nullptr;
        }
    }
};

VideoDecoder::VideoDecoder(const VideoStream& stream, const PacketLayout& layout) {
    av_log_set_level(AV_LOG_QUIET);  // damaged packets are reported through `why`, not on stderr
    AVCodecID id = codecIdFor(stream.codec());
    const AVCodec* decoder = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!decoder) {
        error_ = id == AV_CODEC_ID_NONE ? "unknown video codec " + std::to_string(stream.codecId)
                                        : "this build has no decoder for video codec " + std::to_string(stream.codecId);
        return;
    }
    auto impl = std::make_unique<Impl>();
    impl->codec = stream.codec();
    impl->layout = layout;
    impl->declaredWidth = stream.width;
    impl->declaredHeight = stream.height;
    impl->decoder = decoder;
    if (!impl->open(error_)) return;
    impl_ = std::move(impl);
}

VideoDecoder::~VideoDecoder() = default;

std::shared_ptr<RgbaImage> VideoDecoder::decode(std::span<const uint8_t> stored, std::string& why) {
    if (!impl_) {
        why = error_;
        return nullptr;
    }
    Impl& d = *impl_;
    if (stored.size() <= d.layout.skip) {
        why = "empty video packet";
        return nullptr;
    }
    std::span<const uint8_t> data = stored.subspan(d.layout.skip);
    if (data.size() > static_cast<size_t>(INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE)) {
        why = "video packet too large";
        return nullptr;
    }
    av_packet_unref(d.packet);
    if (av_new_packet(d.packet, static_cast<int>(data.size())) < 0) {
        why = "out of memory for a video packet";
        return nullptr;
    }
    std::memcpy(d.packet->data, data.data(), data.size());  // the padding behind it is zeroed
    if (avcodec_send_packet(d.context, d.packet) < 0) {
        why = "damaged video packet";
        return nullptr;
    }
    std::shared_ptr<RgbaImage> out;
    // One packet gives at most one picture; anything else queued is taken and dropped.
    while (avcodec_receive_frame(d.context, d.frame) == 0) {
        if (!out) out = d.picture(stored, why);
        av_frame_unref(d.frame);
    }
    if (!out && why.empty()) why = "the video packet gave no picture";
    return out;
}

// A new context rather than a flush: not every codec forgets its previous picture on a flush.
void VideoDecoder::reset() {
    if (!impl_) return;
    impl_->close();
    if (!impl_->open(error_)) impl_.reset();
}

}  // namespace swf
