// The font and text tags of SwfWriter.
#include <algorithm>
#include <bit>
#include <cmath>

#include "tools/swfwriter/record_writer.h"
#include "tools/swfwriter/swf_writer.h"

namespace swfw {
namespace {

std::vector<uint8_t> glyphBytes(const swf::Shape& glyph) {
    BodyWriter g;
    writeShapeRecords(g, glyph.records, 1, 0, 1);
    return g.data();
}

uint8_t fontInfoFlags(const swf::Font& f) {
    return static_cast<uint8_t>((f.smallText ? 0x20 : 0) | (f.shiftJis ? 0x10 : 0) | (f.ansi ? 0x08 : 0) |
                                (f.italic ? 0x04 : 0) | (f.bold ? 0x02 : 0) | (f.wideCodes ? 0x01 : 0));
}

}  // namespace

void SwfWriter::defineFont(uint16_t id, const swf::Font& font) {
    std::vector<std::vector<uint8_t>> glyphs;
    for (const auto& g : font.glyphs) glyphs.push_back(glyphBytes(g));
    BodyWriter w;
    w.u16(id);
    if (font.version <= 1) {
        size_t offset = glyphs.size() * 2;
        for (const auto& g : glyphs) {
            w.u16(static_cast<uint16_t>(offset));
            offset += g.size();
        }
        for (const auto& g : glyphs) w.bytes(g);
        tag(kDefineFont, w.data(), true);
        return;
    }
    bool wideCodes = font.wideCodes || font.version >= 3;
    w.u8(static_cast<uint8_t>((font.layout ? 0x80 : 0) | (font.shiftJis ? 0x40 : 0) | (font.smallText ? 0x20 : 0) |
                              (font.ansi ? 0x10 : 0) | 0x08 /* wide offsets */ | (wideCodes ? 0x04 : 0) |
                              (font.italic ? 0x02 : 0) | (font.bold ? 0x01 : 0)));
    w.u8(font.languageCode);
    w.u8(static_cast<uint8_t>(font.name.size()));
    w.bytes(std::vector<uint8_t>(font.name.begin(), font.name.end()));
    w.u16(static_cast<uint16_t>(glyphs.size()));
    size_t offset = glyphs.size() * 4 + 4;
    for (const auto& g : glyphs) {
        w.u32(static_cast<uint32_t>(offset));
        offset += g.size();
    }
    w.u32(static_cast<uint32_t>(offset));  // code table
    for (const auto& g : glyphs) w.bytes(g);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        uint16_t code = i < font.codeTable.size() ? font.codeTable[i] : 0;
        if (wideCodes) w.u16(code); else w.u8(static_cast<uint8_t>(code));
    }
    if (font.layout) {
        const swf::FontLayout& l = *font.layout;
        w.u16(static_cast<uint16_t>(std::lround(l.ascent)));
        w.u16(static_cast<uint16_t>(std::lround(l.descent)));
        w.s16(static_cast<int16_t>(std::lround(l.leading)));
        for (size_t i = 0; i < glyphs.size(); ++i)
            w.s16(static_cast<int16_t>(i < l.advances.size() ? std::lround(l.advances[i]) : 0));
        for (size_t i = 0; i < glyphs.size(); ++i) w.rect(i < l.bounds.size() ? l.bounds[i] : swf::Rect{0, 0, 0, 0});
        w.u16(static_cast<uint16_t>(l.kerning.size()));
        for (const auto& k : l.kerning) {
            if (wideCodes) {
                w.u16(k.code1);
                w.u16(k.code2);
            } else {
                w.u8(static_cast<uint8_t>(k.code1));
                w.u8(static_cast<uint8_t>(k.code2));
            }
            w.s16(k.adjustment);
        }
    }
    tag(font.version >= 3 ? kDefineFont3 : kDefineFont2, w.data(), true);
}

void SwfWriter::defineFontInfo(uint16_t id, const swf::Font& font, int version) {
    BodyWriter w;
    w.u16(id);
    w.u8(static_cast<uint8_t>(font.name.size()));
    w.bytes(std::vector<uint8_t>(font.name.begin(), font.name.end()));
    bool wide = font.wideCodes || version >= 2;
    w.u8(static_cast<uint8_t>(fontInfoFlags(font) | (wide ? 0x01 : 0)));
    if (version >= 2) w.u8(font.languageCode);
    for (size_t i = 0; i < font.glyphs.size(); ++i) {
        uint16_t code = i < font.codeTable.size() ? font.codeTable[i] : 0;
        if (wide) w.u16(code); else w.u8(static_cast<uint8_t>(code));
    }
    tag(version >= 2 ? kDefineFontInfo2 : kDefineFontInfo, w.data(), true);
}

void SwfWriter::defineText(uint16_t id, const swf::StaticText& text) {
    int glyphBits = 1, advanceBits = 1;
    for (const auto& r : text.records)
        for (const auto& g : r.glyphs) {
            glyphBits = std::max(glyphBits, ubits(g.index));
            advanceBits = std::max(advanceBits, sbits(g.advance));
        }
    BodyWriter w;
    w.u16(id);
    w.rect(text.bounds);
    w.matrix(text.matrix);
    w.u8(static_cast<uint8_t>(glyphBits));
    w.u8(static_cast<uint8_t>(advanceBits));
    for (const auto& r : text.records) {
        w.u8(static_cast<uint8_t>(0x80 | (r.fontId ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.yOffset ? 0x02 : 0) |
                                  (r.xOffset ? 0x01 : 0)));
        if (r.fontId) w.u16(*r.fontId);
        if (r.color) {
            if (text.version >= 2) w.rgba(*r.color); else w.rgb(*r.color);
        }
        if (r.xOffset) w.s16(static_cast<int16_t>(std::lround(*r.xOffset)));
        if (r.yOffset) w.s16(static_cast<int16_t>(std::lround(*r.yOffset)));
        if (r.fontId) w.u16(static_cast<uint16_t>(std::lround(r.height.value_or(240))));
        w.u8(static_cast<uint8_t>(r.glyphs.size()));
        for (const auto& g : r.glyphs) {
            w.ub(glyphBits, g.index);
            w.sb(advanceBits, g.advance);
        }
        w.align();
    }
    w.u8(0);
    tag(text.version >= 2 ? kDefineText2 : kDefineText, w.data(), true);
}

void SwfWriter::csmTextSettings(uint16_t textId, const swf::TextRenderSettings& s) {
    BodyWriter w;
    w.u16(textId);
    w.u8(static_cast<uint8_t>((s.renderer & 3) << 6 | (s.gridFit & 7) << 3));
    w.u32(std::bit_cast<uint32_t>(static_cast<float>(s.thickness)));
    w.u32(std::bit_cast<uint32_t>(static_cast<float>(s.sharpness)));
    w.u8(0);
    tag(kCsmTextSettings, w.data());
}

void SwfWriter::defineEditText(uint16_t id, const swf::EditText& e) {
    BodyWriter w;
    w.u16(id);
    w.rect(e.bounds);
    w.u8(static_cast<uint8_t>((e.initialText ? 0x80 : 0) | (e.wordWrap ? 0x40 : 0) | (e.multiline ? 0x20 : 0) |
                              (e.password ? 0x10 : 0) | (e.readOnly ? 0x08 : 0) | (e.color ? 0x04 : 0) |
                              (e.maxLength ? 0x02 : 0) | (e.fontId ? 0x01 : 0)));
    w.u8(static_cast<uint8_t>((e.fontClass ? 0x80 : 0) | (e.autoSize ? 0x40 : 0) | (e.hasLayout ? 0x20 : 0) |
                              (e.noSelect ? 0x10 : 0) | (e.border ? 0x08 : 0) | (e.wasStatic ? 0x04 : 0) |
                              (e.html ? 0x02 : 0) | (e.useOutlines ? 0x01 : 0)));
    if (e.fontId) w.u16(*e.fontId);
    if (e.fontClass) w.string(*e.fontClass);
    if (e.fontId || e.fontClass) w.u16(static_cast<uint16_t>(std::lround(e.fontHeight)));
    if (e.color) w.rgba(*e.color);
    if (e.maxLength) w.u16(*e.maxLength);
    if (e.hasLayout) {
        w.u8(e.align);
        w.u16(static_cast<uint16_t>(std::lround(e.leftMargin)));
        w.u16(static_cast<uint16_t>(std::lround(e.rightMargin)));
        w.u16(static_cast<uint16_t>(std::lround(e.indent)));
        w.s16(static_cast<int16_t>(std::lround(e.leading)));
    }
    w.string(e.variableName);
    if (e.initialText) w.string(*e.initialText);
    tag(kDefineEditText, w.data(), true);
}

}  // namespace swfw
