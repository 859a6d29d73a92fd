// flash.text.StyleSheet and a TextField's styleSheet: styles kept as copies of the objects scripts
// give (names in lower case, in the order first set) beside the TextFormat each makes through the
// sheet's `transform`, which a subclass may replace. A field reads its sheet's formats each time
// HTML goes in, so a sheet changed after it was set still applies to the next HTML.
#include <algorithm>
#include <cctype>

#include "engine/base/ascii_case.h"
#include "engine/core/as3_display.h"
#include "engine/core/text_field_state.h"
#include "engine/fonts/css_style.h"

namespace swf {

using namespace avm2;

namespace {

constexpr size_t kMaxStyles = 10000;

class StyleSheetObject : public As3DisplayObject {
public:
    void trace(std::vector<Object*>& out) override {
        As3DisplayObject::trace(out);
        for (auto& [name, style] : styles)
            if (Object* o = style.object()) out.push_back(o);
    }
    std::vector<std::pair<std::string, Value>> styles;  // name, copy of the style object
    TextStyles formats;                                   // name, what `transform` made of it
};

StyleSheetObject* asStyleSheet(Machine& m, const Value& v) {
    return nativeAs<StyleSheetObject>(m, v, u"flash.text.StyleSheet");
}

std::string lowerName(Machine& m, const Value& v) {
    return asciiLower(utf16ToUtf8(m.toString(v)));
}

// A new plain object with the enumerable properties of `from`.
Value copyOf(Machine& m, const Value& from) {
    Object* copy = m.newObject();
    if (Object* o = from.object()) {
        std::vector<Value> keys;
        m.enumerate(o, keys);
        for (const Value& key : keys) {
            String name = m.toString(key);
            m.set(Value(copy), name, m.get(from, name));
        }
    }
    return Value(copy);
}

// Keeps a copy of `style` under `name` (none removes it) with the format the sheet makes of it.
void storeStyle(Machine& m, StyleSheetObject* sheet, const std::string& name, const Value& style) {
    auto it = std::find_if(sheet->styles.begin(), sheet->styles.end(), [&](const auto& s) { return s.first == name; });
    if (style.isNullish()) {
        if (it != sheet->styles.end()) sheet->styles.erase(it);
        sheet->formats.erase(name);
        return;
    }
    Value copy = copyOf(m, style);
    if (it != sheet->styles.end()) it->second = copy;
    else if (sheet->styles.size() < kMaxStyles) sheet->styles.push_back({name, copy});
    else return;
    Value args[1] = {copy};
    Value made = m.callProperty(Value(sheet), Name{u"transform", m.publicSet}, args);
    auto* format = dynamic_cast<TextFormatObject*>(made.object());
    if (format) sheet->formats[name] = format->format;
    else sheet->formats.erase(name);
}

}  // namespace

void As3Display::installStyleSheet() {
    Machine& m = m_;
    ClassObject* sheetClass = m.defineClass(u"flash.text", u"StyleSheet", dispatcherClass,
        [](Machine&, const Value&, Args) -> Value { return Value(); },
        [this](Machine& m, ClassObject*) -> Object* {
            auto* o = m.make<StyleSheetObject>();
            o->display = this;
            return o;
        });
    sheetClass->isSealedInstances = false;  // a dynamic class
    styleSheetClass = sheetClass;
    m.defineMethod(sheetClass, u"setStyle", 2, [](Machine& m, const Value& self, Args a) -> Value {
        storeStyle(m, asStyleSheet(m, self), lowerName(m, arg(a, 0)), arg(a, 1));
        return Value();
    });
    m.defineMethod(sheetClass, u"getStyle", 1, [](Machine& m, const Value& self, Args a) -> Value {
        StyleSheetObject* sheet = asStyleSheet(m, self);
        std::string name = lowerName(m, arg(a, 0));
        for (auto& [key, style] : sheet->styles)
            if (key == name) return copyOf(m, style);
        return Value::null();
    });
    m.defineGetter(sheetClass, u"styleNames", [](Machine& m, const Value& self, Args) -> Value {
        std::vector<Value> names;
        for (auto& [key, style] : asStyleSheet(m, self)->styles) names.push_back(Value(utf8ToUtf16(key)));
        return Value(m.newArray(std::move(names)));
    });
    m.defineMethod(sheetClass, u"clear", 0, [](Machine& m, const Value& self, Args) -> Value {
        StyleSheetObject* sheet = asStyleSheet(m, self);
        sheet->styles.clear();
        sheet->formats.clear();
        return Value();
    });
    m.defineMethod(sheetClass, u"parseCSS", 1, [](Machine& m, const Value& self, Args a) -> Value {
        StyleSheetObject* sheet = asStyleSheet(m, self);
        // Every rule is read first: a malformed text changes nothing.
        auto rules = readCss(utf16ToUtf8(m.toString(arg(a, 0))));
        if (!rules) return Value();
        for (const CssRule& rule : *rules) {
            for (const std::string& selector : rule.selectors) {
                Object* style = m.newObject();
                for (auto& [name, value] : rule.declarations) m.set(Value(style), utf8ToUtf16(name), Value(utf8ToUtf16(value)));
                storeStyle(m, sheet, lowerName(m, Value(utf8ToUtf16(selector))), Value(style));
            }
        }
        return Value();
    });
    m.defineMethod(sheetClass, u"transform", 1, [this](Machine& m, const Value& self, Args a) -> Value {
        asStyleSheet(m, self);
        const Value style = arg(a, 0);
        if (style.isNullish()) return Value::null();
        auto value = [&](const char* name) -> std::optional<CssValue> {
            if (!style.object()) return std::nullopt;
            Value v = m.get(style, utf8ToUtf16(name));
            if (!m.toBoolean(v)) return std::nullopt;
            return CssValue{utf16ToUtf8(m.toString(v)), v.isString()};
        };
        auto* made = static_cast<TextFormatObject*>(m.instantiate(textFormatClass));
        made->format = formatFromStyle(value, UnreadColour::Black);
        return Value(made);
    });

    // TextField.styleSheet: the sheet, kept on the field for scripts to read back.
    auto state = [this](Machine& m, const Value& self) -> TextFieldState* {
        As3DisplayObject* o = asDisplayObject(m, self);
        return o->node ? fieldStateOf(*o->node, library_.movie()) : nullptr;
    };
    m.defineGetter(textFieldClass, u"styleSheet", [](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        auto it = o->stored.find(u"styleSheet");
        return it == o->stored.end() ? Value::null() : it->second;
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        TextFieldState* s = state(m, self);
        if (arg(a, 0).isNullish()) {
            o->stored.erase(u"styleSheet");
            if (s) s->styles.reset(), s->styledSource.reset(), s->changed();
            return Value();
        }
        StyleSheetObject* sheet = asStyleSheet(m, arg(a, 0));
        o->stored[u"styleSheet"] = Value(sheet);
        if (s) s->styles = sheet->formats, s->changed();
        return Value();
    });
}

// The formats of the field's style sheet as they are now; none when it has no sheet.
std::optional<TextStyles> As3Display::styleSheetFormats(As3DisplayObject* field) {
    auto it = field->stored.find(u"styleSheet");
    if (it == field->stored.end()) return std::nullopt;
    auto* sheet = dynamic_cast<StyleSheetObject*>(it->second.object());
    if (!sheet) return std::nullopt;
    return sheet->formats;
}

}  // namespace swf
