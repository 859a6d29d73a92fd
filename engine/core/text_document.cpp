#include "engine/core/text_document.h"

#include <algorithm>

namespace swf {

std::u32string decodeUtf8(const std::string& s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<uint8_t>(s[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = i + static_cast<size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            auto n = static_cast<uint8_t>(s[i + k]);
            if ((n & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (n & 0x3F);
        }
        // A broken sequence yields its bytes one by one.
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

std::string encodeUtf8(const std::u32string& s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12)), out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18)), out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string TextDocument::text() const { return encodeUtf8(chars_); }

uint32_t TextDocument::indexOf(const TextFormat& format) {
    for (size_t i = 0; i < formats_.size(); ++i)
        if (formats_[i] == format) return uint32_t(i);
    formats_.push_back(format);
    return uint32_t(formats_.size() - 1);
}

void TextDocument::compact() {
    if (formats_.size() < 256) return;
    // Drop the formats no character uses any more.
    std::vector<TextFormat> used;
    std::vector<uint32_t> remap(formats_.size(), UINT32_MAX);
    for (uint32_t& index : formatIndex_) {
        if (remap[index] == UINT32_MAX) {
            remap[index] = uint32_t(used.size());
            used.push_back(formats_[index]);
        }
        index = remap[index];
    }
    formats_ = std::move(used);
}

void TextDocument::replace(size_t begin, size_t end, const std::string& text, const TextFormat& format) {
    end = std::min(end, chars_.size());
    begin = std::min(begin, end);
    compact();
    std::u32string add = decodeUtf8(text);
    uint32_t index = indexOf(format);
    chars_.replace(begin, end - begin, add);
    formatIndex_.erase(formatIndex_.begin() + long(begin), formatIndex_.begin() + long(end));
    formatIndex_.insert(formatIndex_.begin() + long(begin), add.size(), index);
}

TextFormat TextDocument::formatOf(size_t begin, size_t end) const {
    if (chars_.empty()) return TextFormat{};
    end = std::min(end, chars_.size());
    begin = std::min(begin, end);
    if (begin == end) return formatAt(begin > 0 ? begin - 1 : 0);
    TextFormat out = formatAt(begin);
    for (size_t i = begin + 1; i < end; ++i)
        if (formatIndex_[i] != formatIndex_[i - 1]) out.intersect(formatAt(i));
    return out;
}

void TextDocument::applyFormat(size_t begin, size_t end, const TextFormat& format) {
    end = std::min(end, chars_.size());
    begin = std::min(begin, end);
    if (begin == end) return;
    compact();
    TextFormat character = format, paragraph;
    paragraph.align = format.align, paragraph.leftMargin = format.leftMargin, paragraph.rightMargin = format.rightMargin;
    paragraph.indent = format.indent, paragraph.blockIndent = format.blockIndent, paragraph.leading = format.leading;
    paragraph.bullet = format.bullet, paragraph.tabStops = format.tabStops, paragraph.display = format.display;
    character.align.reset(), character.leftMargin.reset(), character.rightMargin.reset(), character.indent.reset();
    character.blockIndent.reset(), character.leading.reset(), character.bullet.reset(), character.tabStops.reset();
    character.display.reset();
    auto apply = [&](size_t from, size_t to, const TextFormat& f) {
        uint32_t last = UINT32_MAX, made = 0;
        for (size_t i = from; i < to; ++i) {
            if (formatIndex_[i] != last) {
                last = formatIndex_[i];
                TextFormat merged = formats_[last];
                merged.merge(f);
                made = indexOf(merged);
            }
            formatIndex_[i] = made;
        }
    };
    apply(begin, end, character);
    if (!(paragraph == TextFormat{})) apply(paragraphStart(begin), paragraphEnd(end - 1), paragraph);
}

size_t TextDocument::paragraphStart(size_t i) const {
    i = std::min(i, chars_.size());
    while (i > 0 && !isParagraphBreak(chars_[i - 1])) --i;
    return i;
}

size_t TextDocument::paragraphEnd(size_t i) const {
    while (i < chars_.size() && !isParagraphBreak(chars_[i])) ++i;
    return std::min(i + 1, chars_.size());
}

}  // namespace swf
