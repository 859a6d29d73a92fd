// TextField.StyleSheet: CSS rules kept as style objects (in `_css`, by selector, names matched
// exactly) beside the TextFormat each turns into (in `_styles`, made by `transform`, which scripts
// may replace). parseCSS reads the plain CSS subset: selectors, commas, declarations.
#include <cctype>
#include <cmath>

#include "engine/avm1/builtins.h"
#include "engine/avm1/text_format_object.h"

namespace swf::avm1 {

namespace {

constexpr size_t kMaxRules = 10000;

// The sheet's table `name` ("_css" or "_styles"), made when `make` and missing.
Object* table(Machine& m, Object* self, const char* name, bool make) {
    if (!self) return nullptr;
    if (Property* p = self->find(m.key(name)); p && p->value.object()) return p->value.object();
    if (!make) return nullptr;
    Object* t = m.newObject();
    self->put(m.key(name), name, Value(t), DontEnum);
    return t;
}

Object* copyOf(Machine& m, Object* style) {
    Object* copy = m.newObject();
    style->forEach([&](const Property& p) {
        if (!(p.flags & DontEnum)) copy->put(p.name, p.name, p.value);
    });
    return copy;
}

void storeStyle(Machine& m, Object* self, const std::string& name, const Value& style) {
    Object* css = table(m, self, "_css", true);
    Object* styles = table(m, self, "_styles", true);
    Value given = Value::null();
    if (Object* o = style.object()) {
        Object* copy = copyOf(m, o);
        css->put(name, name, Value(copy));
        given = Value(copy);
    } else {
        css->remove(name);
    }
    Value made = m.call(m.getMember(Value(self), "transform"), self, {given});
    if (made.object()) styles->put(name, name, made);
    else styles->remove(name);
}

Value setStyle(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || a.empty()) return Value();
    storeStyle(m, self, m.toString(a[0]), arg(a, 1));
    return Value();
}

Value getStyle(Machine& m, Object* self, std::vector<Value>& a) {
    Object* css = table(m, self, "_css", false);
    const Property* p = css ? css->find(m.toString(arg(a, 0))) : nullptr;
    if (!p || !p->value.object()) return Value::null();
    return Value(copyOf(m, p->value.object()));
}

Value getStyleNames(Machine& m, Object* self, std::vector<Value>&) {
    std::vector<Value> names;
    if (Object* css = table(m, self, "_css", false))
        css->forEach([&](const Property& p) { names.push_back(Value(p.name)); });
    return Value(m.newArray(std::move(names)));
}

Value clear(Machine& m, Object* self, std::vector<Value>&) {
    if (!self) return Value();
    self->put(m.key("_css"), "_css", Value(m.newObject()), DontEnum);
    self->put(m.key("_styles"), "_styles", Value(m.newObject()), DontEnum);
    return Value();
}

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace((unsigned char)s[b])) ++b;
    while (e > b && std::isspace((unsigned char)s[e - 1])) --e;
    return s.substr(b, e - b);
}

// "font-family" to "fontFamily".
std::string camelCase(const std::string& s) {
    std::string out;
    bool upper = false;
    for (char c : s) {
        if (c == '-') {
            upper = true;
            continue;
        }
        out += upper ? char(std::toupper((unsigned char)c)) : c;
        upper = false;
    }
    return out;
}

Value parseCSS(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self) return Value(false);
    std::string css = m.toString(arg(a, 0));
    // Read every rule first: a malformed sheet changes nothing.
    std::vector<std::pair<std::vector<std::string>, std::vector<std::pair<std::string, std::string>>>> rules;
    size_t i = 0;
    while (i < css.size() && rules.size() < kMaxRules) {
        size_t open = css.find('{', i);
        if (open == std::string::npos) {
            if (!trim(css.substr(i)).empty()) return Value(false);
            break;
        }
        size_t close = css.find('}', open);
        if (close == std::string::npos) return Value(false);
        std::vector<std::string> selectors;
        std::string list = css.substr(i, open - i);
        for (size_t p = 0; p <= list.size();) {
            size_t comma = list.find(',', p);
            if (comma == std::string::npos) comma = list.size();
            std::string sel = trim(list.substr(p, comma - p));
            if (sel.empty()) return Value(false);
            selectors.push_back(sel);
            p = comma + 1;
        }
        std::vector<std::pair<std::string, std::string>> declarations;
        std::string body = css.substr(open + 1, close - open - 1);
        for (size_t p = 0; p < body.size();) {
            size_t semi = body.find(';', p);
            if (semi == std::string::npos) semi = body.size();
            std::string decl = body.substr(p, semi - p);
            p = semi + 1;
            if (trim(decl).empty()) continue;
            size_t colon = decl.find(':');
            if (colon == std::string::npos) return Value(false);
            std::string name = trim(decl.substr(0, colon));
            // Values keep their trailing space, as the player keeps them.
            std::string value = decl.substr(colon + 1);
            size_t start = value.find_first_not_of(" \t\r\n");
            value = start == std::string::npos ? "" : value.substr(start);
            declarations.push_back({camelCase(name), value});
        }
        rules.push_back({std::move(selectors), std::move(declarations)});
        i = close + 1;
    }
    for (auto& [selectors, declarations] : rules) {
        for (const std::string& sel : selectors) {
            Object* style = m.newObject();
            for (auto& [name, value] : declarations) style->put(name, name, Value(value));
            storeStyle(m, self, sel, Value(style));
        }
    }
    return Value(true);
}

// A style object's CSS values as a TextFormat; null for no style (a number or a string is a style
// with no values).
Value transform(Machine& m, Object*, std::vector<Value>& a) {
    if (arg(a, 0).isNullish()) return Value::null();
    Object* style = m.toObject(arg(a, 0));
    if (!style) return Value::null();
    TextFormat f;
    f.kerning = false;
    f.display = "block";
    auto text = [&](const char* name) -> std::optional<std::string> {
        const Property* p = style->find(name);
        if (!p || p->value.isUndefined()) return std::nullopt;
        return trim(m.toString(p->value));
    };
    auto number = [&](const char* name) -> std::optional<double> {
        auto t = text(name);
        if (!t) return std::nullopt;
        char* end = nullptr;
        double v = std::strtod(t->c_str(), &end);
        if (end == t->c_str() || !std::isfinite(v)) return std::nullopt;
        return std::trunc(v);
    };
    // A colour is exactly '#' and six hexadecimal digits, no white space around.
    const Property* colorValue = style->find("color");
    std::optional<std::string> color;
    if (colorValue && !colorValue->value.isUndefined()) color = m.toString(colorValue->value);
    if (auto c = color; c && c->size() == 7 && (*c)[0] == '#') {
        bool hex = true;
        for (size_t k = 1; k < 7; ++k) hex = hex && std::isxdigit((unsigned char)(*c)[k]);
        if (hex) f.color = uint32_t(std::strtoul(c->c_str() + 1, nullptr, 16));
    }
    if (auto d = text("display")) {
        if (*d == "inline" || *d == "none" || *d == "block") f.display = *d;
    }
    if (auto v = text("fontFamily")) f.font = *v;
    if (auto v = number("fontSize"); v && *v > 0) f.size = *v;  // under a whole pixel: none
    if (auto v = text("fontWeight")) {
        if (*v == "bold") f.bold = true;
        else if (*v == "normal") f.bold = false;
    }
    if (auto v = text("fontStyle")) {
        if (*v == "italic") f.italic = true;
        else if (*v == "normal") f.italic = false;
    }
    if (auto v = text("textDecoration")) {
        if (*v == "underline") f.underline = true;
        else if (*v == "none") f.underline = false;
    }
    if (auto v = text("textAlign")) {
        if (*v == "left" || *v == "right" || *v == "center" || *v == "justify") f.align = *v;
    }
    if (auto v = number("marginLeft")) f.leftMargin = *v;
    if (auto v = number("marginRight")) f.rightMargin = *v;
    if (auto v = number("textIndent")) f.indent = *v;
    if (auto v = number("leading")) f.leading = *v;
    if (auto v = number("letterSpacing")) f.letterSpacing = *v;
    if (auto v = text("kerning")) f.kerning = *v == "true";
    return makeTextFormat(m, f);
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value construct(Machine&, Object* self, std::vector<Value>&) { return Value(self); }
Value loadSheet(Machine&, Object*, std::vector<Value>&) { return Value(false); }

}  // namespace

void installStyleSheet(Machine& m, Object* textField) {
    Object* proto = m.newObject();
    Object* ctor = m.newFunction(noOp, proto);
    ctor->nativeConstruct = construct;
    proto->put(m.key("constructor"), "constructor", Value(ctor), DontEnum);
    textField->put(m.key("StyleSheet"), "StyleSheet", Value(ctor), DontEnum);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"transform", transform}, {"setStyle", setStyle}, {"parseCSS", parseCSS}, {"parse", parseCSS},
        {"load", loadSheet}, {"getStyleNames", getStyleNames}, {"getStyle", getStyle}, {"clear", clear}};
    for (auto& fn : methods) {
        m.defineNative(proto, fn.name, fn.f);
        proto->find(m.key(fn.name))->flags |= DontEnum | DontDelete | ReadOnly;
    }
}

}  // namespace swf::avm1
