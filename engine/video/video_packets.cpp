#include "engine/video/video_packets.h"

namespace swf {

namespace {

// Bits most significant first, reading zeros past the end (callers check `overrun`).
class BitCursor {
public:
    explicit BitCursor(std::span<const uint8_t> data) : data_(data) {}
    uint32_t bits(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++pos_) {
            size_t byte = pos_ / 8;
            if (byte >= data_.size()) {
                overrun = true;
                v <<= 1;
                continue;
            }
            v = (v << 1) | ((data_[byte] >> (7 - pos_ % 8)) & 1);
        }
        return v;
    }
    void skip(size_t n) { pos_ += n; }
    bool overrun = false;

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

// Sorenson H.263 picture header: start code, version, temporal reference, size (custom sizes
// carry 8- or 16-bit dimensions), then the picture type, 0 being intra.
bool h263KeyFrame(std::span<const uint8_t> p) {
    BitCursor b(p);
    if (b.bits(17) != 1) return false;
    b.bits(5);
    b.bits(8);
    uint32_t size = b.bits(3);
    if (size == 0) b.skip(16);
    if (size == 1) b.skip(32);
    uint32_t type = b.bits(2);
    return !b.overrun && type == 0;
}

// Screen Video 1 and 2: a key frame brings every block, and (version 2) none that builds on the
// previous picture.
bool screenKeyFrame(std::span<const uint8_t> p, bool version2) {
    BitCursor b(p);
    uint32_t blockWidth = 16 * (b.bits(4) + 1), width = b.bits(12);
    uint32_t blockHeight = 16 * (b.bits(4) + 1), height = b.bits(12);
    if (b.overrun || width == 0 || height == 0) return false;
    size_t pos = 4;
    if (version2) {
        if (p.size() < 5 || (p[4] & 3)) return false;  // whole-picture images and palettes are not decoded
        pos = 5;
    }
    uint32_t blocks = ((width + blockWidth - 1) / blockWidth) * ((height + blockHeight - 1) / blockHeight);
    for (uint32_t i = 0; i < blocks; ++i) {
        if (pos + 2 > p.size()) return false;
        size_t size = static_cast<size_t>(p[pos]) << 8 | p[pos + 1];
        pos += 2;
        if (size == 0 || pos + size > p.size()) return false;
        if (version2 && (p[pos] & 0x05)) return false;  // diff rows, or primed by the previous picture
        pos += size;
    }
    return true;
}

// Where VP6 picture data starts in a packet, and whether it holds a key frame's header whose
// macroblock counts fit `width` x `height`.
bool vp6KeyHeaderFits(std::span<const uint8_t> p, size_t at, bool alpha, int width, int height) {
    if (alpha) at += 3;
    if (p.size() < at + 8) return false;
    uint8_t mode = p[at], version = p[at + 1];
    if ((mode & 0x80) || (version >> 3) > 8 || (version & 1)) return false;
    size_t dims = at + 2;
    if ((mode & 1) || !(version & 6)) dims += 2;  // a partition offset comes first
    int rows = p[dims], cols = p[dims + 1];
    return rows > 0 && cols > 0 && rows == (height + 15) / 16 && cols == (width + 15) / 16;
}

}  // namespace

PacketLayout packetLayout(const VideoStream& stream) {
    PacketLayout layout;
    VideoCodec codec = stream.codec();
    if (codec != VideoCodec::Vp6 && codec != VideoCodec::Vp6Alpha) return layout;
    bool alpha = codec == VideoCodec::Vp6Alpha;
    for (const auto& [number, packet] : stream.frames) {
        bool plain = vp6KeyHeaderFits(packet, 0, alpha, stream.width, stream.height);
        bool shifted = vp6KeyHeaderFits(packet, 1, alpha, stream.width, stream.height);
        if (plain || shifted) {
            layout.skip = plain ? 0 : 1;
            break;
        }
    }
    return layout;
}

bool isKeyFrame(VideoCodec codec, std::span<const uint8_t> packet, const PacketLayout& layout) {
    if (packet.size() <= layout.skip) return false;
    std::span<const uint8_t> data = packet.subspan(layout.skip);
    switch (codec) {
    case VideoCodec::SorensonH263: return h263KeyFrame(data);
    case VideoCodec::ScreenVideo: return screenKeyFrame(data, false);
    case VideoCodec::ScreenVideo2: return screenKeyFrame(data, true);
    case VideoCodec::Vp6: return !(data[0] & 0x80);
    case VideoCodec::Vp6Alpha: return data.size() > 3 && !(data[3] & 0x80);
    }
    return false;
}

}  // namespace swf
