#include "flash/component/gdi_font_source.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/fonts/device_fonts.h"
#include "engine/fonts/outline_builder.h"
#include "support/handles.h"

namespace flash {

namespace {

// Face names are short; anything longer than GDI allows is no face of the system.
std::wstring widen(const std::string& utf8) {
    if (utf8.empty() || utf8.size() > 256) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& wide) {
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

double fixedToDouble(FIXED f) { return f.value + f.fract / 65536.0; }

class GdiFace : public swf::FontFace {
public:
    GdiFace(std::string family, ui::UniqueMemoryDc dc, ui::UniqueFont font, double emSquare)
        : family_(std::move(family)), dc_(std::move(dc)), font_(std::move(font)), select_(dc_.get(), font_.get()),
          emSquare_(emSquare) {
        loadKerning();
    }

    const std::string& family() const override { return family_; }

    swf::FaceMetrics metrics() override {
        swf::FaceMetrics m;
        m.emSquare = emSquare_;
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc_.get(), &tm)) {
            m.ascent = tm.tmAscent;
            m.descent = tm.tmDescent;
            m.leading = tm.tmExternalLeading;
        }
        return m;
    }

    uint32_t glyphIndex(uint32_t codePoint) override {
        if (codePoint == 0 || codePoint > 0xFFFF) return 0;
        wchar_t c = wchar_t(codePoint);
        WORD index = 0xFFFF;
        if (GetGlyphIndicesW(dc_.get(), &c, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR || index == 0xFFFF)
            return 0;
        return index;
    }

    double advance(uint32_t glyph) override {
        GLYPHMETRICS gm{};
        if (GetGlyphOutlineW(dc_.get(), glyph, GGO_METRICS | GGO_GLYPH_INDEX | GGO_UNHINTED, &gm, 0, nullptr,
                             &kIdentity) == GDI_ERROR)
            return 0;
        return gm.gmCellIncX;
    }

    double kerning(uint32_t left, uint32_t right) override {
        auto it = kerning_.find({left, right});
        return it == kerning_.end() ? 0 : it->second;
    }

    std::vector<swf::ShapeRecord> outline(uint32_t glyph) override {
        GLYPHMETRICS gm{};
        const UINT format = GGO_NATIVE | GGO_UNHINTED | GGO_GLYPH_INDEX;
        DWORD size = GetGlyphOutlineW(dc_.get(), glyph, format, &gm, 0, nullptr, &kIdentity);
        if (size == GDI_ERROR || size == 0 || size > (1u << 22)) return {};
        std::vector<BYTE> buffer(size);
        if (GetGlyphOutlineW(dc_.get(), glyph, format, &gm, size, buffer.data(), &kIdentity) == GDI_ERROR) return {};
        return decode(buffer);
    }

private:
    static constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

    // The buffer is a run of polygons (TTPOLYGONHEADER), each followed by its curves (TTPOLYCURVE):
    // lines, quadratic B-splines whose on-curve points between controls are implied, and cubic
    // splines. Every size is checked against the buffer before it is read.
    static std::vector<swf::ShapeRecord> decode(const std::vector<BYTE>& buffer) {
        swf::OutlineBuilder builder;
        auto point = [](const POINTFX& p) { return swf::Point{fixedToDouble(p.x), -fixedToDouble(p.y)}; };
        size_t at = 0;
        while (at + sizeof(TTPOLYGONHEADER) <= buffer.size()) {
            TTPOLYGONHEADER header;
            std::memcpy(&header, buffer.data() + at, sizeof header);
            if (header.dwType != TT_POLYGON_TYPE || header.cb < sizeof header || header.cb > buffer.size() - at) break;
            size_t end = at + header.cb;
            builder.moveTo(point(header.pfxStart));
            size_t c = at + sizeof header;
            const size_t curveHead = offsetof(TTPOLYCURVE, apfx);
            while (c + curveHead <= end) {
                WORD type, count;
                std::memcpy(&type, buffer.data() + c, sizeof type);
                std::memcpy(&count, buffer.data() + c + sizeof(WORD), sizeof count);
                if (count == 0 || curveHead + size_t(count) * sizeof(POINTFX) > end - c) break;
                std::vector<swf::Point> pts(count);
                for (WORD i = 0; i < count; ++i) {
                    POINTFX p;
                    std::memcpy(&p, buffer.data() + c + curveHead + i * sizeof(POINTFX), sizeof p);
                    pts[i] = point(p);
                }
                if (type == TT_PRIM_LINE) {
                    for (const swf::Point& p : pts) builder.lineTo(p);
                } else if (type == TT_PRIM_QSPLINE) {
                    for (size_t i = 0; i + 1 < pts.size(); ++i) {
                        swf::Point to = i + 2 == pts.size()
                                            ? pts[i + 1]
                                            : swf::Point{(pts[i].x + pts[i + 1].x) / 2, (pts[i].y + pts[i + 1].y) / 2};
                        builder.quadTo(pts[i], to);
                    }
                } else if (type == TT_PRIM_CSPLINE) {
                    for (size_t i = 0; i + 2 < pts.size(); i += 3) builder.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
                }
                c += curveHead + size_t(count) * sizeof(POINTFX);
            }
            builder.close();
            at = end;
        }
        return builder.finish();
    }

    void loadKerning() {
        DWORD count = GetKerningPairsW(dc_.get(), 0, nullptr);
        if (count == 0 || count > 65536) return;
        std::vector<KERNINGPAIR> pairs(count);
        count = GetKerningPairsW(dc_.get(), count, pairs.data());
        for (DWORD i = 0; i < count && i < pairs.size(); ++i) {
            uint32_t l = glyphIndex(pairs[i].wFirst), r = glyphIndex(pairs[i].wSecond);
            if (l && r && pairs[i].iKernAmount) kerning_[{l, r}] = pairs[i].iKernAmount;
        }
    }

    std::string family_;
    ui::UniqueMemoryDc dc_;
    ui::UniqueFont font_;
    ui::SelectScope select_;  // the font stays selected into the face's own context
    double emSquare_;
    std::map<std::pair<uint32_t, uint32_t>, double> kerning_;
};

// A font of `face` whose em is `emHeight` device units: its outlines then come in font units.
ui::UniqueFont createFont(const std::wstring& face, int emHeight, bool bold, bool italic) {
    LOGFONTW lf{};
    lf.lfHeight = -emHeight;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return ui::UniqueFont(CreateFontIndirectW(&lf));
}

class GdiFontSource : public swf::FontSource {
public:
    std::unique_ptr<swf::FontFace> open(const std::string& family, bool bold, bool italic) override {
        if (auto face = openExactly(family, family, bold, italic)) return face;
        std::string standIn = swf::metricCompatibleFamily(family);
        return standIn.empty() ? nullptr : openExactly(standIn, family, bold, italic);
    }

    std::vector<std::string> families() override {
        ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        if (!dc) return {};
        std::set<std::wstring> names;
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExW(dc.get(), &lf, collectFamily, reinterpret_cast<LPARAM>(&names), 0);
        std::vector<std::string> out;
        for (const std::wstring& n : names) out.push_back(narrow(n));
        return out;
    }

private:
    static int CALLBACK collectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM user) {
        if (font->lfFaceName[0] != L'@')  // vertical variants of East Asian faces
            reinterpret_cast<std::set<std::wstring>*>(user)->insert(font->lfFaceName);
        return 1;
    }

    // The face named `systemName` if the system has it (GDI picks a substitute for any name: only
    // an answer of the name asked for counts), reported under `family`.
    static std::unique_ptr<swf::FontFace> openExactly(const std::string& systemName, const std::string& family,
                                                      bool bold, bool italic) {
        std::wstring wide = widen(systemName);
        if (wide.empty() || wide.size() >= LF_FACESIZE) return nullptr;
        ui::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        if (!dc) return nullptr;
        // First at a nominal size to learn the face's em square, then at the em itself.
        ui::UniqueFont probe = createFont(wide, 2048, bold, italic);
        if (!probe) return nullptr;
        UINT emSquare = 2048;
        {
            ui::SelectScope select(dc.get(), probe.get());
            wchar_t chosen[LF_FACESIZE] = {};
            if (!GetTextFaceW(dc.get(), LF_FACESIZE, chosen) || !sameName(chosen, wide)) return nullptr;
            OUTLINETEXTMETRICW otm{};
            otm.otmSize = sizeof otm;
            if (!GetOutlineTextMetricsW(dc.get(), sizeof otm, &otm)) return nullptr;  // not an outline face
            if (otm.otmEMSquare >= 16 && otm.otmEMSquare <= 16384) emSquare = otm.otmEMSquare;
        }
        ui::UniqueFont font = emSquare == 2048 ? std::move(probe) : createFont(wide, int(emSquare), bold, italic);
        if (!font) return nullptr;
        return std::make_unique<GdiFace>(family, std::move(dc), std::move(font), double(emSquare));
    }
};

}  // namespace

std::shared_ptr<swf::FontSource> makeGdiFontSource() { return std::make_shared<GdiFontSource>(); }

}  // namespace flash
