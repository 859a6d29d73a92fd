#include "tools/swfrender/key_names.h"

#include <cctype>
#include <string_view>

namespace swfrender {

namespace {

struct NamedKey {
    std::string_view name;
    int keyCode;
    int charCode;
};

// Several spellings of a key are taken, since event files come from more than one recorder.
constexpr NamedKey kNamedKeys[] = {
    {"Backspace", 8, 8},      {"Tab", 9, 9},           {"Enter", 13, 13},        {"Return", 13, 13},
    {"NumpadEnter", 13, 13},  {"Shift", 16, 0},        {"LeftShift", 16, 0},     {"RightShift", 16, 0},
    {"Control", 17, 0},       {"Ctrl", 17, 0},         {"LeftControl", 17, 0},   {"RightControl", 17, 0},
    {"LeftCtrl", 17, 0},      {"RightCtrl", 17, 0},    {"Alt", 18, 0},           {"LeftAlt", 18, 0},
    {"RightAlt", 18, 0},      {"Pause", 19, 0},        {"CapsLock", 20, 0},      {"Escape", 27, 27},
    {"Esc", 27, 27},          {"Space", 32, 32},       {"PageUp", 33, 0},        {"PageDown", 34, 0},
    {"End", 35, 0},           {"Home", 36, 0},         {"Left", 37, 0},          {"ArrowLeft", 37, 0},
    {"Up", 38, 0},            {"ArrowUp", 38, 0},      {"Right", 39, 0},         {"ArrowRight", 39, 0},
    {"Down", 40, 0},          {"ArrowDown", 40, 0},    {"Insert", 45, 0},        {"Delete", 46, 127},
    {"NumLock", 144, 0},      {"ScrollLock", 145, 0},  {"NumpadMultiply", 106, '*'}, {"NumpadAdd", 107, '+'},
    {"NumpadSubtract", 109, '-'}, {"NumpadDecimal", 110, '.'}, {"NumpadDivide", 111, '/'},
};

}  // namespace

std::optional<KeyStroke> keyByName(const std::string& name) {
    for (const NamedKey& k : kNamedKeys)
        if (k.name == name) return KeyStroke{k.keyCode, k.charCode};
    // F1 to F15.
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        int n = std::stoi(name.substr(1));
        if (n >= 1 && n <= 15 && (name.size() == 2 || std::isdigit(static_cast<unsigned char>(name[2]))))
            return KeyStroke{111 + n, 0};
    }
    // Numpad0 to Numpad9.
    if (name.size() == 7 && name.starts_with("Numpad") && std::isdigit(static_cast<unsigned char>(name[6])))
        return KeyStroke{96 + (name[6] - '0'), name[6]};
    return std::nullopt;
}

KeyStroke keyForCharacter(char32_t c) {
    int ch = static_cast<int>(c);
    KeyStroke k{0, ch};
    if (c >= 'a' && c <= 'z') k.keyCode = ch - 'a' + 'A';
    else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') k.keyCode = ch;
    else {
        // Punctuation by the US layout's key, shifted or not.
        static constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
        if (size_t d = kShiftedDigits.find(char(c)); c < 128 && d != std::string_view::npos) k.keyCode = '0' + int(d);
        else switch (c) {
        case ';': case ':': k.keyCode = 186; break;
        case '=': case '+': k.keyCode = 187; break;
        case ',': case '<': k.keyCode = 188; break;
        case '-': case '_': k.keyCode = 189; break;
        case '.': case '>': k.keyCode = 190; break;
        case '/': case '?': k.keyCode = 191; break;
        case '`': case '~': k.keyCode = 192; break;
        case '[': case '{': k.keyCode = 219; break;
        case '\\': case '|': k.keyCode = 220; break;
        case ']': case '}': k.keyCode = 221; break;
        case '\'': case '"': k.keyCode = 222; break;
        case '\t': k.keyCode = 9; break;
        case '\r': case '\n': k.keyCode = 13; k.charCode = 13; break;
        case '\b': k.keyCode = 8; break;
        case 27: k.keyCode = 27; break;
        default: k.keyCode = 0; break;  // a character of no key on that layout
        }
    }
    return k;
}

}  // namespace swfrender
