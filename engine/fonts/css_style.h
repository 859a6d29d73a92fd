// The CSS of text-field style sheets, shared by both script machines: the player's loose reader of
// style-sheet text, and the TextFormat a style's values make.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/fonts/text_format.h"

namespace swf {

struct CssRule {
    std::vector<std::string> selectors;
    // Property names as scripts see them ("font-size" reads "fontSize"), with their value texts.
    std::vector<std::pair<std::string, std::string>> declarations;
};

// The rules of a style-sheet text; nothing when the text is malformed (then a sheet takes none of it).
std::optional<std::vector<CssRule>> readCss(std::string_view css);

// "font-family" to "fontFamily"; a doubled dash stands for a dash.
std::string cssPropertyName(std::string_view name);

// One value of a style object as text; `isString` when the script gave a string.
struct CssValue {
    std::string text;
    bool isString = true;
};
// A style's value by property name ("fontSize"); nothing when the style has none or a false one.
using CssLookup = std::function<std::optional<CssValue>(const char* name)>;

// What a colour that is not "#rrggbb" does: ActionScript 2 leaves the colour unset, ActionScript 3
// makes it black.
enum class UnreadColour { Unset, Black };

// The format a style makes: display "block" and no kerning unless the style says otherwise; values
// the player does not take (an unknown word, a word with white space around it) leave the part unset;
// numbers are read from the front of the text, in whole pixels.
TextFormat formatFromStyle(const CssLookup& value, UnreadColour unreadColour);

}  // namespace swf
