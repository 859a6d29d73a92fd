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
        auto take = [](auto& mine, const auto& theirs) {
            if (theirs) mine = theirs;
        };
        take(font, other.font), take(size, other.size), take(color, other.color), take(bold, other.bold);
        take(italic, other.italic), take(underline, other.underline), take(bullet, other.bullet);
        take(kerning, other.kerning), take(url, other.url), take(target, other.target), take(align, other.align);
        take(display, other.display), take(leftMargin, other.leftMargin), take(rightMargin, other.rightMargin);
        take(indent, other.indent), take(blockIndent, other.blockIndent), take(leading, other.leading);
        take(letterSpacing, other.letterSpacing), take(tabStops, other.tabStops);
    }

    // What differs from `other` becomes unset.
    void intersect(const TextFormat& other) {
        auto keep = [](auto& mine, const auto& theirs) {
            if (mine != theirs) mine.reset();
        };
        keep(font, other.font), keep(size, other.size), keep(color, other.color), keep(bold, other.bold);
        keep(italic, other.italic), keep(underline, other.underline), keep(bullet, other.bullet);
        keep(kerning, other.kerning), keep(url, other.url), keep(target, other.target), keep(align, other.align);
        keep(display, other.display), keep(leftMargin, other.leftMargin), keep(rightMargin, other.rightMargin);
        keep(indent, other.indent), keep(blockIndent, other.blockIndent), keep(leading, other.leading);
        keep(letterSpacing, other.letterSpacing), keep(tabStops, other.tabStops);
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
};

}  // namespace swf
