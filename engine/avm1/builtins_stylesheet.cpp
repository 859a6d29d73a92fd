// TextField.StyleSheet: CSS rules kept as style objects (in `_css`, by selector, names matched
// exactly) beside the TextFormat each turns into (in `_styles`, made by `transform`, which scripts
// may replace). parseCSS reads the plain CSS subset: selectors, commas, declarations.
#include <cctype>
#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/avm1/builtins.h"
#include "engine/avm1/text_format_object.h"
#include "engine/fonts/css_style.h"

namespace swf::avm1 {

namespace {

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

// A style object's CSS values as a TextFormat; null for no style (a number or a string is a style
// with no values). Values the player does not take (a false one, an unknown word, a word with
// white space around it) leave the part unset; numbers are read from the front of the text, in
// whole pixels.
Value transform(Machine& m, Object*, std::vector<Value>& a) {
    if (arg(a, 0).isNullish()) return Value::null();
    Object* style = m.toObject(arg(a, 0));
    if (!style) return Value::null();
    auto value = [&](const char* name) -> std::optional<CssValue> {
        const Property* p = style->find(name);
        if (!p || !m.toBoolean(p->value)) return std::nullopt;
        return CssValue{m.toString(p->value), p->value.isString()};
    };
    return makeTextFormat(m, formatFromStyle(value, UnreadColour::Unset));
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
