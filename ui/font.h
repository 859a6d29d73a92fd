// The font a windowed control draws its text with, as a stored layout describes it.
#pragma once

#include "ui/color.h"
#include "support/handles.h"

#include <string>

namespace ui {

struct Font {
    std::string name = "MS Sans Serif";
    int height = -11;  // negative: character height in pixels, as LOGFONT
    int charset = DEFAULT_CHARSET;
    Color color = clWindowText;
    bool bold = false;

    // A GDI font for this description; the caller owns it.
    UniqueFont create() const;
};

}  // namespace ui
