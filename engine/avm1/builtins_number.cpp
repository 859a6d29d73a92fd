// Number, Boolean and Math.
#include <cfloat>
#include <cmath>
#include <numbers>
#include <random>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

double selfNumber(Machine& m, Object* o) {
    if (o && o->hasPrimitive) return m.toNumber(o->primitive);
    return NAN;
}

Value numberCall(Machine& m, Object*, std::vector<Value>& args) {
    return Value(args.empty() ? 0.0 : m.toNumber(args[0]));
}

Value numberConstruct(Machine& m, Object* o, std::vector<Value>& args) {
    o->hasPrimitive = true;
    o->primitive = numberCall(m, o, args);
    return Value(o);
}

Value numberToStringFn(Machine& m, Object* o, std::vector<Value>& args) {
    double n = selfNumber(m, o);
    int radix = args.empty() || args[0].isUndefined() ? 10 : toInt32(m.toNumber(args[0]));
    if (radix == 10 || radix < 2 || radix > 36 || !std::isfinite(n)) return Value(numberToString(n));
    // Other radixes write the integer part, as the reference player does.
    int32_t v = toInt32(n);
    bool negative = v < 0;
    uint32_t u = negative ? uint32_t(-(int64_t)v) : uint32_t(v);
    std::string digits;
    do {
        int d = int(u % uint32_t(radix));
        digits.insert(digits.begin(), char(d < 10 ? '0' + d : 'a' + d - 10));
        u /= uint32_t(radix);
    } while (u);
    return Value((negative ? "-" : "") + digits);
}

Value numberValueOf(Machine& m, Object* o, std::vector<Value>&) { return Value(selfNumber(m, o)); }

// Boolean() called with nothing gives undefined; new Boolean() holds false.
Value booleanCall(Machine& m, Object*, std::vector<Value>& args) {
    if (args.empty()) return Value();
    return Value(m.toBoolean(args[0]));
}

Value booleanConstruct(Machine& m, Object* o, std::vector<Value>& args) {
    o->hasPrimitive = true;
    o->primitive = Value(!args.empty() && m.toBoolean(args[0]));
    return Value(o);
}

Value booleanToString(Machine& m, Object* o, std::vector<Value>&) {
    if (!o || !o->hasPrimitive) return Value();
    return Value(m.toBoolean(o->primitive) ? "true" : "false");
}

Value booleanValueOf(Machine& m, Object* o, std::vector<Value>&) {
    if (!o || !o->hasPrimitive) return Value();
    return Value(m.toBoolean(o->primitive));
}

#define MATH1(name, expr)                                                   \
    Value name(Machine& m, Object*, std::vector<Value>& args) {             \
        double x = NAN;                                                     \
        /* the first two arguments convert, as the reference player does */     \
        for (size_t i = 0; i < args.size() && i < 2; ++i) {                \
            double v = m.toNumber(args[i]);                                 \
            if (i == 0) x = v;                                              \
        }                                                                   \
        return Value(double(expr));                                         \
    }
MATH1(mathAbs, std::fabs(x))
MATH1(mathAcos, std::acos(x))
MATH1(mathAsin, std::asin(x))
MATH1(mathAtan, std::atan(x))
MATH1(mathCeil, std::ceil(x))
MATH1(mathCos, std::cos(x))
MATH1(mathExp, std::exp(x))
MATH1(mathFloor, std::floor(x))
MATH1(mathLog, std::log(x))
MATH1(mathRound, std::floor(x + 0.5))
MATH1(mathSin, std::sin(x))
MATH1(mathSqrt, std::sqrt(x))
MATH1(mathTan, std::tan(x))
#undef MATH1

// Two-argument functions read exactly two arguments, first to last.
Value mathAtan2(Machine& m, Object*, std::vector<Value>& args) {
    double y = numberArg(m, args, 0);
    double x = numberArg(m, args, 1);
    return Value(std::atan2(y, x));
}

Value mathPow(Machine& m, Object*, std::vector<Value>& args) {
    double x = numberArg(m, args, 0);
    double y = numberArg(m, args, 1);
    return Value(std::pow(x, y));
}

// max and min compare their first two arguments: a missing second one is NaN.
Value mathMax(Machine& m, Object*, std::vector<Value>& args) {
    if (args.empty()) return Value(-INFINITY);
    double x = m.toNumber(args[0]);
    double y = numberArg(m, args, 1);
    if (std::isnan(x) || std::isnan(y)) return Value(NAN);
    return Value(std::max(x, y));
}

Value mathMin(Machine& m, Object*, std::vector<Value>& args) {
    if (args.empty()) return Value(INFINITY);
    double x = m.toNumber(args[0]);
    double y = numberArg(m, args, 1);
    if (std::isnan(x) || std::isnan(y)) return Value(NAN);
    return Value(std::min(x, y));
}

Value mathRandom(Machine& m, Object*, std::vector<Value>& args) {
    for (size_t i = 0; i < args.size() && i < 2; ++i) m.toNumber(args[i]);  // converted, then unused
    static std::mt19937_64 rng(std::random_device{}());
    return Value(std::uniform_real_distribution<double>(0.0, 1.0)(rng));
}

}  // namespace

void installNumberBooleanMath(Machine& m) {
    m.numberProto = m.newObject();
    Object* number = defineClass(m, "Number", numberCall, numberConstruct, m.numberProto);
    m.defineNative(m.numberProto, "toString", numberToStringFn);
    m.defineNative(m.numberProto, "valueOf", numberValueOf);
    putConstant(m, number, "MAX_VALUE", Value(DBL_MAX));
    putConstant(m, number, "MIN_VALUE", Value(4.9406564584124654e-324));
    putConstant(m, number, "NaN", Value(NAN));
    putConstant(m, number, "POSITIVE_INFINITY", Value(INFINITY));
    putConstant(m, number, "NEGATIVE_INFINITY", Value(-INFINITY));

    m.booleanProto = m.newObject();
    defineClass(m, "Boolean", booleanCall, booleanConstruct, m.booleanProto);
    m.defineNative(m.booleanProto, "toString", booleanToString);
    m.defineNative(m.booleanProto, "valueOf", booleanValueOf);

    Object* math = m.newObject();
    m.global()->put(m.key("Math"), "Math", Value(math), DontEnum);
    struct { const char* name; NativeFunction f; } functions[] = {
        {"abs", mathAbs}, {"acos", mathAcos}, {"asin", mathAsin}, {"atan", mathAtan}, {"atan2", mathAtan2},
        {"ceil", mathCeil}, {"cos", mathCos}, {"exp", mathExp}, {"floor", mathFloor}, {"log", mathLog},
        {"max", mathMax}, {"min", mathMin}, {"pow", mathPow}, {"random", mathRandom}, {"round", mathRound},
        {"sin", mathSin}, {"sqrt", mathSqrt}, {"tan", mathTan}};
    for (auto& fn : functions) m.defineNative(math, fn.name, fn.f);
    putConstant(m, math, "E", Value(std::numbers::e));
    putConstant(m, math, "LN10", Value(std::numbers::ln10));
    putConstant(m, math, "LN2", Value(std::numbers::ln2));
    putConstant(m, math, "LOG10E", Value(std::numbers::log10e));
    putConstant(m, math, "LOG2E", Value(std::numbers::log2e));
    putConstant(m, math, "PI", Value(std::numbers::pi));
    putConstant(m, math, "SQRT1_2", Value(std::numbers::sqrt2 / 2));
    putConstant(m, math, "SQRT2", Value(std::numbers::sqrt2));
}

}  // namespace swf::avm1
