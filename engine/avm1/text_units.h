// Script text as characters: from SWF 6 on strings are UTF-8 and their methods count characters,
// not bytes; older movies' strings are single-byte text.
#pragma once

#include <string>

namespace swf::avm1 {

// The characters of `s`: decoded UTF-8 when `utf8`, else one per byte. A byte that does not start
// a valid UTF-8 sequence stands for itself.
std::u32string toChars(const std::string& s, bool utf8);
// Back to bytes: UTF-8 when `utf8`, else the low byte of each character.
std::string fromChars(const std::u32string& chars, bool utf8);
// The number of characters without decoding into a copy.
size_t charCount(const std::string& s, bool utf8);

// Case mapping of ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters.
char32_t upperChar(char32_t c);
char32_t lowerChar(char32_t c);

}  // namespace swf::avm1
