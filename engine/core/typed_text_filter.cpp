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
    // admits it.
    bool admitted = !p.empty() && p[0] == '^';
    bool including = true;
    for (size_t i = 0; i < p.size(); ++i) {
        char32_t from = p[i];
        if (from == '^') {
            including = !including;
            continue;
        }
        if (from == '\\') {
            if (++i >= p.size()) break;
            from = p[i];
        }
        char32_t to = from;
        if (i + 2 < p.size() && p[i + 1] == '-') {
            to = p[i + 2];
            if (to == '\\' && i + 3 < p.size()) to = p[++i + 2];
            i += 2;
        }
        if (c >= from && c <= to) admitted = including;
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
