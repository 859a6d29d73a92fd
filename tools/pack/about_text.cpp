#include "tools/pack/about_text.h"

namespace pack {

bool LooksLikeRtf(const std::string& text) {
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 mark some editors write
    return text.compare(start, 5, "{\\rtf") == 0;
}

std::string PlainTextToRtf(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            rtf += "\\par\n";
        } else if (c == '\n') {
            rtf += "\\par\n";
        } else if (c == '\\' || c == '{' || c == '}') {
            rtf += '\\';
            rtf += static_cast<char>(c);
        } else if (c == '\t') {
            rtf += "\\tab ";
        } else if (c >= 0x80) {
            rtf += "\\'";
            rtf += hex[c >> 4];
            rtf += hex[c & 0xF];
        } else if (c >= 0x20) {
            rtf += static_cast<char>(c);
        }
    }
    rtf += "}";
    return rtf;
}

}  // namespace pack
