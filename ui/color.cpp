#include "ui/color.h"

#include "ui/text_compare.h"

namespace ui {

COLORREF colorToRgb(Color color) {
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

std::optional<Color> colorFromName(std::string_view name) {
    static constexpr struct { const char* name; Color color; } kNames[] = {
        {"clNone", clNone}, {"clBlack", clBlack}, {"clWhite", clWhite}, {"clMaroon", 0x000080},
        {"clGreen", 0x008000}, {"clNavy", 0x800000}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00},
        {"clBlue", 0xFF0000}, {"clSilver", 0xC0C0C0}, {"clGray", 0x808080},
        {"clScrollBar", clScrollBar}, {"clBackground", clBackground}, {"clWindow", clWindow},
        {"clWindowText", clWindowText}, {"clBtnFace", clBtnFace}, {"clBtnText", clBtnText},
    };
    for (const auto& entry : kNames)
        if (sameText(entry.name, name)) return entry.color;
    return std::nullopt;
}

}  // namespace ui
