#include "engine/avm1/action_reader.h"

#include <cstring>

namespace swf::avm1 {

bool readAction(const uint8_t* bytes, size_t end, size_t pc, ActionRecord& out) {
    if (pc >= end) return false;
    out.code = bytes[pc];
    if (out.code < 0x80) {
        out.data = out.dataEnd = out.next = pc + 1;
        return true;
    }
    if (end - pc < 3) return false;
    size_t length = size_t(bytes[pc + 1]) | size_t(bytes[pc + 2]) << 8;
    if (end - pc - 3 < length) return false;
    out.data = pc + 3;
    out.dataEnd = out.next = pc + 3 + length;
    return true;
}

uint8_t FieldReader::u8() {
    if (pos_ >= end_) { ok_ = false; return 0; }
    return b_[pos_++];
}

uint16_t FieldReader::u16() {
    uint16_t lo = u8();
    return uint16_t(lo | u8() << 8);
}

uint32_t FieldReader::u32() {
    uint32_t lo = u16();
    return lo | uint32_t(u16()) << 16;
}

float FieldReader::f32() {
    uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double FieldReader::f64() {
    uint64_t hi = u32();
    uint64_t bits = hi << 32 | u32();
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

std::string FieldReader::str() {
    std::string s;
    while (pos_ < end_ && b_[pos_] != 0) s += char(b_[pos_++]);
    if (pos_ >= end_) { ok_ = false; return s; }
    ++pos_;
    return s;
}

}  // namespace swf::avm1
