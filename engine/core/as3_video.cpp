// flash.media.Video over the engine's video objects: an embedded stream placed by the timeline
// shows its frames; one a script makes, or one given a NetStream or camera (neither plays in a
// saver), shows nothing.
#include "engine/core/as3_display.h"
#include "engine/core/video_object.h"

namespace swf {

using namespace avm2;

void As3Display::installVideo() {
    Machine& m = m_;
    videoClass = m.defineClass(u"flash.media", u"Video", displayObjectClass, [this](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        if (o->node) return Value();
        o->detached = newNode(DisplayObject::Kind::Video);
        adopt(o, o->detached.get());
        o->node->name = "instance" + std::to_string(++scriptInstances_);
        return Value();
    });
    auto video = [](Machine& m, const Value& self) -> DisplayObject* {
        As3DisplayObject* o = asDisplayObject(m, self);
        return o->node && o->node->kind == DisplayObject::Kind::Video ? o->node : nullptr;
    };
    m.defineGetter(videoClass, u"videoWidth", [this, video](Machine& m, const Value& self, Args) -> Value {
        DisplayObject* v = video(m, self);
        BitmapRef p = v ? shownVideoPicture(*v, library_) : nullptr;
        return Value(p ? p->width : 0);
    });
    m.defineGetter(videoClass, u"videoHeight", [this, video](Machine& m, const Value& self, Args) -> Value {
        DisplayObject* v = video(m, self);
        BitmapRef p = v ? shownVideoPicture(*v, library_) : nullptr;
        return Value(p ? p->height : 0);
    });
    m.defineGetter(videoClass, u"smoothing", [this, video](Machine& m, const Value& self, Args) -> Value {
        DisplayObject* v = video(m, self);
        return Value(v && videoSmoothing(*v, library_.movie()));
    }, [video](Machine& m, const Value& self, Args a) -> Value {
        if (DisplayObject* v = video(m, self)) setVideoSmoothing(*v, m.toBoolean(arg(a, 0)));
        return Value();
    });
    m.defineGetter(videoClass, u"deblocking", [this, video](Machine& m, const Value& self, Args) -> Value {
        DisplayObject* v = video(m, self);
        return Value(v ? videoDeblocking(*v, library_.movie()) : 0);
    }, [video](Machine& m, const Value& self, Args a) -> Value {
        if (DisplayObject* v = video(m, self)) setVideoDeblocking(*v, std::clamp(m.toInt(arg(a, 0)), 0, 7));
        return Value();
    });
    m.defineMethod(videoClass, u"clear", 0, [video](Machine& m, const Value& self, Args) -> Value {
        if (DisplayObject* v = video(m, self)) clearVideo(*v);
        return Value();
    });
    for (const char16_t* name : {u"attachNetStream", u"attachCamera"})
        m.defineMethod(videoClass, name, 1, [video](Machine& m, const Value& self, Args) -> Value {
            if (DisplayObject* v = video(m, self)) attachVideoStream(*v);
            return Value();
        });
}

}  // namespace swf
