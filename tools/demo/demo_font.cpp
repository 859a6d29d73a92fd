#include "tools/demo/demo_font.h"

#include <array>
#include <map>

namespace demo {

namespace {

constexpr double kEm = 1024, kCell = 128;  // 7 cells make the capital height

// Rows top to bottom, '#' for a filled cell.
const std::map<char, std::array<const char*, 7>>& shapes() {
    static const std::map<char, std::array<const char*, 7>> table = {
        {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
        {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
        {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
        {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
        {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
        {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
        {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
        {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
        {'G', {".####", "#....", "#....", "#..##", "#...#", "#...#", ".###."}},
        {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
        {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
        {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
        {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    };
    return table;
}

// One closed square per filled cell, fill style 1 on its inside.
swf::Shape glyphShape(const std::array<const char*, 7>& rows) {
    swf::Shape s;
    for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5; ++col) {
            if (rows[row][col] != '#') continue;
            double x = col * kCell, y = -kEm * 7 / 8 + row * kCell;
            swf::ShapeRecord move;
            move.hasMove = true;
            move.moveTo = {x, y};
            move.hasFill1 = true;
            move.fill1 = 1;
            s.records.push_back(move);
            for (swf::Point d : {swf::Point{kCell, 0}, swf::Point{0, kCell}, swf::Point{-kCell, 0}, swf::Point{0, -kCell}}) {
                swf::ShapeRecord edge;
                edge.type = swf::ShapeRecord::Type::Line;
                edge.delta = d;
                s.records.push_back(edge);
            }
        }
    }
    s.bounds = {0, -kEm * 7 / 8, 5 * kCell, -kEm * 7 / 8 + 7 * kCell};
    s.edgeBounds = s.bounds;
    return s;
}

}  // namespace

swf::Font blockFont(const std::string& letters) {
    swf::Font font;
    font.version = 2;
    font.name = "DemoBlocks";
    font.emSquare = kEm;
    swf::FontLayout layout;
    layout.ascent = kEm * 7 / 8;
    layout.descent = kEm / 8;
    for (char c : letters) {
        bool known = false;
        for (uint16_t code : font.codeTable) known |= code == static_cast<uint16_t>(c);
        auto it = shapes().find(c);
        if (known || it == shapes().end()) continue;
        font.glyphs.push_back(glyphShape(it->second));
        font.codeTable.push_back(static_cast<uint16_t>(c));
        layout.advances.push_back(6 * kCell);
        layout.bounds.push_back(font.glyphs.back().bounds);
    }
    font.layout = layout;
    return font;
}

swf::StaticText blockText(const swf::Font& font, uint16_t fontId, const std::string& text, double x, double y,
                          double heightTwips, swf::Rgba color) {
    swf::StaticText t;
    t.version = 2;
    swf::TextRecord rec;
    rec.fontId = fontId;
    rec.color = color;
    rec.xOffset = x;
    rec.yOffset = y;
    rec.height = heightTwips;
    double advance = 6 * kCell * heightTwips / kEm;
    for (char c : text) {
        for (size_t i = 0; i < font.codeTable.size(); ++i) {
            if (font.codeTable[i] == static_cast<uint16_t>(c)) {
                rec.glyphs.push_back({static_cast<uint32_t>(i), static_cast<int32_t>(advance)});
                break;
            }
        }
    }
    t.records = {rec};
    t.bounds = {x, y - heightTwips, x + advance * static_cast<double>(text.size()), y + heightTwips / 4};
    return t;
}

}  // namespace demo
