#include "support/jpeg_decoder.h"

#include "support/error.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace sav {

namespace {

// libjpeg calls error_exit on a fatal error and must not return from it: we jump back to the
// decode call, which throws there. C++ exceptions must not cross libjpeg's C frames.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int code;
    char text[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->code = errors->base.msg_code;
    errors->base.format_message(info, errors->text);
    std::longjmp(errors->jump, 1);
}

// Warnings are quiet, except the one for data that ends early: a truncated file is damaged,
// not an image with a grey lower part.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) ErrorExit(info);
}

void OutputMessage(j_common_ptr) {}

// The part of the decoding that runs under setjmp: plain data only, so that the jump skips no
// destructor. Returns false with `errors` filled on failure.
bool Decode(const uint8_t* data, size_t size, ErrorManager* errors, jpeg_decompress_struct* info,
            DecodedImage* image) {
    if (setjmp(errors->jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, static_cast<unsigned long>(size));
    jpeg_read_header(info, TRUE);
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_calc_output_dimensions(info);
    if (info->output_width == 0 || info->output_height == 0 ||
        uint64_t{info->output_width} * info->output_height > kMaxPicturePixels) {
        errors->base.msg_code = JERR_IMAGE_TOO_BIG;
        ErrorExit(reinterpret_cast<j_common_ptr>(info));
    }
    jpeg_start_decompress(info);
    image->width = static_cast<int>(info->output_width);
    image->height = static_cast<int>(info->output_height);
    image->pixels.resize(size_t(image->width) * image->height * 4);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = &image->pixels[size_t(info->output_scanline) * image->width * 4];
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    if (cmyk) {
        // Adobe writes CMYK inverted: each channel already holds 255 - ink.
        for (size_t i = 0; i + 3 < image->pixels.size(); i += 4) {
            uint8_t* p = &image->pixels[i];
            const unsigned c = p[0], m = p[1], y = p[2], k = p[3];
            p[0] = uint8_t(y * k / 255), p[1] = uint8_t(m * k / 255), p[2] = uint8_t(c * k / 255), p[3] = 255;
        }
    }
    return true;
}

}  // namespace

DecodedImage DecodeJpeg(const uint8_t* data, size_t size) {
    ErrorManager errors{};
    jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.emit_message = EmitMessage;
    errors.base.output_message = OutputMessage;
    jpeg_decompress_struct info{};
    info.err = &errors.base;
    DecodedImage image;
    if (size == 0 || !Decode(data, size, &errors, &info, &image))
        throw Error("EJPEG", "JPEG error #" + std::to_string(errors.code) + ": " + errors.text);
    return image;
}

}  // namespace sav
