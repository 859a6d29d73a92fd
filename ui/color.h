// Colours as the forms and the package store them: 0x00BBGGRR for a plain colour, a negative
// value (high bit set, system colour index in the low byte) for a system colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace ui {

using Color = std::int32_t;

constexpr Color clNone = 0x1FFFFFFF;  // "no colour"
constexpr Color systemColor(int index) { return static_cast<Color>(0x80000000u | static_cast<unsigned>(index)); }
constexpr Color clScrollBar = systemColor(COLOR_SCROLLBAR);
constexpr Color clBackground = systemColor(COLOR_BACKGROUND);
constexpr Color clWindow = systemColor(COLOR_WINDOW);
constexpr Color clWindowText = systemColor(COLOR_WINDOWTEXT);
constexpr Color clBtnFace = systemColor(COLOR_BTNFACE);
constexpr Color clBtnText = systemColor(COLOR_BTNTEXT);
constexpr Color clBlack = 0x000000;
constexpr Color clWhite = 0xFFFFFF;

// The RGB value to draw with: system colours are looked up with GetSysColor.
COLORREF colorToRgb(Color color);

// A colour named in a stored layout ("clBtnFace", "clWhite", ...); nothing for an unknown name.
std::optional<Color> colorFromName(std::string_view name);

}  // namespace ui
