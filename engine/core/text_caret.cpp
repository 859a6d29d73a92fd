#include "engine/core/text_caret.h"

#include <algorithm>

#include "engine/core/text_layout.h"

namespace swf {

namespace {

// The line the caret is on: the one it stands in, or the last at the text's end.
size_t lineOf(const std::vector<TextLine>& lines, size_t caret) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (caret >= lines[i].begin && caret < lines[i].end) return i;
    return lines.size() - 1;
}

// Where a line's text ends: before its paragraph break, if it has one.
size_t contentEnd(const TextDocument& doc, const TextLine& line) {
    size_t end = std::min(line.end, doc.length());
    if (end > line.begin && isParagraphBreak(doc.chars()[end - 1])) --end;
    return end;
}

// The caret's x (twips in the field's space): the left edge of the character after it, or the
// right edge of the one before it at a line's end.
double caretX(TextFieldState& field, const Movie& movie, DeviceFonts* fonts, const TextLine& line, size_t caret) {
    if (caret < contentEnd(field.document, line))
        if (auto box = characterBox(field, movie, fonts, caret)) return box->xMin;
    if (caret > line.begin)
        if (auto box = characterBox(field, movie, fonts, caret - 1)) return box->xMax;
    return field.bounds.xMin;
}

// The place on `line` nearest to x: before the first character whose middle lies right of x.
// Characters run left to right along a line, so the search halves.
size_t nearestOnLine(TextFieldState& field, const Movie& movie, DeviceFonts* fonts, const TextLine& line, double x) {
    size_t low = line.begin, high = contentEnd(field.document, line);
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        auto box = characterBox(field, movie, fonts, mid);
        if (box && x < (box->xMin + box->xMax) / 2) high = mid;
        else low = mid + 1;
    }
    return low;
}

}  // namespace

std::optional<size_t> caretAfterKey(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, size_t caret,
                                    int keyCode) {
    const size_t length = field.document.length();
    caret = std::min(caret, length);
    switch (keyCode) {
    case kCaretLeft: return caret > 0 ? caret - 1 : 0;
    case kCaretRight: return std::min(caret + 1, length);
    case kCaretHome:
    case kCaretEnd:
    case kCaretUp:
    case kCaretDown: break;
    default: return std::nullopt;
    }
    const std::vector<TextLine>& lines = currentLayout(field, movie, deviceFonts).lines;
    if (lines.empty()) return caret;
    const size_t at = lineOf(lines, caret);
    if (keyCode == kCaretHome) return lines[at].begin;
    if (keyCode == kCaretEnd) return contentEnd(field.document, lines[at]);
    // Up on the first line and down on the last go to the text's start and end.
    if (keyCode == kCaretUp && at == 0) return 0;
    if (keyCode == kCaretDown && at + 1 >= lines.size()) return length;
    const double x = caretX(field, movie, deviceFonts, lines[at], caret);
    return nearestOnLine(field, movie, deviceFonts, lines[keyCode == kCaretUp ? at - 1 : at + 1], x);
}

bool moveCaret(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, int& begin, int& end, int keyCode,
               bool extend) {
    if (!isCaretKey(keyCode)) return false;
    const int length = static_cast<int>(field.document.length());
    begin = std::clamp(begin, 0, length), end = std::clamp(end, 0, length);
    if (!extend && begin != end && (keyCode == kCaretLeft || keyCode == kCaretRight)) {
        // A selection collapses to the side the key points to.
        begin = end = keyCode == kCaretLeft ? std::min(begin, end) : std::max(begin, end);
        return true;
    }
    auto to = caretAfterKey(field, movie, deviceFonts, static_cast<size_t>(end), keyCode);
    if (!to) return false;
    end = static_cast<int>(*to);
    if (!extend) begin = end;
    return true;
}

}  // namespace swf
