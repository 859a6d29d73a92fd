// The screen-saver command line: which mode parameter 1 asks for, and the decimal text of the
// preview's window handle. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

enum class RunMode { FullScreen, About, Preview, None };

// parameterCount: the number of parameters after the program name. The first two characters of
// parameter 1 decide, ASCII case ignored: "/S" full screen, none at all or "/C" about, "/P"
// preview, anything else none.
RunMode runModeFor(int parameterCount, std::string_view parameter1);

// Converts integer text as the program's integer conversion does: optional blanks, an optional
// sign, decimal digits (or hexadecimal after "$" or "0x"), nothing after them, within 32 bits.
// Throws sav::Error("EConvertError", "'<text>' is not a valid integer value") otherwise.
std::int32_t integerFromText(const std::string& text);

// The class name of the saver-window test: the saver form's class name followed by grave
// accents, 76 characters in all, so that it never names a window this program makes.
std::string saverWindowTestClass();

}  // namespace app
