// Device fonts for the native tools: faces found through fontconfig and read with FreeType. The
// Windows faces that movies name are looked for under the names of their metric-compatible
// stand-ins (Arial as Liberation Sans, ...), so that text takes the room it takes on Windows.
#pragma once

#include <memory>

#include "engine/fonts/font_source.h"

namespace fonts {

// Null when fontconfig or FreeType cannot be started.
std::shared_ptr<swf::FontSource> makeFreeTypeFontSource();

}  // namespace fonts
