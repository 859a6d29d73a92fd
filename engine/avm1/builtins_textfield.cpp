// TextField: the script face of edit texts (their text, HTML and variable are also members the
// machine handles directly), their settings as accessors on the prototype, the format methods,
// and MovieClip.createTextField.
#include <algorithm>
#include <cmath>

#include "engine/base/ascii_case.h"
#include "engine/avm1/builtins.h"
#include "engine/avm1/geom_support.h"
#include "engine/avm1/text_format_object.h"

namespace swf::avm1 {

namespace {

Clip* fieldOf(Object* o) { return o && o->clip && o->clip->isTextField() ? o->clip : nullptr; }
TextFieldAccess* accessOf(Object* o) {
    Clip* c = fieldOf(o);
    return c ? c->textField() : nullptr;
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }

// Accessors in the order the player enumerates them.
enum Setting {
    GridFitType, AntiAliasType, Thickness, Sharpness, Filters, Scroll, MaxScroll, BorderColor, BackgroundColor,
    TextColor, TabIndex, AutoSizeSetting, Text, Type, HtmlText, Variable, HScroll, MaxHScroll, MaxChars,
    EmbedFonts, Html, Border, Background, WordWrap, Password, Multiline, Selectable, Length, BottomScroll,
    TextWidth, TextHeight, Restrict, CondenseWhite, MouseWheelEnabled, StyleSheet, SettingCount
};
const char* const kSettingNames[SettingCount] = {
    "gridFitType", "antiAliasType", "thickness", "sharpness", "filters", "scroll", "maxscroll", "borderColor",
    "backgroundColor", "textColor", "tabIndex", "autoSize", "text", "type", "htmlText", "variable", "hscroll",
    "maxhscroll", "maxChars", "embedFonts", "html", "border", "background", "wordWrap", "password", "multiline",
    "selectable", "length", "bottomScroll", "textWidth", "textHeight", "restrict", "condenseWhite",
    "mouseWheelEnabled", "styleSheet"};

// Hidden members that keep what scripts gave and the field does not hold itself.
const char* const kTabIndexKey = "__tabIndex";
const char* const kStyleSheetKey = "__styleSheet";

double colorNumber(uint32_t rgb) { return double(rgb & 0xFFFFFF); }
uint32_t toColor(Machine& m, const Value& v) { return uint32_t(toInt32(m.toNumber(v))) & 0xFFFFFF; }

Value hidden(Machine& m, Object* self, const char* key) {
    const Property* p = self->find(m.key(key));
    return p ? p->value : Value();
}

Value readSetting(Machine& m, Object* self, int which) {
    Clip* clip = fieldOf(self);
    TextFieldAccess* f = clip ? clip->textField() : nullptr;
    if (!f) return Value();
    TextFieldSettings& s = f->settings();
    switch (which) {
    case GridFitType: return Value(s.gridFitType);
    case AntiAliasType: return Value(s.antiAliasType);
    case Thickness: return Value(s.thickness);
    case Sharpness: return Value(s.sharpness);
    case Filters: {
        return m.getMember(Value(self), "__textFilters", false).isUndefined() ? Value(m.newArray())
                                                                              : hidden(m, self, "__textFilters");
    }
    case Scroll: return Value(double(std::clamp(s.scroll, 1, std::max(1, f->metrics().maxScroll))));
    case MaxScroll: return Value(double(f->metrics().maxScroll));
    case BorderColor: return Value(colorNumber(s.borderColor));
    case BackgroundColor: return Value(colorNumber(s.backgroundColor));
    case TextColor: {
        TextFormat nf = f->newFormat();
        return Value(colorNumber(nf.color.value_or(0)));
    }
    case TabIndex: return hidden(m, self, kTabIndexKey);
    case AutoSizeSetting: {
        static const char* names[] = {"none", "left", "center", "right"};
        return Value(names[int(s.autoSize)]);
    }
    case Text: return Value(clip->fieldText());
    case Type: return Value(s.input ? "input" : "dynamic");
    case HtmlText: return Value(clip->fieldHtmlText());
    case Variable: {
        std::string v = clip->fieldVariable();
        return v.empty() ? Value::null() : Value(v);
    }
    case HScroll: return Value(std::clamp(s.hscroll, 0.0, f->metrics().maxHScroll));
    case MaxHScroll: return Value(f->metrics().maxHScroll);
    case MaxChars: return s.maxChars > 0 ? Value(double(s.maxChars)) : Value::null();
    case EmbedFonts: return Value(s.embedFonts);
    case Html: return Value(s.html);
    case Border: return Value(s.border);
    case Background: return Value(s.background);
    case WordWrap: return Value(s.wordWrap);
    case Password: return Value(s.password);
    case Multiline: return Value(s.multiline);
    case Selectable: return Value(s.selectable);
    case Length: return Value(double(f->length()));
    case BottomScroll: return Value(double(f->metrics().bottomScroll));
    // Scripts read the text's extent in whole pixels.
    case TextWidth: return Value(std::round(f->metrics().textWidth));
    case TextHeight: return Value(std::round(f->metrics().textHeight));
    case Restrict: return s.restrict ? Value(*s.restrict) : Value::null();
    case CondenseWhite: return Value(s.condenseWhite);
    case MouseWheelEnabled: return Value(s.mouseWheelEnabled);
    case StyleSheet: return hidden(m, self, kStyleSheetKey);
    default: return Value();
    }
}

TextStyles stylesOf(Machine& m, const Value& sheet);

// Whether a listener of the field (the field itself among them) handles onScroller: only then is
// a change worth the layout that measures it.
bool hearsScroller(Machine& m, Object* self) {
    Object* list = m.getMember(Value(self), "_listeners", false).object();
    if (!list || !list->isArray) return false;
    for (const Value& listener : list->elements)
        if (listener.object() && m.getMember(listener, "onScroller", false).object()) return true;
    return false;
}

// Where the field is scrolled to and how far it can go, to tell onScroller listeners of changes.
struct ScrollPlace {
    int scroll = 1, maxScroll = 1;
    double hscroll = 0, maxHScroll = 0;
    bool operator==(const ScrollPlace&) const = default;
};

ScrollPlace scrollPlace(TextFieldAccess& f) {
    TextFieldMetrics metrics = f.metrics();
    const TextFieldSettings& s = f.settings();
    return {std::clamp(s.scroll, 1, std::max(1, metrics.maxScroll)), metrics.maxScroll,
            std::clamp(s.hscroll, 0.0, metrics.maxHScroll), metrics.maxHScroll};
}

void writeSettingValue(Machine& m, Object* self, Clip* clip, TextFieldAccess* f, int which, const Value& v);

void writeSetting(Machine& m, Object* self, int which, const Value& v) {
    Clip* clip = fieldOf(self);
    TextFieldAccess* f = clip ? clip->textField() : nullptr;
    if (!f) return;
    // Settings that move or reflow the text tell the field's listeners when the scroll position or
    // its limits change.
    const bool reflows = which == Scroll || which == HScroll || which == Text || which == HtmlText ||
                         which == WordWrap || which == Multiline || which == AutoSizeSetting ||
                         which == CondenseWhite || which == StyleSheet;
    const bool tell = reflows && hearsScroller(m, self);
    ScrollPlace before;
    if (tell) before = scrollPlace(*f);
    writeSettingValue(m, self, clip, f, which, v);
    if (tell && !(scrollPlace(*f) == before)) m.broadcast(self, "onScroller", {Value(self)});
}

void writeSettingValue(Machine& m, Object* self, Clip* clip, TextFieldAccess* f, int which, const Value& v) {
    TextFieldSettings& s = f->settings();
    switch (which) {
    case GridFitType: {
        std::string t = m.toString(v);
        if (t == "none" || t == "pixel" || t == "subpixel") s.gridFitType = t;
        break;
    }
    case AntiAliasType: {
        std::string t = m.toString(v);
        if (t == "normal" || t == "advanced") s.antiAliasType = t;
        break;
    }
    // Kept as given, out of range or not a number alike; drawing takes what it can use.
    case Thickness: s.thickness = m.toNumber(v); break;
    case Sharpness: s.sharpness = m.toNumber(v); break;
    case Filters:
        self->put(m.key("__textFilters"), "__textFilters", v, DontEnum);
        if (self->clip)
            if (auto filters = displayFilters(v)) self->clip->setFilters(*filters);
        return;
    case Scroll: {
        double n = m.toNumber(v);
        if (std::isfinite(n)) s.scroll = int(std::clamp(n, 1.0, 1e6));
        break;
    }
    case BorderColor: s.borderColor = toColor(m, v); break;
    case BackgroundColor: s.backgroundColor = toColor(m, v); break;
    case TextColor: {
        TextFormat color;
        color.color = toColor(m, v);
        f->setFormat(0, f->length(), color);
        f->setNewFormat(color);
        break;
    }
    case TabIndex: self->put(m.key(kTabIndexKey), kTabIndexKey, v, DontEnum); return;
    case AutoSizeSetting: {
        if (v.isBoolean()) {
            s.autoSize = v.boolean() ? AutoSize::Left : AutoSize::None;
            break;
        }
        std::string t = m.toString(v);
        s.autoSize = t == "left" ? AutoSize::Left : t == "center" ? AutoSize::Center : t == "right" ? AutoSize::Right : AutoSize::None;
        break;
    }
    case Text: clip->setFieldText(m.toString(v)); return;
    case Type: {
        std::string t = asciiLower(m.toString(v));
        if (t == "input") s.input = true;
        else if (t == "dynamic") s.input = false;
        break;
    }
    case HtmlText: clip->setFieldHtmlText(m.toString(v)); return;
    case Variable: clip->setFieldVariable(v.isNullish() ? "" : m.toString(v)); return;
    case HScroll: {
        double n = m.toNumber(v);
        if (std::isfinite(n)) s.hscroll = std::max(0.0, std::trunc(n));
        break;
    }
    case MaxChars: {
        double n = m.toNumber(v);
        s.maxChars = v.isNullish() || !std::isfinite(n) ? 0 : std::max(0, toInt32(n));
        break;
    }
    case EmbedFonts: s.embedFonts = m.toBoolean(v); break;
    case Html: s.html = m.toBoolean(v); break;
    case Border: s.border = m.toBoolean(v); break;
    case Background: s.background = m.toBoolean(v); break;
    case WordWrap: s.wordWrap = m.toBoolean(v); break;
    case Password: s.password = m.toBoolean(v); break;
    case Multiline: s.multiline = m.toBoolean(v); break;
    case Selectable: s.selectable = m.toBoolean(v); break;
    case Restrict:
        if (v.isNullish()) s.restrict.reset();
        else s.restrict = m.toString(v);
        break;
    case CondenseWhite: s.condenseWhite = m.toBoolean(v); break;
    case MouseWheelEnabled: s.mouseWheelEnabled = m.toBoolean(v); break;
    case StyleSheet: {
        self->put(m.key(kStyleSheetKey), kStyleSheetKey, v, DontEnum);
        if (v.object()) s.styles = stylesOf(m, v);
        else s.styles.reset();
        break;
    }
    default: return;  // read-only
    }
    f->settingsChanged();
}

template <int S>
Value settingGetter(Machine& m, Object* self, std::vector<Value>&) {
    return readSetting(m, self, S);
}

template <int S>
Value settingSetter(Machine& m, Object* self, std::vector<Value>& a) {
    // Movies before SWF 8 know no rendering settings nor filters on fields: what they set under
    // those names is kept as a plain member.
    if (S <= Filters && m.swfVersion() < 8) {
        if (self) self->put(m.key(kSettingNames[S]), kSettingNames[S], arg(a, 0));
        return Value();
    }
    writeSetting(m, self, S, arg(a, 0));
    return Value();
}

bool readOnly(int s) {
    return s == MaxScroll || s == MaxHScroll || s == Length || s == BottomScroll || s == TextWidth || s == TextHeight;
}

template <int... S>
void defineSettings(Machine& m, Object* proto, std::integer_sequence<int, S...>) {
    (defineAccessor(m, proto, kSettingNames[S], settingGetter<S>, readOnly(S) ? nullptr : settingSetter<S>, 0), ...);
}

// A style sheet's rules as formats: the TextFormats its `transform` made, by selector (tag names
// match in any case).
TextStyles stylesOf(Machine& m, const Value& sheet) {
    TextStyles out;
    Object* o = sheet.object();
    const Property* p = o ? o->find(m.key("_styles")) : nullptr;
    Object* styles = p ? p->value.object() : nullptr;
    if (!styles) return out;
    styles->forEach([&](const Property& rule) {
        std::string name = rule.name;
        if (!name.empty() && name[0] != '.')
            name = asciiLower(std::move(name));
        if (out.size() < 10000) out[name] = textFormatOf(rule.value);
    });
    return out;
}

// Character positions from script numbers: -1 or missing picks the default.
size_t position(Machine& m, const Value& v, size_t fallback, size_t length) {
    if (v.isUndefined()) return fallback;
    double n = m.toNumber(v);
    if (!std::isfinite(n) || n < 0) return fallback;
    return size_t(std::min(n, double(length)));
}

Value getTextFormat(Machine& m, Object* self, std::vector<Value>& a) {
    TextFieldAccess* f = accessOf(self);
    if (!f) return Value();
    size_t n = f->length(), begin = 0, end = n;
    if (!a.empty() && !a[0].isUndefined()) {
        begin = position(m, a[0], 0, n);
        end = a.size() > 1 && !a[1].isUndefined() ? position(m, a[1], n, n) : std::min(begin + 1, n);
        if (end < begin) std::swap(begin, end);
    }
    return makeTextFormat(m, n == 0 ? f->newFormat() : f->format(begin, end));
}

Value getNewTextFormat(Machine& m, Object* self, std::vector<Value>&) {
    TextFieldAccess* f = accessOf(self);
    return f ? makeTextFormat(m, f->newFormat()) : Value();
}

Value setTextFormat(Machine& m, Object* self, std::vector<Value>& a) {
    TextFieldAccess* f = accessOf(self);
    if (!f || a.empty()) return Value();
    size_t n = f->length(), begin = 0, end = n;
    TextFormat format = textFormatOf(a.back());
    if (!a.back().object()) return Value();
    if (a.size() == 2) {
        begin = position(m, a[0], 0, n);
        end = std::min(begin + 1, n);
    } else if (a.size() >= 3) {
        begin = position(m, a[0], 0, n);
        end = position(m, a[1], n, n);
    }
    if (end < begin) std::swap(begin, end);
    f->setFormat(begin, end, format);
    return Value();
}

Value setNewTextFormat(Machine&, Object* self, std::vector<Value>& a) {
    TextFieldAccess* f = accessOf(self);
    if (f && !a.empty() && a[0].object()) f->setNewFormat(textFormatOf(a[0]));
    return Value();
}

Value replaceText(Machine& m, Object* self, std::vector<Value>& a) {
    TextFieldAccess* f = accessOf(self);
    if (!f || a.size() < 3) return Value();
    size_t n = f->length();
    double b = m.toNumber(a[0]), e = m.toNumber(a[1]);
    if (!std::isfinite(b) || !std::isfinite(e) || b < 0 || e < b) return Value();
    f->replaceText(size_t(std::min(b, double(n))), size_t(std::min(e, double(n))), m.toString(a[2]));
    return Value();
}

// Replaces the focused field's selection (the caret when nothing is selected).
Value replaceSel(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* clip = fieldOf(self);
    TextFieldAccess* f = clip ? clip->textField() : nullptr;
    if (!f || a.empty()) return Value();
    // A field without the focus keeps the selection it had last (a new one: the caret at its start).
    const bool focused = m.host().focus() == clip;
    TextFieldSettings& s = f->settings();
    int begin = s.selectionBegin, end = s.selectionEnd, caret = -1;
    if (focused) m.host().selection(begin, end, caret);
    size_t n = f->length();
    size_t b = std::min(size_t(std::max(0, begin)), n), e = std::min(size_t(std::max(0, end)), n);
    if (e < b) std::swap(b, e);
    std::string text = m.toString(a[0]);
    f->replaceText(b, e, text);
    int at = int(b + decodeLength(text));
    if (focused) m.host().setSelection(at, at);
    s.selectionBegin = s.selectionEnd = at;
    return Value();
}

Value removeTextField(Machine&, Object* o, std::vector<Value>&) {
    if (Clip* c = fieldOf(o)) c->remove();
    return Value();
}

Value getDepth(Machine&, Object* o, std::vector<Value>&) {
    Clip* c = fieldOf(o);
    return c ? Value(double(c->depth())) : Value();
}

Value getFontList(Machine& m, Object*, std::vector<Value>&) {
    std::vector<Value> names;
    for (const std::string& f : m.host().fontFamilies()) names.push_back(Value(f));
    return Value(m.newArray(std::move(names)));
}

Value createTextField(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = o ? o->clip : nullptr;
    if (!c || a.size() < 6) return Value();
    double d = m.toNumber(a[1]);
    int depth = std::isfinite(d) ? int(std::max(-2e9, std::min(2e9, d))) : 0;
    // The place and size are whole pixels: 2.9 makes 2, what is not a number 0.
    auto whole = [&](const Value& v) {
        double n = m.toNumber(v);
        return std::isfinite(n) ? std::trunc(n) : 0.0;
    };
    Clip* made = c->createTextField(m.toString(a[0]), depth, whole(a[2]), whole(a[3]), whole(a[4]), whole(a[5]));
    return made ? Value(m.clipObject(made)) : Value();
}

}  // namespace

size_t decodeLength(const std::string& utf8) {
    size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

void installTextField(Machine& m) {
    m.textFieldProto = m.newObject();
    Object* ctor = defineClass(m, "TextField", noOp, nullptr, m.textFieldProto);
    defineSettings(m, m.textFieldProto, std::make_integer_sequence<int, SettingCount>{});
    struct { const char* name; NativeFunction f; } methods[] = {
        {"removeTextField", removeTextField}, {"getTextFormat", getTextFormat},
        {"getNewTextFormat", getNewTextFormat}, {"setTextFormat", setTextFormat},
        {"setNewTextFormat", setNewTextFormat}, {"replaceSel", replaceSel}, {"replaceText", replaceText},
        {"getDepth", getDepth}};
    for (auto& fn : methods) m.defineNative(m.textFieldProto, fn.name, fn.f);
    m.defineNative(ctor, "getFontList", getFontList);
    m.defineNative(m.movieClipProto, "createTextField", createTextField);
    m.movieClipProto->find(m.key("createTextField"))->flags |= FromVersion6;
    installTextFormat(m);
    installStyleSheet(m, ctor);
}

}  // namespace swf::avm1
