// Test helpers: opcodes by name, and running assembled scripts on a fresh machine.
#pragma once

#include <string>
#include <vector>

#include "engine/avm2/machine.h"
#include "tools/swfwriter/abc_writer.h"

namespace avm2test {

enum Op : uint8_t {
    kThrow = 0x03, kGetSuper = 0x04, kSetSuper = 0x05, kKill = 0x08, kLabel = 0x09, kIfNlt = 0x0C, kJump = 0x10,
    kIfTrue = 0x11, kIfFalse = 0x12, kIfEq = 0x13, kIfNe = 0x14, kIfLt = 0x15, kIfStrictEq = 0x19, kPushWith = 0x1C,
    kPopScope = 0x1D, kNextName = 0x1E, kPushNull = 0x20, kPushUndefined = 0x21, kNextValue = 0x23, kPushByte = 0x24,
    kPushShort = 0x25, kPushTrue = 0x26, kPushFalse = 0x27, kPushNaN = 0x28, kPop = 0x29, kDup = 0x2A, kSwap = 0x2B,
    kPushString = 0x2C, kPushInt = 0x2D, kPushUint = 0x2E, kPushDouble = 0x2F, kPushScope = 0x30, kHasNext2 = 0x32,
    kNewFunction = 0x40, kCall = 0x41, kConstruct = 0x42, kCallSuper = 0x45, kCallProperty = 0x46, kReturnVoid = 0x47,
    kReturnValue = 0x48, kConstructSuper = 0x49, kConstructProp = 0x4A, kCallPropVoid = 0x4F, kApplyType = 0x53,
    kNewObject = 0x55, kNewArray = 0x56, kNewActivation = 0x57, kNewClass = 0x58, kNewCatch = 0x5A,
    kFindPropStrict = 0x5D, kFindProperty = 0x5E, kGetLex = 0x60, kSetProperty = 0x61, kGetLocal = 0x62,
    kSetLocal = 0x63, kGetGlobalScope = 0x64, kGetScopeObject = 0x65, kGetProperty = 0x66, kInitProperty = 0x68,
    kDeleteProperty = 0x6A, kGetSlot = 0x6C, kSetSlot = 0x6D, kConvertS = 0x70, kConvertI = 0x73, kConvertU = 0x74,
    kConvertD = 0x75, kCoerce = 0x80, kCoerceA = 0x82, kAsTypeLate = 0x87, kNegate = 0x90, kIncrement = 0x91,
    kIncLocal = 0x92, kTypeOf = 0x95, kNot = 0x96, kBitNot = 0x97, kAdd = 0xA0, kSubtract = 0xA1, kMultiply = 0xA2,
    kDivide = 0xA3, kModulo = 0xA4, kLShift = 0xA5, kRShift = 0xA6, kURShift = 0xA7, kBitAnd = 0xA8, kEquals = 0xAB,
    kStrictEquals = 0xAC, kLessThan = 0xAD, kInstanceOf = 0xB1, kIsTypeLate = 0xB3, kIn = 0xB4, kIncrementI = 0xC0,
    kAddI = 0xC5, kMultiplyI = 0xC7, kGetLocal0 = 0xD0, kGetLocal1 = 0xD1, kGetLocal2 = 0xD2, kSetLocal1 = 0xD5,
    kSetLocal2 = 0xD6, kDebugLine = 0xF0, kDebugFile = 0xF1,
};

// Code for `trace(<what the pushes leave on the stack>)`.
struct Tracer {
    swfw::AbcWriter& w;
    uint32_t name;
    explicit Tracer(swfw::AbcWriter& writer) : w(writer), name(writer.publicName("trace")) {}
    swfw::AbcCode& begin(swfw::AbcCode& c) { return c.op(kFindPropStrict, name); }
    swfw::AbcCode& end(swfw::AbcCode& c, uint32_t argc = 1) { return c.op(kCallPropVoid, name, argc); }
    swfw::AbcCode& string(swfw::AbcCode& c, const std::string& s) {
        begin(c).op(kPushString, w.string(s));
        return end(c);
    }
};

// Runs `body` as the entry script (it pushes its own scope) and returns the
// trace lines; uncaught errors come back as "uncaught: <text>".
inline std::vector<std::string> runScript(swfw::AbcWriter& w, const swfw::AbcCode& body, uint32_t locals = 8,
                                          const std::vector<swfw::AbcTraitSpec>& scriptTraits = {},
                                          const std::vector<swfw::AbcExceptionSpec>& exceptions = {},
                                          const swf::avm2::Limits& limits = {}) {
    uint32_t init = w.method();
    w.body(init, body, locals, 32, exceptions);
    w.script(init, scriptTraits);
    swf::avm2::Machine m;
    m.limits = limits;
    std::vector<std::string> lines;
    m.traceHandler = [&](const std::string& s) { lines.push_back(s); };
    m.errorHandler = [&](const std::string& s) { lines.push_back("uncaught: " + s); };
    m.loadAbc(w.bytes(), false);
    return lines;
}

}  // namespace avm2test
