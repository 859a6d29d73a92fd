// Where display objects are: their bounds in any clip's space, their place on the stage, and
// whether a point falls on what they draw (hit tests for scripts and the mouse).
#pragma once

#include "engine/base/geometry.h"
#include "engine/base/paths.h"
#include "engine/core/character_library.h"
#include "engine/core/display_object.h"

namespace swf {

// The object's content in its own space (before its matrix), twips; empty when it draws nothing.
Rect contentBounds(const DisplayObject& obj, CharacterLibrary& library);
// A bitmap object as a shape: its pixels filling their own rectangle (none when it shows nothing).
ShapePaths bitmapPaths(const DisplayObject& obj);
// A clip's children and drawing in the clip's own space.
Rect clipBounds(const Clip& clip, CharacterLibrary& library);

// The object's space to the stage (twips), through every parent and the main movie's own place.
Matrix worldMatrix(const DisplayObject& obj);
Matrix worldMatrix(const Clip& clip);

// Whether `local` (twips, in the object's own space) falls on a fill or a line it draws.
bool hitsContent(const DisplayObject& obj, Point local, CharacterLibrary& library);
bool hitsClip(const Clip& clip, Point local, CharacterLibrary& library);
// Whether `p` (in the character's own space) falls on a shape, a morph's start or a text's box:
// what a button's hit-state records are tested with.
bool hitsCharacter(CharacterLibrary& library, uint16_t id, Point p);
// Point-in-path test of one set of paths (fills by their winding rule, strokes by their width).
bool hitsPaths(const ShapePaths& paths, Point p);

}  // namespace swf
