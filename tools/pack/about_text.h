// The about dialog's text: RTF as given, or plain text turned into RTF.
#pragma once

#include <string>

namespace pack {

bool LooksLikeRtf(const std::string& text);

// Plain 8-bit text as RTF: backslashes and braces escaped, bytes above 127 as \'hh, each line
// a paragraph.
std::string PlainTextToRtf(const std::string& text);

}  // namespace pack
