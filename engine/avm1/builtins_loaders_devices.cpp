// MovieClipLoader, and the classes of things a screen saver does not have: System.IME, the
// accessibility layer, cameras, microphones and sockets. A saver reads no other
// movie and opens no device, so loads end in their failure events and devices are never found.
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Value nothing(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value no(Machine&, Object*, std::vector<Value>&) { return Value(false); }
Value none(Machine&, Object*, std::vector<Value>&) { return Value::null(); }

// Puts AsBroadcaster's addListener, removeListener and broadcastMessage on `o`.
void shareBroadcasterMethods(Machine& m, Object* o) {
    Value broadcaster = m.getMember(Value(m.global()), "AsBroadcaster", false);
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        Value fn = m.getMember(broadcaster, name, false);
        if (fn.object()) o->put(m.key(name), name, fn, DontEnum);
    }
}

// A loader is its own first listener.
Value loaderConstruct(Machine& m, Object* self, std::vector<Value>&) {
    if (!self) return Value();
    self->put(m.key("_listeners"), "_listeners", Value(m.newArray({Value(self)})), DontEnum);
    return Value(self);
}

// The clip a loadClip target names: a clip, a level number or a path to a clip that exists.
// `found` is false when the target names nothing a movie could be loaded into.
Clip* loadTarget(Machine& m, const Value& target, bool& found) {
    found = true;
    if (Object* o = target.object()) {
        found = o->clip != nullptr;
        return o->clip;
    }
    if (target.isNumber()) return m.host().level(toClampedInt(target.number()));
    if (target.isString()) {
        Clip* c = m.resolveTarget(target.string(), m.scriptTarget());
        found = c != nullptr;
        return c;
    }
    found = false;
    return nullptr;
}

// loadClip(url, target): true when the request is made; at the end of the frame the listeners hear
// onLoadError(target, "URLNotFound"), the file being out of reach, and the target keeps what it shows.
Value loadClip(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || a.size() < 2) return Value();
    if (!a[0].isString()) return Value(false);
    bool found = false;
    Clip* clip = loadTarget(m, a[1], found);
    if (!found) return Value(false);
    Value targetValue = clip ? Value(m.clipObject(clip)) : Value();
    std::vector<Object*> keep{self};
    if (targetValue.object()) keep.push_back(targetValue.object());
    m.defer(keep, [&m, self, targetValue] {
        m.broadcast(self, "onLoadError", {targetValue, Value("URLNotFound")});
    }, true);
    return Value(true);
}

// Nothing was ever loaded, so there is nothing to unload.
Value unloadClip(Machine&, Object*, std::vector<Value>&) { return Value(false); }

Value getProgress(Machine& m, Object*, std::vector<Value>& a) {
    Object* progress = m.newObject();
    bool found = false;
    Clip* clip = loadTarget(m, arg(a, 0), found);
    double bytes = clip ? clip->bytesTotal() : 0;
    m.setMember(Value(progress), "bytesLoaded", Value(bytes));
    m.setMember(Value(progress), "bytesTotal", Value(bytes));
    return Value(progress);
}

Object* deviceClass(Machine& m, const char* name, NativeFunction getter) {
    Object* proto = m.newObject();
    Object* ctor = defineClass(m, name, nothing, nothing, proto);
    if (getter) {
        m.defineNative(ctor, "get", getter);
        ctor->put(m.key("names"), "names", Value(m.newArray()), DontEnum);
    }
    return proto;
}

}  // namespace

void installLoadersAndDevices(Machine& m) {
    Object* loaderProto = m.newObject();
    defineClass(m, "MovieClipLoader", nothing, loaderConstruct, loaderProto);
    m.defineNative(loaderProto, "loadClip", loadClip);
    m.defineNative(loaderProto, "unloadClip", unloadClip);
    m.defineNative(loaderProto, "getProgress", getProgress);
    shareBroadcasterMethods(m, loaderProto);

    if (Object* system = m.getMember(Value(m.global()), "System", false).object()) {
        Object* ime = m.newObject();
        system->put(m.key("IME"), "IME", Value(ime), DontEnum);
        makeBroadcaster(m, ime);
        m.defineNative(ime, "getEnabled", no);
        m.defineNative(ime, "setEnabled", no);
    }

    Object* accessibility = m.newObject();
    m.global()->put(m.key("Accessibility"), "Accessibility", Value(accessibility), DontEnum);
    m.defineNative(accessibility, "isActive", no);
    m.defineNative(accessibility, "updateProperties", nothing);
    m.defineNative(accessibility, "sendEvent", nothing);

    deviceClass(m, "Camera", none);      // Camera.get(): no camera
    deviceClass(m, "Microphone", none);  // Microphone.get(): no microphone
    Object* socket = deviceClass(m, "XMLSocket", nullptr);
    m.defineNative(socket, "connect", no);
    m.defineNative(socket, "send", nothing);
    m.defineNative(socket, "close", nothing);
}

}  // namespace swf::avm1
