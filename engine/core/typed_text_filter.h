// What a user may type into an input field: the characters its `restrict` pattern admits (in the
// other letter case when only that one is admitted) and no more than its `maxChars` allow. Scripts
// that set the text are not held to either.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace swf {

// Whether `pattern` admits `c`. The pattern lists characters and ranges ("A-Z0-9"); a '^'
// excludes what follows it (up to the next '^'), and a pattern starting with one admits all but
// that; a backslash takes the next character literally. A range with no start ("-z") starts at the
// first character of all, one given backwards names nothing. No pattern admits everything, an
// empty one nothing.
bool restrictAdmits(const std::optional<std::string>& pattern, char32_t c);

// `typed` as the field takes it: characters the pattern refuses dropped (or turned to their other
// case when that one is admitted), then cut so that the text stays within `maxChars` (0: no
// limit) when `remaining` characters are left around the insertion.
std::u32string filterTyped(const std::u32string& typed, const std::optional<std::string>& pattern, int maxChars,
                           size_t remaining);

}  // namespace swf
