#include "engine/core/fallback_font.h"

#include <array>
#include <cstdint>

namespace swf {

namespace {

constexpr uint32_t kFirstCode = 32, kLastCode = 126;
// Proportions of a common sans-serif face, so that text keeps its place and size in the field:
// capitals 0.72 em high (seven rows of cells), ascent 1.07 em and descent 0.29 em.
constexpr double kEm = 1024, kCell = 105, kAscent = 1095, kDescent = 300;
constexpr double kSideBearing = 80;  // space left and right of a glyph's inked columns
constexpr double kSpaceAdvance = 260;

// Rows top to bottom, five bits each, the leftmost column in the highest bit; one entry per code
// from 32 (space) to 126 (tilde).
using Rows = std::array<uint8_t, 7>;
constexpr Rows kGlyphRows[kLastCode - kFirstCode + 1] = {
    {0, 0, 0, 0, 0, 0, 0},                                             // space
    {0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00000, 0b00100},  // !
    {0b01010, 0b01010, 0b01010, 0b00000, 0b00000, 0b00000, 0b00000},  // "
    {0b01010, 0b01010, 0b11111, 0b01010, 0b11111, 0b01010, 0b01010},  // #
    {0b00100, 0b01111, 0b10100, 0b01110, 0b00101, 0b11110, 0b00100},  // $
    {0b11000, 0b11001, 0b00010, 0b00100, 0b01000, 0b10011, 0b00011},  // %
    {0b01100, 0b10010, 0b10100, 0b01000, 0b10101, 0b10010, 0b01101},  // &
    {0b01100, 0b00100, 0b01000, 0b00000, 0b00000, 0b00000, 0b00000},  // '
    {0b00010, 0b00100, 0b01000, 0b01000, 0b01000, 0b00100, 0b00010},  // (
    {0b01000, 0b00100, 0b00010, 0b00010, 0b00010, 0b00100, 0b01000},  // )
    {0b00000, 0b00100, 0b10101, 0b01110, 0b10101, 0b00100, 0b00000},  // *
    {0b00000, 0b00100, 0b00100, 0b11111, 0b00100, 0b00100, 0b00000},  // +
    {0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b00100, 0b01000},  // ,
    {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000},  // -
    {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100},  // .
    {0b00000, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b00000},  // /
    {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110},  // 0
    {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // 1
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111},  // 2
    {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110},  // 3
    {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010},  // 4
    {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110},  // 5
    {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110},  // 6
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000},  // 7
    {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110},  // 8
    {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100},  // 9
    {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b01100, 0b00000},  // :
    {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b00100, 0b01000},  // ;
    {0b00010, 0b00100, 0b01000, 0b10000, 0b01000, 0b00100, 0b00010},  // <
    {0b00000, 0b00000, 0b11111, 0b00000, 0b11111, 0b00000, 0b00000},  // =
    {0b01000, 0b00100, 0b00010, 0b00001, 0b00010, 0b00100, 0b01000},  // >
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b00000, 0b00100},  // ?
    {0b01110, 0b10001, 0b00001, 0b01101, 0b10101, 0b10101, 0b01110},  // @
    {0b01110, 0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001},  // A
    {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110},  // B
    {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110},  // C
    {0b11100, 0b10010, 0b10001, 0b10001, 0b10001, 0b10010, 0b11100},  // D
    {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111},  // E
    {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000},  // F
    {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111},  // G
    {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001},  // H
    {0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100},  // I
    {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100},  // J
    {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001},  // K
    {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111},  // L
    {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001},  // M
    {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001},  // N
    {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110},  // O
    {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000},  // P
    {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101},  // Q
    {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001},  // R
    {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110},  // S
    {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100},  // T
    {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110},  // U
    {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100},  // V
    {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010},  // W
    {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001},  // X
    {0b10001, 0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100},  // Y
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111},  // Z
    {0b01110, 0b01000, 0b01000, 0b01000, 0b01000, 0b01000, 0b01110},  // [
    {0b00000, 0b10000, 0b01000, 0b00100, 0b00010, 0b00001, 0b00000},  // backslash
    {0b01110, 0b00010, 0b00010, 0b00010, 0b00010, 0b00010, 0b01110},  // ]
    {0b00100, 0b01010, 0b10001, 0b00000, 0b00000, 0b00000, 0b00000},  // ^
    {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b11111},  // _
    {0b01000, 0b00100, 0b00010, 0b00000, 0b00000, 0b00000, 0b00000},  // `
    {0b00000, 0b00000, 0b01110, 0b00001, 0b01111, 0b10001, 0b01111},  // a
    {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b11110},  // b
    {0b00000, 0b00000, 0b01110, 0b10000, 0b10000, 0b10001, 0b01110},  // c
    {0b00001, 0b00001, 0b01101, 0b10011, 0b10001, 0b10001, 0b01111},  // d
    {0b00000, 0b00000, 0b01110, 0b10001, 0b11111, 0b10000, 0b01110},  // e
    {0b00110, 0b01001, 0b01000, 0b11100, 0b01000, 0b01000, 0b01000},  // f
    {0b00000, 0b01111, 0b10001, 0b10001, 0b01111, 0b00001, 0b01110},  // g
    {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001},  // h
    {0b00100, 0b00000, 0b01100, 0b00100, 0b00100, 0b00100, 0b01110},  // i
    {0b00010, 0b00000, 0b00110, 0b00010, 0b00010, 0b10010, 0b01100},  // j
    {0b10000, 0b10000, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010},  // k
    {0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // l
    {0b00000, 0b00000, 0b11010, 0b10101, 0b10101, 0b10001, 0b10001},  // m
    {0b00000, 0b00000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001},  // n
    {0b00000, 0b00000, 0b01110, 0b10001, 0b10001, 0b10001, 0b01110},  // o
    {0b00000, 0b00000, 0b11110, 0b10001, 0b11110, 0b10000, 0b10000},  // p
    {0b00000, 0b00000, 0b01101, 0b10011, 0b01111, 0b00001, 0b00001},  // q
    {0b00000, 0b00000, 0b10110, 0b11001, 0b10000, 0b10000, 0b10000},  // r
    {0b00000, 0b00000, 0b01110, 0b10000, 0b01110, 0b00001, 0b11110},  // s
    {0b01000, 0b01000, 0b11100, 0b01000, 0b01000, 0b01001, 0b00110},  // t
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10001, 0b10011, 0b01101},  // u
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100},  // v
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10101, 0b10101, 0b01010},  // w
    {0b00000, 0b00000, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001},  // x
    {0b00000, 0b00000, 0b10001, 0b10001, 0b01111, 0b00001, 0b01110},  // y
    {0b00000, 0b00000, 0b11111, 0b00010, 0b00100, 0b01000, 0b11111},  // z
    {0b00010, 0b00100, 0b00100, 0b01000, 0b00100, 0b00100, 0b00010},  // {
    {0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100},  // |
    {0b01000, 0b00100, 0b00100, 0b00010, 0b00100, 0b00100, 0b01000},  // }
    {0b00000, 0b00000, 0b01000, 0b10101, 0b00010, 0b00000, 0b00000},  // ~
};

ShapeRecord lineBy(double dx, double dy) {
    ShapeRecord r;
    r.type = ShapeRecord::Type::Line;
    r.delta = {dx, dy};
    return r;
}

// The columns a glyph inks, as a mask of five bits.
uint8_t inkedColumns(const Rows& rows) {
    uint8_t mask = 0;
    for (uint8_t row : rows) mask |= row;
    return mask;
}

int firstColumn(uint8_t mask) {
    int col = 0;
    while (col < 5 && !(mask & (0b10000 >> col))) ++col;
    return col;
}

int lastColumn(uint8_t mask) {
    int col = 4;
    while (col >= 0 && !(mask & (0b10000 >> col))) --col;
    return col;
}

// Narrow glyphs take less room: the advance covers the inked columns and a bearing on either side.
double advanceOf(const Rows& rows) {
    uint8_t mask = inkedColumns(rows);
    if (!mask) return kSpaceAdvance;
    return (lastColumn(mask) - firstColumn(mask) + 1) * kCell + 2 * kSideBearing;
}

// One rectangle per run of filled cells in a row, each filled with fill style 1 on its inside; the
// first inked column starts one bearing from the origin.
Shape glyphShape(const Rows& rows) {
    Shape s;
    const double left = kSideBearing - firstColumn(inkedColumns(rows)) * kCell;
    for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5;) {
            if (!(rows[row] & (0b10000 >> col))) {
                ++col;
                continue;
            }
            int end = col;
            while (end < 5 && (rows[row] & (0b10000 >> end))) ++end;
            double x = left + col * kCell, y = (row - 7) * kCell, w = (end - col) * kCell;
            ShapeRecord move;
            move.hasMove = true;
            move.moveTo = {x, y};
            move.hasFill1 = true;
            move.fill1 = 1;
            s.records.push_back(move);
            s.records.push_back(lineBy(w, 0));
            s.records.push_back(lineBy(0, kCell));
            s.records.push_back(lineBy(-w, 0));
            s.records.push_back(lineBy(0, -kCell));
            s.bounds.include(Rect{x, y, x + w, y + kCell});
            col = end;
        }
    }
    s.edgeBounds = s.bounds;
    return s;
}

Font makeFallbackFont() {
    Font font;
    font.version = 2;
    font.name = "fallback blocks";
    font.emSquare = kEm;
    FontLayout layout;
    layout.ascent = kAscent;
    layout.descent = kDescent;
    for (uint32_t code = kFirstCode; code <= kLastCode; ++code) {
        font.glyphs.push_back(glyphShape(kGlyphRows[code - kFirstCode]));
        font.codeTable.push_back(static_cast<uint16_t>(code));
        layout.advances.push_back(advanceOf(kGlyphRows[code - kFirstCode]));
        layout.bounds.push_back(font.glyphs.back().bounds);
    }
    font.layout = layout;
    return font;
}

}  // namespace

const Font& fallbackFont() {
    static const Font font = makeFallbackFont();
    return font;
}

uint32_t fallbackGlyphIndex(uint32_t code) {
    if (code < kFirstCode || code > kLastCode) code = '?';
    return code - kFirstCode;
}

}  // namespace swf
