// Files that package tests build by hand: executable headers, bitmaps, JPEG images, blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testfiles {

struct Section {
    uint32_t rawPointer;
    uint32_t rawSize;
};

// The first bytes of a Windows executable: DOS header, PE header and section table, padded
// with zeros to `fileSize` (at least the headers). `pe32Plus` writes the 0x20B magic and a
// 240-byte optional header; otherwise the 0x10B magic with `optionalSizeField` in the file
// header's size field (the reader must not consult it) and a 224-byte optional header.
std::vector<uint8_t> Executable(const std::vector<Section>& sections, size_t fileSize, bool pe32Plus = false,
                                uint16_t optionalSizeField = 224);

// A bottom-up 24-bit bitmap file; `rgb` holds width*height 0x00RRGGBB values, top row first.
std::vector<uint8_t> Bitmap24(int width, int height, const std::vector<uint32_t>& rgb);

// A baseline JPEG file of one colour, through libjpeg's compressor.
std::vector<uint8_t> SolidJpeg(int width, int height, uint32_t rgb);

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes);
void Append32(std::vector<uint8_t>& out, uint32_t value);
void AppendText(std::vector<uint8_t>& out, const std::string& text);

}  // namespace testfiles
