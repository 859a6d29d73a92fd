#include "engine/core/timeline_player.h"

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

namespace swf {

namespace {

int frameCountOf(const Clip& clip) {
    if (!clip.timeline) return 1;
    return std::max<int>(1, static_cast<int>(clip.timeline->frames.size()));
}

// Copies the fields a PlaceObject carries onto `obj`; absent fields keep their values.
void applyPlacement(DisplayObject& obj, const PlaceObject& p) {
    if (!obj.scriptTransformed) {
        if (p.matrix) obj.matrix = *p.matrix;
        if (p.colorTransform) obj.colorTransform = *p.colorTransform;
    }
    if (p.ratio) obj.ratio = *p.ratio;
    if (p.name) obj.name = *p.name;
    if (p.clipDepth) obj.clipDepth = *p.clipDepth;
    if (p.filters) obj.filters = *p.filters;
    if (p.blendMode) obj.blendMode = *p.blendMode;
    if (p.cacheAsBitmap) obj.cacheAsBitmap = *p.cacheAsBitmap;
    if (p.visible) obj.visible = *p.visible;
    if (p.opaqueBackground) obj.opaqueBackground = *p.opaqueBackground;
}

// The timeline-controlled properties of `from`, given to `to` (when a rebuilt frame keeps an object).
void copyPlacement(DisplayObject& to, const DisplayObject& from) {
    if (!to.scriptTransformed) {
        to.matrix = from.matrix;
        to.colorTransform = from.colorTransform;
    }
    to.ratio = from.ratio;
    if (!from.name.empty()) to.name = from.name;
    to.clipDepth = from.clipDepth;
    to.filters = from.filters;
    to.blendMode = from.blendMode;
    to.cacheAsBitmap = from.cacheAsBitmap;
    to.opaqueBackground = from.opaqueBackground;
}

}  // namespace

TimelinePlayer::TimelinePlayer(CharacterLibrary& library, TimelineLimits limits)
    : library_(library), limits_(limits) {}

void TimelinePlayer::start(Clip& clip, const Timeline& timeline, int nesting, DisplayObject* owner) {
    clip.timeline = &timeline;
    clip.sequence = ++sequence_;
    clip.children.clear();
    clip.frame = 0;
    applyFrame(clip, 0, nesting);
    if (sounds_) sounds_->frameShown(clip, 0, false);
    frameBuilt(owner, clip);
}

void TimelinePlayer::frameBuilt(DisplayObject* owner, Clip& clip) {
    if (scripts_) scripts_->frameBuilt(owner, clip, clip.frame);
}

void TimelinePlayer::advance(Clip& clip, bool loop, int nesting, DisplayObject* owner) {
    // Children first: an object the parent places in this frame then shows its own first frame.
    std::vector<DisplayObject*> children;
    children.reserve(clip.children.size());
    for (auto& [depth, child] : clip.children) children.push_back(child.get());
    for (DisplayObject* child : children) {
        if (child->onEnterFrame) child->onEnterFrame(*child);
        if (child->clip && child->kind == DisplayObject::Kind::Sprite) advance(*child->clip, true, nesting + 1, child);
    }
    advanceOwn(clip, loop, nesting, owner);
}

void TimelinePlayer::advanceOwn(Clip& clip, bool loop, int nesting, DisplayObject* owner) {
    if (!clip.timeline || !clip.playing) return;
    int count = frameCountOf(clip);
    int steps = sounds_ ? sounds_->framesToAdvance(clip) : 1;
    if (steps <= 0) return;  // waiting for its streaming sound
    // Frames skipped to catch up with the sound are passed over, not shown.
    int next = clip.frame + steps < count ? clip.frame + steps : clip.frame + 1;
    if (next >= count) {
        if (!loop) {
            clip.playing = false;
            return;
        }
        if (count == 1) return;  // a one-frame timeline stays as it is
        next = 0;
    }
    showFrame(clip, next, nesting, owner, next > clip.frame);
}

void TimelinePlayer::gotoFrame(Clip& clip, int frameIndex, int nesting, DisplayObject* owner) {
    if (!clip.timeline) return;
    frameIndex = std::clamp(frameIndex, 0, frameCountOf(clip) - 1);
    showFrame(clip, frameIndex, nesting, owner, frameIndex == clip.frame + 1);
}

void TimelinePlayer::showFrame(Clip& clip, int frameIndex, int nesting, DisplayObject* owner, bool inSequence) {
    if (frameIndex == clip.frame) return;
    if (frameIndex > clip.frame) {
        for (int f = clip.frame + 1; f <= frameIndex; ++f) {
            // What the frame removes goes while the clip still shows the frame before.
            applyFrame(clip, f, nesting);
            clip.frame = f;
        }
    } else {
        // Going back, what goes is gone from the frame arrived at.
        clip.frame = frameIndex;
        rebuildTo(clip, frameIndex, nesting);
    }
    if (sounds_) sounds_->frameShown(clip, frameIndex, inSequence);
    frameBuilt(owner, clip);
}

void TimelinePlayer::applyFrame(Clip& clip, int frameIndex, int nesting) {
    if (!clip.timeline || frameIndex < 0 || frameIndex >= static_cast<int>(clip.timeline->frames.size())) return;
    for (const ControlTag& tag : clip.timeline->frames[frameIndex].tags) {
        if (const auto* p = std::get_if<PlaceObject>(&tag)) {
            place(clip, *p, frameIndex, nesting);
        } else if (const auto* r = std::get_if<RemoveObject>(&tag)) {
            auto it = clip.children.find(r->depth);
            if (it != clip.children.end() && it->second->fromTimeline) {
                std::unique_ptr<DisplayObject> obj = std::move(it->second);
                clip.children.erase(it);
                removeObject(std::move(obj), clip.children);
            }
        }
    }
}

void TimelinePlayer::place(Clip& clip, const PlaceObject& p, int frameIndex, int nesting) {
    auto it = clip.children.find(p.depth);
    DisplayObject* existing = it == clip.children.end() ? nullptr : it->second.get();
    bool modifyOnly = p.version >= 2 && p.move && !p.characterId;
    if (modifyOnly) {
        if (existing) applyPlacement(*existing, p);
        return;
    }
    if (!p.characterId) return;
    if (!existing && clip.children.size() >= limits_.maxObjectsPerClip) {
        library_.warn("a clip holds more than " + std::to_string(limits_.maxObjectsPerClip) +
                      " objects: character " + std::to_string(*p.characterId) + " was not placed");
        return;
    }
    if (existing && p.version >= 2 && !p.move) return;  // the depth is taken: the place is ignored
    if (existing && p.move && swapGraphic(*existing, *p.characterId)) {
        existing->placeFrame = frameIndex;
        if (p.name) existing->name = *p.name;
        applyPlacement(*existing, p);
        return;
    }
    std::string name = p.name ? *p.name : existing && p.move ? existing->name : std::string();
    auto obj = instantiate(*p.characterId, p.depth, nesting, &name);
    if (!obj) return;
    obj->parent = &clip;
    obj->clipActions = clipActionsOf(p);
    obj->placeFrame = frameIndex;
    if (existing && p.move) {
        // Replacing the character keeps what the tag does not change.
        copyPlacement(*obj, *existing);
        obj->name = existing->name;
    }
    applyPlacement(*obj, p);
    std::unique_ptr<DisplayObject> replaced = std::move(clip.children[p.depth]);
    clip.children[p.depth] = std::move(obj);
    if (replaced) removeObject(std::move(replaced), clip.children);
}

// A plain graphic (shape, morph, static text) replaced by one of its own kind stays the same
// object, showing the new character: scripts holding it see no removal.
bool TimelinePlayer::swapGraphic(DisplayObject& obj, uint16_t characterId) {
    const Character* c = library_.movie().find(characterId);
    if (!c || !obj.fromTimeline) return false;
    const CharacterDefinition& def = c->definition;
    bool sameKind = (obj.kind == DisplayObject::Kind::Shape && std::holds_alternative<Shape>(def)) ||
                    (obj.kind == DisplayObject::Kind::MorphShape && std::holds_alternative<MorphShape>(def)) ||
                    (obj.kind == DisplayObject::Kind::StaticText && std::holds_alternative<StaticText>(def));
    if (sameKind) obj.characterId = characterId;
    return sameKind;
}

void TimelinePlayer::removeObject(std::unique_ptr<DisplayObject> obj, DisplayList& list) {
    if (!obj || obj->depth < 0 || !scripts_) return;
    int depth = leavingDepth(obj->depth);
    if (list.count(depth) || !scripts_->keepsForUnload(*obj)) return;
    obj->depth = depth;
    obj->fromTimeline = false;
    list[depth] = std::move(obj);
}

bool TimelinePlayer::admit(DisplayObject& obj, const std::string& what) {
    if (!obj.live.counted()) {
        if (*liveObjects_ >= limits_.maxObjects) {
            library_.warn("the movie holds more than " + std::to_string(limits_.maxObjects) +
                          " display objects: " + what + " was not made");
            return false;
        }
        obj.live = LiveCount(liveObjects_);
    }
    countEditText(obj);  // a copy may have become a field after it was made
    return true;
}

void TimelinePlayer::countEditText(DisplayObject& obj) {
    if (obj.kind == DisplayObject::Kind::EditText && !obj.liveField.counted())
        obj.liveField = LiveCount(liveEditTexts_);
}

std::unique_ptr<DisplayObject> TimelinePlayer::instantiate(uint16_t characterId, int depth, int nesting,
                                                           const std::string* name) {
    const Character* c = library_.movie().find(characterId);
    if (!c) {
        auto failed = library_.movie().failedCharacters.find(characterId);
        if (failed != library_.movie().failedCharacters.end())
            library_.warn("character " + std::to_string(characterId) + " is not shown: " + failed->second);
        else
            library_.warn("character " + std::to_string(characterId) + " is placed but never defined");
        return nullptr;
    }
    if (*liveObjects_ >= limits_.maxObjects) {
        library_.warn("the movie holds more than " + std::to_string(limits_.maxObjects) +
                      " display objects: character " + std::to_string(characterId) + " was not placed");
        return nullptr;
    }
    auto obj = std::make_unique<DisplayObject>();
    obj->live = LiveCount(liveObjects_);  // counted before its own children are made
    obj->characterId = characterId;
    obj->depth = depth;
    const CharacterDefinition& def = c->definition;
    if (name) {
        obj->name = *name;
        // To AS3 scripts shapes and static text are display objects too, named like the rest;
        // ActionScript 1 counts only what its scripts can reach.
        bool scriptable = library_.movie().runsActionScript3() || std::holds_alternative<Sprite>(def) ||
                          std::holds_alternative<Button>(def) || std::holds_alternative<EditText>(def) ||
                          std::holds_alternative<VideoStream>(def);
        if (scriptable) nameInstance(*obj);
    }
    if (std::holds_alternative<Shape>(def)) {
        obj->kind = DisplayObject::Kind::Shape;
    } else if (std::holds_alternative<MorphShape>(def)) {
        obj->kind = DisplayObject::Kind::MorphShape;
    } else if (std::holds_alternative<StaticText>(def)) {
        obj->kind = DisplayObject::Kind::StaticText;
    } else if (std::holds_alternative<EditText>(def)) {
        obj->kind = DisplayObject::Kind::EditText;
        countEditText(*obj);
        // Scripts reach a text field through the same face as a clip's.
        obj->clip = std::make_unique<Clip>();
        obj->clip->owner = obj.get();
        obj->clip->playing = false;
    } else if (std::holds_alternative<VideoStream>(def)) {
        obj->kind = DisplayObject::Kind::Video;
        // Scripts reach a video through the same face as a clip's, as they do a text field.
        obj->clip = std::make_unique<Clip>();
        obj->clip->owner = obj.get();
        obj->clip->playing = false;
    } else if (const auto* sprite = std::get_if<Sprite>(&def)) {
        if (nesting + 1 > limits_.maxClipNesting) {
            library_.warn("clips nest deeper than " + std::to_string(limits_.maxClipNesting) + ": sprite " +
                          std::to_string(characterId) + " was not placed");
            return nullptr;
        }
        obj->kind = DisplayObject::Kind::Sprite;
        obj->clip = std::make_unique<Clip>();
        obj->clip->owner = obj.get();
        start(*obj->clip, sprite->timeline, nesting + 1, obj.get());
    } else if (const auto* button = std::get_if<Button>(&def)) {
        if (nesting + 1 > limits_.maxClipNesting) {
            library_.warn("clips nest deeper than " + std::to_string(limits_.maxClipNesting) + ": button " +
                          std::to_string(characterId) + " was not placed");
            return nullptr;
        }
        obj->kind = DisplayObject::Kind::Button;
        obj->clip = std::make_unique<Clip>();
        obj->clip->owner = obj.get();
        obj->clip->playing = false;
        buildButtonState(*obj, *button, 0, nesting);
    } else {
        // Bitmaps and fonts are not display objects of their own in these movies.
        library_.warn("character " + std::to_string(characterId) + " cannot be placed on a timeline");
        return nullptr;
    }
    return obj;
}

void TimelinePlayer::buildButtonState(DisplayObject& obj, const Button& button, int state, int nesting) {
    obj.buttonState = state;
    obj.clip->children.clear();
    for (const ButtonRecord& r : button.records) {
        bool shown = state == 0 ? r.up : state == 1 ? r.over : r.down;
        if (!shown || r.characterId == obj.characterId) continue;
        static const std::string unnamed;
        auto part = instantiate(r.characterId, r.depth, nesting + 1, &unnamed);
        if (!part) continue;
        part->parent = obj.clip.get();
        part->matrix = r.matrix;
        part->colorTransform = r.colorTransform;
        part->filters = r.filters;
        part->blendMode = r.blendMode;
        obj.clip->children[r.depth] = std::move(part);
    }
}

void TimelinePlayer::showButtonState(DisplayObject& obj, int state, int nesting) {
    if (obj.kind != DisplayObject::Kind::Button || !obj.clip || obj.buttonState == state) return;
    if (const Button* button = library_.movie().findAs<Button>(obj.characterId)) {
        if (sounds_) sounds_->buttonStateChanged(obj, *button, obj.buttonState, state);
        buildButtonState(obj, *button, state, nesting);
    }
}

// Unnamed instances get the names players give them ("instance1", ...), which scripts can see.
void TimelinePlayer::nameInstance(DisplayObject& obj) {
    if (obj.name.empty()) obj.name = "instance" + std::to_string(++instanceCount_);
}

std::unique_ptr<DisplayObject> TimelinePlayer::create(uint16_t characterId, int depth, int nesting) {
    return instantiate(characterId, depth, nesting, nullptr);
}

std::shared_ptr<const std::vector<uint8_t>> TimelinePlayer::clipActionsOf(const PlaceObject& p) {
    if (p.clipActions.empty()) return nullptr;
    auto& cached = clipActions_[&p];
    if (!cached) cached = std::make_shared<const std::vector<uint8_t>>(p.clipActions);
    return cached;
}

void TimelinePlayer::rebuildTo(Clip& clip, int frameIndex, int nesting) {
    // Replay the placement tags from the first frame into bare records: what the display list would
    // hold at `frameIndex`, and from which frame each object dates.
    struct Placed {
        DisplayObject props;
        bool exists = false;
    };
    std::map<int, Placed> target;
    for (int f = 0; f <= frameIndex && f < static_cast<int>(clip.timeline->frames.size()); ++f) {
        for (const ControlTag& tag : clip.timeline->frames[f].tags) {
            if (const auto* r = std::get_if<RemoveObject>(&tag)) {
                target.erase(r->depth);
                continue;
            }
            const auto* p = std::get_if<PlaceObject>(&tag);
            if (!p) continue;
            auto it = target.find(p->depth);
            bool modifyOnly = p->version >= 2 && p->move && !p->characterId;
            if (modifyOnly) {
                if (it != target.end()) applyPlacement(it->second.props, *p);
                continue;
            }
            if (!p->characterId) continue;
            if (it != target.end() && p->version >= 2 && !p->move) continue;
            Placed placed;
            placed.exists = true;
            placed.props.characterId = *p->characterId;
            placed.props.depth = p->depth;
            placed.props.placeFrame = f;
            if (it != target.end() && p->move) {
                copyPlacement(placed.props, it->second.props);
                placed.props.name = it->second.props.name;
            }
            applyPlacement(placed.props, *p);
            placed.props.clipActions = clipActionsOf(*p);
            target[p->depth] = std::move(placed);
        }
    }

    DisplayList rebuilt;
    std::vector<std::unique_ptr<DisplayObject>> removed;
    for (auto& [depth, child] : clip.children) {
        if (!child->fromTimeline) {
            rebuilt[depth] = std::move(child);
            continue;
        }
        auto t = target.find(depth);
        // The same placement still stands: the object lives on (a nested clip keeps its frame).
        if (t != target.end() && t->second.props.characterId == child->characterId &&
            t->second.props.placeFrame == child->placeFrame) {
            copyPlacement(*child, t->second.props);
            rebuilt[depth] = std::move(child);
            t->second.exists = false;  // taken care of
        } else {
            removed.push_back(std::move(child));
        }
    }
    clip.children = std::move(rebuilt);
    for (auto& obj : removed) removeObject(std::move(obj), clip.children);
    for (auto& [depth, placed] : target) {
        if (!placed.exists || clip.children.count(depth)) continue;
        if (clip.children.size() >= limits_.maxObjectsPerClip) break;
        auto obj = instantiate(placed.props.characterId, depth, nesting, &placed.props.name);
        if (!obj) continue;
        copyPlacement(*obj, placed.props);
        obj->parent = &clip;
        obj->clipActions = placed.props.clipActions;
        obj->placeFrame = placed.props.placeFrame;
        clip.children[depth] = std::move(obj);
    }
}

}  // namespace swf
