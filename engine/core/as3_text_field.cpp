// flash.text's TextField and TextFormat over the engine's text fields: a field made by a script is
// an edit text on the display list, laid out and painted by the text engine like one the timeline
// placed.
#include <cmath>

#include "engine/core/as3_display.h"
#include "engine/core/text_field_state.h"
#include "engine/core/text_layout.h"

namespace swf {

using namespace avm2;

double wholeFormatNumber(double v) {
    // Rounded half to even, as the processor converts; what has no 32-bit value becomes the
    // lowest one.
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return -2147483648.0;
    return r;
}

void As3Display::installTextField() {
    Machine& m = m_;
    // flash.text.TextFormat: every property unset (null) until given.
    textFormatClass = m.defineClass(u"flash.text", u"TextFormat", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        static const char16_t* order[] = {u"font", u"size", u"color", u"bold", u"italic", u"underline", u"url", u"target",
                                          u"align", u"leftMargin", u"rightMargin", u"indent", u"leading"};
        for (size_t i = 0; i < a.size() && i < std::size(order); ++i)
            if (!a[i].isNullish()) m.set(self, order[i], a[i]);
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<TextFormatObject>(); });
    textFormatClass->isSealedInstances = true;
    ClassObject* tf = textFormatClass;
    auto fmt = [tf](Machine& m, const Value& v) -> TextFormat& {
        Object* o = v.object();
        if (!o || !o->cls || !o->cls->isSubclassOf(tf))
            m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.text.TextFormat.");
        return static_cast<TextFormatObject*>(o)->format;
    };
    auto stringField = [&m, fmt, tf](const char16_t* name, std::optional<std::string> TextFormat::*field) {
        m.defineGetter(tf, name, [fmt, field](Machine& m, const Value& self, Args) -> Value {
            auto& f = fmt(m, self).*field;
            return f ? Value(utf8ToUtf16(*f)) : Value::null();
        }, [fmt, field](Machine& m, const Value& self, Args a) -> Value {
            auto& f = fmt(m, self).*field;
            if (arg(a, 0).isNullish()) f.reset();
            else f = utf16ToUtf8(m.toString(arg(a, 0)));
            return Value();
        });
    };
    // Sizes, margins, indents and leading are kept as whole numbers (see wholeFormatNumber).
    auto intField = [&m, fmt, tf](const char16_t* name, std::optional<double> TextFormat::*field) {
        m.defineGetter(tf, name, [fmt, field](Machine& m, const Value& self, Args) -> Value {
            auto& f = fmt(m, self).*field;
            return f ? Value(*f) : Value::null();
        }, [fmt, field](Machine& m, const Value& self, Args a) -> Value {
            auto& f = fmt(m, self).*field;
            if (arg(a, 0).isNullish()) f.reset();
            else f = wholeFormatNumber(m.toNumber(arg(a, 0)));
            return Value();
        });
    };
    auto boolField = [&m, fmt, tf](const char16_t* name, std::optional<bool> TextFormat::*field) {
        m.defineGetter(tf, name, [fmt, field](Machine& m, const Value& self, Args) -> Value {
            auto& f = fmt(m, self).*field;
            return f ? Value(*f) : Value::null();
        }, [fmt, field](Machine& m, const Value& self, Args a) -> Value {
            auto& f = fmt(m, self).*field;
            if (arg(a, 0).isNullish()) f.reset();
            else f = m.toBoolean(arg(a, 0));
            return Value();
        });
    };
    stringField(u"font", &TextFormat::font);
    stringField(u"url", &TextFormat::url);
    stringField(u"target", &TextFormat::target);
    stringField(u"align", &TextFormat::align);
    stringField(u"display", &TextFormat::display);
    intField(u"size", &TextFormat::size);
    intField(u"leftMargin", &TextFormat::leftMargin);
    intField(u"rightMargin", &TextFormat::rightMargin);
    intField(u"indent", &TextFormat::indent);
    intField(u"blockIndent", &TextFormat::blockIndent);
    intField(u"leading", &TextFormat::leading);
    // Letter spacing alone keeps fractions, and whatever number it is given.
    m.defineGetter(tf, u"letterSpacing", [fmt](Machine& m, const Value& self, Args) -> Value {
        auto& f = fmt(m, self).letterSpacing;
        return f ? Value(*f) : Value::null();
    }, [fmt](Machine& m, const Value& self, Args a) -> Value {
        auto& f = fmt(m, self).letterSpacing;
        if (arg(a, 0).isNullish()) f.reset();
        else f = m.toNumber(arg(a, 0));
        return Value();
    });
    m.defineGetter(tf, u"tabStops", [fmt](Machine& m, const Value& self, Args) -> Value {
        auto& stops = fmt(m, self).tabStops;
        if (!stops) return Value::null();
        std::vector<Value> items;
        for (double stop : *stops) items.push_back(Value(stop));
        return Value(m.newArray(std::move(items)));
    }, [fmt](Machine& m, const Value& self, Args a) -> Value {
        auto& stops = fmt(m, self).tabStops;
        Object* list = arg(a, 0).object();
        if (!list || list->type != ObjectType::Array) {
            stops.reset();
            return Value();
        }
        std::vector<double> whole;
        for (const Value& v : static_cast<ArrayObject*>(list)->items) whole.push_back(wholeFormatNumber(m.toNumber(v)));
        stops = std::move(whole);
        return Value();
    });
    boolField(u"bold", &TextFormat::bold);
    boolField(u"italic", &TextFormat::italic);
    boolField(u"underline", &TextFormat::underline);
    boolField(u"bullet", &TextFormat::bullet);
    boolField(u"kerning", &TextFormat::kerning);
    m.defineGetter(tf, u"color", [fmt](Machine& m, const Value& self, Args) -> Value {
        auto& c = fmt(m, self).color;
        // Kept as the signed whole number given; drawing reads its low 24 bits.
        return c ? Value(static_cast<double>(static_cast<int32_t>(*c))) : Value::null();
    }, [fmt](Machine& m, const Value& self, Args a) -> Value {
        auto& c = fmt(m, self).color;
        if (arg(a, 0).isNullish()) c.reset();
        else c = m.toUint(arg(a, 0));
        return Value();
    });
    auto makeFormat = [this](Machine& m, const TextFormat& f) -> Value {
        auto* o = static_cast<TextFormatObject*>(m.instantiate(textFormatClass));
        o->format = f;
        return Value(o);
    };

    auto constants = [&m](const char16_t* name, std::initializer_list<std::pair<const char16_t*, const char16_t*>> values) {
        ClassObject* c = m.defineClass(u"flash.text", name, m.objectClass, nullptr);
        for (auto [key, value] : values) m.defineConstant(c, key, Value(String(value)));
    };
    constants(u"TextFieldAutoSize", {{u"NONE", u"none"}, {u"LEFT", u"left"}, {u"CENTER", u"center"}, {u"RIGHT", u"right"}});
    constants(u"TextFieldType", {{u"DYNAMIC", u"dynamic"}, {u"INPUT", u"input"}});
    constants(u"TextFormatAlign", {{u"LEFT", u"left"}, {u"CENTER", u"center"}, {u"RIGHT", u"right"}, {u"JUSTIFY", u"justify"},
                                   {u"START", u"start"}, {u"END", u"end"}});

    // flash.text.TextField
    textFieldClass = m.defineClass(u"flash.text", u"TextField", interactiveClass, [this](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        if (o->node) return Value();
        auto node = newNode(DisplayObject::Kind::EditText);
        auto def = std::make_shared<EditText>();
        def->bounds = Rect{0, 0, 100 * kTwips, 100 * kTwips};
        def->readOnly = true;
        node->fieldDefinition = std::move(def);
        o->detached = std::move(node);
        adopt(o, o->detached.get());
        o->node->name = "instance" + std::to_string(++scriptInstances_);
        if (TextFieldState* s = fieldStateOf(*o->node, library_.movie())) {
            // A script's field starts in the player's default format.
            s->newFormat.font = s->newFormat.font.value_or("Times New Roman");
            s->newFormat.size = s->newFormat.size.value_or(12);
            s->newFormat.color = s->newFormat.color.value_or(0);
        }
        return Value();
    });
    ClassObject* tc = textFieldClass;
    auto state = [this](Machine& m, const Value& self) -> TextFieldState* {
        As3DisplayObject* o = asDisplayObject(m, self);
        return o->node ? fieldStateOf(*o->node, library_.movie()) : nullptr;
    };
    auto metrics = [this, state](Machine& m, const Value& self) -> const TextLayout* {
        TextFieldState* s = state(m, self);
        return s ? &currentLayout(*s, library_.movie(), &library_.deviceFonts()) : nullptr;
    };
    m.defineGetter(tc, u"text", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        String text = s ? utf8ToUtf16(s->text()) : String();
        // Line ends read back as carriage returns.
        for (char16_t& ch : text)
            if (ch == u'\n') ch = u'\r';
        return Value(text);
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter text must be non-null.");
        if (TextFieldState* s = state(m, self)) {
            s->setText(utf16ToUtf8(m.toString(arg(a, 0))));
            s->changed();
        }
        return Value();
    });
    m.defineMethod(tc, u"appendText", 1, [state](Machine& m, const Value& self, Args a) -> Value {
        if (TextFieldState* s = state(m, self)) {
            size_t end = s->document.length();
            s->document.replace(end, end, utf16ToUtf8(m.toString(arg(a, 0))), s->newFormat);
            s->changed();
        }
        return Value();
    });
    m.defineMethod(tc, u"replaceText", 3, [state](Machine& m, const Value& self, Args a) -> Value {
        if (TextFieldState* s = state(m, self)) {
            size_t length = s->document.length();
            size_t begin = std::min<size_t>(length, static_cast<size_t>(std::max(0, m.toInt(arg(a, 0)))));
            size_t end = std::clamp<size_t>(static_cast<size_t>(std::max(0, m.toInt(arg(a, 1)))), begin, length);
            s->document.replace(begin, end, utf16ToUtf8(m.toString(arg(a, 2))), s->newFormat);
            s->changed();
        }
        return Value();
    });
    m.defineGetter(tc, u"htmlText", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        if (s && s->styles && s->styledSource) return Value(utf8ToUtf16(*s->styledSource));
        return Value(s ? utf8ToUtf16(s->document.html()) : String());
    }, [this, state](Machine& m, const Value& self, Args a) -> Value {
        if (TextFieldState* s = state(m, self)) {
            s->html = true;
            if (auto formats = styleSheetFormats(asDisplayObject(m, self))) s->styles = std::move(*formats);
            s->setHtmlText(utf16ToUtf8(m.toString(arg(a, 0))));
            s->changed();
        }
        return Value();
    });
    m.defineGetter(tc, u"length", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(static_cast<double>(s ? s->document.length() : 0));
    });
    m.defineGetter(tc, u"textColor", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        if (!s) return Value(0);
        TextFormat f = s->document.length() ? s->document.formatAt(0) : s->newFormat;
        return Value(static_cast<double>(f.color.value_or(0)));
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        if (TextFieldState* s = state(m, self)) {
            TextFormat color;
            color.color = m.toUint(arg(a, 0)) & 0xFFFFFF;
            s->document.applyFormat(0, s->document.length(), color);
            s->newFormat.color = color.color;
            s->changed();
        }
        return Value();
    });
    m.defineGetter(tc, u"defaultTextFormat", [state, makeFormat](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return makeFormat(m, s ? s->newFormat : TextFormat{});
    }, [state, fmt](Machine& m, const Value& self, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter format must be non-null.");
        if (TextFieldState* s = state(m, self)) {
            s->newFormat.merge(fmt(m, arg(a, 0)));
            s->changed();
        }
        return Value();
    });
    m.defineMethod(tc, u"setTextFormat", 3, [state, fmt](Machine& m, const Value& self, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter format must be non-null.");
        TextFieldState* s = state(m, self);
        if (!s) return Value();
        int length = static_cast<int>(s->document.length());
        int begin = a.size() > 1 ? m.toInt(a[1]) : -1, end = a.size() > 2 ? m.toInt(a[2]) : -1;
        if (begin == -1) begin = 0, end = length;
        else if (end == -1) end = begin + 1;
        if (begin < 0 || end > length || begin > end) m.rangeError(2006, u"The supplied index is out of bounds.");
        s->document.applyFormat(static_cast<size_t>(begin), static_cast<size_t>(end), fmt(m, arg(a, 0)));
        s->changed();
        return Value();
    });
    m.defineMethod(tc, u"getTextFormat", 2, [state, makeFormat](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        if (!s) return makeFormat(m, TextFormat{});
        int length = static_cast<int>(s->document.length());
        int begin = a.size() > 0 ? m.toInt(a[0]) : -1, end = a.size() > 1 ? m.toInt(a[1]) : -1;
        if (begin == -1) begin = 0, end = length;
        else if (end == -1) end = begin + 1;
        if (begin < 0 || end > length || begin > end) m.rangeError(2006, u"The supplied index is out of bounds.");
        return makeFormat(m, s->document.formatOf(static_cast<size_t>(begin), static_cast<size_t>(end)));
    });
    // The runs of text sharing one format, each with its format (a script may change it freely).
    m.defineMethod(tc, u"getTextRuns", 2, [state, makeFormat](Machine& m, const Value& self, Args a) -> Value {
        std::vector<Value> runs;
        TextFieldState* s = state(m, self);
        if (!s) return Value(m.newArray());
        const TextDocument& d = s->document;
        size_t length = d.length();
        size_t begin = std::min<size_t>(length, static_cast<size_t>(std::max(0, a.size() > 0 ? m.toInt(a[0]) : 0)));
        size_t end = a.size() > 1 ? static_cast<size_t>(std::clamp(m.toInt(a[1]), 0, 0x7FFFFFFF)) : length;
        end = std::clamp(end, begin, length);
        for (size_t i = begin; i < end;) {
            size_t j = i + 1;
            while (j < end && d.formatAt(j) == d.formatAt(i)) ++j;
            Value run(m.newObject());
            m.set(run, u"beginIndex", Value(static_cast<double>(i)));
            m.set(run, u"endIndex", Value(static_cast<double>(j)));
            m.set(run, u"textFormat", makeFormat(m, d.formatAt(i)));
            runs.push_back(run);
            i = j;
        }
        return Value(m.newArray(std::move(runs)));
    });
    auto flag = [&m, tc, state](const char16_t* name, bool TextFieldSettings::*field) {
        m.defineGetter(tc, name, [state, field](Machine& m, const Value& self, Args) -> Value {
            TextFieldState* s = state(m, self);
            return Value(s && s->*field);
        }, [state, field](Machine& m, const Value& self, Args a) -> Value {
            if (TextFieldState* s = state(m, self)) {
                s->*field = m.toBoolean(arg(a, 0));
                s->changed();
            }
            return Value();
        });
    };
    flag(u"wordWrap", &TextFieldSettings::wordWrap);
    flag(u"multiline", &TextFieldSettings::multiline);
    flag(u"border", &TextFieldSettings::border);
    flag(u"background", &TextFieldSettings::background);
    flag(u"selectable", &TextFieldSettings::selectable);
    flag(u"embedFonts", &TextFieldSettings::embedFonts);
    flag(u"displayAsPassword", &TextFieldSettings::password);
    flag(u"condenseWhite", &TextFieldSettings::condenseWhite);
    flag(u"mouseWheelEnabled", &TextFieldSettings::mouseWheelEnabled);
    auto color = [&m, tc, state](const char16_t* name, uint32_t TextFieldSettings::*field) {
        m.defineGetter(tc, name, [state, field](Machine& m, const Value& self, Args) -> Value {
            TextFieldState* s = state(m, self);
            return Value(static_cast<double>(s ? s->*field : 0));
        }, [state, field](Machine& m, const Value& self, Args a) -> Value {
            if (TextFieldState* s = state(m, self)) {
                s->*field = m.toUint(arg(a, 0)) & 0xFFFFFF;
                s->changed();
            }
            return Value();
        });
    };
    color(u"borderColor", &TextFieldSettings::borderColor);
    color(u"backgroundColor", &TextFieldSettings::backgroundColor);
    m.defineGetter(tc, u"type", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(String(s && s->input ? u"input" : u"dynamic"));
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        String type = m.toString(arg(a, 0));
        if (type != u"input" && type != u"dynamic")
            m.throwError(u"ArgumentError", 2008, u"Parameter type must be one of the accepted values.");
        if (TextFieldState* s = state(m, self)) s->input = type == u"input";
        return Value();
    });
    m.defineGetter(tc, u"autoSize", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        AutoSize a = s ? s->autoSize : AutoSize::None;
        return Value(String(a == AutoSize::Left ? u"left" : a == AutoSize::Center ? u"center" : a == AutoSize::Right ? u"right" : u"none"));
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        String v = m.toString(arg(a, 0));
        AutoSize mode;
        if (v == u"none") mode = AutoSize::None;
        else if (v == u"left") mode = AutoSize::Left;
        else if (v == u"center") mode = AutoSize::Center;
        else if (v == u"right") mode = AutoSize::Right;
        else m.throwError(u"ArgumentError", 2008, u"Parameter autoSize must be one of the accepted values.");
        if (TextFieldState* s = state(m, self)) {
            s->autoSize = mode;
            s->changed();
        }
        return Value();
    });
    m.defineGetter(tc, u"maxChars", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(s ? s->maxChars : 0);
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        if (TextFieldState* s = state(m, self)) s->maxChars = std::max(0, m.toInt(arg(a, 0)));
        return Value();
    });
    m.defineGetter(tc, u"textWidth", [metrics](Machine& m, const Value& self, Args) -> Value {
        const TextLayout* l = metrics(m, self);
        return Value(l ? l->textWidth / kTwips : 0.0);
    });
    m.defineGetter(tc, u"textHeight", [metrics](Machine& m, const Value& self, Args) -> Value {
        const TextLayout* l = metrics(m, self);
        return Value(l ? l->textHeight / kTwips : 0.0);
    });
    m.defineGetter(tc, u"maxScrollV", [metrics](Machine& m, const Value& self, Args) -> Value {
        const TextLayout* l = metrics(m, self);
        return Value(l ? l->maxScroll : 1);
    });
    m.defineGetter(tc, u"bottomScrollV", [metrics](Machine& m, const Value& self, Args) -> Value {
        const TextLayout* l = metrics(m, self);
        return Value(l ? l->bottomScroll : 1);
    });
    m.defineGetter(tc, u"scrollV", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(s ? s->scroll : 1);
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        if (TextFieldState* s = state(m, self)) {
            s->scroll = std::max(1, m.toInt(arg(a, 0)));
            s->changed();
        }
        return Value();
    });
    // A field's size is its box: setting it resizes the box rather than scaling the text.
    auto size = [this, state](bool horizontal) {
        auto get = [this, state, horizontal](Machine& m, const Value& self, Args) -> Value {
            As3DisplayObject* o = asDisplayObject(m, self);
            TextFieldState* s = state(m, self);
            if (s) currentLayout(*s, library_.movie(), &library_.deviceFonts());  // auto-size applies to the box
            Rect r = localBounds(o);
            const Matrix& mx = matrixOf(o);
            double scale = horizontal ? std::hypot(mx.a, mx.b) : std::hypot(mx.c, mx.d);
            return Value((horizontal ? r.width() : r.height()) * scale / kTwips);
        };
        auto set = [this, state, horizontal](Machine& m, const Value& self, Args a) -> Value {
            As3DisplayObject* o = asDisplayObject(m, self);
            TextFieldState* s = state(m, self);
            double pixels = m.toNumber(arg(a, 0));
            if (!s || !std::isfinite(pixels)) return Value();
            const Matrix& mx = matrixOf(o);
            double scale = horizontal ? std::hypot(mx.a, mx.b) : std::hypot(mx.c, mx.d);
            if (scale <= 0) return Value();
            double twips = std::max(0.0, pixels * kTwips / scale);
            if (horizontal) s->bounds.xMax = s->bounds.xMin + twips;
            else s->bounds.yMax = s->bounds.yMin + twips;
            s->changed();
            return Value();
        };
        return std::pair{get, set};
    };
    auto [gw, sw] = size(true);
    m.defineGetter(tc, u"width", gw, sw);
    auto [gh, sh] = size(false);
    m.defineGetter(tc, u"height", gh, sh);
    // A field's x and y are where the top-left corner of its box lands in its parent, which for a
    // box not drawn from the origin is not the matrix's translation.
    auto position = [this](bool horizontal) {
        auto corner = [this](As3DisplayObject* o) {
            Rect r = localBounds(o);
            return r.empty() ? Point{0, 0} : matrixOf(o).applyVector(Point{r.xMin, r.yMin});
        };
        auto get = [this, corner, horizontal](Machine& m, const Value& self, Args) -> Value {
            As3DisplayObject* o = asDisplayObject(m, self);
            Point at = corner(o);
            const Matrix& mx = matrixOf(o);
            return Value((horizontal ? mx.tx + at.x : mx.ty + at.y) / kTwips);
        };
        auto set = [this, corner, horizontal](Machine& m, const Value& self, Args a) -> Value {
            As3DisplayObject* o = asDisplayObject(m, self);
            double value = m.toNumber(arg(a, 0));
            if (!std::isfinite(value)) return Value();
            Point at = corner(o);
            Matrix& mx = matrixOf(o);
            (horizontal ? mx.tx : mx.ty) = std::round(value * kTwips) - (horizontal ? at.x : at.y);
            if (o->node) o->node->scriptTransformed = true;
            return Value();
        };
        return std::pair{get, set};
    };
    auto [gx, sx] = position(true);
    m.defineGetter(tc, u"x", gx, sx);
    auto [gy, sy] = position(false);
    m.defineGetter(tc, u"y", gy, sy);
}

}  // namespace swf
