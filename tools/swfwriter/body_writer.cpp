#include <algorithm>
#include <cmath>

#include "tools/swfwriter/swf_writer.h"

namespace swfw {

int sbits(int64_t v) {
    int n = 1;
    while (n < 32 && (v < -(int64_t{1} << (n - 1)) || v >= (int64_t{1} << (n - 1)))) ++n;
    return n;
}

int ubits(uint64_t v) {
    int n = 0;
    while (n < 32 && v >= (uint64_t{1} << n)) ++n;
    return n;
}

void BodyWriter::u8(uint8_t v) {
    align();
    out_.push_back(v);
}

void BodyWriter::u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
}

void BodyWriter::u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
}

void BodyWriter::fixed8(double v) { u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 256)))); }
void BodyWriter::fixed16(double v) { u32(static_cast<uint32_t>(static_cast<int32_t>(std::llround(v * 65536)))); }

void BodyWriter::bytes(const std::vector<uint8_t>& data) {
    align();
    out_.insert(out_.end(), data.begin(), data.end());
}

void BodyWriter::string(const std::string& s) {
    align();
    out_.insert(out_.end(), s.begin(), s.end());
    out_.push_back(0);
}

void BodyWriter::ub(int bits, uint32_t v) {
    for (int i = bits - 1; i >= 0; --i) {
        partial_ = static_cast<uint8_t>(partial_ << 1 | ((v >> i) & 1u));
        if (++partialBits_ == 8) {
            out_.push_back(partial_);
            partial_ = 0;
            partialBits_ = 0;
        }
    }
}

void BodyWriter::sb(int bits, int32_t v) { ub(bits, static_cast<uint32_t>(v)); }

void BodyWriter::fb(int bits, double v) { sb(bits, static_cast<int32_t>(std::llround(v * 65536))); }

void BodyWriter::align() {
    if (partialBits_ == 0) return;
    out_.push_back(static_cast<uint8_t>(partial_ << (8 - partialBits_)));
    partial_ = 0;
    partialBits_ = 0;
}

void BodyWriter::rect(const swf::Rect& r) {
    align();
    int32_t v[4] = {static_cast<int32_t>(std::lround(r.xMin)), static_cast<int32_t>(std::lround(r.xMax)),
                    static_cast<int32_t>(std::lround(r.yMin)), static_cast<int32_t>(std::lround(r.yMax))};
    int n = 1;
    for (int32_t x : v) n = std::max(n, sbits(x));
    ub(5, static_cast<uint32_t>(n));
    for (int32_t x : v) sb(n, x);
    align();
}

void BodyWriter::matrix(const swf::Matrix& m) {
    align();
    auto fixed = [](double x) { return std::llround(x * 65536); };
    bool hasScale = m.a != 1 || m.d != 1;
    ub(1, hasScale);
    if (hasScale) {
        int n = std::max(sbits(fixed(m.a)), sbits(fixed(m.d)));
        ub(5, static_cast<uint32_t>(n));
        fb(n, m.a);
        fb(n, m.d);
    }
    bool hasRotate = m.b != 0 || m.c != 0;
    ub(1, hasRotate);
    if (hasRotate) {
        int n = std::max(sbits(fixed(m.b)), sbits(fixed(m.c)));
        ub(5, static_cast<uint32_t>(n));
        fb(n, m.b);
        fb(n, m.c);
    }
    int32_t tx = static_cast<int32_t>(std::lround(m.tx)), ty = static_cast<int32_t>(std::lround(m.ty));
    int n = (tx == 0 && ty == 0) ? 0 : std::max(sbits(tx), sbits(ty));
    ub(5, static_cast<uint32_t>(n));
    sb(n, tx);
    sb(n, ty);
    align();
}

void BodyWriter::cxform(const swf::ColorTransform& c, bool withAlpha) {
    align();
    int32_t mul[4] = {static_cast<int32_t>(std::lround(c.rMul * 256)), static_cast<int32_t>(std::lround(c.gMul * 256)),
                      static_cast<int32_t>(std::lround(c.bMul * 256)), static_cast<int32_t>(std::lround(c.aMul * 256))};
    int32_t add[4] = {static_cast<int32_t>(std::lround(c.rAdd)), static_cast<int32_t>(std::lround(c.gAdd)),
                      static_cast<int32_t>(std::lround(c.bAdd)), static_cast<int32_t>(std::lround(c.aAdd))};
    int count = withAlpha ? 4 : 3;
    bool hasMul = false, hasAdd = false;
    int n = 1;
    for (int i = 0; i < count; ++i) {
        hasMul = hasMul || mul[i] != 256;
        hasAdd = hasAdd || add[i] != 0;
    }
    for (int i = 0; i < count; ++i) {
        if (hasMul) n = std::max(n, sbits(mul[i]));
        if (hasAdd) n = std::max(n, sbits(add[i]));
    }
    n = std::min(n, 15);
    ub(1, hasAdd);
    ub(1, hasMul);
    ub(4, static_cast<uint32_t>(n));
    if (hasMul)
        for (int i = 0; i < count; ++i) sb(n, mul[i]);
    if (hasAdd)
        for (int i = 0; i < count; ++i) sb(n, add[i]);
    align();
}

void BodyWriter::rgb(swf::Rgba c) {
    u8(c.r);
    u8(c.g);
    u8(c.b);
}

void BodyWriter::rgba(swf::Rgba c) {
    rgb(c);
    u8(c.a);
}

}  // namespace swfw
