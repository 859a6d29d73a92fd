// Global functions: ASSetPropFlags, number parsing, intervals, escape, and the Error class.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "engine/avm1/builtins.h"
#include "engine/base/percent_encoding.h"

namespace swf::avm1 {

namespace {

Value asSetPropFlags(Machine& m, Object*, std::vector<Value>& args) {
    Object* o = arg(args, 0).object();
    if (!o) return Value();
    int set = toInt32(m.toNumber(arg(args, 2)));
    int clear = toInt32(m.toNumber(arg(args, 3)));
    auto apply = [&](Property& p) { p.flags = uint16_t((p.flags & ~clear) | set); };
    // An array's elements take the flags too: written ones only, a hole has nothing to mark.
    auto applyElement = [&](size_t i) {
        if (!o->isArray || i >= o->elements.size() || o->elements[i].isHole()) return;
        uint16_t flags = uint16_t((o->elementFlagsAt(i) & ~clear) | set);
        if (!o->elementFlags) o->elementFlags = std::make_unique<std::map<size_t, uint16_t>>();
        if (flags) (*o->elementFlags)[i] = flags;
        else o->elementFlags->erase(i);
    };
    Value names = arg(args, 1);
    if (names.isNull()) {
        o->forEachMutable(apply);
        for (size_t i = 0; o->isArray && i < o->elements.size(); ++i) applyElement(i);
        return Value();
    }
    std::vector<std::string> list;
    if (Object* a = names.object(); a && a->isArray) {
        for (const Value& v : a->elements) list.push_back(m.toString(v));
    } else {
        std::stringstream ss(m.toString(names));
        std::string item;
        while (std::getline(ss, item, ',')) list.push_back(item);
    }
    for (const std::string& name : list) {
        if (Property* p = o->find(m.key(name))) apply(*p);
        else if (long long i = arrayIndex(name); i >= 0) applyElement(size_t(i));
    }
    return Value();
}

Value isNaNFn(Machine& m, Object*, std::vector<Value>& args) { return Value(std::isnan(numberArg(m, args, 0))); }

Value isFiniteFn(Machine& m, Object*, std::vector<Value>& args) {
    return Value(std::isfinite(numberArg(m, args, 0)));
}

Value parseIntFn(Machine& m, Object*, std::vector<Value>& args) {
    std::string s = m.toString(arg(args, 0));
    Value radixValue = arg(args, 1);
    int radix = radixValue.isUndefined() ? 0 : toInt32(m.toNumber(radixValue));
    size_t i = 0;
    while (i < s.size() && std::isspace((unsigned char)s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (radix == 0) {
        if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0) {
            radix = 16;
            i += 2;
        } else if (i + 1 < s.size() && s[i] == '0' && s.find_first_not_of("01234567", i) == std::string::npos) {
            radix = 8;
        } else {
            radix = 10;
        }
    } else if (radix == 16 && (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0)) {
        i += 2;
    }
    if (radix < 2 || radix > 36) return Value(NAN);
    double n = 0;
    bool any = false;
    for (; i < s.size(); ++i) {
        char c = char(std::tolower((unsigned char)s[i]));
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : 99;
        if (d >= radix) break;
        n = n * radix + d;
        any = true;
    }
    if (!any) return Value(NAN);
    return Value(negative ? -n : n);
}

Value parseFloatFn(Machine& m, Object*, std::vector<Value>& args) {
    std::string s = m.toString(arg(args, 0));
    size_t i = 0;
    while (i < s.size() && std::isspace((unsigned char)s[i])) ++i;
    // The longest prefix that reads as a number.
    for (size_t end = s.size(); end > i; --end) {
        std::string part = s.substr(i, end - i);
        double d = stringToNumber(part, false);
        if (!std::isnan(d)) return Value(d);
    }
    return Value(NAN);
}

// setInterval(fn, ms, args...) or setInterval(object, "method", ms, args...); setTimeout the same,
// called once.
Value addTimer(Machine& m, std::vector<Value>& args, bool once) {
    Value first = arg(args, 0);
    Object* o = first.object();
    if (o && o->isFunction()) {
        std::vector<Value> rest(args.size() > 2 ? args.begin() + 2 : args.end(), args.end());
        return Value(double(m.addInterval(first, nullptr, "", m.toNumber(arg(args, 1)), std::move(rest), once)));
    }
    if (o && args.size() >= 3) {
        std::vector<Value> rest(args.size() > 3 ? args.begin() + 3 : args.end(), args.end());
        return Value(double(m.addInterval(Value(), o, m.toString(args[1]), m.toNumber(args[2]), std::move(rest), once)));
    }
    return Value();
}

Value setIntervalFn(Machine& m, Object*, std::vector<Value>& args) { return addTimer(m, args, false); }
Value setTimeoutFn(Machine& m, Object*, std::vector<Value>& args) { return addTimer(m, args, true); }

Value clearIntervalFn(Machine& m, Object*, std::vector<Value>& args) {
    m.clearInterval(toInt32(m.toNumber(arg(args, 0))));
    return Value();
}

Value escapeFn(Machine& m, Object*, std::vector<Value>& args) {
    return Value(percentEncoded(m.toString(arg(args, 0))));
}

Value unescapeFn(Machine& m, Object*, std::vector<Value>& args) {
    std::string s = m.toString(arg(args, 0)), out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() + 0 && std::isxdigit((unsigned char)s[i + 1]) &&
            std::isxdigit((unsigned char)s[i + 2])) {
            out += char(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return Value(out);
}

Value errorConstruct(Machine& m, Object* self, std::vector<Value>& args) {
    if (!args.empty() && !args[0].isUndefined()) m.setMember(Value(self), "message", args[0]);
    return Value(self);
}

Value errorCall(Machine& m, Object*, std::vector<Value>& args) {
    Object* e = m.makeError("Error");
    return errorConstruct(m, e, args);
}

Value errorToString(Machine& m, Object* self, std::vector<Value>&) {
    return Value(m.toString(m.getMember(Value(self), "message")));
}

}  // namespace

void installGlobalFunctions(Machine& m) {
    Object* g = m.global();
    m.defineNative(g, "ASSetPropFlags", asSetPropFlags);
    m.defineNative(g, "isNaN", isNaNFn);
    m.defineNative(g, "isFinite", isFiniteFn);
    m.defineNative(g, "parseInt", parseIntFn);
    m.defineNative(g, "parseFloat", parseFloatFn);
    m.defineNative(g, "setInterval", setIntervalFn);
    m.defineNative(g, "clearInterval", clearIntervalFn);
    m.defineNative(g, "setTimeout", setTimeoutFn);
    m.defineNative(g, "clearTimeout", clearIntervalFn);
    m.defineNative(g, "escape", escapeFn);
    m.defineNative(g, "unescape", unescapeFn);
    putConstant(m, g, "NaN", Value(NAN));
    putConstant(m, g, "Infinity", Value(INFINITY));

    m.errorProto = m.newObject();
    defineClass(m, "Error", errorCall, errorConstruct, m.errorProto);
    m.errorProto->put(m.key("message"), "message", Value("Error"), DontEnum);
    m.errorProto->put(m.key("name"), "name", Value("Error"), DontEnum);
    m.defineNative(m.errorProto, "toString", errorToString);
}

}  // namespace swf::avm1
