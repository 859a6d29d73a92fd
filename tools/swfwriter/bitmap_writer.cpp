// The bitmap tags of SwfWriter, and JPEG encoding through libjpeg.
#include <zlib.h>

#include <cstdlib>
#include <map>
#include <stdexcept>

#include <jpeglib.h>

#include "tools/swfwriter/swf_writer.h"

namespace swfw {
namespace {

std::vector<uint8_t> deflate(const std::vector<uint8_t>& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 6) != Z_OK)
        throw std::runtime_error("zlib could not compress bitmap data");
    out.resize(size);
    return out;
}

uint8_t premultiplied(uint8_t c, uint8_t a) { return static_cast<uint8_t>((c * a + 127) / 255); }

}  // namespace

void SwfWriter::defineBitsLosslessRaw(uint16_t id, int version, int format, uint16_t width, uint16_t height,
                                      std::optional<uint8_t> colorTableSizeMinusOne,
                                      const std::vector<uint8_t>& zlibData) {
    BodyWriter w;
    w.u16(id);
    w.u8(static_cast<uint8_t>(format));
    w.u16(width);
    w.u16(height);
    if (colorTableSizeMinusOne) w.u8(*colorTableSizeMinusOne);
    w.bytes(zlibData);
    tag(version >= 2 ? kDefineBitsLossless2 : kDefineBitsLossless, w.data(), true);
}

void SwfWriter::defineBitsLossless(uint16_t id, const swf::RgbaImage& img, int format, bool withAlpha) {
    const size_t w = static_cast<size_t>(img.width), h = static_cast<size_t>(img.height);
    std::vector<uint8_t> data;
    std::optional<uint8_t> tableSize;
    if (format == 3) {
        std::map<uint32_t, uint8_t> index;
        std::vector<uint8_t> table, pixels;
        const size_t stride = (w + 3) & ~size_t{3};
        for (size_t y = 0; y < h; ++y) {
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* p = img.at(static_cast<int>(x), static_cast<int>(y));
                uint8_t a = withAlpha ? p[3] : 255;
                uint32_t key = static_cast<uint32_t>(p[0] << 24 | p[1] << 16 | p[2] << 8 | a);
                auto it = index.find(key);
                if (it == index.end()) {
                    if (index.size() == 256) throw std::invalid_argument("colour-mapped bitmap with over 256 colours");
                    it = index.emplace(key, static_cast<uint8_t>(index.size())).first;
                    table.push_back(withAlpha ? premultiplied(p[0], a) : p[0]);
                    table.push_back(withAlpha ? premultiplied(p[1], a) : p[1]);
                    table.push_back(withAlpha ? premultiplied(p[2], a) : p[2]);
                    if (withAlpha) table.push_back(a);
                }
                pixels.push_back(it->second);
            }
            pixels.resize((y + 1) * stride, 0);
        }
        tableSize = static_cast<uint8_t>(index.empty() ? 0 : index.size() - 1);
        data = table;
        data.insert(data.end(), pixels.begin(), pixels.end());
    } else if (format == 4) {
        const size_t stride = (w * 2 + 3) & ~size_t{3};
        for (size_t y = 0; y < h; ++y) {
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* p = img.at(static_cast<int>(x), static_cast<int>(y));
                unsigned v = static_cast<unsigned>((p[0] >> 3) << 10 | (p[1] >> 3) << 5 | (p[2] >> 3));
                data.push_back(static_cast<uint8_t>(v >> 8));
                data.push_back(static_cast<uint8_t>(v));
            }
            data.resize((y + 1) * stride, 0);
        }
    } else {
        for (size_t y = 0; y < h; ++y)
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* p = img.at(static_cast<int>(x), static_cast<int>(y));
                uint8_t a = withAlpha ? p[3] : 255;
                data.push_back(withAlpha ? a : 0);
                data.push_back(withAlpha ? premultiplied(p[0], a) : p[0]);
                data.push_back(withAlpha ? premultiplied(p[1], a) : p[1]);
                data.push_back(withAlpha ? premultiplied(p[2], a) : p[2]);
            }
    }
    defineBitsLosslessRaw(id, withAlpha ? 2 : 1, format, static_cast<uint16_t>(w), static_cast<uint16_t>(h), tableSize,
                          deflate(data));
}

void SwfWriter::jpegTables(const std::vector<uint8_t>& tables) { tag(kJpegTables, tables, true); }

void SwfWriter::defineBits(uint16_t id, const std::vector<uint8_t>& image) {
    BodyWriter w;
    w.u16(id);
    w.bytes(image);
    tag(kDefineBits, w.data(), true);
}

void SwfWriter::defineBitsJpeg2(uint16_t id, const std::vector<uint8_t>& jpeg) {
    BodyWriter w;
    w.u16(id);
    w.bytes(jpeg);
    tag(kDefineBitsJpeg2, w.data(), true);
}

void SwfWriter::defineBitsJpeg3(uint16_t id, const std::vector<uint8_t>& jpeg, const std::vector<uint8_t>& alpha,
                                std::optional<double> deblocking) {
    BodyWriter w;
    w.u16(id);
    w.u32(static_cast<uint32_t>(jpeg.size()));
    if (deblocking) w.fixed8(*deblocking);
    w.bytes(jpeg);
    if (!alpha.empty()) w.bytes(deflate(alpha));
    tag(deblocking ? kDefineBitsJpeg4 : kDefineBitsJpeg3, w.data(), true);
}

std::vector<uint8_t> encodeJpeg(const swf::RgbaImage& img, int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(img.width);
    c.image_height = static_cast<JDIMENSION>(img.height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(img.width) * 3);
    while (c.next_scanline < c.image_height) {
        const uint8_t* p = img.row(static_cast<int>(c.next_scanline));
        for (int x = 0; x < img.width; ++x) {
            row[static_cast<size_t>(x) * 3] = p[x * 4];
            row[static_cast<size_t>(x) * 3 + 1] = p[x * 4 + 1];
            row[static_cast<size_t>(x) * 3 + 2] = p[x * 4 + 2];
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return out;
}

}  // namespace swfw
