// flash.utils.ByteArray's storage, shared by its built-in methods and by indexed access
// (`bytes[i]`) in the property code.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/avm2/object.h"

namespace swf::avm2 {

class ByteArrayObject : public Object {
public:
    ByteArrayObject() : Object(ObjectType::ByteArray) {}
    std::vector<uint8_t> data;
    uint32_t position = 0;
    bool littleEndian = false;
    uint32_t objectEncoding = 3;

    // bytes[i]: the byte, or undefined past the end.
    Value byteAt(uint32_t i) const { return i < data.size() ? Value(static_cast<int>(data[i])) : Value(); }
    // bytes[i] = v: grows the array with zeros when i is past the end.
    void setByteAt(uint32_t i, uint8_t v) {
        if (i >= data.size()) data.resize(static_cast<size_t>(i) + 1);
        data[i] = v;
    }
};

// The most a byte array may hold: larger requests are refused as out of memory.
constexpr size_t kMaxByteArrayLength = 256u << 20;

}  // namespace swf::avm2
