#include "support/bmp_decoder.h"

#include "support/error.h"

#include <array>

namespace sav {

namespace {

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

[[noreturn]] void Invalid() { throw Error("EInvalidGraphic", "Bitmap image is not valid"); }

// A bounds-checked little-endian view of the file.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t size() const { return size_; }
    bool has(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
    uint8_t u8(uint64_t at) const { if (!has(at, 1)) Invalid(); return data_[at]; }
    uint16_t u16(uint64_t at) const { return static_cast<uint16_t>(u8(at) | u8(at + 1) << 8); }
    uint32_t u32(uint64_t at) const { return u16(at) | static_cast<uint32_t>(u16(at + 2)) << 16; }
    const uint8_t* at(uint64_t offset) const { return data_ + offset; }

private:
    const uint8_t* data_;
    size_t size_;
};

// One channel of a bit-field mask: where it sits and how wide it is, scaled to 8 bits on use.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!(m & 1)) { m >>= 1; ++shift; }
        while (m & 1) { m >>= 1; ++bits; }
    }
    uint8_t extract(uint32_t pixel) const {
        if (!bits) return 0;
        const uint32_t v = (pixel & mask) >> shift;
        const uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        return static_cast<uint8_t>((uint64_t{v} * 255 + max / 2) / max);
    }
};

struct Header {
    int32_t width = 0;
    int32_t height = 0;       // negative: rows stored top-down
    uint16_t bitCount = 0;
    uint32_t compression = kRgb;
    uint32_t colorsUsed = 0;
    uint64_t paletteOffset = 0;
    int paletteEntrySize = 4;
    Channel red, green, blue;
};

Header ReadHeader(const Bytes& file) {
    Header h;
    const uint32_t infoSize = file.u32(14);
    if (infoSize == 12) {
        h.width = file.u16(18);
        h.height = file.u16(20);
        h.bitCount = file.u16(24);
        h.paletteEntrySize = 3;
    } else if (infoSize >= 40) {
        h.width = static_cast<int32_t>(file.u32(18));
        h.height = static_cast<int32_t>(file.u32(22));
        h.bitCount = file.u16(28);
        h.compression = file.u32(30);
        h.colorsUsed = file.u32(46);
    } else {
        Invalid();
    }
    h.paletteOffset = 14 + uint64_t{infoSize};
    if (h.compression == kBitFields) {
        // The masks follow a plain info header; later headers carry them inside.
        h.red = Channel(file.u32(54));
        h.green = Channel(file.u32(58));
        h.blue = Channel(file.u32(62));
        if (infoSize == 40) h.paletteOffset += 12;
    } else if (h.bitCount == 16) {
        h.red = Channel(0x7C00), h.green = Channel(0x03E0), h.blue = Channel(0x001F);
    } else if (h.bitCount == 32) {
        h.red = Channel(0xFF0000), h.green = Channel(0xFF00), h.blue = Channel(0xFF);
    }
    return h;
}

void Validate(const Header& h) {
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) Invalid();
    const uint64_t rows = h.height < 0 ? uint64_t(-int64_t{h.height}) : uint64_t(h.height);
    if (uint64_t(h.width) * rows > kMaxPicturePixels) Invalid();
    switch (h.compression) {
    case kRgb:
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 &&
            h.bitCount != 32)
            Invalid();
        break;
    case kRle8: if (h.bitCount != 8 || h.height < 0) Invalid(); break;
    case kRle4: if (h.bitCount != 4 || h.height < 0) Invalid(); break;
    case kBitFields:
        if ((h.bitCount != 16 && h.bitCount != 32) || !h.red.mask || !h.green.mask || !h.blue.mask) Invalid();
        break;
    default: Invalid();
    }
}

uint64_t RowStride(const Header& h) { return ((uint64_t(h.width) * h.bitCount + 31) / 32) * 4; }

using Palette = std::array<uint32_t, 256>;  // 0x00RRGGBB; entries the file lacks are black

Palette ReadPalette(const Bytes& file, const Header& h) {
    Palette palette{};
    if (h.bitCount > 8) return palette;
    uint32_t count = h.colorsUsed ? h.colorsUsed : (1u << h.bitCount);
    if (count > 256) count = 256;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = h.paletteOffset + uint64_t{i} * h.paletteEntrySize;
        if (!file.has(entry, 3)) break;
        palette[i] = file.u8(entry) | file.u8(entry + 1) << 8 | static_cast<uint32_t>(file.u8(entry + 2)) << 16;
    }
    return palette;
}

// Writes one pixel, in image coordinates counted from the top, into the BGRA buffer.
void Put(DecodedImage& image, int x, int y, uint32_t rgb) {
    uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
    p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16), p[3] = 255;
}

void DecodeUncompressed(const Bytes& file, uint64_t bits, const Header& h, const Palette& palette,
                        DecodedImage& image) {
    const uint64_t stride = RowStride(h);
    for (int row = 0; row < image.height; ++row) {
        const int y = h.height < 0 ? row : image.height - 1 - row;
        const uint8_t* line = file.at(bits + stride * row);
        for (int x = 0; x < image.width; ++x) {
            uint32_t rgb = 0;
            switch (h.bitCount) {
            case 1: rgb = palette[(line[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: rgb = palette[(line[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; break;
            case 8: rgb = palette[line[x]]; break;
            case 16:
            case 32: {
                const uint8_t* p = line + x * (h.bitCount / 8);
                const uint32_t v = h.bitCount == 16 ? uint32_t(p[0] | p[1] << 8)
                                                    : p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
                rgb = h.blue.extract(v) | h.green.extract(v) << 8 | uint32_t(h.red.extract(v)) << 16;
                break;
            }
            case 24: {
                const uint8_t* p = line + x * 3;
                rgb = p[0] | p[1] << 8 | uint32_t(p[2]) << 16;
                break;
            }
            }
            Put(image, x, y, rgb);
        }
    }
}

// Run-length encoded rows, stored bottom-up; skipped pixels stay black (palette entry 0 would
// be the other common choice; black matches what the system's own decoder leaves).
void DecodeRle(const Bytes& file, uint64_t at, const Header& h, const Palette& palette, DecodedImage& image) {
    const bool four = h.compression == kRle4;
    int x = 0, row = 0;  // row counted from the bottom
    auto put = [&](uint8_t index) {
        if (x < image.width && row < image.height) Put(image, x, image.height - 1 - row, palette[index]);
        ++x;
    };
    for (;;) {
        if (!file.has(at, 2)) Invalid();  // the data must end with its end-of-bitmap mark
        const uint8_t count = file.u8(at), value = file.u8(at + 1);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four ? (i % 2 ? value & 0xF : value >> 4) : value);
            continue;
        }
        if (value == 0) { x = 0; ++row; continue; }   // end of line
        if (value == 1) return;                       // end of bitmap
        if (value == 2) {                             // delta
            x += file.u8(at);
            row += file.u8(at + 1);
            at += 2;
            continue;
        }
        // An absolute run of `value` pixels, padded to a 16-bit boundary.
        const uint64_t bytes = four ? (value + 1) / 2 : value;
        if (!file.has(at, bytes)) Invalid();
        for (int i = 0; i < value; ++i) {
            const uint8_t b = file.u8(at + (four ? i / 2 : i));
            put(four ? (i % 2 ? b & 0xF : b >> 4) : b);
        }
        at += (bytes + 1) & ~uint64_t{1};
        if (row > image.height) return;
    }
}

}  // namespace

DecodedImage DecodeBmp(const uint8_t* data, size_t size) {
    const Bytes file(data, size);
    if (size < 26 || data[0] != 'B' || data[1] != 'M') Invalid();
    const Header h = ReadHeader(file);
    Validate(h);
    const Palette palette = ReadPalette(file, h);

    uint64_t bits = file.u32(10);
    if (bits == 0) bits = h.paletteOffset;  // some writers leave the offset out
    if (bits >= size) Invalid();

    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    const uint64_t rows = h.height < 0 ? uint64_t(-int64_t{h.height}) : uint64_t(h.height);
    if (!rle && !file.has(bits, RowStride(h) * rows)) Invalid();  // checked before allocating

    DecodedImage image;
    image.width = h.width;
    image.height = h.height < 0 ? -h.height : h.height;
    image.pixels.assign(size_t(image.width) * image.height * 4, 0);
    for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
    if (rle)
        DecodeRle(file, bits, h, palette, image);
    else
        DecodeUncompressed(file, bits, h, palette, image);
    return image;
}

}  // namespace sav
