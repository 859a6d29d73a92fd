// MovieClip's play control over the engine's timelines: frame scripts, stop and play, gotos by
// number or label, and what scripts read of the timeline (frames, labels).
#include <algorithm>
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

// A run of frames under one name: the main timeline's scenes, or the single scene of a clip.
struct SceneSpan {
    String name;
    int first = 0;  // 0-based
    int count = 1;
};

std::vector<SceneSpan> scenesOf(const Clip* clip, bool isRoot, const Movie& movie) {
    int total = frameCount(clip);
    std::vector<SceneSpan> out;
    if (isRoot)
        for (const Movie::Scene& s : movie.scenes) {
            int first = static_cast<int>(std::min<uint32_t>(s.firstFrame, static_cast<uint32_t>(total - 1)));
            if (!out.empty() && first <= out.back().first) continue;  // out of order: the earlier one stays
            out.push_back(SceneSpan{utf8ToUtf16(s.name), first, 1});
        }
    if (out.empty()) out.push_back(SceneSpan{u"Scene 1", 0, total});
    for (size_t i = 0; i < out.size(); ++i)
        out[i].count = (i + 1 < out.size() ? out[i + 1].first : total) - out[i].first;
    return out;
}

size_t sceneIndexAt(const std::vector<SceneSpan>& scenes, int frame) {
    size_t i = 0;
    while (i + 1 < scenes.size() && scenes[i + 1].first <= frame) ++i;
    return i;
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
    auto scenes = [this](const Clip* c) { return scenesOf(c, c == &rootClip_, library_.movie()); };
    // The scene playing now; labels of a span, with frame numbers counted from its start.
    auto currentSpan = [this, scenes](const Clip* c) {
        auto list = scenes(c);
        return list[sceneIndexAt(list, c ? frameShown(*c) : 0)];
    };
    auto labelArray = [this](Machine& m, const Clip* c, const SceneSpan& span) {
        std::vector<Value> items;
        for (const Label& l : labelsOf(c)) {
            if (l.frame < span.first || l.frame >= span.first + span.count) continue;
            Value a[2] = {Value(l.name), Value(l.frame - span.first + 1)};
            items.push_back(m.construct(Value(frameLabelClass), a));
        }
        return Value(m.newArray(std::move(items)));
    };
    sceneClass = m.defineClass(u"flash.display", u"Scene", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        m.set(self, u"name", Value(m.toString(arg(a, 0))));
        m.set(self, u"labels", arg(a, 1));
        m.set(self, u"numFrames", Value(m.toInt(arg(a, 2))));
        return Value();
    });
    auto sceneObject = [this, labelArray](Machine& m, const Clip* c, const SceneSpan& span) {
        Value a[3] = {Value(span.name), labelArray(m, c, span), Value(span.count)};
        return m.construct(Value(sceneClass), a);
    };
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

    // A goto builds the frame at once; its script runs after the script that asked. Frame numbers
    // count from the start of the named scene, or of the scene playing now.
    auto go = [this, clipOf, scenes](Machine& m, const Value& self, const Value& where, bool play, int step, const Value& sceneName) {
        Clip* c = clipOf(m, self);
        if (!c || !c->timeline) return;
        int target = c->frame + step;
        if (step == 0) {
            auto list = scenes(c);
            SceneSpan span = list[sceneIndexAt(list, c->frame)];
            bool named = !sceneName.isNullish();
            if (named) {
                String want = m.toString(sceneName);
                auto it = std::find_if(list.begin(), list.end(), [&](const SceneSpan& sp) { return sp.name == want; });
                if (it == list.end()) m.throwError(u"ArgumentError", 2108, u"Scene " + want + u" was not found.");
                span = *it;
            }
            // A whole number or a numeric text names a frame; anything else (a fraction too) a label.
            double n = m.toNumber(where);
            bool frameNumber = where.isNumber() ? std::trunc(n) == n : where.isString() && !std::isnan(n);
            bool found = false;
            if (!frameNumber) {
                // A label of the scene first, then of the whole timeline.
                String name = m.toString(where);
                auto labels = labelsOf(c);
                for (int pass = 0; pass < 2 && !found; ++pass)
                    for (const Label& l : labels)
                        if (l.name == name && (pass == 1 || (l.frame >= span.first && l.frame < span.first + span.count))) {
                            target = l.frame;
                            found = true;
                            break;
                        }
            }
            if (!found) {
                if (std::isnan(n)) {
                    if (!where.isString()) return;
                    m.throwError(u"ArgumentError", 2109, u"Frame label " + where.string() + u" not found in scene " + span.name + u".");
                }
                target = span.first + static_cast<int>(std::clamp(std::trunc(n), -1e9, 1e9)) - 1;
            }
        }
        target = std::clamp(target, 0, frameCount(c) - 1);
        c->playing = play;
        if (target != c->frame) {
            timeline_.gotoFrame(*c, target, nestingOf(c), c->owner);
            dispatchTimelineRemovals();
            constructPlaced();
        }
        finishFrameAfterGoto();
    };
    m.defineMethod(movieClipClass, u"gotoAndStop", 2, [go](Machine& m, const Value& self, Args a) -> Value {
        go(m, self, arg(a, 0), false, 0, arg(a, 1));
        return Value();
    });
    m.defineMethod(movieClipClass, u"gotoAndPlay", 2, [go](Machine& m, const Value& self, Args a) -> Value {
        go(m, self, arg(a, 0), true, 0, arg(a, 1));
        return Value();
    });
    m.defineMethod(movieClipClass, u"nextFrame", 0, [go](Machine& m, const Value& self, Args) -> Value {
        go(m, self, Value(), false, 1, Value());
        return Value();
    });
    m.defineMethod(movieClipClass, u"prevFrame", 0, [go](Machine& m, const Value& self, Args) -> Value {
        go(m, self, Value(), false, -1, Value());
        return Value();
    });
    m.defineGetter(movieClipClass, u"currentFrame", [this, clipOf, currentSpan](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return Value(c && c->timeline ? frameShown(*c) - currentSpan(c).first + 1 : 0);  // a clip made by a script has no frames
    });
    // Scenes: the playhead goes to the first frame of the next or the previous one (in the first
    // scene, to its own first frame).
    for (int way : {1, -1})
        m.defineMethod(movieClipClass, way > 0 ? u"nextScene" : u"prevScene", 0, [this, clipOf, scenes, way](Machine& m, const Value& self, Args) -> Value {
            Clip* c = clipOf(m, self);
            if (!c || !c->timeline) return Value();
            auto list = scenes(c);
            size_t at = sceneIndexAt(list, c->frame);
            if (way > 0 && at + 1 >= list.size()) return Value();
            int target = list[way > 0 ? at + 1 : (at > 0 ? at - 1 : 0)].first;
            if (target != c->frame) {
                timeline_.gotoFrame(*c, target, nestingOf(c), c->owner);
                dispatchTimelineRemovals();
                constructPlaced();
            }
            return Value();
        });
    m.defineGetter(movieClipClass, u"currentScene", [clipOf, currentSpan, sceneObject](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return sceneObject(m, c, currentSpan(c));
    });
    m.defineGetter(movieClipClass, u"scenes", [clipOf, scenes, sceneObject](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        std::vector<Value> items;
        for (const SceneSpan& span : scenes(c)) items.push_back(sceneObject(m, c, span));
        return Value(m.newArray(std::move(items)));
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
    m.defineGetter(movieClipClass, u"currentLabels", [clipOf, currentSpan, labelArray](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return labelArray(m, c, currentSpan(c));
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
