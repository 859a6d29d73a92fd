// Readers of the individual tags, each over the tag's own bytes. Used by the movie reader.
#pragma once

#include <cstdint>

#include "engine/parse/movie.h"
#include "engine/parse/reader.h"

namespace swf {

// Each reads the tag body after the character id; `code` is the tag code.
ShapeDefinition readDefineShape(ByteReader& r, int code);
MorphShapeDefinition readDefineMorphShape(ByteReader& r, int code);
BitmapDefinition readDefineBitmap(ByteReader& r, int code);
FontDefinition readDefineFont(ByteReader& r, int code);
void readDefineFontInfo(ByteReader& r, int code, FontDefinition& font);
TextDefinition readDefineText(ByteReader& r, int code);
EditTextDefinition readDefineEditText(ByteReader& r);
ButtonDefinition readDefineButton(ByteReader& r, int code, int swfVersion);
void readDefineButtonCxform(ByteReader& r, ButtonDefinition& button);

PlaceObject readPlaceObject(ByteReader& r, int code, int swfVersion);
RemoveObject readRemoveObject(ByteReader& r, int code);

}  // namespace swf
