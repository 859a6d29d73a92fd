#include "engine/core/text_layout.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/base/ascii_case.h"
#include "engine/core/fallback_font.h"

namespace swf {

namespace {

bool sameName(const std::string& a, const std::string& b) { return equalsIgnoringAsciiCase(a, b); }

// The font one format draws with: an embedded font's outlines, a system face, or the block font.
struct RunFont {
    const Font* font = nullptr;  // embedded, or the block font when `fallback`
    uint16_t fontId = 0;
    DeviceFont* device = nullptr;
    bool fallback = false;
    double scale = 0;               // glyph units to twips
    double ascent = 0, descent = 0; // twips
    std::map<std::pair<uint32_t, uint32_t>, double> kerningPairs;  // embedded fonts, by code

    int glyph(char32_t code) const {
        if (device) return int(device->glyphIndex(code));
        if (fallback) return int(fallbackGlyphIndex(code));
        if (!font) return -1;  // no face could be resolved: nothing to draw
        for (size_t i = 0; i < font->codeTable.size(); ++i)
            if (font->codeTable[i] == code) return int(i);
        return -1;
    }
    double advance(int index, double size) const {
        if (index < 0) return 0;
        if (device) return device->advance(uint32_t(index)) * scale;
        if (font && font->layout && index < int(font->layout->advances.size())) return font->layout->advances[index] * scale;
        return size * 0.6;
    }
    double kerning(char32_t a, int ga, char32_t b, int gb) const {
        if (device) return ga > 0 && gb > 0 ? device->kerning(uint32_t(ga), uint32_t(gb)) * scale : 0;
        auto it = kerningPairs.find({a, b});
        return it == kerningPairs.end() ? 0 : it->second * scale;
    }
};

class FontResolver {
public:
    FontResolver(const Movie& movie, DeviceFonts* devices, bool embed, uint16_t preferredId)
        : movie_(movie), devices_(devices), embed_(embed), preferredId_(preferredId) {}

    const RunFont& of(const TextFormat& f) {
        const std::string name = f.font.value_or("");
        const bool bold = f.bold.value_or(false), italic = f.italic.value_or(false);
        const double size = std::max(0.0, f.size.value_or(12)) * 20;
        auto key = std::make_tuple(name, bold, italic, size);
        auto it = cache_.find(key);
        if (it != cache_.end()) return it->second;
        RunFont r;
        if (embed_) {
            // The embedded font of that name, at the style asked for when the movie has it.
            int best = -1;
            for (const auto& [id, character] : movie_.characters) {
                const Font* font = std::get_if<Font>(&character.definition);
                if (!font || font->glyphs.empty() || font->emSquare <= 0 || !sameName(font->name, name)) continue;
                int score = 2 * ((font->bold == bold) + (font->italic == italic)) + (id == preferredId_);
                if (score > best) best = score, r.font = font, r.fontId = id;
            }
        } else if (devices_) {
            r.device = devices_->font(name, bold, italic);
        }
        if (!r.font && !r.device && (!embed_ || !devices_)) {
            r.fallback = true;
            r.font = &fallbackFont();
        }
        if (r.device) {
            const FaceMetrics& m = r.device->metrics();
            r.scale = size / m.emSquare;
            r.ascent = m.ascent * r.scale, r.descent = m.descent * r.scale;
        } else if (r.font) {
            r.scale = size / r.font->emSquare;
            if (r.font->layout) {
                r.ascent = r.font->layout->ascent * r.scale, r.descent = r.font->layout->descent * r.scale;
                if (f.kerning.value_or(false))
                    for (const KerningPair& k : r.font->layout->kerning)
                        r.kerningPairs[{k.code1, k.code2}] = k.adjustment;
            } else {
                r.ascent = size * 0.8, r.descent = size * 0.2;
            }
        } else {
            // An embedded font the movie lacks: nothing draws and the text takes no room.
        }
        // Lines are measured in whole twips.
        r.ascent = std::round(r.ascent), r.descent = std::round(r.descent);
        return cache_.emplace(key, std::move(r)).first->second;
    }

private:
    const Movie& movie_;
    DeviceFonts* devices_;
    bool embed_;
    uint16_t preferredId_;
    std::map<std::tuple<std::string, bool, bool, double>, RunFont> cache_;
};

struct Item {
    size_t at;          // character index
    int glyph;          // -1: nothing drawn
    const RunFont* font;
    double x, advance;  // twips from the line's start
};

struct LaidLine {
    TextLine line;
    std::vector<Item> items;
    double left = 0;  // twips from the field's left edge to the line's start, alignment included
};

// List paragraphs stand half an inch in from their margin, whatever their size; the bullet sits
// in that room.
constexpr double kBulletIndent = 720;

// Pixels a format gives, in whole twips; a value that is no number moves nothing.
double pixelsToTwips(const std::optional<double>& px) {
    const double t = std::round(px.value_or(0) * 20);
    return std::isfinite(t) ? t : 0;
}

std::vector<LaidLine> breakLines(const TextDocument& doc, const TextFormat& emptyFormat, bool wordWrap,
                                 bool password, double fieldWidth, FontResolver& fonts) {
    std::vector<LaidLine> out;
    const std::u32string& chars = doc.chars();
    const size_t n = chars.size();
    size_t p0 = 0;
    do {
        size_t pEnd = p0;
        while (pEnd < n && !isParagraphBreak(chars[pEnd])) ++pEnd;
        const TextFormat& pf = p0 < n ? doc.formatAt(p0) : n ? doc.formatAt(n - 1) : emptyFormat;
        const double bullet = pf.bullet.value_or(false) ? kBulletIndent : 0;
        const double left = kTextGutter + pixelsToTwips(pf.leftMargin) + pixelsToTwips(pf.blockIndent) + bullet;
        const double right = kTextGutter + pixelsToTwips(pf.rightMargin);
        const double indent = pixelsToTwips(pf.indent);
        const std::string align = pf.align.value_or("left");

        // Measure the paragraph's characters.
        std::vector<Item> items;
        items.reserve(pEnd - p0);
        for (size_t k = p0; k < pEnd; ++k) {
            const TextFormat& f = doc.formatAt(k);
            const RunFont& font = fonts.of(f);
            char32_t code = password ? U'*' : chars[k];
            int g = font.glyph(code);
            double adv = std::round(font.advance(g, f.size.value_or(12) * 20));
            if (code == '\t') {
                // To the next tab stop (every half inch when none are set).
                double x = items.empty() ? 0 : items.back().x + items.back().advance;
                double next = 0;
                bool found = false;
                if (f.tabStops)
                    for (double stop : *f.tabStops)
                        if (stop * 20 > x) {
                            next = stop * 20, found = true;
                            break;
                        }
                if (!found) next = (std::floor(x / 720) + 1) * 720;
                adv = next - x;
                g = -1;
            }
            adv += pixelsToTwips(f.letterSpacing);
            if (!items.empty() && items.back().font == &font && f.kerning.value_or(false)) {
                Item& prev = items.back();
                char32_t prevCode = password ? U'*' : chars[prev.at];
                prev.advance += std::round(font.kerning(prevCode, prev.glyph, code, g));
            }
            double x = items.empty() ? 0 : items.back().x + items.back().advance;
            items.push_back({k, g, &font, x, adv});
        }

        // Break into lines.
        size_t start = 0;
        bool firstLine = true;
        auto emit = [&](size_t from, size_t to, bool last) {
            LaidLine l;
            double base = from < to ? items[from].x : 0;
            for (size_t k = from; k < to; ++k) {
                Item it = items[k];
                it.x -= base;
                l.items.push_back(it);
            }
            // The width leaves out the spaces that end a wrapped line.
            size_t visibleEnd = to;
            while (!last && visibleEnd > from && chars[items[visibleEnd - 1].at] == ' ') --visibleEnd;
            l.line.width = visibleEnd > from ? items[visibleEnd - 1].x + items[visibleEnd - 1].advance - base : 0;
            l.line.begin = from < to ? items[from].at : (to < items.size() ? items[to].at : pEnd);
            l.line.end = last ? std::min(pEnd + 1, n) : items[to - 1].at + 1;
            double ascent = 0, descent = 0, leading = pixelsToTwips(pf.leading);
            if (from == to) {
                const RunFont& font = fonts.of(pf);
                ascent = font.ascent, descent = font.descent;
            }
            for (size_t k = from; k < to; ++k) {
                ascent = std::max(ascent, items[k].font->ascent);
                descent = std::max(descent, items[k].font->descent);
            }
            l.line.ascent = ascent, l.line.descent = descent, l.line.leading = leading;
            double lineLeft = left + (firstLine ? indent : 0);
            double room = fieldWidth - lineLeft - right;
            double offset = 0;
            if (align == "justify" && !last && room > l.line.width) {
                // A wrapped line of a justified paragraph fills the width: the room left goes to
                // the spaces between its words, whole twips each.
                size_t spaces = 0;
                for (size_t k = from; k < visibleEnd; ++k)
                    if (chars[items[k].at] == ' ') ++spaces;
                if (spaces > 0) {
                    const double extra = room - l.line.width;
                    size_t seen = 0;
                    for (size_t k = 0; k < l.items.size() && from + k < visibleEnd; ++k) {
                        l.items[k].x += std::round(extra * double(seen) / double(spaces));
                        if (chars[l.items[k].at] == ' ') ++seen;
                    }
                    l.line.width = room;
                }
            }
            if (align == "right") offset = room - l.line.width;
            else if (align == "center") offset = std::round((room - l.line.width) / 2);
            l.left = lineLeft + std::max(0.0, offset);
            l.line.x = l.left;
            out.push_back(std::move(l));
            firstLine = false;
        };
        if (wordWrap) {
            size_t lastBreak = 0;  // items after the last space of the line; 0: none yet
            for (size_t k = 0; k < items.size(); ++k) {
                double room = fieldWidth - left - right - (firstLine ? indent : 0);
                char32_t c = chars[items[k].at];
                double end = items[k].x + items[k].advance - items[start].x;
                if (c != ' ' && end > room && k > start) {
                    size_t cut = lastBreak > start ? lastBreak : k;
                    emit(start, cut, false);
                    start = cut;
                    lastBreak = 0;
                }
                if (c == ' ') lastBreak = k + 1;
            }
        }
        emit(start, items.size(), true);
        p0 = pEnd + 1;
    } while (p0 < n || (p0 == n && n > 0 && isParagraphBreak(chars[n - 1])));
    return out;
}

}  // namespace

TextLayout layoutField(const TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts) {
    TextLayout out;
    FontResolver fonts(movie, deviceFonts, field.embedFonts, field.recordFontId);
    const TextDocument& doc = field.document;
    const double width = field.bounds.width(), height = field.bounds.height();
    std::vector<LaidLine> lines;
    if (doc.length() > 0) lines = breakLines(doc, field.newFormat, field.wordWrap, field.password, width, fonts);
    // A list's closing break leaves an empty line of no height after the last item.
    if (lines.size() > 1 && lines.back().items.empty() && isParagraphBreak(doc.chars().back()) &&
        doc.formatAt(doc.length() - 1).bullet.value_or(false)) {
        TextLine& end = lines.back().line;
        end.ascent = end.descent = end.leading = 0;
    }
    double y = 0;
    for (LaidLine& l : lines) {
        l.line.top = y;
        y += l.line.ascent + l.line.descent + l.line.leading;
        // The text's own width: margins, indents, bullets and alignment are not part of it.
        out.textWidth = std::max(out.textWidth, l.line.width);
        out.extentWidth = std::max(out.extentWidth, l.left - kTextGutter + l.line.width);
        out.lines.push_back(l.line);
    }
    // The leading counts between lines; a lone line keeps its own.
    out.textHeight = lines.size() > 1 ? y - lines.back().line.leading : y;

    // Scrolling: the first line shown, and the last one shown whole.
    const double visible = height - 2 * kTextGutter;
    const int count = int(lines.size());
    out.maxScroll = 1;
    for (int i = count - 1; i >= 0; --i) {
        const TextLine& last = lines.back().line;
        double bottom = last.top + last.ascent + last.descent;
        if (bottom - lines[size_t(i)].line.top <= visible + 0.5) out.maxScroll = i + 1;
        else break;
    }
    const int scroll = std::clamp(field.scroll, 1, std::max(1, out.maxScroll));
    const double top = count ? lines[size_t(scroll - 1)].line.top : 0;
    out.bottomScroll = scroll;
    for (int i = scroll - 1; i < count; ++i) {
        const TextLine& l = lines[size_t(i)].line;
        if (l.top + l.ascent + l.descent - top <= visible + 0.5 || i == scroll - 1) out.bottomScroll = i + 1;
        else break;
    }
    out.maxHScroll = field.wordWrap ? 0 : std::max(0.0, std::floor((out.extentWidth - (width - 2 * kTextGutter)) / 20));
    const double hscroll = std::clamp(field.hscroll, 0.0, out.maxHScroll) * 20;

    for (int i = scroll - 1; i < count; ++i) {
        const LaidLine& l = lines[size_t(i)];
        if (l.line.top - top >= visible && i > scroll - 1) break;
        const double baseline = field.bounds.yMin + kTextGutter + l.line.top - top + l.line.ascent;
        double underlineFrom = 0;
        bool underlining = false;
        for (size_t k = 0; k < l.items.size(); ++k) {
            const Item& it = l.items[k];
            const TextFormat& f = doc.formatAt(it.at);
            const uint32_t c = f.color.value_or(0);
            const Rgba color{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
            const double x = field.bounds.xMin + l.left + it.x - hscroll;
            bool under = f.underline.value_or(false);
            if (under && !underlining) underlineFrom = x;
            bool endsRule = under && (k + 1 == l.items.size() || !doc.formatAt(l.items[k + 1].at).underline.value_or(false));
            if (endsRule)
                out.rules.push_back({underlineFrom, x + it.advance, baseline + std::max(20.0, std::round(it.font->descent / 3)),
                                     std::max(20.0, std::round(f.size.value_or(12))), color});
            underlining = under && !endsRule;
            if (it.glyph < 0 || (!it.font->font && !it.font->device)) continue;
            char32_t code = field.password ? U'*' : doc.chars()[it.at];
            if (code == '\t') continue;
            PlacedGlyph g;
            g.fontId = it.font->fontId;
            g.index = uint32_t(it.glyph);
            g.fallback = it.font->fallback;
            g.device = it.font->device;
            g.glyphToText = Matrix::translate(x, baseline) * Matrix::scale(it.font->scale, it.font->scale);
            g.color = color;
            out.glyphs.push_back(g);
        }
        if (l.items.empty() && doc.formatAt(std::min(l.line.begin, doc.length() - 1)).bullet.value_or(false)) continue;
        // A bullet before a list paragraph's first line.
        if (!l.items.empty() && l.line.begin == doc.paragraphStart(l.line.begin) &&
            doc.formatAt(l.line.begin).bullet.value_or(false)) {
            const Item& first = l.items.front();
            int g = first.font->glyph(U'\u2022');
            if (g > 0 && (first.font->font || first.font->device)) {
                const uint32_t c = doc.formatAt(first.at).color.value_or(0);
                PlacedGlyph b;
                b.fontId = first.font->fontId, b.index = uint32_t(g), b.fallback = first.font->fallback;
                b.device = first.font->device;
                double size = doc.formatAt(first.at).size.value_or(12) * 20;
                b.glyphToText = Matrix::translate(field.bounds.xMin + l.left - kBulletIndent + std::round(size * 0.5) - hscroll, baseline) *
                                Matrix::scale(first.font->scale, first.font->scale);
                b.color = Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
                out.glyphs.push_back(b);
            }
        }
    }
    return out;
}

TextExtent measureText(const std::string& text, const TextFormat& format, double wrapWidth, const Movie& movie,
                       DeviceFonts* deviceFonts) {
    TextFieldState field;
    TextFormat f = TextFormat::defaults();
    f.merge(format);
    field.newFormat = f;
    field.embedFonts = false;
    field.wordWrap = wrapWidth > 0;
    field.bounds = Rect{0, 0, wrapWidth > 0 ? wrapWidth + 2 * kTextGutter : 1e9, 1e9};
    field.setText(text);
    TextLayout l = layoutField(field, movie, deviceFonts);
    TextExtent e;
    e.width = l.textWidth, e.height = l.textHeight;
    if (!l.lines.empty()) e.ascent = l.lines[0].ascent, e.descent = l.lines[0].descent;
    return e;
}

const TextLayout& currentLayout(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts) {
    if (field.layout && field.layoutGeneration == field.generation) return *field.layout;
    auto layout = std::make_shared<TextLayout>(layoutField(field, movie, deviceFonts));
    if (field.autoSize != AutoSize::None) {
        // The field grows or shrinks around its text, from the side its alignment keeps.
        Rect& b = field.bounds;
        double h = layout->textHeight + 2 * kTextGutter;
        b.yMax = b.yMin + h;
        if (!field.wordWrap) {
            double w = layout->extentWidth + 2 * kTextGutter;
            if (field.autoSize == AutoSize::Left) b.xMax = b.xMin + w;
            else if (field.autoSize == AutoSize::Right) b.xMin = b.xMax - w;
            else {
                double centre = (b.xMin + b.xMax) / 2;
                b.xMin = std::round(centre - w / 2), b.xMax = b.xMin + w;
            }
        }
        layout = std::make_shared<TextLayout>(layoutField(field, movie, deviceFonts));
    }
    field.layout = layout;
    field.layoutGeneration = field.generation;
    return *field.layout;
}

namespace {

// A field's lines as laid out now, with the items of each and where the view is scrolled to: what
// looking up characters by position, or positions by character, needs.
struct ShownLines {
    const TextLayout& laid;
    std::vector<LaidLine> lines;
    size_t count = 0;    // lines with both a layout and items
    size_t first = 0;    // the first line in view
    double top = 0;      // that line's top, twips
    double hscroll = 0;  // twips
};

ShownLines shownLines(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts) {
    const TextLayout& laid = currentLayout(field, movie, deviceFonts);
    FontResolver fonts(movie, deviceFonts, field.embedFonts, field.recordFontId);
    ShownLines shown{laid, breakLines(field.document, field.newFormat, field.wordWrap, field.password,
                                      field.bounds.width(), fonts)};
    shown.count = std::min(shown.lines.size(), laid.lines.size());
    const int scroll = std::clamp(field.scroll, 1, std::max(1, laid.maxScroll));
    shown.first = size_t(scroll - 1);
    shown.top = laid.lines.empty() ? 0 : laid.lines[std::min(shown.first, laid.lines.size() - 1)].top;
    shown.hscroll = std::clamp(field.hscroll, 0.0, laid.maxHScroll) * 20;
    return shown;
}

}  // namespace

std::optional<size_t> characterAt(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, Point local) {
    if (field.document.length() == 0 || currentLayout(field, movie, deviceFonts).lines.empty()) return std::nullopt;
    const ShownLines shown = shownLines(field, movie, deviceFonts);
    const double y = local.y - field.bounds.yMin - kTextGutter + shown.top;
    for (size_t i = shown.first; i < shown.count; ++i) {
        const TextLine& l = shown.laid.lines[i];
        if (y < l.top || y >= l.top + l.ascent + l.descent + l.leading) continue;
        for (const Item& it : shown.lines[i].items) {
            const double x = field.bounds.xMin + shown.lines[i].left + it.x - shown.hscroll;
            if (local.x >= x && local.x < x + it.advance) return it.at;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

size_t caretAt(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, Point local) {
    const size_t length = field.document.length();
    if (length == 0 || currentLayout(field, movie, deviceFonts).lines.empty()) return 0;
    const ShownLines shown = shownLines(field, movie, deviceFonts);
    if (shown.count == 0) return 0;
    const double y = local.y - field.bounds.yMin - kTextGutter + shown.top;
    size_t i = std::min(shown.first, shown.count - 1);
    while (i + 1 < shown.count) {
        const TextLine& l = shown.laid.lines[i];
        if (y < l.top + l.ascent + l.descent + l.leading) break;
        ++i;
    }
    for (const Item& it : shown.lines[i].items) {
        const double x = field.bounds.xMin + shown.lines[i].left + it.x - shown.hscroll;
        if (local.x < x + it.advance / 2) return it.at;
    }
    const TextLine& line = shown.laid.lines[i];
    size_t end = std::min(line.end, length);
    if (end > line.begin && isParagraphBreak(field.document.chars()[end - 1])) --end;
    return end;
}

std::vector<PlacedGlyph> layoutEditText(const EditText& text, const Movie& movie, DeviceFonts* deviceFonts) {
    TextFieldState field = fieldStateFrom(text, movie);
    if (!deviceFonts) field.embedFonts = true;
    return layoutField(field, movie, deviceFonts).glyphs;
}

std::optional<Rect> characterBox(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, size_t index) {
    if (index >= field.document.length() || currentLayout(field, movie, deviceFonts).lines.empty()) return std::nullopt;
    const ShownLines shown = shownLines(field, movie, deviceFonts);
    for (size_t i = 0; i < shown.count; ++i) {
        const TextLine& l = shown.laid.lines[i];
        if (index < l.begin || index >= l.end) continue;
        for (const Item& it : shown.lines[i].items) {
            if (it.at != index) continue;
            const double x = field.bounds.xMin + shown.lines[i].left + it.x - shown.hscroll;
            const double y = field.bounds.yMin + kTextGutter + l.top - shown.top;
            return Rect{x, y, x + it.advance, y + l.ascent + l.descent + l.leading};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace swf
