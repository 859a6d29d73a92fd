// A video object's state as both script machines see it: the picture it shows, its smoothing and
// deblocking (the stream's flags until a script sets them), clearing and attaching a stream.
#pragma once

#include "engine/core/character_library.h"
#include "engine/core/display_object.h"

namespace swf {

// The picture the object shows now: null when a script cleared it or attached a stream, or when
// the stream has none for the object's ratio.
BitmapRef shownVideoPicture(const DisplayObject& video, CharacterLibrary& library);
bool videoSmoothing(const DisplayObject& video, const Movie& movie);
int videoDeblocking(const DisplayObject& video, const Movie& movie);
void setVideoSmoothing(DisplayObject& video, bool on);
void setVideoDeblocking(DisplayObject& video, int level);
// Hides the picture until the timeline shows another frame.
void clearVideo(DisplayObject& video);
// A stream a script attached (none can play in a saver) takes the place of the embedded frames.
void attachVideoStream(DisplayObject& video);

}  // namespace swf
