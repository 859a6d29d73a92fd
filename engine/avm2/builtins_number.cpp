// Number, int and uint (conversions, formatting in fixed, exponential and precision forms and in
// other radices) and Math.
#include <cmath>
#include <cstring>
#include <cstdio>
#include <numbers>
#include <random>

#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

double thisNumber(Machine& m, const Value& self, const char16_t* method) {
    if (self.isNumber()) return self.number();
    Object* o = self.object();
    if (o && (o == m.numberClass->prototype || o == m.intClass->prototype || o == m.uintClass->prototype)) return 0;
    m.typeError(1004, u"Method Number.prototype." + String(method) + u" was invoked on an incompatible object.");
}

String exponentForm(double n, int digits) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*e", digits, n);
    std::string t = buf;
    size_t e = t.find('e');
    int exp10 = std::atoi(t.c_str() + e + 1);
    std::string out = t.substr(0, e) + (exp10 < 0 ? "e-" : "e+") + std::to_string(std::abs(exp10));
    return ascii(out);
}

// The three formatting methods share one range message, checked before the number is looked at.
[[noreturn]] void formatRangeError(Machine& m) {
    m.rangeError(1002, u"Number.toPrecision has a range of 1 to 21. Number.toFixed and Number.toExponential have a range "
                       u"of 0 to 20. Specified value is not within expected range.");
}

// An absent digit count (undefined or null) counts as none.
double digitCount(Machine& m, const Value& v) {
    if (v.isNullish()) return 0;
    double d = m.toNumber(v);
    return std::isnan(d) ? 0 : std::trunc(d);
}

String toFixed(Machine& m, double n, const Value& digitsArg) {
    double d = digitCount(m, digitsArg);
    if (d < 0 || d > 20) formatRangeError(m);
    if (std::isnan(n) || std::fabs(n) >= 1e21) return numberToString(n);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(d), n);
    std::string t = buf;
    // -0.00 prints without its sign.
    if (t[0] == '-' && t.find_first_not_of("-0.") == std::string::npos) t = t.substr(1);
    return ascii(t);
}

String toExponential(Machine& m, double n, const Value& digitsArg) {
    double d = digitCount(m, digitsArg);
    if (d < 0 || d > 20) formatRangeError(m);
    if (std::isnan(n) || std::isinf(n)) return numberToString(n);
    int digits = static_cast<int>(d);
    // Zero prints as the reference player prints it: its smallest step, not a zero mantissa.
    if (n == 0) return digits == 0 ? String(u"1e-15") : ascii("0." + std::string(static_cast<size_t>(digits), '0') + "e-16");
    return exponentForm(n, digits);
}

String toPrecision(Machine& m, double n, const Value& pArg) {
    if (pArg.isNullish()) return numberToString(n);
    double p = digitCount(m, pArg);
    if (p < 1 || p > 21) formatRangeError(m);
    if (std::isnan(n) || std::isinf(n)) return numberToString(n);
    int digits = static_cast<int>(p);
    // Zero takes as many places after the point as digits were asked for.
    if (n == 0) return ascii("0." + std::string(static_cast<size_t>(digits), '0'));
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, n);
    int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
    if (exp10 < -6 || exp10 >= digits) return exponentForm(n, digits - 1);
    std::snprintf(buf, sizeof buf, "%.*f", std::max(0, digits - 1 - exp10), n);
    return ascii(buf);
}

// E, LN10, ..., SQRT2 as read-only statics of `c`.
void defineMathConstants(Machine& m, ClassObject* c) {
    m.defineConstant(c, u"E", Value(std::numbers::e));
    m.defineConstant(c, u"LN10", Value(std::numbers::ln10));
    m.defineConstant(c, u"LN2", Value(std::numbers::ln2));
    m.defineConstant(c, u"LOG10E", Value(std::numbers::log10e));
    m.defineConstant(c, u"LOG2E", Value(std::numbers::log2e));
    m.defineConstant(c, u"PI", Value(std::numbers::pi));
    m.defineConstant(c, u"SQRT1_2", Value(1 / std::numbers::sqrt2));
    m.defineConstant(c, u"SQRT2", Value(std::numbers::sqrt2));
}

void numberMethods(Machine& m, ClassObject* c) {
    m.defineMethod(c, u"toString", 1, [](Machine& m, const Value& self, Args a) -> Value {
        double n = thisNumber(m, self, u"toString");
        Value r = arg(a, 0);
        int radix = r.isUndefined() ? 10 : m.toInt(r);
        if (radix < 2 || radix > 36)
            m.rangeError(1003, u"The radix argument must be between 2 and 36; got " + numberToString(radix) + u".");
        return Value(numberToRadix(n, radix));
    });
    m.defineMethod(c, u"toLocaleString", 0, [](Machine& m, const Value& self, Args) -> Value {
        return Value(numberToString(thisNumber(m, self, u"toLocaleString")));
    });
    m.defineMethod(c, u"valueOf", 0, [](Machine& m, const Value& self, Args) -> Value { return Value(thisNumber(m, self, u"valueOf")); });
    m.defineMethod(c, u"toFixed", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return Value(toFixed(m, thisNumber(m, self, u"toFixed"), arg(a, 0)));
    });
    m.defineMethod(c, u"toExponential", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return Value(toExponential(m, thisNumber(m, self, u"toExponential"), arg(a, 0)));
    });
    m.defineMethod(c, u"toPrecision", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return Value(toPrecision(m, thisNumber(m, self, u"toPrecision"), arg(a, 0)));
    });
}

}  // namespace

void installNumberBuiltins(Machine& m) {
    ClassObject* num = m.numberClass;
    num->callAsFunction = [](Machine& m, const Value&, Args a) -> Value { return Value(a.empty() ? 0.0 : m.toNumber(a[0])); };
    num->constructor = m.newNative(u"Number", 1, [](Machine& m, const Value&, Args a) -> Value { return Value(a.empty() ? 0.0 : m.toNumber(a[0])); });
    m.defineConstant(num, u"MAX_VALUE", Value(1.7976931348623157e308));
    m.defineConstant(num, u"MIN_VALUE", Value(4.9406564584124654e-324));
    m.defineConstant(num, u"NaN", Value(NAN));
    m.defineConstant(num, u"NEGATIVE_INFINITY", Value(-INFINITY));
    m.defineConstant(num, u"POSITIVE_INFINITY", Value(INFINITY));
    // Number carries Math's constants too.
    defineMathConstants(m, num);
    numberMethods(m, num);

    ClassObject* i = m.intClass;
    i->callAsFunction = [](Machine& m, const Value&, Args a) -> Value { return Value(a.empty() ? 0 : m.toInt(a[0])); };
    i->constructor = m.newNative(u"int", 1, [](Machine& m, const Value&, Args a) -> Value { return Value(a.empty() ? 0 : m.toInt(a[0])); });
    m.defineConstant(i, u"MAX_VALUE", Value(2147483647));
    m.defineConstant(i, u"MIN_VALUE", Value(-2147483647 - 1));
    numberMethods(m, i);

    ClassObject* ui = m.uintClass;
    ui->callAsFunction = [](Machine& m, const Value&, Args a) -> Value { return Value(a.empty() ? 0u : m.toUint(a[0])); };
    ui->constructor = m.newNative(u"uint", 1, [](Machine& m, const Value&, Args a) -> Value { return Value(a.empty() ? 0u : m.toUint(a[0])); });
    m.defineConstant(ui, u"MAX_VALUE", Value(4294967295u));
    m.defineConstant(ui, u"MIN_VALUE", Value(0));
    numberMethods(m, ui);
}

void installMathBuiltins(Machine& m) {
    ClassObject* math = m.defineClass(u"", u"Math", m.objectClass, nullptr);
    math->isFinal = true;
    math->callAsFunction = [](Machine& m, const Value&, Args) -> Value { m.typeError(1075, u"Math is not a function."); };
    math->constructor = m.newNative(u"Math", 0, [](Machine& m, const Value&, Args) -> Value { m.typeError(1076, u"Math is not a constructor."); });
    defineMathConstants(m, math);
    auto unary = [&](const char16_t* name, double (*f)(double)) {
        m.defineStatic(math, name, 1, [f](Machine& m, const Value&, Args a) -> Value { return Value(f(m.toNumber(arg(a, 0)))); });
    };
    unary(u"abs", [](double x) { return std::fabs(x); });
    unary(u"acos", [](double x) { return std::acos(x); });
    unary(u"asin", [](double x) { return std::asin(x); });
    unary(u"atan", [](double x) { return std::atan(x); });
    unary(u"ceil", [](double x) { return std::ceil(x); });
    unary(u"cos", [](double x) { return std::cos(x); });
    unary(u"exp", [](double x) { return std::exp(x); });
    unary(u"floor", [](double x) { return std::floor(x); });
    unary(u"log", [](double x) { return std::log(x); });
    unary(u"sin", [](double x) { return std::sin(x); });
    unary(u"sqrt", [](double x) { return std::sqrt(x); });
    unary(u"tan", [](double x) { return std::tan(x); });
    unary(u"round", [](double x) {
        if (std::isnan(x) || std::isinf(x)) return x;
        double r = std::floor(x + 0.5);
        return (r == 0 && (x < 0 || std::signbit(x))) ? -0.0 : r;
    });
    m.defineStatic(math, u"atan2", 2, [](Machine& m, const Value&, Args a) -> Value {
        return Value(std::atan2(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1))));
    });
    m.defineStatic(math, u"pow", 2, [](Machine& m, const Value&, Args a) -> Value {
        double x = m.toNumber(arg(a, 0)), y = m.toNumber(arg(a, 1));
        if (std::isnan(y)) return Value(NAN);
        if ((x == 1 || x == -1) && std::isinf(y)) return Value(NAN);
        return Value(std::pow(x, y));
    });
    m.defineStatic(math, u"max", 2, [](Machine& m, const Value&, Args a) -> Value {
        double r = -INFINITY;
        for (const Value& v : a) {
            double x = m.toNumber(v);
            if (std::isnan(x)) return Value(NAN);
            if (x > r || (x == 0 && r == 0 && !std::signbit(x))) r = x;
        }
        return Value(r);
    });
    m.defineStatic(math, u"min", 2, [](Machine& m, const Value&, Args a) -> Value {
        double r = INFINITY;
        for (const Value& v : a) {
            double x = m.toNumber(v);
            if (std::isnan(x)) return Value(NAN);
            if (x < r || (x == 0 && r == 0 && std::signbit(x))) r = x;
        }
        return Value(r);
    });
    m.defineStatic(math, u"random", 0, [](Machine&, const Value&, Args) -> Value {
        static std::mt19937_64 rng{std::random_device{}()};
        return Value(std::uniform_real_distribution<double>(0.0, 1.0)(rng));
    });
    // Number carries the same functions as statics of its own (the same function objects).
    for (const char16_t* name : {u"abs", u"acos", u"asin", u"atan", u"ceil", u"cos", u"exp", u"floor", u"log", u"round",
                                 u"sin", u"sqrt", u"tan", u"atan2", u"pow", u"max", u"min", u"random"})
        if (Binding* b = math->staticTraits.findQ(m.publicNs, name)) {
            m.numberClass->staticTraits.set(m.publicNs, name, *b);
            m.numberClass->staticTraits.set(m.as3Ns, name, *b);
        }
}

}  // namespace swf::avm2
