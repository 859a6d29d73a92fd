// A bounds-checked reader over one slice of bytes: whole values little-endian, bit fields most
// significant bit first. Reading past the slice throws ParseError(Truncated); nothing reads outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/parse/parser.h"

namespace swf {

class SwfReader {
public:
    explicit SwfReader(std::span<const uint8_t> data) : data_(data) {}

    size_t position() const { return pos_; }
    size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int16_t s16() { return static_cast<int16_t>(u16()); }
    double fixed8();   // signed 8.8
    double fixed16();  // signed 16.16
    std::span<const uint8_t> bytes(size_t n);
    std::vector<uint8_t> copy(size_t n);
    std::span<const uint8_t> rest() { return bytes(remaining()); }
    void skip(size_t n) { bytes(n); }
    std::string string();  // NUL-terminated; a missing terminator is a truncation

    // Bit fields. Whole-value reads first drop the rest of a partly read byte.
    uint32_t ub(int bits);
    int32_t sb(int bits);
    double fb(int bits);  // 16.16
    bool flag() { return ub(1) != 0; }
    void align() { bitCount_ = 0; }

    Rect rect();
    Matrix matrix();
    ColorTransform cxform(bool withAlpha);
    Rgba rgb();
    Rgba rgba();

    // A reader over the next `n` bytes, which this reader then skips.
    SwfReader sub(size_t n) { return SwfReader(bytes(n)); }

private:
    void need(size_t n) const;

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    uint8_t bitBuffer_ = 0;
    int bitCount_ = 0;
};

[[noreturn]] void throwMalformed(const std::string& what);

}  // namespace swf
