#include "engine/parse/bitmap_decoder.h"

#include <algorithm>
#include <memory>

#include "engine/parse/inflate.h"
#include "engine/parse/jpeg_decoder.h"

namespace swf {
namespace {

// Any bytes of pixel data past what the image needs are ignored; this much slack is inflated.
constexpr size_t kInflateSlack = 64 * 1024;

std::vector<uint8_t> inflatePixels(const std::vector<uint8_t>& zlibData, size_t needed, const char* what) {
    InflateResult z = inflateCapped(zlibData, needed + kInflateSlack, what);
    if (z.data.size() < needed) throw ParseError(ParseError::Kind::Truncated, std::string(what) + " ends early");
    return std::move(z.data);
}

uint8_t premultiply(uint8_t c, uint8_t a) { return static_cast<uint8_t>((c * a + 127) / 255); }

RgbaImage decodeLossless(const EncodedBitmap& b) {
    const int w = b.width, h = b.height;
    RgbaImage img;
    if (w == 0 || h == 0) return img;
    const size_t sw = static_cast<size_t>(w);
    if (b.losslessFormat == 3) {
        const size_t entry = b.hasAlpha ? 4 : 3;
        const size_t table = b.colorTableSize * entry;
        const size_t stride = (sw + 3) & ~size_t{3};
        std::vector<uint8_t> d = inflatePixels(b.zlibData, table + stride * static_cast<size_t>(h), "bitmap pixels");
        img = RgbaImage(w, h);  // only once the data is known to fill it
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = d.data() + table + stride * static_cast<size_t>(y);
            uint8_t* out = img.row(y);
            for (size_t x = 0; x < sw; ++x, out += 4) {
                size_t i = row[x];
                if (i >= b.colorTableSize) continue;  // an index past the table is transparent
                const uint8_t* c = d.data() + i * entry;
                uint8_t a = b.hasAlpha ? c[3] : 255;
                // Colour-mapped alpha bitmaps store their colours premultiplied already.
                out[0] = std::min(c[0], a);
                out[1] = std::min(c[1], a);
                out[2] = std::min(c[2], a);
                out[3] = a;
            }
        }
    } else if (b.losslessFormat == 4) {
        const size_t stride = (sw * 2 + 3) & ~size_t{3};
        std::vector<uint8_t> d = inflatePixels(b.zlibData, stride * static_cast<size_t>(h), "bitmap pixels");
        img = RgbaImage(w, h);
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = d.data() + stride * static_cast<size_t>(y);
            uint8_t* out = img.row(y);
            for (size_t x = 0; x < sw; ++x, out += 4) {
                unsigned v = static_cast<unsigned>(row[2 * x] << 8 | row[2 * x + 1]);
                auto expand = [](unsigned five) { return static_cast<uint8_t>(five << 3 | five >> 2); };
                out[0] = expand(v >> 10 & 31);
                out[1] = expand(v >> 5 & 31);
                out[2] = expand(v & 31);
                out[3] = 255;
            }
        }
    } else {
        std::vector<uint8_t> d = inflatePixels(b.zlibData, sw * 4 * static_cast<size_t>(h), "bitmap pixels");
        img = RgbaImage(w, h);
        for (int y = 0; y < h; ++y) {
            const uint8_t* in = d.data() + sw * 4 * static_cast<size_t>(y);
            uint8_t* out = img.row(y);
            for (size_t x = 0; x < sw; ++x, in += 4, out += 4) {
                uint8_t a = b.hasAlpha ? in[0] : 255;
                out[0] = std::min(in[1], a);
                out[1] = std::min(in[2], a);
                out[2] = std::min(in[3], a);
                out[3] = a;
            }
        }
    }
    return img;
}

RgbaImage decodeJpegBitmap(const EncodedBitmap& b, std::span<const uint8_t> tables, int maxDimension) {
    const auto& d = b.imageData;
    if (d.size() >= 8 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G')
        throw ParseError(ParseError::Kind::Unsupported, "PNG data in a JPEG bitmap tag is not supported");
    if (d.size() >= 6 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F')
        throw ParseError(ParseError::Kind::Unsupported, "GIF data in a JPEG bitmap tag is not supported");
    RgbaImage img = decodeJpeg(d, b.usesMovieTables ? tables : std::span<const uint8_t>{}, maxDimension);
    if (!b.alphaData.empty()) {
        size_t pixels = static_cast<size_t>(img.width) * static_cast<size_t>(img.height);
        std::vector<uint8_t> alpha = inflatePixels(b.alphaData, pixels, "bitmap alpha plane");
        for (size_t i = 0; i < pixels; ++i) {
            uint8_t* p = img.pixels.data() + i * 4;
            uint8_t a = alpha[i];
            p[0] = premultiply(p[0], a);
            p[1] = premultiply(p[1], a);
            p[2] = premultiply(p[2], a);
            p[3] = a;
        }
    }
    return img;
}

}  // namespace

BitmapRef decodeBitmap(const EncodedBitmap& bitmap, std::span<const uint8_t> jpegTables, std::string& error,
                       int maxDimension) {
    try {
        if (bitmap.kind == EncodedBitmap::Kind::Lossless &&
            (bitmap.width > maxDimension || bitmap.height > maxDimension))
            throw ParseError(ParseError::Kind::Limit, "bitmap larger than " + std::to_string(maxDimension) +
                                                          " pixels on a side (limit)");
        RgbaImage img = bitmap.kind == EncodedBitmap::Kind::Lossless ? decodeLossless(bitmap)
                                                                     : decodeJpegBitmap(bitmap, jpegTables, maxDimension);
        return std::make_shared<const RgbaImage>(std::move(img));
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
}

}  // namespace swf
