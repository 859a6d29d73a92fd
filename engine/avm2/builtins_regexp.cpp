// RegExp: patterns compiled by PCRE2 for UTF-16 subjects; the flags (g, i, m, s, x) and
// lastIndex behave as the language says.
#include "engine/avm2/regexp.h"

#ifdef SWF_HAVE_PCRE2
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

class RegExpObject : public Object {
public:
    RegExpObject() : Object(ObjectType::RegExp) {}
    ~RegExpObject() override {
        if (code) pcre2_code_free(code);
    }
    String source;
    bool global = false, ignoreCase = false, multiline = false, dotall = false, extended = false;
    double lastIndex = 0;
    pcre2_code* code = nullptr;
};

RegExpObject* asRegExp(Machine& m, const Value& v) {
    Object* o = v.object();
    // The prototype's methods coerce their receiver to RegExp, so a foreign one fails that coercion.
    if (!o || o->type != ObjectType::RegExp)
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForCoercion(v) + u" to RegExp.");
    return static_cast<RegExpObject*>(o);
}

void compile(Machine& m, RegExpObject* re) {
    uint32_t options = PCRE2_UTF | PCRE2_NO_UTF_CHECK | PCRE2_ALT_BSUX;
    if (re->ignoreCase) options |= PCRE2_CASELESS;
    if (re->multiline) options |= PCRE2_MULTILINE;
    if (re->dotall) options |= PCRE2_DOTALL;
    if (re->extended) options |= PCRE2_EXTENDED;
    int err = 0;
    PCRE2_SIZE offset = 0;
    const String& src = re->source;
    re->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(src.data()), src.size(), options, &err, &offset, nullptr);
    if (!re->code) {
        // A pattern the library refuses matches nothing rather than stopping the script, as players do.
        String never = u"(?!)";
        re->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(never.data()), never.size(), 0, &err, &offset, nullptr);
    }
    (void)m;
}

struct Match {
    size_t start = 0, end = 0;
    std::vector<Value> groups;  // captures 1..n (undefined when unset)
};

bool execAt(Machine& m, RegExpObject* re, const String& subject, size_t from, Match& out) {
    if (!re->code || from > subject.size()) return false;
    pcre2_match_data* md = pcre2_match_data_create_from_pattern(re->code, nullptr);
    pcre2_match_context* ctx = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(ctx, 10'000'000);
    int rc = pcre2_match(re->code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), from, PCRE2_NO_UTF_CHECK, md, ctx);
    bool ok = rc > 0;
    if (ok) {
        PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
        uint32_t pairs = pcre2_get_ovector_count(md);
        out.start = ov[0];
        out.end = ov[1];
        uint32_t captures = 0;
        pcre2_pattern_info(re->code, PCRE2_INFO_CAPTURECOUNT, &captures);
        out.groups.clear();
        for (uint32_t i = 1; i <= captures; ++i) {
            if (i < pairs && i < static_cast<uint32_t>(rc) && ov[2 * i] != PCRE2_UNSET)
                out.groups.push_back(Value(subject.substr(ov[2 * i], ov[2 * i + 1] - ov[2 * i])));
            else
                out.groups.push_back(Value());
        }
    }
    pcre2_match_context_free(ctx);
    pcre2_match_data_free(md);
    (void)m;
    return ok;
}

Value matchArray(Machine& m, const Match& mt, const String& subject) {
    ArrayObject* a = m.newArray();
    a->items.push_back(Value(subject.substr(mt.start, mt.end - mt.start)));
    for (const Value& g : mt.groups) a->items.push_back(g);
    a->dynamic.set(u"index", Value(static_cast<double>(mt.start)));
    a->dynamic.set(u"input", Value(subject));
    return Value(a);
}

Value exec(Machine& m, RegExpObject* re, const String& subject) {
    size_t from = re->global ? static_cast<size_t>(std::max(0.0, re->lastIndex)) : 0;
    Match mt;
    if (from > subject.size() || !execAt(m, re, subject, from, mt)) {
        re->lastIndex = 0;
        return Value::null();
    }
    if (re->global) re->lastIndex = static_cast<double>(mt.end);
    return matchArray(m, mt, subject);
}

}  // namespace

Value regexpMatch(Machine& m, Object* o, const String& subject) {
    auto* re = static_cast<RegExpObject*>(o);
    if (!re->global) return exec(m, re, subject);
    ArrayObject* a = m.newArray();
    size_t from = 0;
    Match mt;
    while (from <= subject.size() && execAt(m, re, subject, from, mt)) {
        a->items.push_back(Value(subject.substr(mt.start, mt.end - mt.start)));
        from = mt.end == mt.start ? mt.end + 1 : mt.end;
    }
    re->lastIndex = 0;
    if (a->items.empty()) return Value::null();
    return Value(a);
}

Value regexpSearch(Machine& m, Object* o, const String& subject) {
    Match mt;
    if (!execAt(m, static_cast<RegExpObject*>(o), subject, 0, mt)) return Value(-1);
    return Value(static_cast<double>(mt.start));
}

Value regexpReplace(Machine& m, Object* o, const String& subject, const Value& replacement) {
    auto* re = static_cast<RegExpObject*>(o);
    String out;
    size_t from = 0, copied = 0;
    Match mt;
    Object* fn = replacement.object();
    bool isFn = fn && fn->type == ObjectType::Function;
    String repl = isFn ? String() : m.toString(replacement);
    while (from <= subject.size() && execAt(m, re, subject, from, mt)) {
        out += subject.substr(copied, mt.start - copied);
        if (isFn) {
            std::vector<Value> args{Value(subject.substr(mt.start, mt.end - mt.start))};
            for (const Value& g : mt.groups) args.push_back(g);
            args.push_back(Value(static_cast<double>(mt.start)));
            args.push_back(Value(subject));
            out += m.toString(m.call(replacement, Value::null(), args));
        } else {
            out += expandReplacement(repl, subject, mt.start, mt.end - mt.start, mt.groups, m);
        }
        copied = mt.end;
        if (!re->global) break;
        from = mt.end == mt.start ? mt.end + 1 : mt.end;
    }
    if (copied < subject.size()) out += subject.substr(copied);
    // replace leaves lastIndex as it found it: it always starts at the beginning anyway.
    return Value(out);
}

Value regexpSplit(Machine& m, Object* o, const String& subject, double limit) {
    auto* re = static_cast<RegExpObject*>(o);
    ArrayObject* a = m.newArray();
    if (subject.empty()) {
        Match mt;
        if (!execAt(m, re, subject, 0, mt)) a->items.push_back(Value(subject));
        return Value(a);
    }
    size_t p = 0, q = 0;
    Match mt;
    while (q < subject.size()) {
        if (!execAt(m, re, subject, q, mt)) break;
        if (mt.end == mt.start && mt.start >= subject.size()) break;
        if (mt.end == p || (mt.end == mt.start && mt.start == p)) {
            q = mt.start + 1;
            if (mt.end != mt.start) q = mt.end;
            if (mt.start == mt.end && mt.start == p) {
                q = p + 1;
                // an empty match at the start of a piece splits after one character
                if (q > subject.size()) break;
                continue;
            }
            continue;
        }
        a->items.push_back(Value(subject.substr(p, mt.start - p)));
        if (a->items.size() >= limit) return Value(a);
        for (const Value& g : mt.groups) {
            a->items.push_back(g);
            if (a->items.size() >= limit) return Value(a);
        }
        p = mt.end;
        q = p == mt.start ? p + 1 : p;
    }
    a->items.push_back(Value(subject.substr(p)));
    return Value(a);
}

void installRegExpBuiltins(Machine& m) {
    auto ctor = [](Machine& m, const Value& self, Args a) -> Value {
        auto* re = static_cast<RegExpObject*>(self.object());
        Value src = arg(a, 0);
        String flags;
        if (Object* o = src.object(); o && o->type == ObjectType::RegExp) {
            auto* other = static_cast<RegExpObject*>(o);
            if (!arg(a, 1).isUndefined()) m.typeError(1100, u"Cannot supply flags when constructing one RegExp from another.");
            re->source = other->source;
            re->global = other->global;
            re->ignoreCase = other->ignoreCase;
            re->multiline = other->multiline;
            re->dotall = other->dotall;
            re->extended = other->extended;
        } else {
            re->source = src.isUndefined() ? String() : m.toString(src);
            flags = arg(a, 1).isUndefined() ? String() : m.toString(arg(a, 1));
            for (char16_t c : flags) {
                if (c == u'g') re->global = true;
                else if (c == u'i') re->ignoreCase = true;
                else if (c == u'm') re->multiline = true;
                else if (c == u's') re->dotall = true;
                else if (c == u'x') re->extended = true;
            }
        }
        compile(m, re);
        return Value();
    };
    ClassObject* c = m.defineClass(u"", u"RegExp", m.objectClass, ctor, [](Machine& m, ClassObject*) -> Object* {
        return m.make<RegExpObject>();
    });
    m.regexpClass = c;
    c->callAsFunction = [](Machine& m, const Value&, Args a) -> Value {
        if (Object* o = arg(a, 0).object(); o && o->type == ObjectType::RegExp && arg(a, 1).isUndefined()) return arg(a, 0);
        return m.construct(Value(m.regexpClass), a);
    };
    m.defineGetter(c, u"source", [](Machine& m, const Value& self, Args) -> Value { return Value(asRegExp(m, self)->source); });
    m.defineGetter(c, u"global", [](Machine& m, const Value& self, Args) -> Value { return Value(asRegExp(m, self)->global); });
    m.defineGetter(c, u"ignoreCase", [](Machine& m, const Value& self, Args) -> Value { return Value(asRegExp(m, self)->ignoreCase); });
    m.defineGetter(c, u"multiline", [](Machine& m, const Value& self, Args) -> Value { return Value(asRegExp(m, self)->multiline); });
    m.defineGetter(c, u"dotall", [](Machine& m, const Value& self, Args) -> Value { return Value(asRegExp(m, self)->dotall); });
    m.defineGetter(c, u"extended", [](Machine& m, const Value& self, Args) -> Value { return Value(asRegExp(m, self)->extended); });
    m.defineGetter(c, u"lastIndex", [](Machine& m, const Value& self, Args) -> Value { return Value(asRegExp(m, self)->lastIndex); },
                   [](Machine& m, const Value& self, Args a) -> Value {
                       asRegExp(m, self)->lastIndex = m.toInt(arg(a, 0));
                       return Value();
                   });
    m.defineMethod(c, u"exec", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return exec(m, asRegExp(m, self), m.toString(arg(a, 0)));
    });
    m.defineMethod(c, u"test", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return Value(!exec(m, asRegExp(m, self), m.toString(arg(a, 0))).isNull());
    });
    m.defineMethod(c, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        RegExpObject* re = asRegExp(m, self);
        String s = u"/" + re->source + u"/";
        if (re->global) s += u'g';
        if (re->ignoreCase) s += u'i';
        if (re->multiline) s += u'm';
        if (re->dotall) s += u's';
        if (re->extended) s += u'x';
        return Value(s);
    });
}

}  // namespace swf::avm2

#else

namespace swf::avm2 {

[[noreturn]] static void unavailable(Machine& m) {
    m.throwError(u"Error", 1001, u"Regular expressions are not available in this build.");
}
Value regexpSplit(Machine& m, Object*, const String&, double) { unavailable(m); }
Value regexpReplace(Machine& m, Object*, const String&, const Value&) { unavailable(m); }
Value regexpMatch(Machine& m, Object*, const String&) { unavailable(m); }
Value regexpSearch(Machine& m, Object*, const String&) { unavailable(m); }
void installRegExpBuiltins(Machine& m) {
    m.regexpClass = m.defineClass(u"", u"RegExp", m.objectClass, [](Machine& m, const Value&, std::span<const Value>) -> Value {
        unavailable(m);
    });
}

}  // namespace swf::avm2

#endif
