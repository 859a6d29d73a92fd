// Bounds-checked readers over a slice of bytes: every read past the end throws ParseError, so a
// truncated or lying length can never read outside the slice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace swf {

class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t position() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }
    const uint8_t* current() const { return data_ + pos_; }

    void need(size_t n) const {
        if (n > remaining()) throw ParseError("unexpected end of data");
    }
    void skip(size_t n) {
        need(n);
        pos_ += n;
    }
    uint8_t u8() {
        need(1);
        return data_[pos_++];
    }
    uint16_t u16() {
        need(2);
        uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    uint32_t u32() {
        need(4);
        uint32_t v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                     (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    double fixed8() { return s16() / 256.0; }     // 8.8 signed fixed point
    double fixed16() { return static_cast<int32_t>(u32()) / 65536.0; }
    float f32() {
        uint32_t bits = u32();
        float f;
        static_assert(sizeof f == 4);
        __builtin_memcpy(&f, &bits, 4);
        return f;
    }
    // EncodedU32: 1 to 5 bytes, 7 bits each.
    uint32_t encodedU32() {
        uint32_t v = 0;
        for (int i = 0; i < 5; ++i) {
            uint8_t b = u8();
            v |= static_cast<uint32_t>(b & 0x7F) << (7 * i);
            if (!(b & 0x80)) break;
        }
        return v;
    }
    // A NUL-terminated string; the terminator is consumed. An unterminated string ends the slice.
    std::string string() {
        size_t start = pos_;
        while (pos_ < size_ && data_[pos_] != 0) ++pos_;
        std::string s(reinterpret_cast<const char*>(data_ + start), pos_ - start);
        if (pos_ < size_) ++pos_;
        return s;
    }
    std::string fixedString(size_t n) {
        need(n);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    std::vector<uint8_t> bytes(size_t n) {
        need(n);
        std::vector<uint8_t> v(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return v;
    }
    std::vector<uint8_t> rest() { return bytes(remaining()); }
    // A reader over bytes [start, start + n) of this reader's slice, wherever its position is.
    ByteReader slice(size_t start, size_t n) const {
        if (start > size_ || n > size_ - start) throw ParseError("offset outside its record");
        return ByteReader(data_ + start, n);
    }
    // A reader over the next n bytes; this reader moves past them.
    ByteReader sub(size_t n) {
        need(n);
        ByteReader r(data_ + pos_, n);
        pos_ += n;
        return r;
    }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
};

// Reads bit fields MSB first from a ByteReader; byte-aligned reads resume after align().
class BitReader {
public:
    explicit BitReader(ByteReader& bytes) : bytes_(&bytes) {}

    uint32_t ub(int bits) {
        uint32_t v = 0;
        for (int i = 0; i < bits; ++i) {
            if (bitsLeft_ == 0) {
                current_ = bytes_->u8();
                bitsLeft_ = 8;
            }
            --bitsLeft_;
            v = (v << 1) | ((current_ >> bitsLeft_) & 1);
        }
        return v;
    }
    int32_t sb(int bits) {
        if (bits == 0) return 0;
        uint32_t v = ub(bits);
        if (bits < 32 && (v & (1u << (bits - 1)))) v |= ~0u << bits;
        return static_cast<int32_t>(v);
    }
    double fb(int bits) { return sb(bits) / 65536.0; }
    bool flag() { return ub(1) != 0; }
    void align() { bitsLeft_ = 0; }

private:
    ByteReader* bytes_;
    uint8_t current_ = 0;
    int bitsLeft_ = 0;
};

}  // namespace swf
