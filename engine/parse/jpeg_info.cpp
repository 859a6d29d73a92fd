#include "engine/parse/jpeg_info.h"

namespace swf {

std::optional<ImageSize> jpegFrameSize(std::span<const uint8_t> d) {
    size_t i = 0;
    while (i + 1 < d.size()) {
        if (d[i] != 0xFF) {
            ++i;  // not at a marker (entropy-coded data or padding): keep looking
            continue;
        }
        uint8_t m = d[i + 1];
        if (m == 0xFF) {
            ++i;
            continue;
        }
        // Markers without a length: SOI, EOI, RSTn, TEM, and stuffed zero bytes.
        if (m == 0xD8 || m == 0xD9 || m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            i += 2;
            continue;
        }
        if (i + 4 > d.size()) return std::nullopt;
        size_t length = static_cast<size_t>(d[i + 2] << 8 | d[i + 3]);
        bool isFrame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (isFrame) {
            if (i + 9 > d.size()) return std::nullopt;
            return ImageSize{d[i + 7] << 8 | d[i + 8], d[i + 5] << 8 | d[i + 6]};
        }
        if (length < 2) return std::nullopt;
        i += 2 + length;
    }
    return std::nullopt;
}

}  // namespace swf
