// Bounds-checked reading of action records and their fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace swf::avm1 {

struct ActionRecord {
    uint8_t code = 0;
    size_t data = 0;     // first byte of the record's fields
    size_t dataEnd = 0;  // one past the last
    size_t next = 0;     // where the following record starts
};

// Reads the record at `pc` of bytes[0, end). False when it does not fit (a truncated block).
bool readAction(const uint8_t* bytes, size_t end, size_t pc, ActionRecord& out);

// Reads fields inside [pos, end); a read past the end yields zero / "" and clears ok().
class FieldReader {
public:
    FieldReader(const uint8_t* bytes, size_t pos, size_t end) : b_(bytes), pos_(pos), end_(end) {}
    uint8_t u8();
    uint16_t u16();
    int16_t s16() { return int16_t(u16()); }
    uint32_t u32();
    float f32();
    double f64();  // the SWF order: high word first, each word little-endian
    std::string str();  // zero-terminated
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ >= end_; }
    size_t pos() const { return pos_; }

private:
    const uint8_t* b_;
    size_t pos_, end_;
    bool ok_ = true;
};

}  // namespace swf::avm1
