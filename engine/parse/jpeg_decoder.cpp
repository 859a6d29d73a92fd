#include "engine/parse/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include "engine/parse/parser.h"

namespace swf {
namespace {

// libjpeg's default error handler ends the process. Ours jumps back to the decoding call instead:
// a longjmp, not a C++ throw, because libjpeg's C frames may have no unwind information.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr, int) {}  // warnings (such as premature end of data) are not fatal

struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
};

// Runs libjpeg on `jpeg`; fills `out` (RGBA rows, alpha 255) and the size. No C++ object with a destructor lives
// in this frame while libjpeg can jump. Returns false with `err.message` set on failure.
bool runLibjpeg(Decoder& d, std::span<const uint8_t> tables, std::span<const uint8_t> jpeg, int maxDimension,
                std::vector<uint8_t>& out, int& width, int& height) {
    d.cinfo.err = jpeg_std_error(&d.err.base);
    d.err.base.error_exit = onError;
    d.err.base.emit_message = onMessage;
    d.err.message[0] = 0;
    if (setjmp(d.err.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_create_decompress(&d.cinfo);
    if (!tables.empty()) {
        jpeg_mem_src(&d.cinfo, tables.data(), static_cast<unsigned long>(tables.size()));
        jpeg_read_header(&d.cinfo, FALSE);
    }
    jpeg_mem_src(&d.cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d.cinfo, TRUE);
    if (static_cast<int>(d.cinfo.image_width) > maxDimension || static_cast<int>(d.cinfo.image_height) > maxDimension) {
        std::snprintf(d.err.message, sizeof d.err.message, "JPEG of %ux%u pixels is larger than %d (limit)",
                      d.cinfo.image_width, d.cinfo.image_height, maxDimension);
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    d.cinfo.out_color_space = JCS_EXT_RGBA;  // straight into the pixel layout: no second buffer
    jpeg_start_decompress(&d.cinfo);
    width = static_cast<int>(d.cinfo.output_width);
    height = static_cast<int>(d.cinfo.output_height);
    // The vector is sized before decoding starts; libjpeg only writes into it.
    out.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW row = out.data() + static_cast<size_t>(d.cinfo.output_scanline) * static_cast<size_t>(width) * 4;
        jpeg_read_scanlines(&d.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    return true;
}

}  // namespace

std::vector<uint8_t> repairJpegHeader(std::span<const uint8_t> d) {
    std::vector<uint8_t> out;
    out.reserve(d.size());
    size_t i = 0;
    // Walk the header markers up to the start of scan; past it the entropy-coded data is copied as is.
    while (i + 1 < d.size()) {
        if (d[i] != 0xFF) break;
        uint8_t m = d[i + 1];
        if (m == 0xD9 && i + 3 < d.size() && d[i + 2] == 0xFF && d[i + 3] == 0xD8) {
            i += 4;  // an end-of-image and start-of-image pair: drop both
            if (out.empty()) {
                out.push_back(0xFF);
                out.push_back(0xD8);
            }
            continue;
        }
        if (m == 0xD8) {
            if (out.empty()) {
                out.push_back(0xFF);
                out.push_back(0xD8);
            }
            i += 2;
            continue;
        }
        if (m == 0xDA || i + 4 > d.size()) break;
        size_t length = static_cast<size_t>(d[i + 2] << 8 | d[i + 3]);
        if (length < 2 || i + 2 + length > d.size()) break;
        out.insert(out.end(), d.begin() + static_cast<std::ptrdiff_t>(i),
                   d.begin() + static_cast<std::ptrdiff_t>(i + 2 + length));
        i += 2 + length;
    }
    out.insert(out.end(), d.begin() + static_cast<std::ptrdiff_t>(i), d.end());
    return out;
}

RgbaImage decodeJpeg(std::span<const uint8_t> jpeg, std::span<const uint8_t> tables, int maxDimension) {
    std::vector<uint8_t> image = repairJpegHeader(jpeg);
    std::vector<uint8_t> fixedTables = repairJpegHeader(tables);
    if (image.size() < 4) throw ParseError(ParseError::Kind::Malformed, "JPEG data too short");
    auto decoder = std::make_unique<Decoder>();
    RgbaImage img;
    if (!runLibjpeg(*decoder, fixedTables, image, maxDimension, img.pixels, img.width, img.height))
        throw ParseError(ParseError::Kind::Malformed, std::string("JPEG: ") + decoder->err.message);
    return img;
}

}  // namespace swf
