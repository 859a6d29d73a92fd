#include "engine/core/text_layout.h"

#include <algorithm>

#include "engine/core/fallback_font.h"

namespace swf {

namespace {

constexpr double kGutter = 40;  // twips between a field's bounds and its text

// Decodes UTF-8 (SWF 6 and later store text so); a broken sequence yields its bytes one by one.
std::vector<uint32_t> codePoints(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<uint8_t>(s[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = i + static_cast<size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            auto n = static_cast<uint8_t>(s[i + k]);
            if ((n & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (n & 0x3F);
        }
        if (!ok || extra == 0) {
            out.push_back(c);
            ++i;
        } else {
            out.push_back(cp);
            i += extra + 1;
        }
    }
    return out;
}

int glyphIndex(const Font& font, uint32_t code) {
    for (size_t i = 0; i < font.codeTable.size(); ++i)
        if (font.codeTable[i] == code) return static_cast<int>(i);
    return -1;
}

}  // namespace

std::string visibleText(const EditText& text) {
    std::string src = text.initialText.value_or("");
    if (!text.html) return src;
    std::string out;
    for (size_t i = 0; i < src.size(); ++i) {
        if (src[i] == '<') {
            size_t end = src.find('>', i);
            if (end == std::string::npos) break;
            std::string tag = src.substr(i + 1, end - i - 1);
            std::transform(tag.begin(), tag.end(), tag.begin(), [](unsigned char c) { return std::tolower(c); });
            if (tag == "br" || tag == "br/" || tag == "/p") out += '\n';
            i = end;
        } else if (src[i] == '&') {
            static const std::pair<const char*, char> entities[] = {
                {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&nbsp;", ' '}};
            bool matched = false;
            for (auto& [name, ch] : entities) {
                if (src.compare(i, std::char_traits<char>::length(name), name) == 0) {
                    out += ch;
                    i += std::char_traits<char>::length(name) - 1;
                    matched = true;
                    break;
                }
            }
            if (!matched) out += '&';
        } else {
            out += src[i];
        }
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();  // the closing paragraph
    return out;
}

std::vector<PlacedGlyph> layoutEditText(const EditText& text, const Movie& movie, DeviceFonts* deviceFonts) {
    std::vector<PlacedGlyph> out;
    if (!text.initialText || text.initialText->empty()) return out;
    const Font* font = text.fontId ? movie.findAs<Font>(*text.fontId) : nullptr;
    const bool hasOutlines = font && !font->glyphs.empty() && font->emSquare > 0;
    // A field draws its font's outlines when it asks to; otherwise the system's face of that name,
    // and the outlines after all when the system has none.
    DeviceFont* device = nullptr;
    if (deviceFonts && !(hasOutlines && text.useOutlines))
        device = deviceFonts->font(font ? font->name : std::string(), font && font->bold, font && font->italic);
    const bool fallback = !device && !hasOutlines;
    if (fallback) font = &fallbackFont();
    double scale = text.fontHeight / (device ? device->metrics().emSquare : font->emSquare);
    double ascent = device ? device->metrics().ascent * scale
                    : font->layout ? font->layout->ascent * scale : text.fontHeight * 0.8;
    double descent = device ? device->metrics().descent * scale
                     : font->layout ? font->layout->descent * scale : text.fontHeight * 0.2;
    double lineHeight = ascent + descent + text.leading;
    Rgba color = text.color.value_or(Rgba{0, 0, 0, 255});

    auto advanceOf = [&](int index) {
        if (device) return device->advance(static_cast<uint32_t>(index)) * scale;
        if (font->layout && index < static_cast<int>(font->layout->advances.size()))
            return font->layout->advances[index] * scale;
        return text.fontHeight * 0.6;
    };
    auto indexOf = [&](uint32_t code) {
        if (device) return static_cast<int>(device->glyphIndex(code));
        return fallback ? static_cast<int>(fallbackGlyphIndex(code)) : glyphIndex(*font, code);
    };

    // Lines of glyph indices with their x positions, before alignment.
    struct Line {
        std::vector<std::pair<int, double>> glyphs;
        double width = 0;
    };
    std::vector<Line> lines(1);
    double left = text.bounds.xMin + kGutter + text.leftMargin;
    double maxWidth = text.bounds.width() - 2 * kGutter - text.leftMargin - text.rightMargin;
    double x = text.indent;
    size_t lastSpace = 0;  // glyph count of the current line after its last space; 0: none
    for (uint32_t code : codePoints(visibleText(text))) {
        if (code == '\n' || code == '\r') {
            lines.push_back({});
            x = 0;
            lastSpace = 0;
            continue;
        }
        int index = indexOf(code);
        double adv = index >= 0 ? advanceOf(index) : text.fontHeight * 0.3;
        Line& line = lines.back();
        if (text.wordWrap && x + adv > maxWidth && lastSpace > 0 && code != ' ') {
            // Move the word being written to a new line.
            Line next;
            // The word starts after the last space; when the space itself ended the line, the
            // word is only beginning and nothing moves.
            double shift = lastSpace < line.glyphs.size() ? line.glyphs[lastSpace].second : x;
            for (size_t k = lastSpace; k < line.glyphs.size(); ++k)
                next.glyphs.push_back({line.glyphs[k].first, line.glyphs[k].second - shift});
            line.glyphs.resize(lastSpace);
            line.width = shift;
            x -= shift;
            next.width = x;
            lines.push_back(std::move(next));
            lastSpace = 0;
        }
        Line& current = lines.back();
        if (index >= 0) current.glyphs.push_back({index, x});
        x += adv;
        current.width = x;
        if (code == ' ') lastSpace = current.glyphs.size();
    }

    double y = text.bounds.yMin + kGutter + ascent;
    for (const Line& line : lines) {
        double offset = 0;
        if (text.align == 1) offset = maxWidth - line.width;
        else if (text.align == 2) offset = (maxWidth - line.width) / 2;
        for (auto [index, gx] : line.glyphs) {
            PlacedGlyph g;
            g.fontId = text.fontId.value_or(0);
            g.index = static_cast<uint32_t>(index);
            g.fallback = fallback;
            g.device = device;
            g.glyphToText = Matrix::translate(left + offset + gx, y) * Matrix::scale(scale, scale);
            g.color = color;
            out.push_back(g);
        }
        y += lineHeight;
    }
    return out;
}

}  // namespace swf
