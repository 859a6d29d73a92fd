// The text of a field as the player keeps it: characters, each with its format. Paragraph parts of
// the format (alignment, margins, indents, leading, bullets, tab stops) hold for whole paragraphs,
// read from a paragraph's first character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/fonts/text_field_settings.h"

namespace swf {


class TextDocument {
public:
    size_t length() const { return chars_.size(); }
    const std::u32string& chars() const { return chars_; }
    const TextFormat& formatAt(size_t i) const { return formats_[formatIndex_[i]]; }
    std::string text() const;  // UTF-8

    // Puts `text` (UTF-8) in place of [begin, end), in `format`.
    void replace(size_t begin, size_t end, const std::string& text, const TextFormat& format);
    // The format the span shares: parts that differ inside it unset. An empty span reads the
    // character before it (the first one at the start).
    TextFormat formatOf(size_t begin, size_t end) const;
    // Sets what `format` sets on [begin, end); paragraph parts go to the whole paragraphs touched.
    void applyFormat(size_t begin, size_t end, const TextFormat& format);

    // How HTML's own white space is read: kept, condensed across the whole text (runs of white
    // space become one space, none at a paragraph's start), or condensed text by text between
    // tags as movies before version 8 have it (a text of only white space is dropped, each run
    // inside a text becomes one space).
    enum class WhiteSpace : uint8_t { Keep, Condense, CondenseEachText };
    // Replaces the text by HTML read with `base` as the outer format. Without `breaks` (condensed
    // HTML in a one-line field) paragraphs and line breaks of the markup break nothing: the text
    // runs on as if they were not there.
    void setHtml(const std::string& html, const TextFormat& base, WhiteSpace white, bool breaks = true,
                 const TextStyles* styles = nullptr);
    // The HTML the player writes back for this text (nothing when there is no text).
    std::string html() const;

    // The first character of the paragraph holding `i`, and the end of that paragraph (its
    // break character included).
    size_t paragraphStart(size_t i) const;
    size_t paragraphEnd(size_t i) const;

private:
    uint32_t indexOf(const TextFormat& format);
    void compact();

    std::u32string chars_;
    std::vector<uint32_t> formatIndex_;
    std::vector<TextFormat> formats_;
};

std::u32string decodeUtf8(const std::string& s);
std::string encodeUtf8(const std::u32string& s);
inline bool isParagraphBreak(char32_t c) { return c == '\r' || c == '\n'; }

}  // namespace swf
