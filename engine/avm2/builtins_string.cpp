// String: conversion, character access, searching, slicing, case mapping and splitting (the
// regular-expression forms of match, replace, search and split live with RegExp).
#include <cmath>
#include <cstdint>
#include <cwctype>
#if defined(__GLIBC__)
#include <locale.h>
#endif

#include "engine/avm2/machine.h"
#include "engine/avm2/regexp.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

String thisString(Machine& m, const Value& self) {
    if (self.isString()) return self.string();
    if (self.object() == m.stringClass->prototype) return u"";
    return m.toString(self);
}

double clampIndex(double d, double len) {
    if (std::isnan(d)) return 0;
    if (d < 0) return std::max(0.0, len + d);
    return std::min(d, len);
}

// One code unit's case mapping: the C library's tables for the whole Basic Multilingual Plane
// (glibc's UTF-8 locale; the Windows C runtime maps UTF-16 units directly).
char16_t mapUnit(char16_t c, bool upper) {
#if defined(__GLIBC__)
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!l) l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
        return l;
    }();
    if (!loc) return c;
    wint_t r = upper ? towupper_l(c, loc) : towlower_l(c, loc);
#else
    wint_t r = upper ? std::towupper(c) : std::towlower(c);
#endif
    // wint_t is 16 bits wide on Windows and 32 elsewhere: a mapping beyond one unit keeps the letter.
    const uint32_t mapped = static_cast<uint32_t>(r);
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : c;
}

String mapCase(const String& s, bool upper) {
    String out;
    out.reserve(s.size());
    for (char16_t c : s) {
        if (c < 128) {
            out += upper ? static_cast<char16_t>(std::toupper(c)) : static_cast<char16_t>(std::tolower(c));
            continue;
        }
        if (c == 0xDF && upper) {  // ß
            out += u"SS";
            continue;
        }
        out += mapUnit(c, upper);
    }
    return out;
}

// match and search take a RegExp, or any other value's text made into one (undefined is
// "undefined", as the player reads it).
Object* asRegExp(Machine& m, const Value& pattern) {
    Object* o = pattern.object();
    if (o && o->type == ObjectType::RegExp) return o;
    Value src[1] = {Value(m.toString(pattern))};
    return m.construct(Value(m.regexpClass), src).object();
}

}  // namespace

String expandReplacement(const String& repl, const String& subject, size_t pos, size_t len, const std::vector<Value>& groups,
                         Machine& m) {
    String out;
    for (size_t i = 0; i < repl.size(); ++i) {
        char16_t c = repl[i];
        if (c != u'$' || i + 1 >= repl.size()) {
            out += c;
            continue;
        }
        char16_t n = repl[i + 1];
        if (n == u'$') {
            out += u'$';
            ++i;
        } else if (n == u'&') {
            out += subject.substr(pos, len);
            ++i;
        } else if (n == u'`') {
            out += subject.substr(0, pos);
            ++i;
        } else if (n == u'\'') {
            out += subject.substr(std::min(subject.size(), pos + len));
            ++i;
        } else if (n >= u'0' && n <= u'9') {
            size_t g = n - u'0';
            size_t used = 1;
            if (i + 2 < repl.size() && repl[i + 2] >= u'0' && repl[i + 2] <= u'9') {
                size_t g2 = g * 10 + (repl[i + 2] - u'0');
                if (g2 >= 1 && g2 <= groups.size()) {
                    g = g2;
                    used = 2;
                }
            }
            if (g >= 1 && g <= groups.size()) {
                if (!groups[g - 1].isUndefined()) out += m.toString(groups[g - 1]);
                // After a leading zero the second digit picks the group and is still written out,
                // as the reference player does ("$01" is group 1 then "1").
                i += n == u'0' ? 1 : used;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    return out;
}

void installStringBuiltins(Machine& m) {
    ClassObject* s = m.stringClass;
    s->callAsFunction = [](Machine& m, const Value&, Args a) -> Value { return Value(a.empty() ? String() : m.toString(a[0])); };
    s->constructor = m.newNative(u"String", 1, [](Machine& m, const Value&, Args a) -> Value {
        return Value(a.empty() ? String() : m.toString(a[0]));
    });
    m.defineStatic(s, u"fromCharCode", 1, [](Machine& m, const Value&, Args a) -> Value {
        String out;
        for (const Value& v : a) out += static_cast<char16_t>(m.toUint(v) & 0xFFFF);
        return Value(out);
    });
    m.defineGetter(s, u"length", [](Machine& m, const Value& self, Args) -> Value {
        return Value(static_cast<double>(thisString(m, self).size()));
    });
    m.defineMethod(s, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        if (!self.isString() && self.object() != m.stringClass->prototype)
            m.typeError(1004, u"Method String.prototype.toString was invoked on an incompatible object.");
        return Value(thisString(m, self));
    });
    m.defineMethod(s, u"valueOf", 0, [](Machine& m, const Value& self, Args) -> Value {
        if (!self.isString() && self.object() != m.stringClass->prototype)
            m.typeError(1004, u"Method String.prototype.valueOf was invoked on an incompatible object.");
        return Value(thisString(m, self));
    });
    m.defineMethod(s, u"charAt", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        double i = a.empty() ? 0 : m.toNumber(a[0]);
        if (std::isnan(i)) i = 0;
        i = std::trunc(i);
        if (i < 0 || i >= static_cast<double>(t.size())) return Value(String());
        return Value(String(1, t[static_cast<size_t>(i)]));
    });
    m.defineMethod(s, u"charCodeAt", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        double i = a.empty() ? 0 : m.toNumber(a[0]);
        if (std::isnan(i)) i = 0;
        i = std::trunc(i);
        if (i < 0 || i >= static_cast<double>(t.size())) return Value(NAN);
        return Value(static_cast<int>(t[static_cast<size_t>(i)]));
    });
    m.defineMethod(s, u"concat", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        for (const Value& v : a) t += m.toString(v);
        return Value(t);
    });
    m.defineMethod(s, u"indexOf", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        String needle = m.toString(arg(a, 0));
        double start = a.size() > 1 ? m.toNumber(a[1]) : 0;
        if (std::isnan(start)) start = 0;
        start = std::min(std::max(start, 0.0), static_cast<double>(t.size()));
        size_t r = t.find(needle, static_cast<size_t>(start));
        return Value(r == String::npos ? -1 : static_cast<double>(r));
    });
    m.defineMethod(s, u"lastIndexOf", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        String needle = m.toString(arg(a, 0));
        double start = a.size() > 1 ? m.toNumber(a[1]) : INFINITY;
        if (std::isnan(start)) start = INFINITY;
        start = std::min(std::max(start, 0.0), static_cast<double>(t.size()));
        size_t r = t.rfind(needle, static_cast<size_t>(start));
        return Value(r == String::npos ? -1 : static_cast<double>(r));
    });
    m.defineMethod(s, u"localeCompare", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        String o = a.empty() ? String(u"undefined") : m.toString(a[0]);
        return Value(t < o ? -1 : t > o ? 1 : 0);
    });
    m.defineMethod(s, u"slice", 2, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        double len = static_cast<double>(t.size());
        double b = clampIndex(a.empty() ? 0 : std::trunc(m.toNumber(a[0])), len);
        double e = a.size() < 2 || a[1].isUndefined() ? len : clampIndex(std::trunc(m.toNumber(a[1])), len);
        if (e <= b) return Value(String());
        return Value(t.substr(static_cast<size_t>(b), static_cast<size_t>(e - b)));
    });
    m.defineMethod(s, u"substring", 2, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        double len = static_cast<double>(t.size());
        auto clamp = [&](double d) { return std::isnan(d) ? 0.0 : std::min(std::max(std::trunc(d), 0.0), len); };
        double b = clamp(a.empty() ? 0 : m.toNumber(a[0]));
        double e = a.size() < 2 || a[1].isUndefined() ? len : clamp(m.toNumber(a[1]));
        if (b > e) std::swap(b, e);
        return Value(t.substr(static_cast<size_t>(b), static_cast<size_t>(e - b)));
    });
    m.defineMethod(s, u"substr", 2, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        double len = static_cast<double>(t.size());
        double b = clampIndex(a.empty() ? 0 : std::trunc(m.toNumber(a[0])), len);
        double n = a.size() < 2 || a[1].isUndefined() ? len : std::trunc(m.toNumber(a[1]));
        if (std::isnan(n)) n = 0;
        // The end counts back from the string's end when start plus length falls below zero, as
        // the reference player does (substr(0, -1) drops the last character).
        double end = b + n;
        if (end < 0) end = std::max(0.0, end + len);
        end = std::min(end, len);
        if (end <= b) return Value(String());
        return Value(t.substr(static_cast<size_t>(b), static_cast<size_t>(end - b)));
    });
    m.defineMethod(s, u"toLowerCase", 0, [](Machine& m, const Value& self, Args) -> Value { return Value(mapCase(thisString(m, self), false)); });
    m.defineMethod(s, u"toUpperCase", 0, [](Machine& m, const Value& self, Args) -> Value { return Value(mapCase(thisString(m, self), true)); });
    m.defineMethod(s, u"toLocaleLowerCase", 0, [](Machine& m, const Value& self, Args) -> Value { return Value(mapCase(thisString(m, self), false)); });
    m.defineMethod(s, u"toLocaleUpperCase", 0, [](Machine& m, const Value& self, Args) -> Value { return Value(mapCase(thisString(m, self), true)); });
    m.defineMethod(s, u"split", 2, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        Value sep = arg(a, 0);
        double limit = a.size() > 1 && !a[1].isUndefined() ? m.toUint(a[1]) : 4294967295.0;
        ArrayObject* out = m.newArray();
        if (limit == 0) return Value(out);
        if (Object* o = sep.object(); o && o->type == ObjectType::RegExp) return regexpSplit(m, o, t, limit);
        if (sep.isUndefined()) {
            out->items.push_back(Value(t));
            return Value(out);
        }
        String d = m.toString(sep);
        if (d.empty()) {
            for (size_t i = 0; i < t.size() && out->items.size() < limit; ++i) out->items.push_back(Value(String(1, t[i])));
            return Value(out);
        }
        size_t pos = 0;
        for (;;) {
            size_t f = t.find(d, pos);
            if (out->items.size() >= limit) break;
            if (f == String::npos) {
                out->items.push_back(Value(t.substr(pos)));
                break;
            }
            out->items.push_back(Value(t.substr(pos, f - pos)));
            pos = f + d.size();
        }
        return Value(out);
    });
    m.defineMethod(s, u"replace", 2, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        Value pattern = arg(a, 0), repl = arg(a, 1);
        if (Object* o = pattern.object(); o && o->type == ObjectType::RegExp) return regexpReplace(m, o, t, repl);
        String p = m.toString(pattern);
        size_t f = t.find(p);
        if (f == String::npos) return Value(t);
        String r;
        if (Object* fo = repl.object(); fo && fo->type == ObjectType::Function) {
            Value args[3] = {Value(p), Value(static_cast<double>(f)), Value(t)};
            r = m.toString(m.call(repl, Value::null(), args));
        } else {
            r = expandReplacement(m.toString(repl), t, f, p.size(), {}, m);
        }
        return Value(t.substr(0, f) + r + t.substr(f + p.size()));
    });
    m.defineMethod(s, u"match", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        return regexpMatch(m, asRegExp(m, arg(a, 0)), t);
    });
    m.defineMethod(s, u"search", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String t = thisString(m, self);
        return regexpSearch(m, asRegExp(m, arg(a, 0)), t);
    });
}

}  // namespace swf::avm2
