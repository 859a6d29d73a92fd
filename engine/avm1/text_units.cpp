#include "engine/avm1/text_units.h"
#include "engine/base/utf8.h"

namespace swf::avm1 {

namespace {

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when it is not a valid sequence.
size_t decodeOne(const std::string& s, size_t i, char32_t& out) {
    unsigned char c = (unsigned char)s[i];
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return 0;
    char32_t v = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < len; ++k) {
        unsigned char d = (unsigned char)s[i + k];
        if ((d & 0xC0) != 0x80) return 0;
        v = (v << 6) | (d & 0x3F);
    }
    out = v;
    return len;
}

}  // namespace

std::u32string toChars(const std::string& s, bool utf8) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t c;
        size_t len = utf8 ? decodeOne(s, i, c) : 0;
        if (len == 0) {
            out += char32_t((unsigned char)s[i]);
            ++i;
        } else {
            out += c;
            i += len;
        }
    }
    return out;
}

std::string fromChars(const std::u32string& chars, bool utf8) {
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars) {
        if (!utf8) out += char(c & 0xFF);
        else appendUtf8(out, c);
    }
    return out;
}

size_t charCount(const std::string& s, bool utf8) {
    if (!utf8) return s.size();
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++n) {
        char32_t c;
        size_t len = decodeOne(s, i, c);
        i += len ? len : 1;
    }
    return n;
}

char32_t upperChar(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper) return (c % 2 == 0) ? c - 1 : c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t lowerChar(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper) return (c % 2 == 1) ? c + 1 : c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

}  // namespace swf::avm1
