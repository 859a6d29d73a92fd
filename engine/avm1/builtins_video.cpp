// Video (the face of a video object on the stage), NetConnection and NetStream. A saver plays
// only the video its movie embeds: connections reach no server, and every stream a script asks
// for ends in its "not found" status, as a missing file or address does.
#include <algorithm>

#include "engine/avm1/builtins.h"
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

Value nothing(Machine&, Object*, std::vector<Value>&) { return Value(); }

VideoAccess* videoOf(Object* self) { return self && self->clip ? self->clip->video() : nullptr; }

Value attachVideo(Machine&, Object* self, std::vector<Value>&) {
    if (VideoAccess* v = videoOf(self)) v->attachStream();
    return Value();
}

Value clearVideo(Machine&, Object* self, std::vector<Value>&) {
    if (VideoAccess* v = videoOf(self)) v->clearPicture();
    return Value();
}

Value videoWidth(Machine&, Object* self, std::vector<Value>&) {
    VideoAccess* v = videoOf(self);
    return Value(v ? static_cast<double>(v->decodedWidth()) : 0.0);
}

Value videoHeight(Machine&, Object* self, std::vector<Value>&) {
    VideoAccess* v = videoOf(self);
    return Value(v ? static_cast<double>(v->decodedHeight()) : 0.0);
}

Value getSmoothing(Machine&, Object* self, std::vector<Value>&) {
    VideoAccess* v = videoOf(self);
    return v ? Value(v->smoothing()) : Value();
}

Value setSmoothing(Machine& m, Object* self, std::vector<Value>& a) {
    if (VideoAccess* v = videoOf(self)) v->setSmoothing(m.toBoolean(arg(a, 0)));
    return Value();
}

Value getDeblocking(Machine&, Object* self, std::vector<Value>&) {
    VideoAccess* v = videoOf(self);
    return v ? Value(static_cast<double>(v->deblocking())) : Value();
}

Value setDeblocking(Machine& m, Object* self, std::vector<Value>& a) {
    double level = numberArg(m, a, 0);
    if (VideoAccess* v = videoOf(self))
        if (level == level) v->setDeblocking(static_cast<int>(std::clamp(level, 0.0, 7.0)));
    return Value();
}

// {code, level} as onStatus receives it.
Value statusInfo(Machine& m, const char* code, const char* level) {
    Object* info = m.newObject();
    m.setMember(Value(info), "code", Value(code));
    m.setMember(Value(info), "level", Value(level));
    return Value(info);
}

// Tells `target`'s onStatus on the next frame, as the player does once it has tried.
void statusLater(Machine& m, Object* target, const char* code, const char* level) {
    m.defer({target}, [&m, target, code, level] { m.callObjectMethod(target, "onStatus", {statusInfo(m, code, level)}); });
}

// connect(null) makes a local connection, which streams of files use; a server cannot be reached.
Value connect(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self) return Value(false);
    bool local = arg(a, 0).isNullish();
    m.setMember(Value(self), "isConnected", Value(local));
    if (!local) m.setMember(Value(self), "uri", Value(m.toString(arg(a, 0))));
    statusLater(m, self, local ? "NetConnection.Connect.Success" : "NetConnection.Connect.Failed",
                local ? "status" : "error");
    return Value(local);
}

Value closeConnection(Machine& m, Object* self, std::vector<Value>&) {
    if (self) m.setMember(Value(self), "isConnected", Value(false));
    return Value();
}

// The constructors give nothing back (`new` still makes the object): a subclass's super() call
// returns undefined.
Value connectionConstruct(Machine& m, Object* self, std::vector<Value>&) {
    if (self) m.setMember(Value(self), "isConnected", Value(false));
    return Value();
}

Value streamConstruct(Machine& m, Object* self, std::vector<Value>&) {
    if (!self) return Value();
    for (const char* name : {"time", "bytesLoaded", "bytesTotal", "bufferLength", "currentFps", "liveDelay"})
        m.setMember(Value(self), name, Value(0.0));
    m.setMember(Value(self), "bufferTime", Value(0.1));
    return Value();
}

// Nothing a script names can be played: the file or address is out of reach.
Value play(Machine& m, Object* self, std::vector<Value>&) {
    if (self) statusLater(m, self, "NetStream.Play.StreamNotFound", "error");
    return Value();
}

Value setBufferTime(Machine& m, Object* self, std::vector<Value>& a) {
    double t = numberArg(m, a, 0);
    if (self && t == t) m.setMember(Value(self), "bufferTime", Value(std::max(0.0, t)));
    return Value();
}

}  // namespace

void installVideo(Machine& m) {
    m.videoProto = m.newObject();
    defineClass(m, "Video", nothing, nothing, m.videoProto);
    m.defineNative(m.videoProto, "attachVideo", attachVideo);
    m.defineNative(m.videoProto, "clear", clearVideo);
    defineAccessor(m, m.videoProto, "width", videoWidth, nullptr);
    defineAccessor(m, m.videoProto, "height", videoHeight, nullptr);
    defineAccessor(m, m.videoProto, "smoothing", getSmoothing, setSmoothing);
    defineAccessor(m, m.videoProto, "deblocking", getDeblocking, setDeblocking);

    Object* connection = m.newObject();
    defineClass(m, "NetConnection", nothing, connectionConstruct, connection);
    m.defineNative(connection, "connect", connect);
    m.defineNative(connection, "close", closeConnection);

    Object* stream = m.newObject();
    defineClass(m, "NetStream", nothing, streamConstruct, stream);
    m.defineNative(stream, "play", play);
    m.defineNative(stream, "setBufferTime", setBufferTime);
    for (const char* name : {"pause", "close", "seek", "attachAudio", "attachVideo", "publish", "receiveAudio",
                             "receiveVideo", "send"})
        m.defineNative(stream, name, nothing);
}

}  // namespace swf::avm1
