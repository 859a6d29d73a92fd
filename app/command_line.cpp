#include "app/command_line.h"

#include "support/error.h"

namespace app {

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool startsWith(std::string_view parameter, char second) {
    return parameter.size() >= 2 && parameter[0] == '/' && upper(parameter[1]) == second;
}

[[noreturn]] void notAnInteger(const std::string& text) {
    throw sav::Error("EConvertError", "'" + text + "' is not a valid integer value");
}

}  // namespace

RunMode runModeFor(int parameterCount, std::string_view parameter1) {
    if (parameterCount > 0 && startsWith(parameter1, 'S')) return RunMode::FullScreen;
    if (parameterCount <= 0) return RunMode::About;
    if (startsWith(parameter1, 'C')) return RunMode::About;
    if (startsWith(parameter1, 'P')) return RunMode::Preview;
    return RunMode::None;
}

std::int32_t integerFromText(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) notAnInteger(text);
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && upper(c) >= 'A' && upper(c) <= 'F') digit = static_cast<unsigned>(upper(c) - 'A' + 10);
        else notAnInteger(text);
        value = value * base + digit;
        // Hexadecimal text may spell the whole 32-bit pattern (handles above 0x7FFFFFFF).
        if (value > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull)) notAnInteger(text);
    }
    if (base == 10 && !negative && value > 0x7FFFFFFFull) notAnInteger(text);
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::string saverWindowTestClass() { return "TfrmSCRViewEngine" + std::string(59, '`'); }

}  // namespace app
