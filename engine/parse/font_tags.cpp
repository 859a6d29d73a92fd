#include "engine/parse/records.h"
#include "engine/parse/tag_readers.h"

namespace swf {

static Shape glyphShape(ByteReader& r) {
    Shape s;
    FillStyle fill;  // glyphs are filled with style 1; the text's colour replaces it when drawn
    s.fillStyles.push_back(fill);
    s.records = readShapeRecords(r, 1, false);
    return s;
}

FontDefinition readDefineFont(ByteReader& r, int code) {
    FontDefinition font;
    if (code == 10) {  // DefineFont: an offset table, then the glyph shapes
        font.version = 1;
        size_t base = r.position();
        if (r.remaining() < 2) return font;
        uint16_t firstOffset = r.u16();
        size_t count = firstOffset / 2;
        std::vector<uint16_t> offsets{firstOffset};
        for (size_t i = 1; i < count; ++i) offsets.push_back(r.u16());
        for (size_t i = 0; i < count; ++i) {
            size_t start = base + offsets[i];
            size_t end = i + 1 < count ? base + offsets[i + 1] : r.size();
            if (start > end) throw ParseError("bad glyph offset");
            ByteReader g = r.slice(start, end - start);
            Glyph glyph;
            glyph.shape = glyphShape(g);
            font.glyphs.push_back(std::move(glyph));
        }
        return font;
    }
    // DefineFont2 and DefineFont3
    font.version = code == 75 ? 3 : 2;
    font.emSquare = code == 75 ? 20480 : 1024;
    uint8_t flags = r.u8();
    font.hasLayout = flags & 0x80;
    bool wideOffsets = flags & 0x08;
    font.wideCodes = flags & 0x04;
    font.italic = flags & 0x02;
    font.bold = flags & 0x01;
    font.smallText = flags & 0x20;
    r.u8();  // language
    font.name = r.fixedString(r.u8());
    if (auto nul = font.name.find('\0'); nul != std::string::npos) font.name.resize(nul);
    size_t count = r.u16();
    size_t tableStart = r.position();
    std::vector<uint32_t> offsets;
    for (size_t i = 0; i < count; ++i) offsets.push_back(wideOffsets ? r.u32() : r.u16());
    uint32_t codeTableOffset = 0;
    if (count > 0 || r.remaining() >= (wideOffsets ? 4u : 2u)) codeTableOffset = wideOffsets ? r.u32() : r.u16();
    for (size_t i = 0; i < count; ++i) {
        size_t start = tableStart + offsets[i];
        size_t end = i + 1 < count ? tableStart + offsets[i + 1] : tableStart + codeTableOffset;
        if (start > end) throw ParseError("bad glyph offset");
        ByteReader g = r.slice(start, end - start);
        Glyph glyph;
        glyph.shape = glyphShape(g);
        font.glyphs.push_back(std::move(glyph));
    }
    if (count == 0) return font;
    size_t codeStart = tableStart + codeTableOffset;
    if (codeStart < r.position()) throw ParseError("bad code table offset");
    r.skip(codeStart - r.position());
    for (size_t i = 0; i < count; ++i) font.glyphs[i].code = font.wideCodes ? r.u16() : r.u8();
    if (font.hasLayout) {
        font.ascent = r.u16();
        font.descent = r.u16();
        font.leading = r.s16();
        for (size_t i = 0; i < count; ++i) font.glyphs[i].advance = r.s16();
        // Bounds and kerning follow; nothing here uses them.
    }
    return font;
}

void readDefineFontInfo(ByteReader& r, int code, FontDefinition& font) {
    font.name = r.fixedString(r.u8());
    uint8_t flags = r.u8();
    font.smallText = flags & 0x20;
    font.italic = flags & 0x04;
    font.bold = flags & 0x02;
    font.wideCodes = flags & 0x01;
    if (code == 62) r.u8();  // language
    for (auto& glyph : font.glyphs) {
        if (r.atEnd()) break;
        glyph.code = font.wideCodes ? r.u16() : r.u8();
    }
}

TextDefinition readDefineText(ByteReader& r, int code) {
    TextDefinition text;
    text.bounds = readRect(r);
    text.matrix = readMatrix(r);
    int glyphBits = r.u8();
    int advanceBits = r.u8();
    if (glyphBits > 32 || advanceBits > 32) throw ParseError("bad text record bit sizes");
    for (;;) {
        uint8_t flags = r.u8();
        if (flags == 0) break;
        TextRecord rec;
        if (flags & 0x08) rec.fontId = r.u16();
        if (flags & 0x04) rec.color = code == 33 ? readRgba(r) : readRgb(r);
        if (flags & 0x01) rec.xOffset = r.s16();
        if (flags & 0x02) rec.yOffset = r.s16();
        if (flags & 0x08) rec.height = r.u16();
        int count = r.u8();
        BitReader bits(r);
        for (int i = 0; i < count; ++i) {
            TextGlyph g;
            g.index = bits.ub(glyphBits);
            g.advance = bits.sb(advanceBits);
            rec.glyphs.push_back(g);
        }
        text.records.push_back(std::move(rec));
    }
    return text;
}

EditTextDefinition readDefineEditText(ByteReader& r) {
    EditTextDefinition e;
    e.bounds = readRect(r);
    uint16_t flags = static_cast<uint16_t>(r.u8() << 8);
    flags |= r.u8();
    bool hasText = flags & 0x8000;
    e.wordWrap = flags & 0x4000;
    e.multiline = flags & 0x2000;
    e.password = flags & 0x1000;
    e.readOnly = flags & 0x0800;
    bool hasColor = flags & 0x0400;
    bool hasMaxLength = flags & 0x0200;
    bool hasFont = flags & 0x0100;
    bool hasFontClass = flags & 0x0080;
    e.autoSize = flags & 0x0040;
    bool hasLayout = flags & 0x0020;
    e.noSelect = flags & 0x0010;
    e.border = flags & 0x0008;
    e.html = flags & 0x0002;
    e.useOutlines = flags & 0x0001;
    if (hasFont) e.fontId = r.u16();
    if (hasFontClass) e.fontClass = r.string();
    if (hasFont || hasFontClass) e.fontHeight = r.u16();
    if (hasColor) e.color = readRgba(r);
    if (hasMaxLength) e.maxLength = r.u16();
    if (hasLayout) {
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

}  // namespace swf
