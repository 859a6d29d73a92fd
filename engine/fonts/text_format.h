// The character and paragraph formatting of text-field text, each part optional: a format read
// from a span of text leaves unset what differs inside the span, and a format applied changes only
// what it sets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

struct TextFormat {
    std::optional<std::string> font;
    std::optional<double> size;  // pixels
    std::optional<uint32_t> color;
    std::optional<bool> bold, italic, underline, bullet, kerning;
    std::optional<std::string> url, target;
    std::optional<std::string> align;  // "left", "right", "center" or "justify"
    std::optional<std::string> display;  // "block", "inline" or "none"
    std::optional<double> leftMargin, rightMargin, indent, blockIndent, leading, letterSpacing;  // pixels
    std::optional<std::vector<double>> tabStops;

    bool operator==(const TextFormat&) const = default;

    // What `other` sets replaces this format's value.
    void merge(const TextFormat& other) {
        forEachPart(other, [](auto& mine, const auto& theirs) {
            if (theirs) mine = theirs;
        });
    }

    // What differs from `other` becomes unset.
    void intersect(const TextFormat& other) {
        forEachPart(other, [](auto& mine, const auto& theirs) {
            if (mine != theirs) mine.reset();
        });
    }

    // The format a new field starts with: every part set.
    static TextFormat defaults() {
        TextFormat f;
        f.font = "Times New Roman", f.size = 12, f.color = 0, f.bold = false, f.italic = false;
        f.underline = false, f.bullet = false, f.kerning = false, f.url = "", f.target = "";
        f.align = "left", f.display = "block", f.leftMargin = 0, f.rightMargin = 0, f.indent = 0;
        f.blockIndent = 0, f.leading = 0, f.letterSpacing = 0, f.tabStops = std::vector<double>{};
        return f;
    }

private:
    // Calls `visit(mine, theirs)` for every part, the one list of them that merge and intersect share.
    template <typename Visit>
    void forEachPart(const TextFormat& other, Visit visit) {
        visit(font, other.font), visit(size, other.size), visit(color, other.color), visit(bold, other.bold);
        visit(italic, other.italic), visit(underline, other.underline), visit(bullet, other.bullet);
        visit(kerning, other.kerning), visit(url, other.url), visit(target, other.target), visit(align, other.align);
        visit(display, other.display), visit(leftMargin, other.leftMargin), visit(rightMargin, other.rightMargin);
        visit(indent, other.indent), visit(blockIndent, other.blockIndent), visit(leading, other.leading);
        visit(letterSpacing, other.letterSpacing), visit(tabStops, other.tabStops);
    }
};

}  // namespace swf
