// TextFormat: the character and paragraph format scripts read from and give to text fields. Each
// part is null until set; numbers are kept whole as the player keeps them: the constructor cuts
// them towards zero, the setters round them and keep margins at zero or more.
#include <algorithm>
#include <cmath>

#include "engine/base/ascii_case.h"
#include "engine/avm1/builtins.h"
#include "engine/avm1/geom_support.h"
#include "engine/avm1/text_format_object.h"

namespace swf::avm1 {

TextFormat textFormatOf(const Value& v) {
    Object* o = v.object();
    auto* s = o ? dynamic_cast<TextFormatState*>(o->state.get()) : nullptr;
    return s ? s->format : TextFormat{};
}

namespace {

TextFormatState* stateOf(Object* self) { return self ? dynamic_cast<TextFormatState*>(self->state.get()) : nullptr; }

enum Field {
    Font, Size, Color, Bold, Italic, Underline, Url, Target, Align, LeftMargin, RightMargin, Indent, Leading,
    BlockIndent, Bullet, TabStops, Kerning, LetterSpacing, Display, FieldCount
};
// Constructor argument order first, then the rest.
const char* const kNames[FieldCount] = {"font", "size", "color", "bold", "italic", "underline", "url", "target",
                                        "align", "leftMargin", "rightMargin", "indent", "leading", "blockIndent",
                                        "bullet", "tabStops", "kerning", "letterSpacing", "display"};

Value numberOrNull(const std::optional<double>& v) { return v ? Value(*v) : Value::null(); }
Value boolOrNull(const std::optional<bool>& v) { return v ? Value(*v) : Value::null(); }
Value stringOrNull(const std::optional<std::string>& v) { return v ? Value(*v) : Value::null(); }

Value read(Machine& m, const TextFormat& f, int field) {
    switch (field) {
    case Font: return stringOrNull(f.font);
    case Size: return numberOrNull(f.size);
    case Color: return f.color ? Value(double(*f.color)) : Value::null();
    case Bold: return boolOrNull(f.bold);
    case Italic: return boolOrNull(f.italic);
    case Underline: return boolOrNull(f.underline);
    case Url: return stringOrNull(f.url);
    case Target: return stringOrNull(f.target);
    case Align: return stringOrNull(f.align);
    case LeftMargin: return numberOrNull(f.leftMargin);
    case RightMargin: return numberOrNull(f.rightMargin);
    case Indent: return numberOrNull(f.indent);
    case Leading: return numberOrNull(f.leading);
    case BlockIndent: return numberOrNull(f.blockIndent);
    case Bullet: return boolOrNull(f.bullet);
    case Kerning: return boolOrNull(f.kerning);
    case LetterSpacing: return numberOrNull(f.letterSpacing);
    case Display: return stringOrNull(f.display);
    case TabStops: {
        if (!f.tabStops) return Value::null();
        std::vector<Value> stops;
        for (double s : *f.tabStops) stops.push_back(Value(s));
        return Value(m.newArray(std::move(stops)));
    }
    default: return Value();
    }
}

// Whole numbers as the player keeps them: towards zero, within 32 bits.
double whole(Machine& m, const Value& v) { return double(toInt32(m.toNumber(v))); }

// To the nearest whole number, halves to the even one, within 32 bits.
double nearest(Machine& m, const Value& v) { return double(toInt32(std::nearbyint(m.toNumber(v)))); }

void write(Machine& m, TextFormat& f, int field, const Value& v, bool constructing = false) {
    const bool unset = v.isNullish();
    auto number = [&](std::optional<double>& slot) {
        slot = unset ? std::nullopt : std::optional<double>(constructing ? whole(m, v) : nearest(m, v));
    };
    auto margin = [&](std::optional<double>& slot) {
        number(slot);
        if (slot && !constructing) slot = std::max(0.0, *slot);
    };
    auto flag = [&](std::optional<bool>& slot) { slot = unset ? std::nullopt : std::optional<bool>(m.toBoolean(v)); };
    auto text = [&](std::optional<std::string>& slot) {
        slot = unset ? std::nullopt : std::optional<std::string>(m.toString(v));
    };
    switch (field) {
    case Font: text(f.font); break;
    case Size: number(f.size); break;
    case Color:
        f.color = unset ? std::nullopt : std::optional<uint32_t>(uint32_t(toInt32(m.toNumber(v))));
        break;
    case Bold: flag(f.bold); break;
    case Italic: flag(f.italic); break;
    case Underline: flag(f.underline); break;
    case Url: text(f.url); break;
    case Target: text(f.target); break;
    case Align: {
        // Only a known alignment changes it: null and undefined from a script keep the one set.
        if (unset) {
            if (constructing) f.align.reset();
            break;
        }
        std::string a = asciiLower(m.toString(v));
        if (a == "left" || a == "right" || a == "center" || a == "justify") f.align = a;
        break;
    }
    case LeftMargin: margin(f.leftMargin); break;
    case RightMargin: margin(f.rightMargin); break;
    case Indent: number(f.indent); break;
    case Leading: number(f.leading); break;
    case BlockIndent: number(f.blockIndent); break;
    case Bullet: flag(f.bullet); break;
    case Kerning: flag(f.kerning); break;
    case LetterSpacing: {
        double n = m.toNumber(v);
        f.letterSpacing = unset || std::isnan(n) ? std::nullopt : std::optional<double>(n);
        break;
    }
    case Display: {
        if (unset) {
            f.display = "block";
            break;
        }
        std::string d = m.toString(v);
        f.display = d == "none" ? "none" : d == "inline" ? "inline" : "block";
        break;
    }
    case TabStops: {
        Object* list = v.object();
        if (unset || !list || !list->isArray) {
            f.tabStops.reset();
            break;
        }
        std::vector<double> stops;
        for (const Value& e : list->elements) stops.push_back(whole(m, e));
        f.tabStops = std::move(stops);
        break;
    }
    default: break;
    }
}

template <int F>
Value getter(Machine& m, Object* self, std::vector<Value>&) {
    TextFormatState* s = stateOf(self);
    return s ? read(m, s->format, F) : Value();
}

template <int F>
Value setter(Machine& m, Object* self, std::vector<Value>& a) {
    if (TextFormatState* s = stateOf(self)) write(m, s->format, F, arg(a, 0));
    return Value();
}

template <int... F>
void defineFields(Machine& m, Object* proto, std::integer_sequence<int, F...>) {
    (defineAccessor(m, proto, kNames[F], getter<F>, setter<F>, 0), ...);
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self) return Value();
    auto s = std::make_unique<TextFormatState>();
    s->format.display = "block";
    for (size_t i = 0; i < a.size() && i <= Leading; ++i) write(m, s->format, int(i), a[i], true);
    self->state = std::move(s);
    return Value(self);
}

Value callAsFunction(Machine&, Object*, std::vector<Value>&) { return Value(); }

// The size of `text` in this format, unwrapped or wrapped at a given width, in pixels.
Value getTextExtent(Machine& m, Object* self, std::vector<Value>& a) {
    TextFormatState* s = stateOf(self);
    if (!s) return Value();
    double wrap = a.size() > 1 ? m.toNumber(a[1]) : 0;
    TextExtentValues e = m.host().measureText(s->format, m.toString(arg(a, 0)), std::isfinite(wrap) ? wrap : 0);
    Object* out = m.newObject();
    auto put = [&](const char* name, double v) { out->put(m.key(name), name, Value(v)); };
    put("ascent", e.ascent), put("descent", e.descent);
    put("width", e.width), put("height", e.height);
    put("textFieldWidth", e.width + 4), put("textFieldHeight", e.height + 4);
    return Value(out);
}

}  // namespace

Value makeTextFormat(Machine& m, const TextFormat& format) {
    Value made = m.construct(m.getMember(Value(m.global()), "TextFormat"), {});
    if (TextFormatState* s = stateOf(made.object())) s->format = format;
    return made;
}

void installTextFormat(Machine& m) {
    Object* proto = m.newObject();
    defineClass(m, "TextFormat", callAsFunction, construct, proto);
    defineFields(m, proto, std::make_integer_sequence<int, FieldCount>{});
    m.defineNative(proto, "getTextExtent", getTextExtent);
}

}  // namespace swf::avm1
