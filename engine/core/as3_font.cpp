// flash.text.Font: the fonts a movie embeds (and, when asked, the system's), by name, style and
// kind. A class linked to an embedded font makes instances that stand for it.
#include <algorithm>
#include <set>

#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

namespace {

class FontObject : public Object {
public:
    FontObject() : Object(ObjectType::Other) {}
    bool known = false;  // false for a Font that stands for no font
    std::string name;
    bool bold = false, italic = false, device = false;
    const Font* font = nullptr;  // the embedded font, for its glyphs
};

const char16_t* styleName(bool bold, bool italic) {
    return bold ? (italic ? u"boldItalic" : u"bold") : (italic ? u"italic" : u"regular");
}

bool embedsGlyphs(const Font& f) { return !f.glyphs.empty() && !f.name.empty(); }

}  // namespace

void As3Display::installFont() {
    Machine& m = m_;
    fontClass = m.defineClass(u"flash.text", u"Font", m.objectClass, [this](Machine& m, const Value& self, Args) -> Value {
        auto* f = static_cast<FontObject*>(self.object());
        // An instance of a class linked to an embedded font stands for that font.
        if (uint16_t id = symbolOf(f->cls))
            if (const Font* font = library_.movie().findAs<Font>(id)) {
                f->known = true;
                f->name = font->name;
                f->bold = font->bold;
                f->italic = font->italic;
                f->font = font;
            }
        (void)m;
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<FontObject>(); });
    ClassObject* fc = fontClass;
    auto self = [fc](Machine& m, const Value& v) -> FontObject* {
        Object* o = v.object();
        if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
        if (!o->cls || !o->cls->isSubclassOf(fc))
            m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.text.Font.");
        return static_cast<FontObject*>(o);
    };
    m.defineGetter(fc, u"fontName", [self](Machine& m, const Value& v, Args) -> Value {
        FontObject* f = self(m, v);
        return f->known ? Value(utf8ToUtf16(f->name)) : Value::null();
    });
    m.defineGetter(fc, u"fontStyle", [self](Machine& m, const Value& v, Args) -> Value {
        FontObject* f = self(m, v);
        return f->known ? Value(String(styleName(f->bold, f->italic))) : Value::null();
    });
    m.defineGetter(fc, u"fontType", [self](Machine& m, const Value& v, Args) -> Value {
        FontObject* f = self(m, v);
        if (!f->known) return Value::null();
        if (f->device) return Value(String(u"device"));
        return Value(String(f->font && f->font->version >= 4 ? u"embeddedCFF" : u"embedded"));
    });
    // Whether every character of the string has a glyph in the font (device fonts: assumed so).
    m.defineMethod(fc, u"hasGlyphs", 1, [self](Machine& m, const Value& v, Args a) -> Value {
        FontObject* f = self(m, v);
        if (!f->known) return Value(false);
        if (f->device || !f->font) return Value(true);
        const std::vector<uint16_t>& codes = f->font->codeTable;
        for (char16_t c : m.toString(arg(a, 0)))
            if (std::find(codes.begin(), codes.end(), static_cast<uint16_t>(c)) == codes.end()) return Value(false);
        return Value(true);
    });
    m.defineMethod(fc, u"toString", 0, [](Machine&, const Value&, Args) -> Value { return Value(String(u"[object Font]")); });

    // The movie's embedded fonts, one per name and style, by name; the system's families after
    // them when asked for.
    m.defineStatic(fc, u"enumerateFonts", 1, [this, fc](Machine& m, const Value&, Args a) -> Value {
        std::vector<Value> list;
        std::set<std::tuple<std::string, bool, bool>> seen;
        std::vector<const Font*> fonts;
        for (const auto& [id, character] : library_.movie().characters)
            if (const Font* f = library_.movie().findAs<Font>(id); f && embedsGlyphs(*f) && seen.insert({f->name, f->bold, f->italic}).second)
                fonts.push_back(f);
        std::stable_sort(fonts.begin(), fonts.end(), [](const Font* x, const Font* y) { return x->name < y->name; });
        for (const Font* f : fonts) {
            auto* o = static_cast<FontObject*>(m.instantiate(fc));
            o->known = true;
            o->name = f->name;
            o->bold = f->bold;
            o->italic = f->italic;
            o->font = f;
            list.push_back(Value(o));
        }
        if (m.toBoolean(arg(a, 0))) {
            std::vector<std::string> families = library_.deviceFonts().families();
            std::sort(families.begin(), families.end());
            families.erase(std::unique(families.begin(), families.end()), families.end());
            for (const std::string& name : families) {
                auto* o = static_cast<FontObject*>(m.instantiate(fc));
                o->known = true;
                o->device = true;
                o->name = name;
                list.push_back(Value(o));
            }
        }
        return Value(m.newArray(std::move(list)));
    });
    // Embedded fonts are available to text fields by name already; registering checks the class.
    m.defineStatic(fc, u"registerFont", 1, [fc](Machine& m, const Value&, Args a) -> Value {
        Object* o = arg(a, 0).object();
        auto* cls = o && o->type == ObjectType::Class ? static_cast<ClassObject*>(o) : nullptr;
        if (!cls || !cls->isSubclassOf(fc))
            m.throwError(u"ArgumentError", 1508, u"The value specified for argument font is invalid.");
        return Value();
    });
}

}  // namespace swf
