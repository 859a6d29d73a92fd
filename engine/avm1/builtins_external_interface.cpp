// flash.external.ExternalInterface: a saver has no container page to call, so it is not
// available and calls come back empty; the helpers that turn values into the XML and JavaScript
// the container would receive work as the reference player's do.
#include "engine/avm1/geom_support.h"
#include "engine/avm1/xml_parser.h"

namespace swf::avm1 {

namespace {

constexpr int kMaxNesting = 256;  // values nested deeper (or in a cycle) stop the script

// The helpers answer null where the text they make is empty.
Value textOrNull(std::string s) { return s.empty() ? Value::null() : Value(std::move(s)); }

std::string escapeForXml(const std::string& s) { return escapeXml(s); }

// Only the five entities, exactly as written, one pass from the left.
std::string unescapeFromXml(const std::string& s) {
    static const std::pair<const char*, char> entities[] = {
        {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool replaced = false;
        if (s[i] == '&')
            for (auto& [entity, c] : entities) {
                size_t n = std::char_traits<char>::length(entity);
                if (s.compare(i, n, entity) == 0) {
                    out += c;
                    i += n;
                    replaced = true;
                    break;
                }
            }
        if (!replaced) out += s[i++];
    }
    return out;
}

std::string quoteForJs(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out;
}

std::string toXml(Machine& m, const Value& v, int depth);

void checkDepth(int depth) {
    if (depth > kMaxNesting)
        throw ScriptAbort{"a value nested more than " + std::to_string(kMaxNesting) +
                          " levels deep was being written as XML; the script was stopped."};
}

size_t lengthOf(Machine& m, const Value& v) { return toCount(m.toNumber(m.getMember(v, "length")), 1u << 20); }

std::string arrayToXml(Machine& m, const Value& v, int depth) {
    checkDepth(depth);
    std::string out = "<array>";
    size_t n = lengthOf(m, v);
    for (size_t i = 0; i < n; ++i)
        appendLimited(out, "<property id=\"" + std::to_string(i) + "\">" +
                               toXml(m, m.getMember(v, std::to_string(i)), depth + 1) + "</property>");
    return out + "</array>";
}

std::string argumentsToXml(Machine& m, const Value& v, int depth) {
    checkDepth(depth);
    std::string out = "<arguments>";
    size_t n = lengthOf(m, v);
    for (size_t i = 1; i < n; ++i) appendLimited(out, toXml(m, m.getMember(v, std::to_string(i)), depth + 1));
    return out + "</arguments>";
}

std::string objectToXml(Machine& m, const Value& v, int depth) {
    checkDepth(depth);
    std::string out = "<object>";
    Object* o = m.toObject(v);
    if (o) {
        std::vector<std::string> names = m.enumerate(o);
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            appendLimited(out, "<property id=\"" + *it + "\">" + toXml(m, m.getMember(Value(o), *it), depth + 1) +
                                   "</property>");
    }
    return out + "</object>";
}

std::string toXml(Machine& m, const Value& v, int depth) {
    switch (v.kind()) {
        case Value::Kind::Undefined: return "<undefined/>";
        case Value::Kind::Null: return "<null/>";
        case Value::Kind::Boolean: return v.boolean() ? "<true/>" : "<false/>";
        case Value::Kind::Number: return "<number>" + m.toString(v) + "</number>";
        case Value::Kind::String: {
            Value escaped = textOrNull(escapeForXml(v.string()));
            return "<string>" + m.toString(escaped) + "</string>";
        }
        case Value::Kind::Object: break;
    }
    // Anything with a length goes as an array.
    if (!m.getMember(v, "length").isUndefined()) return arrayToXml(m, v, depth);
    return objectToXml(m, v, depth);
}

std::string toJs(Machine& m, const Value& v, int depth) {
    checkDepth(depth);
    switch (v.kind()) {
        case Value::Kind::Undefined: return "undefined";
        case Value::Kind::Null: return "null";
        case Value::Kind::Boolean: return v.boolean() ? "true" : "false";
        case Value::Kind::Number: return m.toString(v);
        case Value::Kind::String: return "\"" + quoteForJs(v.string()) + "\"";
        case Value::Kind::Object: break;
    }
    std::string out;
    Object* o = v.object();
    if (o->isArray) {
        out = "[";
        for (size_t i = 0; i < o->elements.size(); ++i)
            appendLimited(out, (i ? "," : "") + toJs(m, o->elements[i], depth + 1));
        return out + "]";
    }
    out = "({";
    std::vector<std::string> names = m.enumerate(o);
    bool first = true;
    for (auto it = names.rbegin(); it != names.rend(); ++it, first = false)
        appendLimited(out, (first ? "" : ",") + *it + ":" + toJs(m, m.getMember(v, *it), depth + 1));
    return out + "})";
}

// The string helpers take their argument as text; called with none they answer null.
template <std::string (*F)(const std::string&)>
Value textHelper(Machine& m, Object*, std::vector<Value>& a) {
    if (a.empty()) return Value::null();
    return textOrNull(F(m.toString(a[0])));
}

Value toXmlFn(Machine& m, Object*, std::vector<Value>& a) { return Value(toXml(m, arg(a, 0), 0)); }
Value arrayToXmlFn(Machine& m, Object*, std::vector<Value>& a) { return Value(arrayToXml(m, arg(a, 0), 0)); }
Value argumentsToXmlFn(Machine& m, Object*, std::vector<Value>& a) { return Value(argumentsToXml(m, arg(a, 0), 0)); }
Value objectToXmlFn(Machine& m, Object*, std::vector<Value>& a) { return Value(objectToXml(m, arg(a, 0), 0)); }
Value toJsFn(Machine& m, Object*, std::vector<Value>& a) { return Value(toJs(m, arg(a, 0), 0)); }

Value notAvailable(Machine&, Object*, std::vector<Value>&) { return Value(false); }
Value callOut(Machine&, Object*, std::vector<Value>&) { return Value::null(); }

}  // namespace

void installExternalInterface(Machine& m) {
    Object* proto = m.newObject();
    Object* ctor = defineFlashClass(m, "external", "ExternalInterface", nullptr, proto);
    defineAccessor(m, ctor, "available", notAvailable, nullptr);
    struct { const char* name; NativeFunction f; } statics[] = {
        {"addCallback", notAvailable}, {"call", callOut},
        {"_escapeXML", textHelper<escapeForXml>}, {"_unescapeXML", textHelper<unescapeFromXml>},
        {"_jsQuoteString", textHelper<quoteForJs>}, {"_toXML", toXmlFn}, {"_arrayToXML", arrayToXmlFn},
        {"_argumentsToXML", argumentsToXmlFn}, {"_objectToXML", objectToXmlFn}, {"_toJS", toJsFn}};
    for (auto& fn : statics) m.defineNative(ctor, fn.name, fn.f);
}

}  // namespace swf::avm1
