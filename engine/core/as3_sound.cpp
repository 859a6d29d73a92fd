// flash.media's sound classes over the movie's mixer: Sound (a class linked to a sound of the
// library plays it; one asked to load from an address fails, as a saver loads nothing), the
// SoundChannel each play gives, SoundTransform, and SoundMixer over every sound of the movie.
#include <algorithm>
#include <cmath>

#include "engine/core/as3_display.h"
#include "engine/core/movie_sound.h"

namespace swf {

using namespace avm2;

namespace {

class SoundObject : public As3DisplayObject {
public:
    uint16_t soundId = 0;  // the library sound its class is linked to; 0: none
};

class ChannelObject : public As3DisplayObject {
public:
    uint64_t voice = 0;  // 0 once stopped or finished
    uint16_t soundId = 0;
    double stoppedAt = 0;  // ms: the position once the voice is gone
    SoundTransform transform;
};

class TransformObject : public Object {
public:
    TransformObject() : Object(ObjectType::Other) {}
    double volume = 1, pan = 0;
    double leftToLeft = 1, leftToRight = 0, rightToRight = 1, rightToLeft = 0;

    // Panning takes volume from the side it moves away from, as Flash's simple pan does.
    void setPan(double p) {
        pan = std::clamp(p, -1.0, 1.0);
        leftToLeft = 1 - std::max(pan, 0.0);
        rightToRight = 1 + std::min(pan, 0.0);
        leftToRight = rightToLeft = 0;
    }
    void copyValues(const TransformObject& from) {
        volume = from.volume, pan = from.pan;
        leftToLeft = from.leftToLeft, leftToRight = from.leftToRight;
        rightToRight = from.rightToRight, rightToLeft = from.rightToLeft;
    }
    SoundTransform mix() const {
        SoundTransform t;
        t.ll = leftToLeft * volume;
        t.lr = leftToRight * volume;
        t.rr = rightToRight * volume;
        t.rl = rightToLeft * volume;
        return t;
    }
};

double finiteOr(Machine& m, const Value& v, double fallback) {
    double d = m.toNumber(v);
    return std::isfinite(d) ? d : fallback;
}

}  // namespace

void As3Display::soundsCompleted(const std::vector<uint64_t>& voices) {
    for (uint64_t voice : voices) {
        auto it = playingChannels_.find(voice);
        if (it == playingChannels_.end()) continue;
        auto* channel = static_cast<ChannelObject*>(it->second);
        playingChannels_.erase(it);
        channel->stoppedAt = sound_ ? std::max(0.0, sound_->soundDurationMs(channel->soundId)) : 0;
        channel->voice = 0;
        Value type[1] = {Value(String(u"soundComplete"))};
        Value e[1] = {m_.construct(Value(eventClass), type)};
        m_.guarded([&] { m_.callProperty(Value(channel), Name{u"dispatchEvent", m_.publicSet}, e); });
    }
}

void As3Display::installSound() {
    Machine& m = m_;
    auto transformValue = [](Machine& m, const Value& v) -> TransformObject* {
        return v.isNullish() ? nullptr : nativeAs<TransformObject>(m, v, u"flash.media.SoundTransform");
    };

    ClassObject* transformClass = m.defineClass(u"flash.media", u"SoundTransform", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        auto* t = nativeAs<TransformObject>(m, self, u"flash.media.SoundTransform");
        t->volume = a.empty() ? 1 : finiteOr(m, a[0], 1);
        t->setPan(a.size() > 1 ? finiteOr(m, a[1], 0) : 0);
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<TransformObject>(); });
    transformClass->isSealedInstances = true;
    using Field = double TransformObject::*;
    struct F { const char16_t* name; Field field; };
    for (F f : {F{u"volume", &TransformObject::volume}, F{u"leftToLeft", &TransformObject::leftToLeft},
                F{u"leftToRight", &TransformObject::leftToRight}, F{u"rightToRight", &TransformObject::rightToRight},
                F{u"rightToLeft", &TransformObject::rightToLeft}})
        m.defineGetter(transformClass, f.name, [f](Machine& m, const Value& self, Args) -> Value {
            return Value(nativeAs<TransformObject>(m, self, u"flash.media.SoundTransform")->*f.field);
        }, [f](Machine& m, const Value& self, Args a) -> Value {
            nativeAs<TransformObject>(m, self, u"flash.media.SoundTransform")->*f.field = finiteOr(m, arg(a, 0), 0);
            return Value();
        });
    m.defineGetter(transformClass, u"pan", [](Machine& m, const Value& self, Args) -> Value {
        return Value(nativeAs<TransformObject>(m, self, u"flash.media.SoundTransform")->pan);
    }, [](Machine& m, const Value& self, Args a) -> Value {
        nativeAs<TransformObject>(m, self, u"flash.media.SoundTransform")->setPan(finiteOr(m, arg(a, 0), 0));
        return Value();
    });
    // A fresh transform holding `t`'s values: scripts get copies, as from Flash.
    auto copyOf = [transformClass](Machine& m, const TransformObject* t) -> Value {
        auto* out = static_cast<TransformObject*>(m.instantiate(transformClass));
        if (t) out->copyValues(*t);
        return Value(out);
    };

    ClassObject* channelClass = m.defineClass(u"flash.media", u"SoundChannel", dispatcherClass, [](Machine&, const Value&, Args) -> Value { return Value(); },
        [this](Machine& m, ClassObject*) -> Object* {
            auto* o = m.make<ChannelObject>();
            o->display = this;
            return o;
        });
    auto channel = [](Machine& m, const Value& v) { return nativeAs<ChannelObject>(m, v, u"flash.media.SoundChannel"); };
    m.defineGetter(channelClass, u"position", [this, channel](Machine& m, const Value& self, Args) -> Value {
        ChannelObject* c = channel(m, self);
        if (c->voice && sound_) {
            double at = sound_->voicePositionMs(c->voice);
            if (at >= 0) return Value(at);
        }
        return Value(c->stoppedAt);
    });
    m.defineMethod(channelClass, u"stop", 0, [this, channel](Machine& m, const Value& self, Args) -> Value {
        ChannelObject* c = channel(m, self);
        if (!c->voice) return Value();
        if (sound_) {
            c->stoppedAt = std::max(0.0, sound_->voicePositionMs(c->voice));
            sound_->stopVoice(c->voice);
        }
        playingChannels_.erase(c->voice);
        c->voice = 0;
        return Value();
    });
    m.defineGetter(channelClass, u"soundTransform", [channel, copyOf](Machine& m, const Value& self, Args) -> Value {
        ChannelObject* c = channel(m, self);
        TransformObject t;
        t.leftToLeft = c->transform.ll, t.leftToRight = c->transform.lr;
        t.rightToRight = c->transform.rr, t.rightToLeft = c->transform.rl;
        return copyOf(m, &t);
    }, [this, channel, transformValue](Machine& m, const Value& self, Args a) -> Value {
        ChannelObject* c = channel(m, self);
        TransformObject* t = transformValue(m, arg(a, 0));
        c->transform = t ? t->mix() : SoundTransform{};
        if (c->voice && sound_) sound_->setChannelTransform(c->voice, c->transform);
        return Value();
    });

    soundClass = m.defineClass(u"flash.media", u"Sound", dispatcherClass, [this](Machine& m, const Value& self, Args a) -> Value {
        auto* s = nativeAs<SoundObject>(m, self, u"flash.media.Sound");
        uint16_t id = symbolOf(s->cls);
        if (id && library_.movie().findAs<DefinedSound>(id)) s->soundId = id;
        if (!arg(a, 0).isNullish()) m.callProperty(self, Name{u"load", m.publicSet}, a.first(1));
        return Value();
    }, [this](Machine& m, ClassObject*) -> Object* {
        auto* o = m.make<SoundObject>();
        o->display = this;
        return o;
    });
    auto soundOf = [](Machine& m, const Value& v) { return nativeAs<SoundObject>(m, v, u"flash.media.Sound"); };
    m.defineGetter(soundClass, u"length", [this, soundOf](Machine& m, const Value& self, Args) -> Value {
        SoundObject* s = soundOf(m, self);
        return Value(s->soundId && sound_ ? std::max(0.0, sound_->soundDurationMs(s->soundId)) : 0.0);
    });
    for (const char16_t* name : {u"bytesLoaded", u"bytesTotal"})
        m.defineGetter(soundClass, name, [this, soundOf](Machine& m, const Value& self, Args) -> Value {
            SoundObject* s = soundOf(m, self);
            const DefinedSound* d = s->soundId ? library_.movie().findAs<DefinedSound>(s->soundId) : nullptr;
            return Value(d ? static_cast<double>(d->data.size()) : 0.0);
        });
    m.defineGetter(soundClass, u"isBuffering", [](Machine&, const Value&, Args) -> Value { return Value(false); });
    m.defineGetter(soundClass, u"url", [](Machine&, const Value&, Args) -> Value { return Value::null(); });
    m.defineMethod(soundClass, u"play", 3, [this, soundOf, channelClass, transformValue](Machine& m, const Value& self, Args a) -> Value {
        SoundObject* s = soundOf(m, self);
        TransformObject* t = transformValue(m, arg(a, 2));
        SoundTransform mix = t ? t->mix() : SoundTransform{};
        uint64_t voice = s->soundId && sound_ ? sound_->startChannel(s->soundId, std::max(0.0, finiteOr(m, arg(a, 0), 0)),
                                                                      m.toInt(arg(a, 1)), mix)
                                              : 0;
        // A sound with nothing to play gives no channel.
        if (!voice) return Value::null();
        auto* c = static_cast<ChannelObject*>(m.instantiate(channelClass));
        c->voice = voice;
        c->soundId = s->soundId;
        c->transform = mix;
        playingChannels_[voice] = c;
        return Value(c);
    });
    m.defineMethod(soundClass, u"load", 2, [this](Machine&, const Value& self, Args a) -> Value {
        failLoadLater(self, 2032, u"Error #2032: Stream Error. URL: " + urlOfRequest(arg(a, 0)));
        return Value();
    });
    m.defineMethod(soundClass, u"close", 0, [](Machine&, const Value&, Args) -> Value { return Value(); });

    ClassObject* mixerClass = m.defineClass(u"flash.media", u"SoundMixer", m.objectClass, [](Machine& m, const Value&, Args) -> Value {
        m.throwError(u"ArgumentError", 2012, u"SoundMixer class cannot be instantiated.");
    });
    m.defineStatic(mixerClass, u"stopAll", 0, [this](Machine&, const Value&, Args) -> Value {
        if (sound_) sound_->stopAllSounds();
        playingChannels_.clear();
        return Value();
    });
    m.defineStatic(mixerClass, u"areSoundsInaccessible", 0, [](Machine&, const Value&, Args) -> Value { return Value(false); });
    m.defineGetter(mixerClass, u"soundTransform", [this, copyOf](Machine& m, const Value&, Args) -> Value {
        return copyOf(m, movieTransform_ ? static_cast<TransformObject*>(movieTransform_) : nullptr);
    }, [this, transformValue, copyOf](Machine& m, const Value&, Args a) -> Value {
        TransformObject* t = transformValue(m, arg(a, 0));
        movieTransform_ = t ? copyOf(m, t).object() : nullptr;
        if (sound_) sound_->setMovieTransform(t ? t->mix() : SoundTransform{});
        return Value();
    }, true);
    m.defineGetter(mixerClass, u"bufferTime", [this](Machine&, const Value&, Args) -> Value { return Value(mixerBufferTime_); },
                   [this](Machine& m, const Value&, Args a) -> Value {
                       mixerBufferTime_ = m.toInt(arg(a, 0));
                       return Value();
                   }, true);
}

}  // namespace swf
