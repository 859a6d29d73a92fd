// Fonts (DefineFont 1-3, DefineFontInfo 1-2) and texts (DefineText 1-2, DefineEditText).
#pragma once

#include <cstddef>

#include "engine/parse/characters.h"
#include "engine/parse/swf_reader.h"

namespace swf {

// Tag bodies after the character id.
Font readDefineFont(SwfReader& r, size_t maxRecords);
Font readDefineFont2(SwfReader& r, int version, size_t maxRecords);  // version 2 or 3
// DefineFontInfo `version` 1 or 2 (after the font id), merged into `font`.
void readDefineFontInfo(SwfReader& r, int version, Font& font);
StaticText readDefineText(SwfReader& r, int version);
EditText readDefineEditText(SwfReader& r);
// CSMTextSettings after the text id.
TextRenderSettings readTextRenderSettings(SwfReader& r);

}  // namespace swf
