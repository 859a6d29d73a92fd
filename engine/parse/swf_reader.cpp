#include "engine/parse/swf_reader.h"

namespace swf {

void throwMalformed(const std::string& what) { throw ParseError(ParseError::Kind::Malformed, what); }

void SwfReader::need(size_t n) const {
    if (n > data_.size() - pos_) throw ParseError(ParseError::Kind::Truncated, "data ends inside a record");
}

uint8_t SwfReader::u8() {
    align();
    need(1);
    return data_[pos_++];
}

uint16_t SwfReader::u16() {
    align();
    need(2);
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

uint32_t SwfReader::u32() {
    align();
    need(4);
    uint32_t v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                 (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
}

double SwfReader::fixed8() { return static_cast<int16_t>(u16()) / 256.0; }
double SwfReader::fixed16() { return static_cast<int32_t>(u32()) / 65536.0; }

std::span<const uint8_t> SwfReader::bytes(size_t n) {
    align();
    need(n);
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
}

std::vector<uint8_t> SwfReader::copy(size_t n) {
    auto s = bytes(n);
    return {s.begin(), s.end()};
}

std::string SwfReader::string() {
    align();
    size_t end = pos_;
    while (end < data_.size() && data_[end] != 0) ++end;
    if (end >= data_.size()) throw ParseError(ParseError::Kind::Truncated, "string without its terminator");
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), end - pos_);
    pos_ = end + 1;
    return s;
}

uint32_t SwfReader::ub(int bits) {
    if (bits < 0 || bits > 32) throwMalformed("bit field wider than 32 bits");
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i) {
        if (bitCount_ == 0) {
            need(1);
            bitBuffer_ = data_[pos_++];
            bitCount_ = 8;
        }
        --bitCount_;
        v = (v << 1) | ((bitBuffer_ >> bitCount_) & 1u);
    }
    return v;
}

int32_t SwfReader::sb(int bits) {
    if (bits == 0) return 0;
    uint32_t v = ub(bits);
    if (bits < 32 && (v & (1u << (bits - 1)))) v |= ~0u << bits;  // sign-extend
    return static_cast<int32_t>(v);
}

double SwfReader::fb(int bits) { return sb(bits) / 65536.0; }

Rect SwfReader::rect() {
    align();
    int n = static_cast<int>(ub(5));
    Rect r;
    r.xMin = sb(n);
    r.xMax = sb(n);
    r.yMin = sb(n);
    r.yMax = sb(n);
    align();
    return r;
}

Matrix SwfReader::matrix() {
    align();
    Matrix m;
    if (flag()) {
        int n = static_cast<int>(ub(5));
        m.a = fb(n);
        m.d = fb(n);
    }
    if (flag()) {
        int n = static_cast<int>(ub(5));
        m.b = fb(n);
        m.c = fb(n);
    }
    int n = static_cast<int>(ub(5));
    m.tx = sb(n);
    m.ty = sb(n);
    align();
    return m;
}

ColorTransform SwfReader::cxform(bool withAlpha) {
    align();
    ColorTransform c;
    bool hasAdd = flag();
    bool hasMul = flag();
    int n = static_cast<int>(ub(4));
    if (hasMul) {
        c.rMul = sb(n) / 256.0f;
        c.gMul = sb(n) / 256.0f;
        c.bMul = sb(n) / 256.0f;
        if (withAlpha) c.aMul = sb(n) / 256.0f;
    }
    if (hasAdd) {
        c.rAdd = static_cast<float>(sb(n));
        c.gAdd = static_cast<float>(sb(n));
        c.bAdd = static_cast<float>(sb(n));
        if (withAlpha) c.aAdd = static_cast<float>(sb(n));
    }
    align();
    return c;
}

Rgba SwfReader::rgb() {
    Rgba c;
    c.r = u8();
    c.g = u8();
    c.b = u8();
    c.a = 255;
    return c;
}

Rgba SwfReader::rgba() {
    Rgba c = rgb();
    c.a = u8();
    return c;
}

}  // namespace swf
