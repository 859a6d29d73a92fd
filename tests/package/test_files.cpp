#include "tests/package/test_files.h"

#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>

namespace testfiles {

namespace {
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
}  // namespace

std::vector<uint8_t> Executable(const std::vector<Section>& sections, size_t fileSize, bool pe32Plus,
                                uint16_t optionalSizeField) {
    const size_t pe = 0x80;
    const size_t optional = pe32Plus ? 240 : 224;
    const size_t table = pe + 24 + optional;
    const size_t headers = table + 40 * sections.size();
    std::vector<uint8_t> b(fileSize > headers ? fileSize : headers, 0);
    b[0] = 'M', b[1] = 'Z';
    Put32(b, 60, pe);
    b[pe] = 'P', b[pe + 1] = 'E';
    Put16(b, pe + 4, pe32Plus ? 0x8664 : 0x14C);
    Put16(b, pe + 6, static_cast<uint16_t>(sections.size()));
    Put16(b, pe + 20, pe32Plus ? 240 : optionalSizeField);
    Put16(b, pe + 24, pe32Plus ? 0x20B : 0x10B);
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t entry = table + 40 * i;
        b[entry] = '.', b[entry + 1] = static_cast<uint8_t>('a' + i % 26);
        Put32(b, entry + 16, sections[i].rawSize);
        Put32(b, entry + 20, sections[i].rawPointer);
    }
    return b;
}

std::vector<uint8_t> Bitmap24(int width, int height, const std::vector<uint32_t>& rgb) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> b(54 + stride * height, 0);
    b[0] = 'B', b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &b[54 + stride * (height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            const uint32_t c = rgb[size_t(y) * width + x];
            row[x * 3] = uint8_t(c), row[x * 3 + 1] = uint8_t(c >> 8), row[x * 3 + 2] = uint8_t(c >> 16);
        }
    }
    return b;
}

std::vector<uint8_t> SolidJpeg(int width, int height, uint32_t rgb) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(width) * 3);
    for (int x = 0; x < width; ++x)
        row[x * 3] = uint8_t(rgb >> 16), row[x * 3 + 1] = uint8_t(rgb >> 8), row[x * 3 + 2] = uint8_t(rgb);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void Append32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void AppendText(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

}  // namespace testfiles
