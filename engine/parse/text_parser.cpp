#include "engine/parse/text_parser.h"

#include <bit>
#include <string>

#include "engine/parse/shape_parser.h"

namespace swf {
namespace {

// Glyph shapes between the entries of an offset table; offsets count from `tableStart`.
std::vector<Shape> readGlyphs(std::span<const uint8_t> table, const std::vector<uint32_t>& offsets, size_t end,
                              size_t maxRecords) {
    std::vector<Shape> glyphs;
    size_t total = 0;
    for (size_t i = 0; i < offsets.size(); ++i) {
        size_t from = offsets[i];
        size_t to = i + 1 < offsets.size() ? offsets[i + 1] : end;
        if (from > to || to > table.size()) throwMalformed("font glyph offsets out of order or out of range");
        SwfReader g(table.subspan(from, to - from));
        glyphs.push_back(readGlyphShape(g, maxRecords - total));
        total += glyphs.back().records.size();
    }
    return glyphs;
}

std::string trimName(std::span<const uint8_t> raw) {
    std::string s(raw.begin(), raw.end());
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

}  // namespace

Font readDefineFont(SwfReader& r, size_t maxRecords) {
    Font f;
    f.version = 1;
    std::span<const uint8_t> table = r.rest();
    SwfReader t(table);
    std::vector<uint32_t> offsets;
    if (!table.empty()) {
        uint16_t first = t.u16();
        if (first % 2 != 0 || first == 0) throwMalformed("DefineFont offset table of odd length");
        offsets.push_back(first);
        for (size_t i = 1; i < first / 2u; ++i) offsets.push_back(t.u16());
    }
    f.glyphs = readGlyphs(table, offsets, table.size(), maxRecords);
    return f;
}

void readDefineFontInfo(SwfReader& r, int version, Font& font) {
    uint8_t nameLength = r.u8();
    font.name = trimName(r.bytes(nameLength));
    uint8_t flags = r.u8();
    font.smallText = flags & 0x20;
    font.shiftJis = flags & 0x10;
    font.ansi = flags & 0x08;
    font.italic = flags & 0x04;
    font.bold = flags & 0x02;
    font.wideCodes = (flags & 0x01) || version >= 2;
    if (version >= 2) font.languageCode = r.u8();
    font.codeTable.clear();
    for (size_t i = 0; i < font.glyphs.size(); ++i) font.codeTable.push_back(font.wideCodes ? r.u16() : r.u8());
    font.hasFontInfo = true;
}

Font readDefineFont2(SwfReader& r, int version, size_t maxRecords) {
    Font f;
    f.version = version;
    f.emSquare = version >= 3 ? 20480 : 1024;
    uint8_t flags = r.u8();
    bool hasLayout = flags & 0x80;
    f.shiftJis = flags & 0x40;
    f.smallText = flags & 0x20;
    f.ansi = flags & 0x10;
    bool wideOffsets = flags & 0x08;
    f.wideCodes = flags & 0x04;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
    f.languageCode = r.u8();
    uint8_t nameLength = r.u8();
    f.name = trimName(r.bytes(nameLength));
    uint16_t count = r.u16();
    f.hasFontInfo = true;

    std::span<const uint8_t> table = r.rest();
    SwfReader t(table);
    std::vector<uint32_t> offsets;
    for (uint16_t i = 0; i < count; ++i) offsets.push_back(wideOffsets ? t.u32() : t.u16());
    if (count == 0 && t.atEnd()) return f;  // an empty font may stop here
    uint32_t codeTableOffset = wideOffsets ? t.u32() : t.u16();
    if (codeTableOffset > table.size()) throwMalformed("font code table offset past the tag");
    f.glyphs = readGlyphs(table, offsets, codeTableOffset, maxRecords);

    SwfReader c(table.subspan(codeTableOffset));
    for (uint16_t i = 0; i < count; ++i) f.codeTable.push_back(f.wideCodes ? c.u16() : c.u8());
    if (!hasLayout) return f;
    FontLayout layout;
    layout.ascent = c.u16();
    layout.descent = c.u16();
    layout.leading = c.s16();
    for (uint16_t i = 0; i < count; ++i) layout.advances.push_back(c.s16());
    for (uint16_t i = 0; i < count; ++i) layout.bounds.push_back(c.rect());
    // Some writers leave the kerning table out altogether: a missing count means none.
    uint16_t kerningCount = c.remaining() >= 2 ? c.u16() : 0;
    for (uint16_t i = 0; i < kerningCount; ++i) {
        KerningPair k;
        k.code1 = f.wideCodes ? c.u16() : c.u8();
        k.code2 = f.wideCodes ? c.u16() : c.u8();
        k.adjustment = c.s16();
        layout.kerning.push_back(k);
    }
    f.layout = std::move(layout);
    return f;
}

StaticText readDefineText(SwfReader& r, int version) {
    StaticText t;
    t.version = version;
    t.bounds = r.rect();
    t.matrix = r.matrix();
    int glyphBits = r.u8();
    int advanceBits = r.u8();
    if (glyphBits > 32 || advanceBits > 32) throwMalformed("text glyph or advance bits wider than 32");
    while (!r.atEnd()) {
        uint8_t flags = r.u8();
        if ((flags & 0x80) == 0) break;  // end of records
        TextRecord rec;
        if (flags & 0x08) rec.fontId = r.u16();
        if (flags & 0x04) rec.color = version >= 2 ? r.rgba() : r.rgb();
        if (flags & 0x01) rec.xOffset = r.s16();
        if (flags & 0x02) rec.yOffset = r.s16();
        if (flags & 0x08) rec.height = r.u16();
        uint8_t count = r.u8();
        for (int i = 0; i < count; ++i) {
            TextGlyph g;
            g.index = r.ub(glyphBits);
            g.advance = r.sb(advanceBits);
            rec.glyphs.push_back(g);
        }
        r.align();
        t.records.push_back(std::move(rec));
    }
    return t;
}

EditText readDefineEditText(SwfReader& r) {
    EditText e;
    e.bounds = r.rect();
    uint8_t f1 = r.u8();
    uint8_t f2 = r.u8();
    bool hasText = f1 & 0x80;
    e.wordWrap = f1 & 0x40;
    e.multiline = f1 & 0x20;
    e.password = f1 & 0x10;
    e.readOnly = f1 & 0x08;
    bool hasColor = f1 & 0x04, hasMaxLength = f1 & 0x02, hasFont = f1 & 0x01;
    bool hasFontClass = f2 & 0x80;
    e.autoSize = f2 & 0x40;
    e.hasLayout = f2 & 0x20;
    e.noSelect = f2 & 0x10;
    e.border = f2 & 0x08;
    e.wasStatic = f2 & 0x04;
    e.html = f2 & 0x02;
    e.useOutlines = f2 & 0x01;
    if (hasFont) e.fontId = r.u16();
    if (hasFontClass) e.fontClass = r.string();
    if (hasFont || hasFontClass) e.fontHeight = r.u16();
    if (hasColor) e.color = r.rgba();
    if (hasMaxLength) e.maxLength = r.u16();
    if (e.hasLayout) {
        e.align = r.u8();
        e.leftMargin = r.u16();
        e.rightMargin = r.u16();
        e.indent = r.u16();
        e.leading = r.s16();
    }
    e.variableName = r.string();
    if (hasText) e.initialText = r.string();
    return e;
}

TextRenderSettings readTextRenderSettings(SwfReader& r) {
    TextRenderSettings t;
    t.renderer = uint8_t(r.ub(2));
    t.gridFit = uint8_t(r.ub(3));
    r.ub(3);
    t.thickness = std::bit_cast<float>(r.u32());
    t.sharpness = std::bit_cast<float>(r.u32());
    return t;
}

}  // namespace swf
