#include "engine/parse/bitmap_decode.h"

#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "engine/parse/limits.h"
#include "engine/parse/reader.h"

namespace swf {

namespace {

void checkSize(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) throw ParseError("bitmap has no pixels");
    if (width > limits::kMaxBitmapSide || height > limits::kMaxBitmapSide ||
        static_cast<size_t>(width) * height > limits::kMaxBitmapPixels)
        throw ParseError("bitmap is too large");
}

// Inflates exactly up to `expected` bytes; fewer bytes is an error, more are ignored.
std::vector<uint8_t> inflateExactly(const std::vector<uint8_t>& data, size_t expected) {
    std::vector<uint8_t> out(expected);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw ParseError("zlib could not start");
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(expected);
    int status = Z_OK;
    while (z.avail_out > 0 && status == Z_OK) status = inflate(&z, Z_SYNC_FLUSH);
    size_t produced = expected - z.avail_out;
    inflateEnd(&z);
    if (produced < expected) throw ParseError("bitmap data is cut short");
    return out;
}

// The JPEG data of a movie may carry a stray end-and-start pair (FF D9 FF D8) where tables and
// image were joined; libjpeg wants one stream.
std::vector<uint8_t> joinJpegStream(const std::vector<uint8_t>& tables, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> joined;
    joined.reserve(tables.size() + data.size());
    joined.insert(joined.end(), tables.begin(), tables.end());
    joined.insert(joined.end(), data.begin(), data.end());
    std::vector<uint8_t> clean;
    clean.reserve(joined.size());
    for (size_t i = 0; i < joined.size(); ++i) {
        if (i + 3 < joined.size() && joined[i] == 0xFF && joined[i + 1] == 0xD9 && joined[i + 2] == 0xFF &&
            joined[i + 3] == 0xD8) {
            i += 3;
            if (clean.empty()) clean.insert(clean.end(), {0xFF, 0xD8});
            continue;
        }
        clean.push_back(joined[i]);
    }
    return clean;
}

struct JpegErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegErrorManager*>(info->err);
    info->err->format_message(info, err->message);
    longjmp(err->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

}  // namespace

RgbaImage decodeJpeg(const std::vector<uint8_t>& jpeg) {
    jpeg_decompress_struct info{};
    JpegErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = jpegErrorExit;
    err.base.emit_message = jpegSilence;
    RgbaImage image;
    std::vector<uint8_t> row;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        throw ParseError(std::string("damaged JPEG image: ") + err.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > limits::kMaxBitmapSide ||
        info.image_height > limits::kMaxBitmapSide ||
        static_cast<size_t>(info.image_width) * info.image_height > limits::kMaxBitmapPixels) {
        jpeg_destroy_decompress(&info);
        throw ParseError("JPEG image is too large");
    }
    jpeg_start_decompress(&info);
    image = RgbaImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    row.resize(static_cast<size_t>(info.output_width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, rows, 1);
        uint8_t* out = image.row(y);
        for (uint32_t x = 0; x < info.output_width; ++x) {
            out[x * 4] = row[x * 3];
            out[x * 4 + 1] = row[x * 3 + 1];
            out[x * 4 + 2] = row[x * 3 + 2];
            out[x * 4 + 3] = 255;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

static RgbaImage decodeLossless(const BitmapDefinition& b) {
    checkSize(b.width, b.height);
    const bool alpha = b.format == BitmapFormat::LosslessAlpha;
    RgbaImage image(b.width, b.height);
    const size_t w = b.width, h = b.height;
    if (b.losslessFormat == 3) {
        size_t entries = static_cast<size_t>(b.colorTableSize) + 1;
        size_t entryBytes = alpha ? 4 : 3;
        size_t stride = (w + 3) & ~size_t(3);
        std::vector<uint8_t> raw = inflateExactly(b.data, entries * entryBytes + stride * h);
        for (size_t y = 0; y < h; ++y) {
            uint8_t* out = image.row(static_cast<int>(y));
            for (size_t x = 0; x < w; ++x) {
                size_t index = raw[entries * entryBytes + y * stride + x];
                if (index >= entries) continue;  // transparent black
                const uint8_t* c = &raw[index * entryBytes];
                uint8_t a = alpha ? c[3] : 255;
                out[x * 4] = std::min(c[0], a);
                out[x * 4 + 1] = std::min(c[1], a);
                out[x * 4 + 2] = std::min(c[2], a);
                out[x * 4 + 3] = a;
            }
        }
    } else if (b.losslessFormat == 4) {
        size_t stride = (w * 2 + 3) & ~size_t(3);
        std::vector<uint8_t> raw = inflateExactly(b.data, stride * h);
        for (size_t y = 0; y < h; ++y) {
            uint8_t* out = image.row(static_cast<int>(y));
            for (size_t x = 0; x < w; ++x) {
                uint16_t p = static_cast<uint16_t>((raw[y * stride + x * 2] << 8) | raw[y * stride + x * 2 + 1]);
                auto expand = [](int v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); };
                out[x * 4] = expand((p >> 10) & 31);
                out[x * 4 + 1] = expand((p >> 5) & 31);
                out[x * 4 + 2] = expand(p & 31);
                out[x * 4 + 3] = 255;
            }
        }
    } else if (b.losslessFormat == 5) {
        std::vector<uint8_t> raw = inflateExactly(b.data, w * h * 4);
        for (size_t y = 0; y < h; ++y) {
            uint8_t* out = image.row(static_cast<int>(y));
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* p = &raw[(y * w + x) * 4];
                uint8_t a = alpha ? p[0] : 255;
                out[x * 4] = std::min(p[1], a);
                out[x * 4 + 1] = std::min(p[2], a);
                out[x * 4 + 2] = std::min(p[3], a);
                out[x * 4 + 3] = a;
            }
        }
    } else {
        throw ParseError("unknown lossless bitmap format " + std::to_string(b.losslessFormat));
    }
    return image;
}

RgbaImage decodeBitmap(const BitmapDefinition& bitmap, const std::vector<uint8_t>& jpegTables) {
    if (bitmap.format == BitmapFormat::Lossless || bitmap.format == BitmapFormat::LosslessAlpha)
        return decodeLossless(bitmap);
    const auto& data = bitmap.data;
    if (data.size() >= 4 && data[0] == 0x89 && data[1] == 'P')
        throw ParseError("PNG data in a JPEG bitmap is not supported");
    if (data.size() >= 4 && data[0] == 'G' && data[1] == 'I')
        throw ParseError("GIF data in a JPEG bitmap is not supported");
    RgbaImage image = decodeJpeg(joinJpegStream(bitmap.usesJpegTables ? jpegTables : std::vector<uint8_t>{}, data));
    if (bitmap.format == BitmapFormat::JpegWithAlpha && !bitmap.alphaData.empty()) {
        size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
        std::vector<uint8_t> alpha;
        try {
            alpha = inflateExactly(bitmap.alphaData, count);
        } catch (const ParseError&) {
            return image;  // a damaged alpha plane leaves the picture opaque
        }
        for (size_t i = 0; i < count; ++i) {
            uint8_t* p = &image.pixels[i * 4];
            uint8_t a = alpha[i];
            p[0] = static_cast<uint8_t>(p[0] * a / 255);
            p[1] = static_cast<uint8_t>(p[1] * a / 255);
            p[2] = static_cast<uint8_t>(p[2] * a / 255);
            p[3] = a;
        }
    }
    return image;
}

}  // namespace swf
