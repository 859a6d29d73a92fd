// The settings of a text field that scripts read and change, apart from its text and formats.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "engine/fonts/text_format.h"

namespace swf {

enum class AutoSize : uint8_t { None, Left, Center, Right };

// Style-sheet rules a field applies to HTML: selectors ("p", ".title") to formats.
using TextStyles = std::map<std::string, TextFormat>;

struct TextFieldSettings {
    bool wordWrap = false, multiline = false, html = false, password = false, border = false, background = false;
    bool selectable = true, condenseWhite = false, embedFonts = false, input = false, mouseWheelEnabled = true;
    uint32_t borderColor = 0, backgroundColor = 0xFFFFFF;
    AutoSize autoSize = AutoSize::None;
    int maxChars = 0;  // 0: no limit
    std::optional<std::string> restrict;
    int scroll = 1;       // first line shown, from 1
    // The selection, in characters, that the field keeps while another object has the focus.
    int selectionBegin = 0, selectionEnd = 0;
    double hscroll = 0;   // pixels
    std::string antiAliasType = "normal", gridFitType = "pixel";
    double sharpness = 0, thickness = 0;
    std::optional<TextStyles> styles;  // a style sheet's rules, when one is set
};

// What layout tells scripts about a field, in pixels.
struct TextFieldMetrics {
    double textWidth = 0, textHeight = 0;
    int maxScroll = 1, bottomScroll = 1;
    double maxHScroll = 0;
};

}  // namespace swf
