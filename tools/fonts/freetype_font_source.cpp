#include "tools/fonts/freetype_font_source.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>

#include "engine/fonts/device_fonts.h"
#include "engine/fonts/outline_builder.h"

namespace fonts {

namespace {

std::string folded(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

class FreeTypeLibrary {
public:
    FreeTypeLibrary() { ok_ = FT_Init_FreeType(&library_) == 0; }
    ~FreeTypeLibrary() {
        if (ok_) FT_Done_FreeType(library_);
    }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
    bool ok() const { return ok_; }
    FT_Library get() const { return library_; }

private:
    FT_Library library_ = nullptr;
    bool ok_ = false;
};

class FreeTypeFace : public swf::FontFace {
public:
    FreeTypeFace(std::shared_ptr<FreeTypeLibrary> library, FT_Face face, std::string family)
        : library_(std::move(library)), face_(face), family_(std::move(family)) {}
    ~FreeTypeFace() override { FT_Done_Face(face_); }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    const std::string& family() const override { return family_; }

    swf::FaceMetrics metrics() override {
        swf::FaceMetrics m;
        m.emSquare = face_->units_per_EM;
        // The Windows metrics of the face where it has them, as the system's text functions
        // report ascent and descent; the font's own otherwise.
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
            m.ascent = os2->usWinAscent;
            m.descent = os2->usWinDescent;
            auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
            double lineGap = hhea ? hhea->Line_Gap : 0;
            m.leading = std::max(0.0, hhea ? hhea->Ascender - hhea->Descender + lineGap - (m.ascent + m.descent) : 0.0);
        } else {
            m.ascent = face_->ascender;
            m.descent = -face_->descender;
            m.leading = std::max(0.0, double(face_->height) - (m.ascent + m.descent));
        }
        return m;
    }

    uint32_t glyphIndex(uint32_t codePoint) override { return FT_Get_Char_Index(face_, codePoint); }

    double advance(uint32_t glyph) override {
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return 0;
        return double(face_->glyph->advance.x);
    }

    double kerning(uint32_t left, uint32_t right) override {
        if (!FT_HAS_KERNING(face_)) return 0;
        FT_Vector k{};
        if (FT_Get_Kerning(face_, left, right, FT_KERNING_UNSCALED, &k) != 0) return 0;
        return double(k.x);
    }

    std::vector<swf::ShapeRecord> outline(uint32_t glyph) override {
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0 ||
            face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            return {};
        swf::OutlineBuilder builder;
        FT_Outline_Funcs funcs{};
        // FreeType's y grows upwards, a shape's downwards.
        auto point = [](const FT_Vector* v) { return swf::Point{double(v->x), -double(v->y)}; };
        funcs.move_to = [](const FT_Vector* to, void* user) {
            static_cast<Walk*>(user)->builder->moveTo(static_cast<Walk*>(user)->point(to));
            return 0;
        };
        funcs.line_to = [](const FT_Vector* to, void* user) {
            static_cast<Walk*>(user)->builder->lineTo(static_cast<Walk*>(user)->point(to));
            return 0;
        };
        funcs.conic_to = [](const FT_Vector* control, const FT_Vector* to, void* user) {
            auto* w = static_cast<Walk*>(user);
            w->builder->quadTo(w->point(control), w->point(to));
            return 0;
        };
        funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
            auto* w = static_cast<Walk*>(user);
            w->builder->cubicTo(w->point(c1), w->point(c2), w->point(to));
            return 0;
        };
        Walk walk{&builder, point};
        if (FT_Outline_Decompose(&face_->glyph->outline, &funcs, &walk) != 0) return {};
        return builder.finish();
    }

private:
    struct Walk {
        swf::OutlineBuilder* builder;
        swf::Point (*point)(const FT_Vector*);
    };

    std::shared_ptr<FreeTypeLibrary> library_;  // outlives the face
    FT_Face face_;
    std::string family_;
};

class FontconfigSource : public swf::FontSource {
public:
    explicit FontconfigSource(std::shared_ptr<FreeTypeLibrary> library) : library_(std::move(library)) {}

    std::unique_ptr<swf::FontFace> open(const std::string& family, bool bold, bool italic) override {
        // The Windows faces movies name are looked for under their stand-ins' names first.
        std::string standIn = swf::metricCompatibleFamily(family);
        std::string file;
        int index = 0;
        if (!(!standIn.empty() && match(standIn, bold, italic, file, index)) && !match(family, bold, italic, file, index))
            return nullptr;
        FT_Face face = nullptr;
        if (FT_New_Face(library_->get(), file.c_str(), index, &face) != 0) return nullptr;
        if (!FT_IS_SCALABLE(face)) {
            FT_Done_Face(face);
            return nullptr;
        }
        return std::make_unique<FreeTypeFace>(library_, face, family);
    }

    std::vector<std::string> families() override {
        std::set<std::string> names;
        FcPattern* pattern = FcPatternCreate();
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8* name = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch)
                names.insert(reinterpret_cast<const char*>(name));
        }
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        return {names.begin(), names.end()};
    }

private:
    // The file of `family` at a style. Fontconfig always answers with some face; only an answer of
    // the family asked for counts, so that a missing family can fall back as the player decides.
    static bool match(const std::string& family, bool bold, bool italic, std::string& file, int& index) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* found = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (!found) return false;
        FcChar8* foundFamily = nullptr;
        FcChar8* path = nullptr;
        int foundIndex = 0;
        bool ok = result == FcResultMatch && FcPatternGetString(found, FC_FAMILY, 0, &foundFamily) == FcResultMatch &&
                  folded(reinterpret_cast<const char*>(foundFamily)) == folded(family) &&
                  FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch;
        if (ok) {
            FcPatternGetInteger(found, FC_INDEX, 0, &foundIndex);
            file = reinterpret_cast<const char*>(path);
            index = foundIndex;
        }
        FcPatternDestroy(found);
        return ok;
    }

    std::shared_ptr<FreeTypeLibrary> library_;
};

}  // namespace

std::shared_ptr<swf::FontSource> makeFreeTypeFontSource() {
    static std::once_flag once;
    static bool fontconfigReady = false;
    std::call_once(once, [] { fontconfigReady = FcInit() == FcTrue; });
    if (!fontconfigReady) return nullptr;
    auto library = std::make_shared<FreeTypeLibrary>();
    if (!library->ok()) return nullptr;
    return std::make_shared<FontconfigSource>(std::move(library));
}

}  // namespace fonts
