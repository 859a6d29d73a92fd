// Letter case for names the formats define in ASCII (HTML tags, CSS selectors, font names, modes):
// only A-Z change, whatever the locale; other bytes, UTF-8 included, stay as they are.
#pragma once

#include <string>

namespace swf {

inline std::string asciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace swf
