// The video face of a script clip: the Video class's settings and picture, kept on the video object.
#include "engine/core/script_clip.h"
#include "engine/core/script_runner.h"
#include "engine/core/video_object.h"

namespace swf {

bool ScriptClip::isVideo() {
    DisplayObject* o = object();
    return o && o->kind == DisplayObject::Kind::Video;
}

bool ScriptClip::smoothing() { return videoSmoothing(*object(), runner_.library().movie()); }
void ScriptClip::setSmoothing(bool on) { setVideoSmoothing(*object(), on); }
int ScriptClip::deblocking() { return videoDeblocking(*object(), runner_.library().movie()); }
void ScriptClip::setDeblocking(int level) { setVideoDeblocking(*object(), level); }

int ScriptClip::decodedWidth() {
    BitmapRef p = shownVideoPicture(*object(), runner_.library());
    return p ? p->width : 0;
}

int ScriptClip::decodedHeight() {
    BitmapRef p = shownVideoPicture(*object(), runner_.library());
    return p ? p->height : 0;
}

void ScriptClip::clearPicture() { clearVideo(*object()); }
void ScriptClip::attachStream() { attachVideoStream(*object()); }

}  // namespace swf
