#include "tools/swfrender/png_output.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace swfrender {

namespace {
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
}  // namespace

bool writePng(const swf::RgbaImage& image, const std::string& path, std::string& error) {
    if (image.empty()) {
        error = "nothing to write: the image is empty";
        return false;
    }
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory writing " + path;
        return false;
    }
    // Straight alpha rows, made before libpng may jump out of this frame.
    std::vector<uint8_t> straight(image.pixels.size());
    for (size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
        uint8_t a = image.pixels[i + 3];
        for (int c = 0; c < 3; ++c)
            straight[i + c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255, (image.pixels[i + c] * 255 + a / 2) / a));
        straight[i + 3] = a;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        rows[y] = straight.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width) * 4;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "cannot write " + path;
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace swfrender
