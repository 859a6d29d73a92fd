// ASnative(table, index): the built-in functions by number, as compiled classes and some movies
// reach them. The tables movies are seen to use are filled: 100 (the global text functions and
// trace) and 200 (Math).
#include <cmath>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Value nativeTrace(Machine& m, Object*, std::vector<Value>& args) {
    m.host().trace(m.traceText(arg(args, 0)));
    return Value();
}

// A Math entry beyond the known ones still converts its first two arguments, then gives NaN.
Value unknownMath(Machine& m, Object*, std::vector<Value>& args) {
    for (size_t i = 0; i < args.size() && i < 2; ++i) m.toNumber(args[i]);
    return Value(NAN);
}

// A table number or index: whole numbers wrapped to 32 bits; text that is no number is refused.
bool nativeNumber(Machine& m, const Value& v, int32_t& out) {
    double d = m.toNumber(v);
    if (std::isnan(d) && !v.isString()) d = 0;
    if (std::isnan(d)) return false;
    out = toInt32(d);
    return true;
}

// The functions are looked up where the player keeps them under their names.
Value asNative(Machine& m, Object*, std::vector<Value>& args) {
    if (args.size() != 2) return Value();
    int32_t category = 0, index = 0;
    if (!nativeNumber(m, args[0], category)) return Value();
    if (!nativeNumber(m, args[1], index)) index = 0;
    Value global(m.global());
    if (category == 100) {
        const char* const texts[] = {"escape", "unescape", "parseInt", "parseFloat"};
        if (index >= 0 && index < 4) return m.getMember(global, texts[index], false);
        if (index == 4) return Value(m.newFunction(nativeTrace));
        return Value();
    }
    if (category == 200) {
        const char* const maths[] = {"abs", "min", "max", "sin", "cos", "atan2", "tan", "exp", "log", "sqrt",
                                     "round", "random", "floor", "ceil", "atan", "asin", "acos", "pow"};
        if (index >= 0 && index < 18) return m.getMember(m.getMember(global, "Math", false), maths[index], false);
        if (index == 18) return m.getMember(global, "isNaN", false);
        if (index == 19) return m.getMember(global, "isFinite", false);
        return Value(m.newFunction(unknownMath));
    }
    return Value();
}

}  // namespace

void installASnative(Machine& m) { m.defineNative(m.global(), "ASnative", asNative); }

}  // namespace swf::avm1
