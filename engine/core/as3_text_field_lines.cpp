// TextField's lines, characters and paragraphs, scrolling and input settings in ActionScript 3: line
// counts, texts, offsets and metrics and character boxes from the field's layout; paragraph bounds;
// horizontal scroll; the restrict pattern, selection and the smoothing settings scripts read back.
#include <cmath>
#include <optional>

#include "engine/core/as3_display.h"
#include "engine/core/text_field_state.h"
#include "engine/core/text_layout.h"

namespace swf {

using namespace avm2;

namespace {

String utf16Of(const std::u32string& chars, size_t begin, size_t end) {
    String out;
    for (size_t i = begin; i < end && i < chars.size(); ++i) {
        char32_t c = chars[i];
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

}  // namespace

void As3Display::installTextFieldLines() {
    Machine& m = m_;
    ClassObject* tc = textFieldClass;
    auto state = [this](Machine& m, const Value& self) -> TextFieldState* {
        As3DisplayObject* o = asDisplayObject(m, self);
        return o->node ? fieldStateOf(*o->node, library_.movie()) : nullptr;
    };
    auto layoutOf = [this](TextFieldState& s) -> const TextLayout& {
        return currentLayout(s, library_.movie(), &library_.deviceFonts());
    };
    // A line index a method was given, checked against the field's lines.
    auto lineAt = [state, layoutOf](Machine& m, const Value& self, const Value& index) -> const TextLine* {
        TextFieldState* s = state(m, self);
        int i = m.toInt(index);
        if (!s || i < 0 || static_cast<size_t>(i) >= layoutOf(*s).lines.size())
            m.rangeError(2006, u"The supplied index is out of bounds.");
        return &layoutOf(*s).lines[static_cast<size_t>(i)];
    };

    textLineMetricsClass = m.defineClass(u"flash.text", u"TextLineMetrics", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        static const char16_t* names[] = {u"x", u"width", u"height", u"ascent", u"descent", u"leading"};
        for (size_t i = 0; i < std::size(names); ++i) m.set(self, names[i], Value(i < a.size() ? m.toNumber(a[i]) : 0.0));
        return Value();
    });
    m.defineGetter(tc, u"numLines", [state, layoutOf](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(static_cast<double>(s ? std::max<size_t>(1, layoutOf(*s).lines.size()) : 1));
    });
    m.defineMethod(tc, u"getLineMetrics", 1, [this, lineAt](Machine& m, const Value& self, Args a) -> Value {
        const TextLine* l = lineAt(m, self, arg(a, 0));
        Value v[6] = {Value(l->x / kTwips), Value(l->width / kTwips), Value((l->ascent + l->descent + l->leading) / kTwips),
                      Value(l->ascent / kTwips), Value(l->descent / kTwips), Value(l->leading / kTwips)};
        return m.construct(Value(textLineMetricsClass), v);
    });
    m.defineMethod(tc, u"getLineText", 1, [state, lineAt](Machine& m, const Value& self, Args a) -> Value {
        const TextLine* l = lineAt(m, self, arg(a, 0));
        return Value(utf16Of(state(m, self)->document.chars(), l->begin, l->end));
    });
    m.defineMethod(tc, u"getLineLength", 1, [lineAt](Machine& m, const Value& self, Args a) -> Value {
        const TextLine* l = lineAt(m, self, arg(a, 0));
        return Value(static_cast<double>(l->end - l->begin));
    });
    m.defineMethod(tc, u"getLineOffset", 1, [lineAt](Machine& m, const Value& self, Args a) -> Value {
        return Value(static_cast<double>(lineAt(m, self, arg(a, 0))->begin));
    });
    // The line holding a character; -1 for an index outside the text.
    m.defineMethod(tc, u"getLineIndexOfChar", 1, [state, layoutOf](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        int c = m.toInt(arg(a, 0));
        if (!s || c < 0 || static_cast<size_t>(c) >= s->document.length()) return Value(-1);
        const std::vector<TextLine>& lines = layoutOf(*s).lines;
        for (size_t i = 0; i < lines.size(); ++i)
            if (static_cast<size_t>(c) >= lines[i].begin && static_cast<size_t>(c) < lines[i].end) return Value(static_cast<double>(i));
        return Value(-1);
    });

    // Characters in the field's own pixels, where the field shows them at its scroll.
    m.defineMethod(tc, u"getCharBoundaries", 1, [this, state](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        int c = m.toInt(arg(a, 0));
        if (!s || c < 0) return Value::null();
        std::optional<Rect> box = characterBox(*s, library_.movie(), &library_.deviceFonts(), static_cast<size_t>(c));
        if (!box) return Value::null();
        Value v[4] = {Value(box->xMin / kTwips), Value(box->yMin / kTwips), Value(box->width() / kTwips), Value(box->height() / kTwips)};
        return m.construct(Value(rectangleClass), v);
    });
    m.defineMethod(tc, u"getCharIndexAtPoint", 2, [this, state](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        double x = m.toNumber(arg(a, 0)), y = m.toNumber(arg(a, 1));
        if (!s || !std::isfinite(x) || !std::isfinite(y)) return Value(-1);
        std::optional<size_t> c = characterAt(*s, library_.movie(), &library_.deviceFonts(), Point{x * kTwips, y * kTwips});
        return c ? Value(static_cast<double>(*c)) : Value(-1);
    });
    // Paragraphs run to their break, the break included; -1 for an index outside the text.
    m.defineMethod(tc, u"getFirstCharInParagraph", 1, [state](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        int c = m.toInt(arg(a, 0));
        if (!s || c < 0 || static_cast<size_t>(c) >= s->document.length()) return Value(-1);
        return Value(static_cast<double>(s->document.paragraphStart(static_cast<size_t>(c))));
    });
    m.defineMethod(tc, u"getParagraphLength", 1, [state](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        int c = m.toInt(arg(a, 0));
        if (!s || c < 0 || static_cast<size_t>(c) >= s->document.length()) return Value(-1);
        const TextDocument& d = s->document;
        return Value(static_cast<double>(d.paragraphEnd(static_cast<size_t>(c)) - d.paragraphStart(static_cast<size_t>(c))));
    });

    m.defineGetter(tc, u"maxScrollH", [state, layoutOf](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(s ? std::floor(layoutOf(*s).maxHScroll) : 0.0);
    });
    m.defineGetter(tc, u"scrollH", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(s ? std::floor(s->hscroll) : 0.0);
    }, [state, layoutOf](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        int v = m.toInt(arg(a, 0));
        if (!s) return Value();
        s->hscroll = std::clamp(static_cast<double>(v), 0.0, std::floor(layoutOf(*s).maxHScroll));
        s->changed();
        return Value();
    });

    // The characters typed text may hold: null for any.
    m.defineGetter(tc, u"restrict", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return s && s->restrict ? Value(utf8ToUtf16(*s->restrict)) : Value::null();
    }, [state](Machine& m, const Value& self, Args a) -> Value {
        if (TextFieldState* s = state(m, self)) {
            if (arg(a, 0).isNullish()) s->restrict.reset();
            else s->restrict = utf16ToUtf8(m.toString(arg(a, 0)));
        }
        return Value();
    });
    // The selection, in characters; the caret is at its end.
    m.defineGetter(tc, u"selectionBeginIndex", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(s ? std::min(s->selectionBegin, s->selectionEnd) : 0);
    });
    m.defineGetter(tc, u"selectionEndIndex", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(s ? std::max(s->selectionBegin, s->selectionEnd) : 0);
    });
    m.defineGetter(tc, u"caretIndex", [state](Machine& m, const Value& self, Args) -> Value {
        TextFieldState* s = state(m, self);
        return Value(s ? s->selectionEnd : 0);
    });
    m.defineMethod(tc, u"setSelection", 2, [state](Machine& m, const Value& self, Args a) -> Value {
        TextFieldState* s = state(m, self);
        if (!s) return Value();
        int length = static_cast<int>(s->document.length());
        s->selectionBegin = std::clamp(m.toInt(arg(a, 0)), 0, length);
        s->selectionEnd = std::clamp(m.toInt(arg(a, 1)), 0, length);
        return Value();
    });

    // Smoothing settings: kept for scripts, checked as the player checks them.
    auto choice = [&m, tc, state](const char16_t* name, std::string TextFieldSettings::*field, std::vector<String> allowed) {
        m.defineGetter(tc, name, [state, field](Machine& m, const Value& self, Args) -> Value {
            TextFieldState* s = state(m, self);
            return Value(utf8ToUtf16(s ? s->*field : std::string()));
        }, [state, field, allowed, name](Machine& m, const Value& self, Args a) -> Value {
            String v = m.toString(arg(a, 0));
            if (std::find(allowed.begin(), allowed.end(), v) == allowed.end())
                m.throwError(u"ArgumentError", 2008, u"Parameter " + String(name) + u" must be one of the accepted values.");
            if (TextFieldState* s = state(m, self)) s->*field = utf16ToUtf8(v);
            return Value();
        });
    };
    choice(u"antiAliasType", &TextFieldSettings::antiAliasType, {u"normal", u"advanced"});
    choice(u"gridFitType", &TextFieldSettings::gridFitType, {u"none", u"pixel", u"subpixel"});
    auto number = [&m, tc, state](const char16_t* name, double TextFieldSettings::*field, double low, double high) {
        m.defineGetter(tc, name, [state, field](Machine& m, const Value& self, Args) -> Value {
            TextFieldState* s = state(m, self);
            return Value(s ? s->*field : 0.0);
        }, [state, field, low, high](Machine& m, const Value& self, Args a) -> Value {
            double v = m.toNumber(arg(a, 0));
            if (TextFieldState* s = state(m, self); s && !std::isnan(v)) s->*field = std::clamp(v, low, high);
            return Value();
        });
    };
    number(u"sharpness", &TextFieldSettings::sharpness, -400, 400);
    number(u"thickness", &TextFieldSettings::thickness, -200, 200);
}

}  // namespace swf
