// Sound: exported sounds attached, started and stopped for a target clip (or the whole movie), and
// the volume, pan and transform of that target, which scripts read back as they set them.
#include <cmath>

#include "engine/avm1/builtins.h"
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

const char* const kChannels[] = {"ll", "lr", "rr", "rl"};

// Where a Sound acts: on the whole movie, or on the clip a target path names. The path is
// resolved at each call from the clip the calling script acts on, so a renamed or replaced clip
// is followed by name, and a relative path means something else from another timeline.
struct SoundTarget : NativeState {
    bool wholeMovie = true;
    std::string path;
    std::string attached;     // the exported sound attachSound gave
    uint64_t voice = 0;       // the voice start() began last
    double lastPositionMs = 0;  // where that voice was when last seen
};

SoundTarget* targetOf(Object* self) { return self ? dynamic_cast<SoundTarget*>(self->state.get()) : nullptr; }

// The clip a Sound acts on for the player's sound: null for the whole movie, and false when the
// target clip is not there.
bool soundClip(Machine& m, SoundTarget& t, Clip*& clip) {
    clip = nullptr;
    if (t.wholeMovie) return true;
    clip = m.resolveTarget(t.path, m.scriptTarget());
    return clip && !clip->isRemoved();
}

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

// Hands the target's settings to the player's sound, which multiplies them down the clips.
void applySettings(Machine& m, Object* self, Object* s) {
    SoundControl* sound = m.host().sound();
    SoundTarget* t = targetOf(self);
    Clip* clip;
    if (!sound || !t || !soundClip(m, *t, clip)) return;
    SoundTransformValues v;
    v.ll = field(m, s, "ll");
    v.lr = field(m, s, "lr");
    v.rr = field(m, s, "rr");
    v.rl = field(m, s, "rl");
    v.volume = field(m, s, "volume");
    sound->setSoundTransform(clip, v);
}

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
    if (Object* s = settings(m, self); s && numberArg(m, a, 0, v)) {
        setField(m, s, "volume", v);
        applySettings(m, self, s);
    }
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
    applySettings(m, self, s);
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
    applySettings(m, self, s);
    return Value();
}

Value attachSound(Machine& m, Object* self, std::vector<Value>& a) {
    SoundTarget* t = targetOf(self);
    SoundControl* sound = m.host().sound();
    if (!t || !sound || a.empty()) return Value();
    std::string name = m.toString(a[0]);
    if (sound->exportedSoundDurationMs(name) < 0) return Value();
    t->attached = name;
    t->voice = 0;
    t->lastPositionMs = 0;
    return Value();
}

// The voices of started sounds, by id, each with the Sound that started it (kept alive by the
// global object until the voice ends, for its onSoundComplete).
Object* playingSounds(Machine& m) {
    const std::string k = m.key("__playingSounds");
    if (Property* p = m.global()->find(k); p && p->value.object()) return p->value.object();
    Object* o = m.newObject();
    o->proto = nullptr;
    m.global()->put(k, "__playingSounds", Value(o), DontEnum);
    return o;
}

Value start(Machine& m, Object* self, std::vector<Value>& a) {
    SoundTarget* t = targetOf(self);
    SoundControl* sound = m.host().sound();
    Clip* clip;
    if (!t || !sound || t->attached.empty() || !soundClip(m, *t, clip)) return Value();
    double offset = a.size() > 0 ? m.toNumber(a[0]) : 0;
    double loops = a.size() > 1 ? m.toNumber(a[1]) : 1;
    int count = std::isfinite(loops) && loops >= 1 ? static_cast<int>(std::min(loops, 1e6)) : 1;
    uint64_t voice = sound->startExportedSound(clip, t->attached, std::isfinite(offset) ? offset : 0, count);
    if (!voice) return Value();
    t->voice = voice;
    t->lastPositionMs = 0;
    std::string id = std::to_string(voice);
    playingSounds(m)->put(m.key(id), id, Value(self));
    return Value();
}

Value stop(Machine& m, Object* self, std::vector<Value>& a) {
    SoundTarget* t = targetOf(self);
    SoundControl* sound = m.host().sound();
    Clip* clip;
    if (!t || !sound || !soundClip(m, *t, clip)) return Value();
    sound->stopSounds(clip, a.empty() ? std::string() : m.toString(a[0]));
    return Value();
}

Value getPosition(Machine& m, Object* self, std::vector<Value>&) {
    SoundTarget* t = targetOf(self);
    SoundControl* sound = m.host().sound();
    if (!t) return Value();
    if (sound && t->voice) {
        double at = sound->voicePositionMs(t->voice);
        if (at >= 0) t->lastPositionMs = at;
    }
    return Value(std::floor(t->lastPositionMs));
}

Value getDuration(Machine& m, Object* self, std::vector<Value>&) {
    SoundTarget* t = targetOf(self);
    SoundControl* sound = m.host().sound();
    if (!t || !sound || t->attached.empty()) return Value();
    return Value(std::floor(std::max(0.0, sound->exportedSoundDurationMs(t->attached))));
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }

// position and duration are read-only from SWF 6 on; SWF 5 movies do not have them, and what
// they store under those names is theirs.
Value storeBeforeVersion6(Machine& m, Object* self, std::vector<Value>& a, const char* name) {
    if (self && m.swfVersion() < 6) self->put(m.key(name), name, arg(a, 0));
    return Value();
}
Value setPosition(Machine& m, Object* self, std::vector<Value>& a) { return storeBeforeVersion6(m, self, a, "position"); }
Value setDuration(Machine& m, Object* self, std::vector<Value>& a) { return storeBeforeVersion6(m, self, a, "duration"); }
Value zero(Machine&, Object*, std::vector<Value>&) { return Value(0.0); }

}  // namespace

void installSound(Machine& m) {
    Object* proto = m.newObject();
    defineClass(m, "Sound", noOp, construct, proto);
    struct { const char* name; NativeFunction f; uint16_t since; } methods[] = {
        {"getVolume", getVolume, 0}, {"setVolume", setVolume, 0}, {"getPan", getPan, 0}, {"setPan", setPan, 0},
        {"getTransform", getTransform, 0}, {"setTransform", setTransform, 0}, {"attachSound", attachSound, 0},
        {"start", start, 0}, {"stop", stop, 0}, {"loadSound", noOp, FromVersion6},
        {"getBytesLoaded", zero, FromVersion6}, {"getBytesTotal", zero, FromVersion6}};
    for (auto& fn : methods) {
        m.defineNative(proto, fn.name, fn.f);
        proto->find(m.key(fn.name))->flags |= fn.since;
    }
    defineAccessor(m, proto, "position", getPosition, setPosition, DontEnum | FromVersion6);
    defineAccessor(m, proto, "duration", getDuration, setDuration, DontEnum | FromVersion6);
}

void soundsCompleted(Machine& m, const std::vector<uint64_t>& voices) {
    if (voices.empty()) return;
    Object* playing = playingSounds(m);
    for (uint64_t voice : voices) {
        std::string id = std::to_string(voice);
        Property* p = playing->find(m.key(id));
        if (!p) continue;
        Object* sound = p->value.object();
        m.deleteMember(playing, id);
        if (!sound) continue;
        if (SoundTarget* t = targetOf(sound); t && t->voice == voice) {
            t->lastPositionMs = std::max(0.0, m.host().sound() ? m.host().sound()->exportedSoundDurationMs(t->attached) : 0);
            t->voice = 0;
        }
        m.callObjectMethod(sound, "onSoundComplete");
    }
}

}  // namespace swf::avm1
