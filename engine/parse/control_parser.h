// Timeline control tags and buttons: PlaceObject 1-3, RemoveObject 1-2, FrameLabel, DefineButton 1-2.
#pragma once

#include "engine/parse/characters.h"
#include "engine/parse/swf_reader.h"
#include "engine/parse/timeline.h"

namespace swf {

PlaceObject readPlaceObject(SwfReader& r, int version);
// DefineButton `version` 1 or 2, after the character id.
Button readDefineButton(SwfReader& r, int version);

}  // namespace swf
