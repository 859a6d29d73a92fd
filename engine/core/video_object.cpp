#include "engine/core/video_object.h"

namespace swf {

namespace {

VideoSettings& settingsOf(DisplayObject& video) {
    if (!video.video) video.video = std::make_shared<VideoSettings>();
    return *video.video;
}

}  // namespace

BitmapRef shownVideoPicture(const DisplayObject& video, CharacterLibrary& library) {
    if (video.kind != DisplayObject::Kind::Video) return nullptr;
    if (const VideoSettings* s = video.video.get())
        if (s->attached || (s->cleared && s->clearedRatio == video.ratio)) return nullptr;
    return library.videoFrame(video.characterId, video.ratio);
}

bool videoSmoothing(const DisplayObject& video, const Movie& movie) {
    if (video.video && video.video->smoothing) return *video.video->smoothing;
    const VideoStream* v = movie.findAs<VideoStream>(video.characterId);
    return v && v->smoothing;
}

int videoDeblocking(const DisplayObject& video, const Movie& movie) {
    if (video.video && video.video->deblocking) return *video.video->deblocking;
    const VideoStream* v = movie.findAs<VideoStream>(video.characterId);
    return v ? v->deblocking : 0;
}

void setVideoSmoothing(DisplayObject& video, bool on) { settingsOf(video).smoothing = on; }
void setVideoDeblocking(DisplayObject& video, int level) { settingsOf(video).deblocking = level; }

void clearVideo(DisplayObject& video) {
    VideoSettings& s = settingsOf(video);
    s.cleared = true;
    s.clearedRatio = video.ratio;
}

void attachVideoStream(DisplayObject& video) { settingsOf(video).attached = true; }

}  // namespace swf
