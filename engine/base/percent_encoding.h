// Bytes written into an address or a query: ASCII letters and digits, and whatever marks the caller
// keeps, stand for themselves; every other byte becomes %XX (capital hex digits).
#pragma once

#include <string>
#include <string_view>

namespace swf {

inline std::string percentEncoded(std::string_view bytes, std::string_view keep = {}) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c != 0 && c < 128 && keep.find(ch) != std::string_view::npos);
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace swf
