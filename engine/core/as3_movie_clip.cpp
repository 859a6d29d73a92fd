// MovieClip's play control over the engine's timelines: frame scripts, stop and play, gotos by
// number or label, and what scripts read of the timeline (frames, labels).
#include <cmath>

#include "engine/core/as3_display.h"
#include "engine/core/timeline_player.h"

namespace swf {

using namespace avm2;

namespace {

struct Label {
    String name;
    int frame;  // 0-based
};

std::vector<Label> labelsOf(const Clip* clip) {
    std::vector<Label> out;
    if (!clip || !clip->timeline) return out;
    const auto& frames = clip->timeline->frames;
    for (size_t f = 0; f < frames.size(); ++f)
        for (const ControlTag& tag : frames[f].tags)
            if (const auto* label = std::get_if<FrameLabel>(&tag))
                out.push_back(Label{utf8ToUtf16(label->name), static_cast<int>(f)});
    return out;
}

int frameCount(const Clip* clip) {
    return clip && clip->timeline ? std::max(1, static_cast<int>(clip->timeline->frames.size())) : 1;
}

}  // namespace

void As3Display::installMovieClip() {
    Machine& m = m_;
    frameLabelClass = m.defineClass(u"flash.display", u"FrameLabel", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        m.set(self, u"name", Value(m.toString(arg(a, 0))));
        m.set(self, u"frame", Value(m.toInt(arg(a, 1))));
        return Value();
    });
    auto clipOf = [this](Machine& m, const Value& self) -> Clip* { return containerClip(asDisplayObject(m, self)); };
    m.defineMethod(movieClipClass, u"addFrameScript", 2, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        for (size_t i = 0; i + 1 < a.size(); i += 2) {
            int frame = m.toInt(a[i]);
            if (frame < 0) continue;
            if (a[i + 1].isNullish()) o->frameScripts.erase(frame);
            else o->frameScripts[frame] = a[i + 1];
        }
        return Value();
    });
    m.defineMethod(movieClipClass, u"stop", 0, [clipOf](Machine& m, const Value& self, Args) -> Value {
        if (Clip* c = clipOf(m, self)) c->playing = false;
        return Value();
    });
    m.defineMethod(movieClipClass, u"play", 0, [clipOf](Machine& m, const Value& self, Args) -> Value {
        if (Clip* c = clipOf(m, self)) c->playing = true;
        return Value();
    });

    // A goto builds the frame at once; its script runs after the script that asked.
    auto go = [this, clipOf](Machine& m, const Value& self, const Value& where, bool play, int step) {
        Clip* c = clipOf(m, self);
        if (!c || !c->timeline) return;
        int target = c->frame + step;
        if (step == 0) {
            bool found = false;
            if (where.isString()) {
                for (const Label& l : labelsOf(c))
                    if (l.name == where.string()) {
                        target = l.frame;
                        found = true;
                        break;
                    }
                if (!found) {
                    double n = m.toNumber(where);
                    if (std::isnan(n))
                        m.throwError(u"ArgumentError", 2109, u"Frame label " + where.string() + u" not found in scene " +
                                                                 (c == &rootClip_ ? u"Scene 1" : u"Scene 1") + u".");
                    target = static_cast<int>(n) - 1;
                }
            } else {
                double n = m.toNumber(where);
                if (std::isnan(n)) return;
                target = static_cast<int>(n) - 1;
            }
        }
        target = std::clamp(target, 0, frameCount(c) - 1);
        c->playing = play;
        if (target == c->frame) return;
        timeline_.gotoFrame(*c, target, nestingOf(c), c->owner);
        dispatchTimelineRemovals();
        constructPlaced();
    };
    m.defineMethod(movieClipClass, u"gotoAndStop", 2, [go](Machine& m, const Value& self, Args a) -> Value {
        go(m, self, arg(a, 0), false, 0);
        return Value();
    });
    m.defineMethod(movieClipClass, u"gotoAndPlay", 2, [go](Machine& m, const Value& self, Args a) -> Value {
        go(m, self, arg(a, 0), true, 0);
        return Value();
    });
    m.defineMethod(movieClipClass, u"nextFrame", 0, [go](Machine& m, const Value& self, Args) -> Value {
        go(m, self, Value(), false, 1);
        return Value();
    });
    m.defineMethod(movieClipClass, u"prevFrame", 0, [go](Machine& m, const Value& self, Args) -> Value {
        go(m, self, Value(), false, -1);
        return Value();
    });
    m.defineGetter(movieClipClass, u"currentFrame", [clipOf](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return Value(c && c->timeline ? c->frame + 1 : 0);  // a clip made by a script has no frames
    });
    m.defineGetter(movieClipClass, u"totalFrames", [clipOf, this](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return Value(c == &rootClip_ ? totalFrames_ : frameCount(c));
    });
    m.defineGetter(movieClipClass, u"framesLoaded", [clipOf, this](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return Value(c == &rootClip_ ? totalFrames_ : frameCount(c));
    });
    m.defineGetter(movieClipClass, u"isPlaying", [clipOf](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return Value(c && c->timeline && c->playing);
    });
    m.defineGetter(movieClipClass, u"currentLabel", [clipOf](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        Value out = Value::null();
        for (const Label& l : labelsOf(c))
            if (l.frame <= c->frame) out = Value(l.name);
        return out;
    });
    m.defineGetter(movieClipClass, u"currentFrameLabel", [clipOf](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        for (const Label& l : labelsOf(c))
            if (l.frame == c->frame) return Value(l.name);
        return Value::null();
    });
    m.defineGetter(movieClipClass, u"currentLabels", [clipOf, this](Machine& m, const Value& self, Args) -> Value {
        std::vector<Value> items;
        for (const Label& l : labelsOf(clipOf(m, self))) {
            Value a[2] = {Value(l.name), Value(l.frame + 1)};
            items.push_back(m.construct(Value(frameLabelClass), a));
        }
        return Value(m.newArray(std::move(items)));
    });
    m.defineGetter(movieClipClass, u"enabled", [](Machine& m, const Value& self, Args) -> Value {
        auto& s = asDisplayObject(m, self)->stored;
        auto it = s.find(u"enabled");
        return it == s.end() ? Value(true) : it->second;
    }, [](Machine& m, const Value& self, Args a) -> Value {
        asDisplayObject(m, self)->stored[u"enabled"] = Value(m.toBoolean(arg(a, 0)));
        return Value();
    });
}

}  // namespace swf
