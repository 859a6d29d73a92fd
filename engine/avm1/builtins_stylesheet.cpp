// TextField.StyleSheet: CSS rules kept as style objects (in `_css`, by selector, names matched
// exactly) beside the TextFormat each turns into (in `_styles`, made by `transform`, which scripts
// may replace). parseCSS reads the plain CSS subset: selectors, commas, declarations.
#include <cctype>
#include <algorithm>
#include <cmath>
#include <optional>

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
        // The name stays listed, with no style.
        css->put(name, name, Value::null());
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

// "font-family" to "fontFamily"; a doubled dash stands for a dash.
std::string camelCase(const std::string& s) {
    std::string out;
    bool upper = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            out += '-';
            ++i;
            continue;
        }
        if (c == '-') {
            upper = true;
            continue;
        }
        out += upper ? char(std::toupper((unsigned char)c)) : c;
        upper = false;
    }
    return out;
}

struct CssRule {
    std::vector<std::string> selectors;
    std::vector<std::pair<std::string, std::string>> declarations;
};

// The player's CSS reader, which is looser than CSS: a selector is any run of characters up to
// white space, ',' or '{'; a property name runs to ':' (';' and '}' included, trailing white space
// kept, white space inside refused); a value runs to ';' or '}' with its trailing white space; a
// block left open at the end of the text is closed. Nothing when the text is malformed.
std::optional<std::vector<CssRule>> readCss(const std::string& css) {
    std::vector<CssRule> rules;
    size_t i = 0, n = css.size();
    auto space = [&](size_t k) { return std::isspace((unsigned char)css[k]) != 0; };
    auto skipSpace = [&] {
        while (i < n && space(i)) ++i;
    };
    while (true) {
        skipSpace();
        if (i >= n) return rules;
        if (rules.size() >= kMaxRules) return std::nullopt;
        CssRule rule;
        while (true) {
            skipSpace();
            size_t begin = i;
            while (i < n && !space(i) && css[i] != ',' && css[i] != '{') ++i;
            if (i == begin) return std::nullopt;
            rule.selectors.push_back(css.substr(begin, i - begin));
            skipSpace();
            if (i >= n) return std::nullopt;
            if (css[i] == '{') break;
            if (css[i] != ',') return std::nullopt;
            ++i;
        }
        ++i;  // past '{'
        while (true) {
            skipSpace();
            if (i >= n) break;
            if (css[i] == '}') {
                ++i;
                break;
            }
            size_t begin = i;
            bool spaced = false;
            while (i < n && css[i] != ':') {
                if (space(i)) spaced = true;
                else if (spaced) return std::nullopt;
                ++i;
            }
            if (i >= n) return std::nullopt;
            std::string name = css.substr(begin, i - begin);
            ++i;  // past ':'
            skipSpace();
            begin = i;
            while (i < n && css[i] != ';' && css[i] != '}') ++i;
            if (i >= n) return std::nullopt;
            if (!name.empty()) rule.declarations.push_back({camelCase(name), css.substr(begin, i - begin)});
            if (css[i] == '}') {
                ++i;
                break;
            }
            ++i;  // past ';'
        }
        rules.push_back(std::move(rule));
    }
}

Value parseCSS(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self) return Value(false);
    // Read every rule first: a malformed sheet changes nothing.
    auto rules = readCss(m.toString(arg(a, 0)));
    if (!rules) return Value(false);
    for (auto& rule : *rules) {
        for (const std::string& sel : rule.selectors) {
            Object* style = m.newObject();
            for (auto& [name, value] : rule.declarations) style->put(name, name, Value(value));
            storeStyle(m, self, sel, Value(style));
        }
    }
    return Value(true);
}

// The number a CSS value starts with, after white space ("12px" is 12); NaN when none.
double leadingNumber(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && std::isspace((unsigned char)s[i])) ++i;
    size_t begin = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit((unsigned char)s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit((unsigned char)s[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nan("");
    return std::strtod(s.substr(begin, i - begin).c_str(), nullptr);
}

// "  a  , b,, c" to "a  ,b,c": each name loses its leading white space, empty names go.
std::string fontList(const std::string& s) {
    std::string out;
    for (size_t p = 0; p <= s.size();) {
        size_t comma = s.find(',', p);
        if (comma == std::string::npos) comma = s.size();
        size_t b = p;
        while (b < comma && std::isspace((unsigned char)s[b])) ++b;
        if (b < comma) {
            if (!out.empty()) out += ',';
            out += s.substr(b, comma - b);
        }
        p = comma + 1;
    }
    return out;
}

bool sameLetters(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower((unsigned char)a[i]) != b[i]) return false;
    return i == a.size() && !b[i];
}

// A style object's CSS values as a TextFormat; null for no style (a number or a string is a style
// with no values). Values the player does not take (a false one, an unknown word, a word with
// white space around it) leave the part unset; numbers are read from the front of the text, in
// whole pixels.
Value transform(Machine& m, Object*, std::vector<Value>& a) {
    if (arg(a, 0).isNullish()) return Value::null();
    Object* style = m.toObject(arg(a, 0));
    if (!style) return Value::null();
    TextFormat f;
    f.kerning = false;
    f.display = "block";
    auto value = [&](const char* name) -> std::optional<Value> {
        const Property* p = style->find(name);
        if (!p || !m.toBoolean(p->value)) return std::nullopt;
        return p->value;
    };
    auto text = [&](const char* name) -> std::optional<std::string> {
        auto v = value(name);
        if (!v) return std::nullopt;
        return m.toString(*v);
    };
    auto number = [&](const char* name) -> std::optional<double> {
        auto t = text(name);
        if (!t) return std::nullopt;
        return std::trunc(leadingNumber(*t));
    };
    // A colour is exactly '#' and six hexadecimal digits, no white space around.
    if (auto c = text("color"); c && c->size() == 7 && (*c)[0] == '#') {
        bool hex = true;
        for (size_t k = 1; k < 7; ++k) hex = hex && std::isxdigit((unsigned char)(*c)[k]);
        if (hex) f.color = uint32_t(std::strtoul(c->c_str() + 1, nullptr, 16));
    }
    if (auto d = text("display")) {
        if (*d == "inline" || *d == "none" || *d == "block") f.display = *d;
    }
    if (auto v = text("fontFamily")) {
        if (std::string list = fontList(*v); !list.empty()) f.font = list;
    }
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
        for (const char* align : {"left", "right", "center", "justify"})
            if (sameLetters(*v, align)) f.align = align;
    }
    auto margin = [](double v) { return std::isnan(v) ? 0.0 : std::max(0.0, v); };
    if (auto v = number("marginLeft")) f.leftMargin = margin(*v);
    if (auto v = number("marginRight")) f.rightMargin = margin(*v);
    if (auto v = number("leading")) f.leading = std::isnan(*v) ? 0.0 : *v;
    if (auto v = number("letterSpacing")) f.letterSpacing = *v;
    if (auto v = value("kerning")) {
        if (v->isString() && m.toString(*v) == "true") f.kerning = true;
        else if (auto n = number("kerning"); n && !std::isnan(*n) && *n != 0) f.kerning = true;
    }
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
