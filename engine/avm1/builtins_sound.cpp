// Sound: a saver plays no sound, but movies read back the volume, pan and transform they set, so
// those are kept per target clip (or for the whole movie without a target).
#include <cmath>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

const char* const kChannels[] = {"ll", "lr", "rr", "rl"};

// Where a Sound acts: on the whole movie, or on the clip a target path names. The path is
// resolved at each call from the clip the calling script acts on, so a renamed or replaced clip
// is followed by name, and a relative path means something else from another timeline.
struct SoundTarget : NativeState {
    bool wholeMovie = true;
    std::string path;
};

// The object holding the settings of a Sound's target: its clip's object, or the global object.
// Null when the target clip is not there.
Object* holder(Machine& m, Object* self) {
    if (!self) return nullptr;
    auto* target = dynamic_cast<SoundTarget*>(self->state.get());
    if (!target) return nullptr;
    if (target->wholeMovie) return m.global();
    Clip* c = m.resolveTarget(target->path, m.scriptTarget());
    return c && !c->isRemoved() ? m.clipObject(c) : nullptr;
}

Object* settings(Machine& m, Object* self) {
    Object* h = holder(m, self);
    if (!h) return nullptr;
    const std::string k = m.key("__soundSettings");
    if (Property* p = h->find(k); p && p->value.object()) return p->value.object();
    Object* s = m.newObject();
    s->proto = nullptr;
    s->put(m.key("volume"), "volume", Value(100.0));
    double defaults[] = {100, 0, 100, 0};
    for (int i = 0; i < 4; ++i) s->put(m.key(kChannels[i]), kChannels[i], Value(defaults[i]));
    h->put(k, "__soundSettings", Value(s), DontEnum);
    return s;
}

double field(Machine& m, Object* s, const char* name) {
    const Property* p = s->find(m.key(name));
    return p ? m.toNumber(p->value) : 0;
}

void setField(Machine& m, Object* s, const char* name, double v) { s->put(m.key(name), name, Value(v)); }

// A setting as scripts give it: whole numbers, NaN and the infinities ignored.
bool numberArg(Machine& m, const std::vector<Value>& a, size_t i, double& out) {
    if (i >= a.size()) return false;
    double v = m.toNumber(a[i]);
    if (!std::isfinite(v)) return false;
    out = double(toInt32(v));
    return true;
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    auto target = std::make_unique<SoundTarget>();
    Value given = arg(a, 0);
    if (!given.isNullish()) {
        target->wholeMovie = false;
        Clip* c = given.object() ? given.object()->clip : nullptr;
        target->path = c ? c->text(ClipProperty::Target) : m.toString(given);
    }
    self->state = std::move(target);
    return Value(self);
}

Value getVolume(Machine& m, Object* self, std::vector<Value>&) {
    Object* s = settings(m, self);
    return s ? Value(field(m, s, "volume")) : Value();
}

Value setVolume(Machine& m, Object* self, std::vector<Value>& a) {
    double v;
    if (Object* s = settings(m, self); s && numberArg(m, a, 0, v)) setField(m, s, "volume", v);
    return Value();
}

Value getPan(Machine& m, Object* self, std::vector<Value>&) {
    Object* s = settings(m, self);
    if (!s) return Value();
    double ll = field(m, s, "ll");
    return Value(ll != 100 ? 100 - ll : field(m, s, "rr") - 100);
}

Value setPan(Machine& m, Object* self, std::vector<Value>& a) {
    double pan;
    Object* s = settings(m, self);
    if (!s || !numberArg(m, a, 0, pan)) return Value();
    setField(m, s, "ll", pan >= 0 ? 100 - pan : 100);
    setField(m, s, "rr", pan >= 0 ? 100 : 100 + pan);
    setField(m, s, "lr", 0);
    setField(m, s, "rl", 0);
    return Value();
}

Value getTransform(Machine& m, Object* self, std::vector<Value>&) {
    Object* s = settings(m, self);
    if (!s) return Value();
    Object* t = m.newObject();
    for (const char* c : kChannels) m.setMember(Value(t), c, Value(field(m, s, c)));
    return Value(t);
}

Value setTransform(Machine& m, Object* self, std::vector<Value>& a) {
    Object* s = settings(m, self);
    Object* t = arg(a, 0).object();
    if (!s || !t) return Value();
    for (const char* c : kChannels) {
        std::vector<Value> v{m.getMember(Value(t), c)};
        double n;
        if (!v[0].isUndefined() && numberArg(m, v, 0, n)) setField(m, s, c, n);
    }
    return Value();
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value zero(Machine&, Object*, std::vector<Value>&) { return Value(0.0); }

}  // namespace

void installSound(Machine& m) {
    Object* proto = m.newObject();
    defineClass(m, "Sound", noOp, construct, proto);
    struct { const char* name; NativeFunction f; uint16_t since; } methods[] = {
        {"getVolume", getVolume, 0}, {"setVolume", setVolume, 0}, {"getPan", getPan, 0}, {"setPan", setPan, 0},
        {"getTransform", getTransform, 0}, {"setTransform", setTransform, 0}, {"attachSound", noOp, 0},
        {"start", noOp, 0}, {"stop", noOp, 0}, {"loadSound", noOp, FromVersion6},
        {"getBytesLoaded", zero, FromVersion6}, {"getBytesTotal", zero, FromVersion6}};
    for (auto& fn : methods) {
        m.defineNative(proto, fn.name, fn.f);
        proto->find(m.key(fn.name))->flags |= fn.since;
    }
}

}  // namespace swf::avm1
