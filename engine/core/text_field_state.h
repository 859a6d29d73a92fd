// A text field as it lives on the stage: its formatted text and the settings scripts read and
// change (wrapping, sizing, borders, scrolling...), made from its DefineEditText record.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/base/geometry.h"
#include "engine/core/text_document.h"
#include "engine/fonts/text_field_settings.h"
#include "engine/parse/movie.h"

namespace swf {

struct TextLayout;

struct TextFieldState : TextFieldSettings {
    TextDocument document;
    TextFormat newFormat;  // the format of text a script puts in
    Rect bounds;           // twips, in the field's own space
    uint16_t recordFontId = 0;         // the record's font, first choice among fonts of its name
    uint8_t swfVersion = 0;            // of the movie the field is in (0: unknown)
    uint32_t generation = 0;           // counts changes, for cached layouts
    std::shared_ptr<const TextLayout> layout;
    uint32_t layoutGeneration = 0;

    // Puts plain text in, in the new-text format.
    void setText(const std::string& text);
    // Reads HTML in with the new-text format as the outer one (plain text when the field is not HTML).
    void setHtmlText(const std::string& html);
    std::string text() const { return document.text(); }
    std::string htmlText() const { return html ? document.html() : document.text(); }
    // The HTML as a script gave it while a style sheet applied, which ActionScript 3 reads back
    // instead of the HTML of the styled text; none after plain text went in.
    std::optional<std::string> styledSource;
    void changed() { ++generation; }
};

struct DisplayObject;
// The state of an edit text on the stage, made from its record when first asked for; null for
// another kind of object.
TextFieldState* fieldStateOf(DisplayObject& object, const Movie& movie);

// The state a DefineEditText record starts with. The record's font is looked up in `movie`.
TextFieldState fieldStateFrom(const EditText& record, const Movie& movie);

}  // namespace swf
