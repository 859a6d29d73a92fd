// String: the wrapper class and its methods, counting characters (see text_units.h).
#include <algorithm>
#include <cctype>
#include <cmath>

#include "engine/avm1/builtins.h"
#include "engine/avm1/text_units.h"

namespace swf::avm1 {

namespace {

std::string self(Machine& m, Object* o) {
    if (!o) return "";
    if (o->hasPrimitive) return m.toString(o->primitive);
    return m.toString(Value(o));
}

Value stringCall(Machine& m, Object*, std::vector<Value>& args) {
    return Value(args.empty() ? std::string() : m.toString(args[0]));
}

Value stringConstruct(Machine& m, Object* o, std::vector<Value>& args) {
    o->hasPrimitive = true;
    o->primitive = Value(args.empty() ? std::string() : m.toString(args[0]));
    return Value(o);
}

Value toStringFn(Machine& m, Object* o, std::vector<Value>&) { return Value(self(m, o)); }

// The string's characters (see text_units.h) and the way back.
std::u32string chars(Machine& m, const std::string& s) { return toChars(s, m.swfVersion() >= 6); }
Value text(Machine& m, const std::u32string& c) { return Value(fromChars(c, m.swfVersion() >= 6)); }

// An index argument clamped to [0, size]; NaN is 0.
size_t clampIndex(Machine& m, const Value& v, size_t size) {
    double d = m.toNumber(v);
    if (std::isnan(d) || d < 0) return 0;
    return size_t(std::min(std::trunc(d), double(size)));
}

Value charAt(Machine& m, Object* o, std::vector<Value>& args) {
    std::u32string s = chars(m, self(m, o));
    double d = std::trunc(m.toNumber(arg(args, 0)));
    if (std::isnan(d) || d < 0 || d >= double(s.size())) return Value("");
    return text(m, s.substr(size_t(d), 1));
}

Value charCodeAt(Machine& m, Object* o, std::vector<Value>& args) {
    std::u32string s = chars(m, self(m, o));
    double d = std::trunc(m.toNumber(arg(args, 0)));
    if (std::isnan(d) || d < 0 || d >= double(s.size())) return Value(NAN);
    return Value(double(s[size_t(d)]));
}

Value indexOf(Machine& m, Object* o, std::vector<Value>& args) {
    std::u32string s = chars(m, self(m, o)), needle = chars(m, m.toString(arg(args, 0)));
    size_t from = args.size() > 1 ? clampIndex(m, args[1], s.size()) : 0;
    size_t at = s.find(needle, from);
    return Value(at == std::u32string::npos ? -1.0 : double(at));
}

Value lastIndexOf(Machine& m, Object* o, std::vector<Value>& args) {
    std::u32string s = chars(m, self(m, o)), needle = chars(m, m.toString(arg(args, 0)));
    size_t from = std::u32string::npos;
    if (args.size() > 1) {
        double d = m.toNumber(args[1]);
        if (std::isnan(d) || d < 0) return Value(-1.0);
        from = size_t(std::min(std::trunc(d), double(s.size())));
    }
    size_t at = s.rfind(needle, from);
    return Value(at == std::u32string::npos ? -1.0 : double(at));
}

// substr(start, length): a negative start counts from the end; a negative length counts back from
// the end too, and then gives nothing when the part would reach the last character.
Value substr(Machine& m, Object* o, std::vector<Value>& args) {
    std::u32string s = chars(m, self(m, o));
    double size = double(s.size());
    double start = std::trunc(m.toNumber(arg(args, 0)));
    if (std::isnan(start)) start = 0;
    if (start < 0) start = std::max(0.0, size + start);
    start = std::min(start, size);
    double count = size - start;
    if (args.size() > 1 && !args[1].isUndefined()) {
        double c = std::trunc(m.toNumber(args[1]));
        if (std::isnan(c)) c = 0;
        if (c < 0) {
            c += size;
            if (c < 0 || start + c >= size) c = 0;
        }
        count = std::min(c, size - start);
    }
    return text(m, s.substr(size_t(start), size_t(count)));
}

Value substring(Machine& m, Object* o, std::vector<Value>& args) {
    std::u32string s = chars(m, self(m, o));
    size_t a = clampIndex(m, arg(args, 0), s.size());
    size_t b = args.size() > 1 && !args[1].isUndefined() ? clampIndex(m, args[1], s.size()) : s.size();
    if (a > b) std::swap(a, b);
    return text(m, s.substr(a, b - a));
}

Value slice(Machine& m, Object* o, std::vector<Value>& args) {
    std::u32string s = chars(m, self(m, o));
    auto pos = [&](const Value& v, size_t otherwise) -> size_t {
        if (v.isUndefined()) return otherwise;
        double d = std::trunc(m.toNumber(v));
        if (std::isnan(d)) return 0;
        if (d < 0) d = std::max(0.0, double(s.size()) + d);
        return size_t(std::min(d, double(s.size())));
    };
    size_t a = pos(arg(args, 0), 0), b = pos(arg(args, 1), s.size());
    return a < b ? text(m, s.substr(a, b - a)) : Value(std::string());
}

Value split(Machine& m, Object* o, std::vector<Value>& args) {
    std::string whole = self(m, o);
    Object* out = m.newArray();
    if (args.empty() || args[0].isUndefined()) {
        out->elements.push_back(Value(whole));
        return Value(out);
    }
    std::u32string s = chars(m, whole), sep = chars(m, m.toString(args[0]));
    size_t limit = std::u32string::npos;
    if (args.size() > 1 && !args[1].isUndefined()) {
        double l = m.toNumber(args[1]);
        limit = std::isnan(l) || l < 0 ? 0 : size_t(std::min(l, 1e9));
    }
    if (sep.empty()) {
        for (size_t i = 0; i < s.size() && out->elements.size() < limit; ++i) out->elements.push_back(text(m, s.substr(i, 1)));
        return Value(out);
    }
    size_t start = 0;
    while (out->elements.size() < limit) {
        size_t at = s.find(sep, start);
        if (at == std::u32string::npos) {
            out->elements.push_back(text(m, s.substr(start)));
            break;
        }
        out->elements.push_back(text(m, s.substr(start, at - start)));
        start = at + sep.size();
    }
    return Value(out);
}

Value toLowerCase(Machine& m, Object* o, std::vector<Value>&) {
    std::u32string s = chars(m, self(m, o));
    for (char32_t& c : s) c = lowerChar(c);
    return text(m, s);
}

Value toUpperCase(Machine& m, Object* o, std::vector<Value>&) {
    std::u32string s = chars(m, self(m, o));
    for (char32_t& c : s) c = upperChar(c);
    return text(m, s);
}

Value concatFn(Machine& m, Object* o, std::vector<Value>& args) {
    std::string s = self(m, o);
    for (const Value& v : args) appendLimited(s, m.toString(v));
    return Value(s);
}

Value fromCharCode(Machine& m, Object*, std::vector<Value>& args) {
    std::string s;
    for (const Value& v : args) {
        uint32_t c = uint32_t(toInt32(m.toNumber(v))) & 0xffff;
        if (c == 0) continue;
        // Code points above ASCII are written as UTF-8, the text encoding of SWF 6 and later.
        if (c < 0x80) s += char(c);
        else if (c < 0x800) {
            s += char(0xC0 | (c >> 6));
            s += char(0x80 | (c & 0x3F));
        } else {
            s += char(0xE0 | (c >> 12));
            s += char(0x80 | ((c >> 6) & 0x3F));
            s += char(0x80 | (c & 0x3F));
        }
    }
    return Value(s);
}

}  // namespace

void installString(Machine& m) {
    m.stringProto = m.newObject();
    Object* ctor = defineClass(m, "String", stringCall, stringConstruct, m.stringProto);
    m.defineNative(ctor, "fromCharCode", fromCharCode);
    Object* p = m.stringProto;
    m.defineNative(p, "toString", toStringFn);
    m.defineNative(p, "valueOf", toStringFn);
    m.defineNative(p, "charAt", charAt);
    m.defineNative(p, "charCodeAt", charCodeAt);
    m.defineNative(p, "indexOf", indexOf);
    m.defineNative(p, "lastIndexOf", lastIndexOf);
    m.defineNative(p, "substr", substr);
    m.defineNative(p, "substring", substring);
    m.defineNative(p, "slice", slice);
    m.defineNative(p, "split", split);
    m.defineNative(p, "toLowerCase", toLowerCase);
    m.defineNative(p, "toUpperCase", toUpperCase);
    m.defineNative(p, "concat", concatFn);
}

}  // namespace swf::avm1
