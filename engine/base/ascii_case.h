// Letter case for names the formats define in ASCII (HTML tags, CSS selectors, font names, modes):
// only A-Z and a-z change, whatever the locale; other bytes, UTF-8 included, stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace swf {

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string asciiLower(std::string s) {
    for (char& c : s) c = asciiLower(c);
    return s;
}

inline std::string asciiUpper(std::string s) {
    for (char& c : s) c = asciiUpper(c);
    return s;
}

// Whether the two name the same thing when ASCII letter case is set aside.
inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// Whether `s` begins with `prefix`, ASCII letter case set aside.
inline bool startsWithIgnoringAsciiCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

}  // namespace swf
