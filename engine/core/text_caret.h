// Where the caret keys move the caret of a text field, as the field is laid out: a character to the
// left or right, the start or end of its line, the nearest place on the line above or below.
#pragma once

#include <cstddef>
#include <optional>

#include "engine/core/text_field_state.h"
#include "engine/fonts/device_fonts.h"
#include "engine/parse/movie.h"

namespace swf {

// Key codes of the keys that move the caret.
enum CaretKey : int { kCaretEnd = 35, kCaretHome = 36, kCaretLeft = 37, kCaretUp = 38, kCaretRight = 39, kCaretDown = 40 };

inline bool isCaretKey(int keyCode) { return keyCode >= kCaretEnd && keyCode <= kCaretDown; }

// The caret's new place after `keyCode` with the caret at `caret`; none for a key that moves no
// caret.
std::optional<size_t> caretAfterKey(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, size_t caret,
                                    int keyCode);

// Moves the field's selection for a caret key: with `extend` (shift held) its end moves and its
// start stays; otherwise a selection collapses (Left and Right to its near edge) and the caret moves.
// False for a key that moves no caret.
bool moveCaret(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, int& begin, int& end, int keyCode,
               bool extend);

}  // namespace swf
