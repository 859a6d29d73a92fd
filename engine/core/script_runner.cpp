#include "engine/core/script_runner.h"

#include <algorithm>
#include <variant>

#include "engine/avm1/builtins.h"
#include "engine/core/display_geometry.h"
#include "engine/core/text_field_state.h"
#include "engine/core/text_layout.h"

namespace swf {

namespace {

using avm1::ClipEvent;

constexpr size_t kMaxWarnings = 200;
constexpr int kMaxNesting = 64;

constexpr uint32_t kButtonEvents = avm1::EventPress | avm1::EventRelease | avm1::EventReleaseOutside |
                                   avm1::EventRollOver | avm1::EventRollOut | avm1::EventDragOver |
                                   avm1::EventDragOut;
const char* const kButtonMethods[] = {"onPress",     "onRelease",   "onReleaseOutside", "onRollOver",
                                      "onRollOut",   "onDragOver",  "onDragOut"};

uint32_t clipEventFor(avm1::ButtonCondition c) {
    switch (c) {
    case avm1::IdleToOverUp: return avm1::EventRollOver;
    case avm1::OverUpToIdle: return avm1::EventRollOut;
    case avm1::OverUpToOverDown: return avm1::EventPress;
    case avm1::OverDownToOverUp: return avm1::EventRelease;
    case avm1::OutDownToIdle: return avm1::EventReleaseOutside;
    case avm1::OverDownToOutDown:
    case avm1::OverDownToIdle: return avm1::EventDragOut;
    case avm1::OutDownToOverDown:
    case avm1::IdleToOverDown: return avm1::EventDragOver;
    }
    return 0;
}

}  // namespace

ScriptRunner::ScriptRunner(CharacterLibrary& library, TimelinePlayer& timeline, swf::Clip& root, double frameRate)
    : library_(library), timeline_(timeline), root_(root), frameMs_(1000.0 / frameRate),
      machine_(*this, library.movie().header.version) {
    avm1::Limits limits;
    limits.maxSecondsPerScript = 3.0;
    machine_.setLimits(limits);
}

ScriptRunner::~ScriptRunner() {
    destroying_ = true;
    for (auto& [clip, sc] : clips_)
        if (DisplayObject* o = sc->object()) o->onDestroy = nullptr;
}

ScriptClip* ScriptRunner::scriptClip(swf::Clip& clip) {
    auto it = clips_.find(&clip);
    if (it != clips_.end()) return it->second.get();
    auto sc = std::make_unique<ScriptClip>(*this, clip);
    if (clip.owner) clip.owner->onDestroy = [this](DisplayObject& o) { objectGone(o); };
    return clips_.emplace(&clip, std::move(sc)).first->second.get();
}

void ScriptRunner::objectGone(DisplayObject& obj) {
    if (!obj.clip) return;
    // What the clip holds leaves with it, and is told first.
    if (obj.kind == DisplayObject::Kind::Sprite)
        for (auto& [depth, child] : obj.clip->children) objectGone(*child);
    auto it = clips_.find(obj.clip.get());
    if (it == clips_.end()) return;
    ScriptClip* sc = it->second.get();
    if (!destroying_) readHandlers(*sc);
    sc->markRemoved();
    if (pointerTarget_ == sc) pointerTarget_ = nullptr;
    if (focus_ == sc) focus_ = nullptr;
    graveyard_.push_back(std::move(it->second));
    clips_.erase(it);
    // A clip that has loaded runs its unload handlers once it is gone; its object stays its own until
    // then.
    // (A leaving clip's unload is queued already, or was.)
    bool unloads = obj.kind == DisplayObject::Kind::Sprite && sc->loadQueued && !sc->unloaded && !sc->leaving &&
                   !destroying_;
    if (!unloads || !queue(Job{sc, {}, avm1::EventUnload, "onUnload", false, false, true})) machine_.forgetClip(sc);
}

bool ScriptRunner::keepsForUnload(DisplayObject& obj) {
    if (destroying_ || obj.kind != DisplayObject::Kind::Sprite || !obj.clip || !obj.parent) return false;
    auto it = clips_.find(obj.clip.get());
    if (it == clips_.end()) return false;
    ScriptClip* sc = it->second.get();
    if (!sc->loadQueued || sc->leaving || sc->unloaded || !hasHandler(*sc, avm1::EventUnload, "onUnload")) return false;
    sc->leaving = true;
    leaving_.push_back({sc, obj.parent, obj.depth, false});
    return true;
}

void ScriptRunner::takeLeaving(swf::Clip* parent, int depth, std::vector<Job>& out) {
    for (Leaving& l : leaving_) {
        if (l.queued || l.parent != parent || (depth >= 0 && l.depth != depth)) continue;
        l.queued = true;
        out.push_back(Job{l.clip, {}, avm1::EventUnload, "onUnload", false, false, true});
    }
}

void ScriptRunner::runUnloadHandlers(ScriptClip& sc, int nesting) {
    swf::Clip* clip = sc.clip();
    if (!clip || sc.unloaded || nesting > kMaxNesting) return;
    sc.unloaded = true;
    std::vector<ScriptClip*> inside;
    for (auto& [depth, child] : clip->children)
        if (child->kind == DisplayObject::Kind::Sprite && child->clip)
            if (auto it = clips_.find(child->clip.get()); it != clips_.end() && it->second->loadQueued)
                inside.push_back(it->second.get());
    for (ScriptClip* child : inside) runUnloadHandlers(*child, nesting + 1);
    readHandlers(sc);
    for (const auto& h : sc.handlers)
        if ((h.events & avm1::EventUnload) && sc.clip()) machine_.runActions(h.code, &sc);
    machine_.callClipMethod(&sc, "onUnload");
}

void ScriptRunner::finishLeaving() {
    if (leaving_.empty()) return;
    std::vector<Leaving> leaving = std::move(leaving_);
    leaving_.clear();
    for (const Leaving& l : leaving) {
        DisplayObject* o = l.clip->object();
        if (!o || !o->parent) continue;
        auto it = o->parent->children.find(o->depth);
        if (it == o->parent->children.end() || it->second.get() != o) continue;
        std::unique_ptr<DisplayObject> gone = std::move(it->second);
        o->parent->children.erase(it);
    }
}

avm1::Clip* ScriptRunner::level(int n) { return n == 0 ? scriptClip(root_) : nullptr; }

void ScriptRunner::trace(const std::string& line) {
    if (trace_) trace_(line);
}

void ScriptRunner::fsCommand(const std::string& command, const std::string& args) {
    if (fsCommand_) fsCommand_(command, args);
}

void ScriptRunner::setStageLayout(const std::string& scaleMode, const std::string& align) {
    stageFollowsWindow_ = scaleMode == "noScale";
    if (stageLayout_) stageLayout_(scaleMode, align);
}

void ScriptRunner::setStageMetrics(const avm1::StageMetrics& metrics) {
    bool resized = metrics.viewWidth != stage_.viewWidth || metrics.viewHeight != stage_.viewHeight;
    stage_ = metrics;
    if (resized && stageFollowsWindow_) machine_.broadcastGlobal("Stage", "onResize");
}

void ScriptRunner::getUrl(const std::string&, const std::string&) {
    // A screen saver opens no browser and loads no other movie.
}

void ScriptRunner::warning(const std::string& message) {
    if (!warnings_.empty() && warnings_.back() == message) return;
    if (warnings_.size() >= kMaxWarnings) {
        warningsCut_ = true;
        return;
    }
    warnings_.push_back(message);
}

void ScriptRunner::setVariable(const std::string& name, const std::string& value) {
    try {
        machine_.setMember(avm1::Value(machine_.clipObject(scriptClip(root_))), name, avm1::Value(value));
    } catch (...) {
        // A setter that throws or runs away leaves the variable as it was.
    }
}

std::string ScriptRunner::getVariable(const std::string& name) {
    try {
        avm1::Value v = machine_.getMember(avm1::Value(machine_.clipObject(scriptClip(root_))), name, false);
        return v.isUndefined() ? std::string() : machine_.toString(v);
    } catch (...) {
        return std::string();  // a getter that throws or runs away: the host sees no value
    }
}

std::vector<std::string> ScriptRunner::takeWarnings() {
    std::vector<std::string> out = std::move(warnings_);
    warnings_.clear();
    if (warningsCut_) out.push_back("more script warnings were left out");
    warningsCut_ = false;
    return out;
}

bool ScriptRunner::queue(Job job, bool init) {
    if (jobsThisFrame_ >= kMaxJobsPerFrame) {
        if (!dropped_)
            warning("scripts queued more than " + std::to_string(kMaxJobsPerFrame) +
                    " actions in one frame (a goto loop?); the rest of the frame's scripts were skipped");
        dropped_ = true;
        return false;
    }
    ++jobsThisFrame_;
    (init ? initQueue_ : queue_).push_back(std::move(job));
    return true;
}

void ScriptRunner::frameBuilt(DisplayObject*, swf::Clip& clip, int frameIndex) {
    ScriptClip* sc = scriptClip(clip);
    bool fresh = !sc->loadQueued;
    sc->loadQueued = true;
    std::vector<Job> block;
    composeFrame(*sc, frameIndex, block);
    if (fresh) {
        // A clip of a registered class is made an object of it before its first frame runs.
        if (clip.owner && linkageOf(clip.owner->characterId))
            block.insert(block.begin(), Job{sc, {}, 0, "", false, true});
        // The placement's handlers are not on the object until it is placed: the job reads them
        // when it runs.
        block.push_back(Job{sc, {}, avm1::EventInitialize | avm1::EventConstruct | avm1::EventLoad, "onLoad", true});
        // A new clip's first frame runs where its parent's frame places it.
        if (clip.owner) {
            pending_.push_back({sc, std::move(block)});
            return;
        }
    }
    for (Job& j : block) queue(std::move(j));
}

// The scripts of a clip's frame in the order of its tags: actions where they stand, and the first
// frames of the clips it places where their PlaceObject stands.
void ScriptRunner::composeFrame(ScriptClip& sc, int frameIndex, std::vector<Job>& out) {
    swf::Clip* clip = sc.clip();
    if (!clip) return;
    // Children a goto placed on its way (in frames before this one) start first, in the order they
    // were made.
    for (size_t i = 0; i < pending_.size();) {
        DisplayObject* o = pending_[i].clip->object();
        if (o && o->parent == clip && o->placeFrame != frameIndex) {
            for (Job& j : pending_[i].jobs) out.push_back(std::move(j));
            pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    if (clip->timeline && frameIndex >= 0 && frameIndex < static_cast<int>(clip->timeline->frames.size())) {
        for (const ControlTag& tag : clip->timeline->frames[frameIndex].tags) {
            if (const auto* a = std::get_if<DoAction>(&tag)) {
                auto& bytes = actionBytes_[a];
                if (!bytes) bytes = std::make_shared<const std::vector<uint8_t>>(a->bytes);
                out.push_back(Job{&sc, avm1::ActionCode{bytes, 0, bytes->size()}, 0, "", false});
            } else if (const auto* init = std::get_if<DoInitAction>(&tag)) {
                if (!initDone_.insert(init->spriteId).second) continue;
                auto& bytes = actionBytes_[init];
                if (!bytes) bytes = std::make_shared<const std::vector<uint8_t>>(init->bytes);
                queue(Job{&sc, avm1::ActionCode{bytes, 0, bytes->size()}, 0, "", false}, true);
            } else if (const auto* p = std::get_if<PlaceObject>(&tag); p && p->characterId) {
                takeLeaving(clip, p->depth, out);  // the clip it replaced
                auto it = clip->children.find(p->depth);
                if (it != clip->children.end()) takeBlockOf(*it->second, out);
            } else if (const auto* r = std::get_if<RemoveObject>(&tag)) {
                takeLeaving(clip, r->depth, out);
            }
        }
    }
    // Clips that left some other way (a frame rebuilt for a goto back) unload before the frame runs.
    std::vector<Job> unloads;
    takeLeaving(clip, -1, unloads);
    if (!unloads.empty()) out.insert(out.begin(), std::make_move_iterator(unloads.begin()), std::make_move_iterator(unloads.end()));
    // Clips placed some other way (a rebuilt frame, a button's state) follow.
    if (pending_.empty()) return;
    for (auto& [depth, child] : clip->children) takeBlockOf(*child, out);
}

void ScriptRunner::takeBlockOf(DisplayObject& obj, std::vector<Job>& out) {
    if (!obj.clip || pending_.empty()) return;
    if (obj.kind == DisplayObject::Kind::Button) {
        for (auto& [depth, part] : obj.clip->children) takeBlockOf(*part, out);
        return;
    }
    auto found = clips_.find(obj.clip.get());
    if (found == clips_.end()) return;
    for (auto it = pending_.begin(); it != pending_.end(); ++it)
        if (it->clip == found->second.get()) {
            for (Job& j : it->jobs) out.push_back(std::move(j));
            pending_.erase(it);
            return;
        }
}

void ScriptRunner::queuePending() {
    for (Leaving& l : leaving_)
        if (!l.queued && queue(Job{l.clip, {}, avm1::EventUnload, "onUnload", false, false, true})) l.queued = true;
    if (pending_.empty()) return;
    std::vector<Pending> pending = std::move(pending_);
    pending_.clear();
    for (Pending& p : pending)
        for (Job& j : p.jobs) queue(std::move(j));
}

const std::string* ScriptRunner::linkageOf(uint16_t characterId) {
    if (linkages_.empty())
        for (const auto& [name, id] : library_.movie().exports) linkages_.emplace(id, name);
    auto it = linkages_.find(characterId);
    return it == linkages_.end() ? nullptr : &it->second;
}

void ScriptRunner::readHandlers(ScriptClip& sc) {
    if (sc.handlersRead) return;
    DisplayObject* o = sc.object();
    if (!o) return;
    sc.handlersRead = true;
    if (o->clipActions) sc.handlers = avm1::readClipActions(o->clipActions, library_.movie().header.version);
}

bool ScriptRunner::hasHandler(ScriptClip& sc, uint32_t events, const char* method) {
    readHandlers(sc);
    for (const auto& h : sc.handlers)
        if (h.events & events) return true;
    if (!method) return false;
    avm1::Value fn = machine_.getMember(avm1::Value(machine_.clipObject(&sc)), method, false);
    return fn.object() && fn.object()->isFunction();
}

void ScriptRunner::runJob(const Job& job) {
    if (job.call) {
        job.call();
        return;
    }
    ScriptClip* sc = job.clip;
    if (job.unload && sc->clip()) {
        runUnloadHandlers(*sc, 0);  // it waits at its leaving depth: it is still on the list
        return;
    }
    if (job.unload) {
        sc->unloading = true;
        for (const auto& h : sc->handlers)
            if (h.events & job.events) machine_.runActions(h.code, sc);
        machine_.callClipMethod(sc, job.method);
        sc->unloading = false;
        machine_.forgetClip(sc);
        return;
    }
    if (!sc || sc->isRemoved()) return;
    if (job.construct) {
        if (DisplayObject* o = sc->object())
            if (const std::string* linkage = linkageOf(o->characterId)) machine_.constructClip(sc, *linkage);
        return;
    }
    if (job.code.bytes) {
        machine_.runActions(job.code, sc);
        return;
    }
    readHandlers(*sc);
    for (const auto& h : sc->handlers) {
        if (!(h.events & job.events)) continue;
        if (sc->isRemoved()) return;
        machine_.runActions(h.code, sc);
    }
    if (!job.method.empty() && !sc->isRemoved()) machine_.callClipMethod(sc, job.method);
}

void ScriptRunner::runQueue() {
    queuePending();
    syncTextFields(root_, 0);
    for (;;) {
        Job job;
        if (!initQueue_.empty()) {
            job = std::move(initQueue_.front());
            initQueue_.pop_front();
        } else if (!queue_.empty()) {
            job = std::move(queue_.front());
            queue_.pop_front();
        } else {
            break;
        }
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - frameStart_).count() > kMaxSecondsPerFrame) {
            if (!dropped_)
                warning("the frame's scripts ran longer than " + std::to_string(int(kMaxSecondsPerFrame)) +
                        " seconds; the rest of them were skipped");
            dropped_ = true;
            initQueue_.clear();
            queue_.clear();
            pending_.clear();
            break;
        }
        runJob(job);
        queuePending();
    }
}

void ScriptRunner::runPending() {
    frameStart_ = std::chrono::steady_clock::now();
    runQueue();
    syncTextFields(root_, 0);
    jobsThisFrame_ = 0;
    dropped_ = false;
}

void ScriptRunner::collectClips(swf::Clip& clip, std::vector<ScriptClip*>& out, int nesting) {
    if (nesting > kMaxNesting) return;
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        DisplayObject& child = *it->second;
        if (child.kind == DisplayObject::Kind::Sprite && child.clip) collectClips(*child.clip, out, nesting + 1);
    }
    out.push_back(scriptClip(clip));
}

void ScriptRunner::frame(bool loopMain) {
    machine_.startFrame();
    jobsThisFrame_ = 0;
    dropped_ = false;
    frameStart_ = std::chrono::steady_clock::now();
    timeMs_ += frameMs_;
    std::vector<ScriptClip*> order;
    collectClips(root_, order, 0);
    // Clips run in the order they were made, the newest first; one made during this pass waits for
    // the next frame (its first frame has just been built).
    std::stable_sort(order.begin(), order.end(), [](ScriptClip* a, ScriptClip* b) {
        return a->clip()->sequence > b->clip()->sequence;
    });
    for (ScriptClip* sc : order) {
        swf::Clip* clip = sc->clip();
        if (!clip || sc->leaving) continue;  // removed by a clip that ran before it
        if (sc->loadQueued && hasHandler(*sc, avm1::EventEnterFrame, "onEnterFrame"))
            queue(Job{sc, {}, avm1::EventEnterFrame, "onEnterFrame", false});
        timeline_.advanceOwn(*clip, clip == &root_ ? loopMain : true, sc->nesting(), clip->owner);
    }
    runQueue();
    endFrame();
}

void ScriptRunner::firstFrame() {
    machine_.startFrame();
    runPending();
    endFrame();
}

// What every frame does after its scripts: the intervals that are due and the work deferred to the
// end of a frame (a failed load reports), finished sounds, then bound text and unreachable objects.
void ScriptRunner::endFrame() {
    machine_.runIntervals();
    if (sound_) avm1::soundsCompleted(machine_, sound_->takeCompletedVoices());
    runQueue();
    if (!leaving_.empty()) {
        finishLeaving();
        runQueue();
    }
    syncTextFields(root_, 0);
    sweep();
}

bool ScriptRunner::splitVariable(ScriptClip& field, const std::string& path, avm1::Object*& owner, std::string& name) {
    DisplayObject* o = field.object();
    if (!o || !o->parent || path.empty()) return false;
    ScriptClip* base = scriptClip(*o->parent);
    if (!base) return false;
    size_t cut = path.find_last_of(":.");
    if (cut == std::string::npos) {
        name = path;
        owner = base ? machine_.clipObject(base) : nullptr;
        return owner && !name.empty();
    }
    name = path.substr(cut + 1);
    std::string prefix = path.substr(0, cut);
    if (avm1::Clip* target = machine_.resolveTarget(prefix, base)) {
        owner = machine_.clipObject(target);
    } else {
        // A path through objects ("obj.value"): each part a member of the one before, from the
        // field's timeline.
        avm1::Value at(machine_.clipObject(base));
        try {
            for (size_t p = 0; p <= prefix.size() && at.object();) {
                size_t dot = prefix.find('.', p);
                if (dot == std::string::npos) dot = prefix.size();
                at = machine_.getMember(at, prefix.substr(p, dot - p), false);
                p = dot + 1;
            }
        } catch (...) {
            return false;  // a getter on the way that throws: no variable
        }
        owner = at.object();
    }
    return owner && !name.empty();
}

void ScriptRunner::setBoundVariable(ScriptClip& field, const std::string& path, const std::string& text) {
    avm1::Object* owner;
    std::string name;
    if (!splitVariable(field, path, owner, name)) return;
    try {
        machine_.setMember(avm1::Value(owner), name, avm1::Value(text));
    } catch (...) {
        // A setter that throws leaves the variable as it was; the field keeps its text.
    }
}

bool ScriptRunner::boundVariable(ScriptClip& field, const std::string& path, std::string& text, bool clipMembersOnly) {
    avm1::Object* owner;
    std::string name;
    if (!splitVariable(field, path, owner, name)) return false;
    if (clipMembersOnly && !owner->clip) return false;
    avm1::Value v = machine_.getMember(avm1::Value(owner), name, false);
    if (v.isUndefined()) return false;
    text = machine_.toString(v);
    return true;
}

avm1::TextExtentValues ScriptRunner::measureText(const TextFormat& format, const std::string& text, double wrapWidth) {
    TextExtent e = swf::measureText(text, format, wrapWidth * kTwipsPerPixel, library_.movie(), &library_.deviceFonts());
    return {e.width / kTwipsPerPixel, e.height / kTwipsPerPixel, e.ascent / kTwipsPerPixel, e.descent / kTwipsPerPixel};
}

std::vector<std::string> ScriptRunner::fontFamilies() { return library_.deviceFonts().families(); }

void ScriptRunner::syncTextFields(swf::Clip& clip, int nesting) {
    if (nesting > kMaxNesting || timeline_.liveEditTexts() == 0) return;
    for (auto& [depth, child] : clip.children) {
        if (child->kind == DisplayObject::Kind::Sprite && child->clip) {
            syncTextFields(*child->clip, nesting + 1);
            continue;
        }
        if (child->kind != DisplayObject::Kind::EditText || !child->clip) continue;
        ScriptClip* sc = scriptClip(*child->clip);
        std::string path = sc->fieldVariable();
        avm1::Object* owner;
        std::string name;
        if (path.empty() || !splitVariable(*sc, path, owner, name)) continue;
        bool first = !child->variableMet;
        child->variableMet = true;
        try {
            avm1::Value v = machine_.getMember(avm1::Value(owner), name, false);
            if (v.isUndefined()) {
                // A field's own text seeds its variable when the field first meets it, if there
                // is any text; a variable unset later leaves the field showing what it had.
                if (first) {
                    std::string text = sc->fieldText();
                    if (!text.empty()) machine_.setMember(avm1::Value(owner), name, avm1::Value(text));
                }
                continue;
            }
            std::string shown = machine_.toString(v);
            if (TextFieldState* field = fieldStateOf(*child, library_.movie())) {
                if (field->html) {
                    if (field->htmlText() != shown) field->setHtmlText(shown);
                } else if (field->text() != shown) {
                    field->setText(shown);
                }
            }
        } catch (...) {
            // A getter that throws: the field keeps what it shows.
        }
    }
}

void ScriptRunner::sweep() {
    if (++framesSinceCollect_ < 30 && machine_.heap().size() < heapAfterCollect_ * 2 + 4096) return;
    framesSinceCollect_ = 0;
    machine_.collectGarbage();
    heapAfterCollect_ = machine_.heap().size();
    if (graveyard_.empty()) return;
    auto referenced = machine_.referencedClips();
    std::erase_if(graveyard_, [&](const std::unique_ptr<ScriptClip>& sc) {
        return !referenced.count(sc.get()) && sc.get() != pointerTarget_;
    });
}

bool ScriptRunner::broadcast(uint32_t events, const char* method) {
    std::vector<ScriptClip*> order;
    collectClips(root_, order, 0);
    bool any = false;
    for (ScriptClip* sc : order)
        if (sc->loadQueued && hasHandler(*sc, events, method)) {
            queue(Job{sc, {}, events, method ? method : "", false});
            any = true;
        }
    return any;
}

ScriptClip* ScriptRunner::interactiveAt(swf::Clip& clip, Point local, int nesting) {
    if (nesting > kMaxNesting) return nullptr;
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        DisplayObject& child = *it->second;
        if (!child.visible || child.clipDepth > 0 || child.masking || !child.clip) continue;
        if (!child.matrix.invertible()) continue;
        Point p = child.matrix.inverted().apply(local);
        if (child.kind == DisplayObject::Kind::Button) {
            const Button* b = library_.movie().findAs<Button>(child.characterId);
            if (!b) continue;
            // A button shown inside the button's state takes the pointer before it.
            ScriptClip* inner = interactiveAt(*child.clip, p, nesting + 1);
            if (inner && inner->object() && inner->object()->kind == DisplayObject::Kind::Button) return inner;
            for (const ButtonRecord& r : b->records) {
                if (!r.hitTest || !r.matrix.invertible()) continue;
                if (hitsCharacter(library_, r.characterId, r.matrix.inverted().apply(p))) return scriptClip(child);
            }
            continue;
        }
        if (child.kind != DisplayObject::Kind::Sprite) continue;
        ScriptClip* sc = scriptClip(child);
        bool handles = sc->loadQueued && hasHandler(*sc, kButtonEvents, nullptr);
        if (!handles && sc->loadQueued) {
            for (const char* m : kButtonMethods)
                if (hasHandler(*sc, 0, m)) {
                    handles = true;
                    break;
                }
        }
        if (handles) {
            if (hitsContent(child, p, library_)) return sc;
            continue;
        }
        if (ScriptClip* inner = interactiveAt(*child.clip, p, nesting + 1)) return inner;
    }
    return nullptr;
}

const std::vector<std::shared_ptr<const std::vector<uint8_t>>>& ScriptRunner::buttonActions(uint16_t id) {
    auto it = buttonActions_.find(id);
    if (it != buttonActions_.end()) return it->second;
    std::vector<std::shared_ptr<const std::vector<uint8_t>>> list;
    if (const Button* b = library_.movie().findAs<Button>(id))
        for (const ButtonAction& a : b->actions) list.push_back(std::make_shared<const std::vector<uint8_t>>(a.bytes));
    return buttonActions_.emplace(id, std::move(list)).first->second;
}

bool ScriptRunner::buttonTransition(ScriptClip& sc, avm1::ButtonCondition c) {
    DisplayObject* o = sc.object();
    if (!o) return false;
    bool changed = false;
    if (o->kind == DisplayObject::Kind::Button) {
        int state = 0;
        switch (sc.tracker.visual()) {
        case avm1::ButtonVisual::Up: state = 0; break;
        case avm1::ButtonVisual::Over: state = 1; break;
        case avm1::ButtonVisual::Down: state = 2; break;
        }
        if (o->buttonState != state) {
            timeline_.showButtonState(*o, state, sc.nesting());
            changed = true;
        }
        const Button* b = library_.movie().findAs<Button>(o->characterId);
        ScriptClip* home = o->parent ? scriptClip(*o->parent) : nullptr;
        if (b && home) {
            const auto& code = buttonActions(o->characterId);
            for (size_t i = 0; i < b->actions.size() && i < code.size(); ++i)
                if (b->actions[i].conditions & c) {
                    queue(Job{home, avm1::ActionCode{code[i], 0, code[i]->size()}, 0, "", false});
                    changed = true;
                }
        }
        if (hasHandler(sc, 0, avm1::ButtonTracker::handlerName(c))) {
            queue(Job{&sc, {}, 0, avm1::ButtonTracker::handlerName(c), false});
            changed = true;
        }
        return changed;
    }
    uint32_t event = clipEventFor(c);
    if (hasHandler(sc, event, avm1::ButtonTracker::handlerName(c))) {
        queue(Job{&sc, {}, event, avm1::ButtonTracker::handlerName(c), false});
        changed = true;
    }
    return changed;
}

bool ScriptRunner::updatePointer() {
    bool changed = false;
    ScriptClip* hit = interactiveAt(root_, mouse_, 0);
    ScriptClip* cur = pointerTarget_;
    if (cur && cur->isRemoved()) cur = pointerTarget_ = nullptr;
    if (cur && cur->tracker.pressed()) {
        bool inside = hit == cur;
        for (avm1::ButtonCondition c : cur->tracker.update(inside, mouseIsDown_)) changed |= buttonTransition(*cur, c);
        if (cur->tracker.pressed()) return changed;  // it keeps the pointer until the release
        pointerTarget_ = cur = inside ? cur : nullptr;
        if (inside) return changed;
    }
    if (cur && cur != hit) {
        for (avm1::ButtonCondition c : cur->tracker.update(false, mouseIsDown_)) changed |= buttonTransition(*cur, c);
        pointerTarget_ = nullptr;
    }
    if (hit) {
        pointerTarget_ = hit;
        for (avm1::ButtonCondition c : hit->tracker.update(true, mouseIsDown_)) changed |= buttonTransition(*hit, c);
    }
    return changed;
}

}  // namespace swf
