#include "tests/engine/video/test_video.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

namespace swf::test {

RgbaImage movingPicture(int width, int height, int frame) {
    RgbaImage img(width, height);
    static const uint8_t bars[6][3] = {{230, 40, 40}, {40, 200, 60}, {50, 70, 220}, {240, 220, 50}, {40, 210, 210},
                                       {220, 60, 200}};
    int sx = (frame * 6) % std::max(1, width - height / 3), size = height / 3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = img.at(x, y);
            if (y < height / 2) {
                const uint8_t* c = bars[(x * 6) / width];
                p[0] = c[0], p[1] = c[1], p[2] = c[2];
            } else {
                p[0] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
                p[1] = static_cast<uint8_t>(y * 255 / std::max(1, height - 1));
                p[2] = 128;
            }
            if (x >= sx && x < sx + size && y >= height / 3 && y < height / 3 + size) p[0] = p[1] = p[2] = 250;
            p[3] = 255;
        }
    }
    return img;
}

namespace {

// Straight RGB to limited-range BT.601 4:2:0 (chroma the mean of each 2x2 block).
void fillYuv(AVFrame* f, const RgbaImage& img) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.at(x, y);
            f->data[0][y * f->linesize[0] + x] =
                static_cast<uint8_t>(std::lround(16 + 0.257 * p[0] + 0.504 * p[1] + 0.098 * p[2]));
        }
    for (int y = 0; y < img.height / 2; ++y)
        for (int x = 0; x < img.width / 2; ++x) {
            double r = 0, g = 0, b = 0;
            for (int k = 0; k < 4; ++k) {
                const uint8_t* p = img.at(2 * x + k % 2, 2 * y + k / 2);
                r += p[0] / 4.0, g += p[1] / 4.0, b += p[2] / 4.0;
            }
            f->data[1][y * f->linesize[1] + x] = static_cast<uint8_t>(std::lround(128 - 0.148 * r - 0.291 * g + 0.439 * b));
            f->data[2][y * f->linesize[2] + x] = static_cast<uint8_t>(std::lround(128 + 0.439 * r - 0.368 * g - 0.071 * b));
        }
}

void fillBgr(AVFrame* f, const RgbaImage& img) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.at(x, y);
            uint8_t* o = f->data[0] + y * f->linesize[0] + x * 3;
            o[0] = p[2], o[1] = p[1], o[2] = p[0];
        }
}

}  // namespace

std::optional<std::vector<std::vector<uint8_t>>> encodeWithLibavcodec(VideoCodec codec,
                                                                      const std::vector<RgbaImage>& pictures,
                                                                      int keyInterval) {
    if (pictures.empty()) return std::vector<std::vector<uint8_t>>{};
    AVCodecID id = codec == VideoCodec::SorensonH263   ? AV_CODEC_ID_FLV1
                   : codec == VideoCodec::ScreenVideo2 ? AV_CODEC_ID_FLASHSV2
                   : codec == VideoCodec::ScreenVideo  ? AV_CODEC_ID_FLASHSV
                                                       : AV_CODEC_ID_NONE;
    const AVCodec* encoder = avcodec_find_encoder(id);
    if (!encoder) return std::nullopt;
    bool yuv = id == AV_CODEC_ID_FLV1;
    AVCodecContext* c = avcodec_alloc_context3(encoder);
    c->width = pictures[0].width;
    c->height = pictures[0].height;
    c->time_base = {1, 25};
    c->framerate = {25, 1};
    c->gop_size = keyInterval;
    c->max_b_frames = 0;
    c->pix_fmt = yuv ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_BGR24;
    if (yuv) c->bit_rate = 2'000'000;
    // Key frames only where asked: no extra ones at scene changes.
    av_opt_set_int(c, "sc_threshold", 1'000'000'000, AV_OPT_SEARCH_CHILDREN);
    std::vector<std::vector<uint8_t>> packets;
    AVFrame* f = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    bool ok = avcodec_open2(c, encoder, nullptr) >= 0;
    f->format = c->pix_fmt;
    f->width = c->width;
    f->height = c->height;
    ok = ok && av_frame_get_buffer(f, 0) >= 0;
    auto drain = [&] {
        while (avcodec_receive_packet(c, pkt) == 0) {
            packets.emplace_back(pkt->data, pkt->data + pkt->size);
            av_packet_unref(pkt);
        }
    };
    for (size_t i = 0; ok && i < pictures.size(); ++i) {
        ok = av_frame_make_writable(f) >= 0;
        if (!ok) break;
        yuv ? fillYuv(f, pictures[i]) : fillBgr(f, pictures[i]);
        f->pts = static_cast<int64_t>(i);
        ok = avcodec_send_frame(c, f) >= 0;
        drain();
    }
    if (ok) {
        avcodec_send_frame(c, nullptr);
        drain();
    }
    av_packet_free(&pkt);
    av_frame_free(&f);
    avcodec_free_context(&c);
    if (!ok) return std::nullopt;
    return packets;
}

VideoStream streamOf(VideoCodec codec, int width, int height, const std::vector<std::vector<uint8_t>>& packets) {
    VideoStream v;
    v.codecId = static_cast<uint8_t>(codec);
    v.width = static_cast<uint16_t>(width);
    v.height = static_cast<uint16_t>(height);
    v.declaredFrameCount = static_cast<uint16_t>(packets.size());
    for (size_t i = 0; i < packets.size(); ++i) v.frames.emplace(static_cast<uint16_t>(i), packets[i]);
    return v;
}

PictureDifference difference(const RgbaImage& a, const RgbaImage& b) {
    PictureDifference d;
    if (a.width != b.width || a.height != b.height) return {255, 255};
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if (i % 4 == 3) continue;
        int diff = std::abs(a.pixels[i] - b.pixels[i]);
        sum += diff;
        d.largest = std::max(d.largest, diff);
    }
    d.mean = a.pixels.empty() ? 0 : sum / (static_cast<double>(a.pixels.size()) * 3 / 4);
    return d;
}

}  // namespace swf::test
