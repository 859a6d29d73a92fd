// The code of a function defined by DefineFunction or DefineFunction2.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/avm1/value.h"

namespace swf::avm1 {

// A shared block of action bytes and the range of it that runs.
struct ActionCode {
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    size_t begin = 0, end = 0;
};

enum FunctionFlags : uint16_t {
    PreloadThis = 0x01, SuppressThis = 0x02, PreloadArguments = 0x04, SuppressArguments = 0x08,
    PreloadSuper = 0x10, SuppressSuper = 0x20, PreloadRoot = 0x40, PreloadParent = 0x80,
    PreloadGlobal = 0x100
};

struct FunctionCode {
    std::string name;
    ActionCode body;
    struct Param {
        uint8_t reg = 0;  // 0: a local variable of that name
        std::string name;
    };
    std::vector<Param> params;
    bool isFunction2 = false;
    uint8_t registerCount = 4;
    uint16_t flags = 0;
    // The pool in force where the function was defined, shared with that block and its other
    // functions: each call reads it without a copy.
    std::shared_ptr<const std::vector<Value>> constantPool;
};

}  // namespace swf::avm1
