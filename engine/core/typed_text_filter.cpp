#include "engine/core/typed_text_filter.h"

#include "engine/core/text_document.h"

namespace swf {

namespace {

char32_t otherCase(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
    return c;
}

}  // namespace

bool restrictAdmits(const std::optional<std::string>& pattern, char32_t c) {
    if (!pattern) return true;
    const std::u32string p = decodeUtf8(*pattern);
    // The last rule that names the character decides; before any, a pattern that opens with '^'
    // admits it. A dash (or a run of them) makes a range from the character before it, or from
    // the first character of all when a range or nothing came before; a range given backwards
    // and a dash with nothing after it name nothing.
    bool admitted = !p.empty() && p[0] == '^';
    bool including = true;
    char32_t last = 0;  // where a range that starts here starts from
    bool dash = false;
    for (size_t i = 0; i < p.size(); ++i) {
        char32_t ch = p[i];
        if (ch == '^') {
            including = !including;
            last = 0, dash = false;
            continue;
        }
        if (ch == '-') {
            dash = true;
            continue;
        }
        if (ch == '\\') {
            if (++i >= p.size()) break;
            ch = p[i];
        }
        if (dash) {
            if (last <= c && c <= ch) admitted = including;
            last = 0, dash = false;
        } else {
            if (c == ch) admitted = including;
            last = ch;
        }
    }
    return admitted;
}

std::u32string filterTyped(const std::u32string& typed, const std::optional<std::string>& pattern, int maxChars,
                           size_t remaining) {
    std::u32string out;
    for (char32_t c : typed) {
        if (restrictAdmits(pattern, c)) out += c;
        else if (otherCase(c) != c && restrictAdmits(pattern, otherCase(c))) out += otherCase(c);
    }
    if (maxChars > 0) {
        size_t room = size_t(maxChars) > remaining ? size_t(maxChars) - remaining : 0;
        if (out.size() > room) out.resize(room);
    }
    return out;
}

}  // namespace swf
