// Keys of swfrender's event files by name ("Enter", "LeftShift", a typed character) to the Flash
// key code and the character the key types.
#pragma once

#include <optional>
#include <string>

namespace swfrender {

struct KeyStroke {
    int keyCode = 0;   // Flash key code (the Windows virtual-key code)
    int charCode = 0;  // what Key.getAscii reads for it, 0 for none
};

// A named key ("Tab", "ArrowLeft", "F5"...); nullopt for a name it does not know.
std::optional<KeyStroke> keyByName(const std::string& name);
// The key that types `c` on a US keyboard layout (letters by their capital, punctuation by its
// key); the character itself is what it types.
KeyStroke keyForCharacter(char32_t c);

}  // namespace swfrender
