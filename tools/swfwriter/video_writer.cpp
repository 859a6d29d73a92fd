// The video tags, and a Screen Video encoder (the one codec simple enough to write here).
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "tools/swfwriter/swf_writer.h"

namespace swfw {

void SwfWriter::defineVideoStream(uint16_t id, const swf::VideoStream& video) {
    BodyWriter w;
    w.u16(id);
    w.u16(video.declaredFrameCount);
    w.u16(video.width);
    w.u16(video.height);
    w.u8(static_cast<uint8_t>((video.deblocking & 7) << 1 | (video.smoothing ? 1 : 0)));
    w.u8(video.codecId);
    tag(kDefineVideoStream, w.data());
}

void SwfWriter::videoFrame(uint16_t streamId, uint16_t frameNumber, const std::vector<uint8_t>& data) {
    BodyWriter w;
    w.u16(streamId);
    w.u16(frameNumber);
    w.bytes(data);
    tag(kVideoFrame, w.data());
}

std::vector<uint8_t> encodeScreenVideo(const swf::RgbaImage& image, int block, const swf::RgbaImage* previous) {
    if (block < 16 || block > 256 || block % 16 || image.width <= 0 || image.height <= 0 || image.width > 4095 ||
        image.height > 4095)
        throw std::invalid_argument("screen video: unsupported block or image size");
    if (previous && (previous->width != image.width || previous->height != image.height)) previous = nullptr;
    std::vector<uint8_t> out;
    auto u16be = [&out](unsigned v) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    };
    u16be(static_cast<unsigned>((block / 16 - 1) << 12 | image.width));
    u16be(static_cast<unsigned>((block / 16 - 1) << 12 | image.height));
    // Blocks run left to right in rows from the bottom of the picture up; each block's pixel rows run
    // bottom-up too, as BGR.
    for (int by = 0; by * block < image.height; ++by) {
        for (int bx = 0; bx * block < image.width; ++bx) {
            int x0 = bx * block, w = std::min(block, image.width - x0);
            int yBottom = image.height - 1 - by * block, h = std::min(block, yBottom + 1);
            bool changed = !previous;
            std::vector<uint8_t> pixels;
            for (int k = 0; k < h; ++k) {
                int y = yBottom - k;
                if (previous && std::memcmp(image.at(x0, y), previous->at(x0, y), static_cast<size_t>(w) * 4) != 0)
                    changed = true;
                for (int x = x0; x < x0 + w; ++x) {
                    const uint8_t* p = image.at(x, y);
                    pixels.insert(pixels.end(), {p[2], p[1], p[0]});
                }
            }
            if (!changed) {
                u16be(0);
                continue;
            }
            uLongf size = compressBound(static_cast<uLong>(pixels.size()));
            std::vector<uint8_t> packed(size);
            if (compress2(packed.data(), &size, pixels.data(), static_cast<uLong>(pixels.size()), 6) != Z_OK ||
                size > 0xFFFF)
                throw std::runtime_error("screen video: a block does not compress into a packet");
            u16be(static_cast<unsigned>(size));
            out.insert(out.end(), packed.begin(), packed.begin() + static_cast<long>(size));
        }
    }
    return out;
}

}  // namespace swfw
