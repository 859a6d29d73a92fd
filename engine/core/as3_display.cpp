#include "engine/core/as3_display.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/core/as3_timer.h"
#include "engine/core/display_geometry.h"
#include "engine/core/timeline_player.h"

namespace swf {

using namespace avm2;

namespace {

As3DisplayObject* asDisplay(Machine& m, const Value& v) { return asDisplayObject(m, v); }

bool isBroadcastEvent(const String& type) {
    return type == u"enterFrame" || type == u"exitFrame" || type == u"frameConstructed" || type == u"render" ||
           type == u"activate" || type == u"deactivate";
}

}  // namespace

EventObject* asEvent(Machine& m, const Value& v) {
    Object* o = v.object();
    if (!o || o->type != ObjectType::Event) m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.events.Event.");
    return static_cast<EventObject*>(o);
}

As3DisplayObject* asDisplayObject(Machine& m, const Value& v) {
    Object* o = v.object();
    if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
    if (o->type != ObjectType::Display) m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.display.DisplayObject.");
    return static_cast<As3DisplayObject*>(o);
}

As3DisplayObject::~As3DisplayObject() {
    if (detached) detached->onDestroy = nullptr;
    if (display && broadcastListener) display->dropBroadcastListener(this, true);
    if (display && node) display->forget(node, false);
}

void As3DisplayObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    for (auto& [type, list] : listeners)
        for (auto& l : list)
            if (Object* o = l.fn.object()) out.push_back(o);
    for (auto& [f, v] : frameScripts)
        if (Object* o = v.object()) out.push_back(o);
    if (graphics) out.push_back(graphics);
    for (BitmapDataObject* map : filterMaps) out.push_back(map);
    for (auto& [key, v] : stored)
        if (Object* o = v.object()) out.push_back(o);
    if (!display) return;
    // Children live as long as their parent: they are reached through the engine's list.
    if (Clip* c = display->containerClip(this))
        for (auto& [depth, child] : c->children)
            if (As3DisplayObject* w = display->find(child.get())) out.push_back(w);
    if (As3DisplayObject* p = display->parentOf(this)) out.push_back(p);
}

As3Display::As3Display(Machine& m, Clip& root, TimelinePlayer& timeline, CharacterLibrary& library,
                       const std::vector<std::pair<uint16_t, std::string>>& symbolClasses, int totalFrames,
                       double frameRate, double stageWidth, double stageHeight)
    : m_(m), rootClip_(root), timeline_(timeline), library_(library), totalFrames_(totalFrames), frameRate_(frameRate),
      stageWidth_(stageWidth), stageHeight_(stageHeight) {
    for (const auto& [id, name] : symbolClasses)
        if (id != 0) symbolClasses_.emplace(id, name);
    install();
}

As3Display::~As3Display() {
    // The machine's objects outlive this: they must not call back into it.
    for (auto& [node, o] : wrappers_) {
        node->onDestroy = nullptr;
        o->display = nullptr;
        o->node = nullptr;
    }
    wrappers_.clear();
    for (As3DisplayObject* o : broadcastListeners_) o->broadcastListener = false;
    if (root_) root_->display = nullptr;
    if (stage_) stage_->display = nullptr;
}

void As3Display::collectWrappers(Clip& clip, std::vector<Object*>& out, int nesting) const {
    if (nesting > 256) return;
    for (auto& [depth, child] : clip.children) {
        auto it = wrappers_.find(child.get());
        if (it != wrappers_.end()) out.push_back(it->second);
        if (child->clip) collectWrappers(*child->clip, out, nesting + 1);
    }
}

std::vector<Object*> As3Display::roots() const {
    std::vector<Object*> r;
    if (root_) r.push_back(root_);
    if (stage_) r.push_back(stage_);
    // Objects on the broadcast list are not kept for it: one that nothing else reaches (off every
    // display list, dropped by the scripts) goes at a collection and hears no more enterFrames.
    for (auto& [o, f] : queued_) r.push_back(o);
    for (As3DisplayObject* o : toConstruct_) r.push_back(o);
    for (const TimelineRemoval& removal : removedByTimeline_) r.push_back(removal.child), r.push_back(removal.parent);
    for (As3DisplayObject* o : {hovered_, pressed_})
        if (o) r.push_back(o);
    for (const auto& [voice, channel] : playingChannels_) r.push_back(channel);
    for (avm2::Object* o : {movieTransform_, loaderInfo_, loaderParameters_})
        if (o) r.push_back(o);
    // Everything on a display list stays, whether or not a script still refers to it.
    collectWrappers(rootClip_, r, 0);
    collectWrappers(const_cast<Clip&>(stageClip_), r, 0);
    return r;
}

static void dispatchTo(Machine& m, As3DisplayObject* target, EventObject* e, int phase) {
    auto it = target->listeners.find(e->type);
    if (it == target->listeners.end()) return;
    // Listeners added during dispatch wait for the next event: work on a copy.
    std::vector<As3DisplayObject::Listener> list = it->second;
    e->currentTarget = Value(target);
    e->phase = phase;
    for (auto& l : list) {
        if ((phase == 1) != l.capture) continue;
        Value a[1] = {Value(e)};
        // A listener's uncaught error is reported and the event goes on to the next listener.
        try {
            m.call(l.fn, Value::null(), a);
        } catch (const ThrownValue& t) {
            m.reportUncaught(t);
        }
        if (e->stoppedNow) break;
    }
}

// `formerParent`: for an object already gone from its parent, where its events still travel.
bool dispatchEventObject(Machine& m, As3DisplayObject* target, EventObject* e, As3DisplayObject* formerParent) {
    e->target = Value(target);
    std::vector<As3DisplayObject*> chain;
    if (target->display) {
        As3DisplayObject* first = formerParent ? formerParent : target->display->parentOf(target);
        for (As3DisplayObject* p = first; p && chain.size() < 1024; p = target->display->parentOf(p)) chain.push_back(p);
    }
    for (size_t i = chain.size(); i-- > 0 && !e->stopped;) dispatchTo(m, chain[i], e, 1);
    if (!e->stopped) dispatchTo(m, target, e, 2);
    if (e->bubbles)
        for (size_t i = 0; i < chain.size() && !e->stopped; ++i) dispatchTo(m, chain[i], e, 3);
    e->currentTarget = Value::null();
    return !e->defaultPrevented;
}

void As3Display::install() {
    Machine& m = m_;
    // flash.events.Event
    eventClass = m.defineClass(u"flash.events", u"Event", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        auto* e = static_cast<EventObject*>(self.object());
        e->type = m.toString(arg(a, 0));
        e->bubbles = m.toBoolean(arg(a, 1));
        e->cancelable = m.toBoolean(arg(a, 2));
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<EventObject>(); });
    eventClass->isSealedInstances = true;
    struct C { const char16_t* name; const char16_t* value; };
    for (C c : {C{u"ENTER_FRAME", u"enterFrame"}, C{u"EXIT_FRAME", u"exitFrame"}, C{u"FRAME_CONSTRUCTED", u"frameConstructed"},
                C{u"ADDED", u"added"}, C{u"ADDED_TO_STAGE", u"addedToStage"}, C{u"REMOVED", u"removed"},
                C{u"REMOVED_FROM_STAGE", u"removedFromStage"}, C{u"COMPLETE", u"complete"}, C{u"CHANGE", u"change"},
                C{u"INIT", u"init"}, C{u"RENDER", u"render"}, C{u"RESIZE", u"resize"}, C{u"ACTIVATE", u"activate"},
                C{u"DEACTIVATE", u"deactivate"}, C{u"OPEN", u"open"}, C{u"CLOSE", u"close"}, C{u"CANCEL", u"cancel"},
                C{u"SELECT", u"select"}, C{u"SCROLL", u"scroll"}, C{u"UNLOAD", u"unload"}, C{u"SOUND_COMPLETE", u"soundComplete"},
                C{u"TAB_CHILDREN_CHANGE", u"tabChildrenChange"}, C{u"TAB_ENABLED_CHANGE", u"tabEnabledChange"},
                C{u"TAB_INDEX_CHANGE", u"tabIndexChange"}, C{u"MOUSE_LEAVE", u"mouseLeave"}, C{u"FULLSCREEN", u"fullScreen"},
                C{u"CONNECT", u"connect"}, C{u"ID3", u"id3"}})
        m.defineConstant(eventClass, c.name, Value(String(c.value)));
    m.defineGetter(eventClass, u"type", [](Machine& m, const Value& self, Args) -> Value { return Value(asEvent(m, self)->type); });
    m.defineGetter(eventClass, u"bubbles", [](Machine& m, const Value& self, Args) -> Value { return Value(asEvent(m, self)->bubbles); });
    m.defineGetter(eventClass, u"cancelable", [](Machine& m, const Value& self, Args) -> Value { return Value(asEvent(m, self)->cancelable); });
    m.defineGetter(eventClass, u"target", [](Machine& m, const Value& self, Args) -> Value { return asEvent(m, self)->target; });
    m.defineGetter(eventClass, u"currentTarget", [](Machine& m, const Value& self, Args) -> Value { return asEvent(m, self)->currentTarget; });
    m.defineGetter(eventClass, u"eventPhase", [](Machine& m, const Value& self, Args) -> Value { return Value(asEvent(m, self)->phase); });
    m.defineMethod(eventClass, u"stopPropagation", 0, [](Machine& m, const Value& self, Args) -> Value {
        asEvent(m, self)->stopped = true;
        return Value();
    });
    m.defineMethod(eventClass, u"stopImmediatePropagation", 0, [](Machine& m, const Value& self, Args) -> Value {
        asEvent(m, self)->stopped = asEvent(m, self)->stoppedNow = true;
        return Value();
    });
    m.defineMethod(eventClass, u"preventDefault", 0, [](Machine& m, const Value& self, Args) -> Value {
        EventObject* e = asEvent(m, self);
        if (e->cancelable) e->defaultPrevented = true;
        return Value();
    });
    m.defineMethod(eventClass, u"isDefaultPrevented", 0, [](Machine& m, const Value& self, Args) -> Value {
        return Value(asEvent(m, self)->defaultPrevented);
    });
    m.defineMethod(eventClass, u"clone", 0, [](Machine& m, const Value& self, Args) -> Value {
        EventObject* e = asEvent(m, self);
        Value a[3] = {Value(e->type), Value(e->bubbles), Value(e->cancelable)};
        return m.construct(Value(e->cls), a);
    });
    m.defineMethod(eventClass, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        EventObject* e = asEvent(m, self);
        return Value(u"[Event type=\"" + e->type + u"\" bubbles=" + (e->bubbles ? u"true" : u"false") +
                     u" cancelable=" + (e->cancelable ? u"true" : u"false") + u" eventPhase=" + numberToString(e->phase) + u"]");
    });
    m.defineMethod(eventClass, u"formatToString", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String out = u"[" + m.toString(arg(a, 0));
        for (size_t i = 1; i < a.size(); ++i) {
            String key = m.toString(a[i]);
            Value v = m.get(self, key);
            out += u" " + key + u"=" + (v.isString() ? u"\"" + v.string() + u"\"" : m.toString(v));
        }
        return Value(out + u"]");
    });

    // flash.events.EventDispatcher
    auto alloc = [this](Machine& m, ClassObject*) -> Object* {
        auto* o = m.make<As3DisplayObject>();
        o->display = this;
        return o;
    };
    dispatcherClass = m.defineClass(u"flash.events", u"EventDispatcher", m.objectClass, [](Machine&, const Value&, Args) { return Value(); }, alloc);
    dispatcherClass->isSealedInstances = true;
    m.defineMethod(dispatcherClass, u"addEventListener", 5, [this](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        String type = m.toString(arg(a, 0));
        Value fn = arg(a, 1);
        if (!fn.object() || fn.object()->type != ObjectType::Function)
            m.typeError(2007, u"Parameter listener must be non-null.");
        bool capture = m.toBoolean(arg(a, 2));
        int priority = a.size() > 3 ? m.toInt(a[3]) : 0;
        auto& list = o->listeners[type];
        for (auto& l : list)
            if (m.strictEquals(l.fn, fn) && l.capture == capture) return Value();
        auto pos = std::find_if(list.begin(), list.end(), [&](const As3DisplayObject::Listener& l) { return l.priority < priority; });
        list.insert(pos, As3DisplayObject::Listener{fn, capture, priority});
        if (isBroadcastEvent(type) && std::find(broadcastListeners_.begin(), broadcastListeners_.end(), o) == broadcastListeners_.end())
        {
            broadcastListeners_.push_back(o);
            o->broadcastListener = true;
        }
        return Value();
    });
    m.defineMethod(dispatcherClass, u"removeEventListener", 3, [this](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        auto it = o->listeners.find(m.toString(arg(a, 0)));
        if (it == o->listeners.end()) return Value();
        bool capture = m.toBoolean(arg(a, 2));
        auto& list = it->second;
        list.erase(std::remove_if(list.begin(), list.end(), [&](const As3DisplayObject::Listener& l) {
                       return m.strictEquals(l.fn, arg(a, 1)) && l.capture == capture;
                   }),
                   list.end());
        if (o->broadcastListener) dropBroadcastListener(o, false);
        return Value();
    });
    m.defineMethod(dispatcherClass, u"hasEventListener", 1, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        auto it = o->listeners.find(m.toString(arg(a, 0)));
        return Value(it != o->listeners.end() && !it->second.empty());
    });
    m.defineMethod(dispatcherClass, u"willTrigger", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String type = m.toString(arg(a, 0));
        As3DisplayObject* o = asDisplay(m, self);
        for (int n = 0; o && n < 1024; ++n, o = o->display ? o->display->parentOf(o) : nullptr) {
            auto it = o->listeners.find(type);
            if (it != o->listeners.end() && !it->second.empty()) return Value(true);
        }
        return Value(false);
    });
    // The sending itself runs in a helper of the dispatcher's, which stack traces show.
    FunctionObject* send = m.newNative(u"dispatchEventFunction", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return Value(dispatchEventObject(m, asDisplay(m, self), asEvent(m, arg(a, 0))));
    });
    send->traceName = dispatcherClass->qualifiedName() + u"/dispatchEventFunction";
    m.hostRoots.push_back(send);
    m.defineMethod(dispatcherClass, u"dispatchEvent", 1, [send](Machine& m, const Value& self, Args a) -> Value {
        asDisplay(m, self);
        EventObject* e = asEvent(m, arg(a, 0));
        if (!e->target.isNull()) {
            // An event already sent goes again as a clone.
            e = asEvent(m, m.callProperty(Value(e), Name{u"clone", m.publicSet}, {}));
        }
        Value event[1] = {Value(e)};
        return m.callNative(send, self, event);
    });


    installTimerClasses(m, *this, dispatcherClass, eventClass);
    installDisplayObject();
    installContainer();
    installMovieClip();
    installGraphics();
    installGeometry();
    installVector3D();
    installTransform();
    installTextField();
    installTextFieldLines();
    installStyleSheet();
    installFont();
    installVideo();
    installInputEvents();
    installBitmap();
    installBitmapMethods();
    installFilters();
    installSystem();
    installCapabilities();
    installSound();
    installNet();
    installUserInterface();
    inheritAccessors();
    installStageRefusals();
}

void As3Display::inheritAccessors() {
    // Accessors were added to the base classes after their subclasses were made: hand them down,
    // from the top of the tree to its leaves.
    std::vector<ClassObject*> order;
    std::vector<ClassObject*> all{displayObjectClass, interactiveClass, containerClass, spriteClass, movieClipClass,
                                  shapeClass, stageClass, simpleButtonClass, morphShapeClass, staticTextClass, textFieldClass,
                                  bitmapClass, videoClass};
    auto depthOf = [](ClassObject* c) {
        int d = 0;
        for (; c; c = c->super) ++d;
        return d;
    };
    std::stable_sort(all.begin(), all.end(), [&](ClassObject* a, ClassObject* b) { return depthOf(a) < depthOf(b); });
    for (ClassObject* child : all) {
        ClassObject* parent = child ? child->super : nullptr;
        if (!parent) continue;
        for (auto& [name, list] : parent->instanceTraits.byName)
            for (auto& [ns, b] : list)
                if (!child->instanceTraits.findQ(ns, name)) child->instanceTraits.set(ns, name, b);
    }
}

void As3Display::dropBroadcastListener(As3DisplayObject* o, bool going) {
    if (!going)
        for (auto& [type, list] : o->listeners)
            if (!list.empty() && isBroadcastEvent(type)) return;
    broadcastListeners_.erase(std::remove(broadcastListeners_.begin(), broadcastListeners_.end(), o), broadcastListeners_.end());
    o->broadcastListener = false;
}

As3DisplayObject* As3Display::find(DisplayObject* node) const {
    auto it = wrappers_.find(node);
    return it == wrappers_.end() ? nullptr : it->second;
}

void As3Display::forget(DisplayObject* node, bool removedByTimeline) {
    auto it = wrappers_.find(node);
    if (it == wrappers_.end()) return;
    // The timeline took it off its parent (not a parent going with it): its removal events are due.
    if (removedByTimeline && node->parent && it->second->constructed) {
        As3DisplayObject* parent = node->parent == &rootClip_ ? root_ : node->parent->owner ? find(node->parent->owner) : nullptr;
        if (parent) {
            TimelineRemoval removal{it->second, parent, {}};
            for (const Clip* c = node->parent; c && removal.frames.size() < 256; c = c->owner ? c->owner->parent : nullptr)
                removal.frames.emplace_back(c, c->frame);
            removedByTimeline_.push_back(std::move(removal));
        }
    }
    orphans_.erase(std::remove(orphans_.begin(), orphans_.end(), it->second), orphans_.end());
    bitmaps_.erase(std::remove(bitmaps_.begin(), bitmaps_.end(), it->second), bitmaps_.end());
    // A script holding it still reads the name it had.
    it->second->name = utf8ToUtf16(node->name);
    it->second->node = nullptr;
    wrappers_.erase(it);
}

uint16_t As3Display::symbolOf(ClassObject* cls) {
    for (int n = 0; cls && n < 256 && cls != movieClipClass && cls != spriteClass && cls != shapeClass; ++n, cls = cls->super) {
        String qualified = cls->package.empty() ? cls->name : cls->package + u"." + cls->name;
        for (const auto& [id, name] : symbolClasses_)
            if (utf8ToUtf16(name) == qualified) {
                auto [it, fresh] = resolvedClasses_.try_emplace(id, nullptr);
                if (fresh) it->second = findClass(name);
                if (it->second == cls) return id;
            }
    }
    return 0;
}

void As3Display::buildFromSymbol(As3DisplayObject* o, uint16_t id) {
    // Objects waiting for construction elsewhere wait on: only the symbol's children are built here.
    std::vector<As3DisplayObject*> waiting = std::move(toConstruct_);
    toConstruct_.clear();
    building_ = o;
    std::unique_ptr<DisplayObject> node = timeline_.create(id, 0, 0);
    building_ = nullptr;
    bool container = o->cls && o->cls->isSubclassOf(spriteClass);
    bool fits = node && (node->kind == DisplayObject::Kind::Sprite) == container &&
                node->kind != DisplayObject::Kind::Button && node->kind != DisplayObject::Kind::EditText;
    if (fits) {
        node->fromTimeline = false;
        node->scriptTransformed = true;
        if (o->node != node.get()) adopt(o, node.get());
        o->detached = std::move(node);
        if (o->node->clip && o->node->clip->timeline) orphans_.push_back(o);
        constructPlaced();
    } else {
        // Not a symbol this class can stand for: whatever the timeline made for it goes.
        if (node && o->node == node.get()) {
            wrappers_.erase(node.get());
            o->node = nullptr;
        }
        std::erase_if(queued_, [o](const auto& q) { return q.first == o; });
        toConstruct_.clear();
    }
    toConstruct_.insert(toConstruct_.begin(), waiting.begin(), waiting.end());
}

void As3Display::advanceOrphans() {
    std::vector<As3DisplayObject*> list = orphans_;
    for (As3DisplayObject* o : list) {
        if (std::find(orphans_.begin(), orphans_.end(), o) == orphans_.end()) continue;  // gone meanwhile
        if (!o->detached || !o->node || !o->node->clip) continue;  // on a list: it plays with it
        timeline_.advance(*o->node->clip, true, 0, o->node);
    }
}

void As3Display::adopt(As3DisplayObject* o, DisplayObject* node) {
    o->display = this;
    o->node = node;
    wrappers_[node] = o;
    node->onDestroy = [this](DisplayObject& gone) { forget(&gone, !tearingDown_); };
}

std::unique_ptr<DisplayObject> As3Display::newNode(DisplayObject::Kind kind) {
    auto node = std::make_unique<DisplayObject>();
    node->kind = kind;
    node->fromTimeline = false;
    node->scriptTransformed = true;
    if (kind == DisplayObject::Kind::Sprite) {
        node->clip = std::make_unique<Clip>();
        node->clip->owner = node.get();
        node->clip->sequence = timeline_.nextSequence();
    }
    return node;
}

ClassObject* As3Display::findClass(const std::string& name) {
    String qualified = utf8ToUtf16(name);
    String pkg, local = qualified;
    size_t dot = qualified.rfind(u'.');
    size_t colons = qualified.rfind(u"::");
    if (colons != String::npos) {
        pkg = qualified.substr(0, colons);
        local = qualified.substr(colons + 2);
    } else if (dot != String::npos) {
        pkg = qualified.substr(0, dot);
        local = qualified.substr(dot + 1);
    }
    std::vector<Ns> set{Ns{kNsPackage, pkg, 0}};
    Name n{local, set};
    ClassObject* found = nullptr;
    m_.guarded([&] {
        bool ok = false;
        Value holder = m_.findGlobal(n, ok);
        if (!ok) return;
        Value c = m_.getProperty(holder, n);
        if (Object* o = c.object(); o && o->type == ObjectType::Class) found = static_cast<ClassObject*>(o);
    });
    return found;
}

ClassObject* As3Display::classForNode(const DisplayObject& node) {
    auto linked = symbolClasses_.find(node.characterId);
    if (linked != symbolClasses_.end() && node.fromTimeline) {
        auto [it, fresh] = resolvedClasses_.try_emplace(node.characterId, nullptr);
        if (fresh) it->second = findClass(linked->second);
        if (it->second && m_.instantiate(it->second)->type == ObjectType::Display) return it->second;
    }
    switch (node.kind) {
    case DisplayObject::Kind::Sprite: return movieClipClass;
    case DisplayObject::Kind::Button: return simpleButtonClass;
    case DisplayObject::Kind::MorphShape: return morphShapeClass;
    case DisplayObject::Kind::StaticText: return staticTextClass;
    case DisplayObject::Kind::EditText: return textFieldClass ? textFieldClass : interactiveClass;
    case DisplayObject::Kind::Video: return videoClass ? videoClass : displayObjectClass;
    default: return shapeClass;
    }
}

As3DisplayObject* As3Display::wrap(DisplayObject* node) {
    if (!node) return nullptr;
    if (As3DisplayObject* o = find(node)) return o;
    Object* made = m_.instantiate(classForNode(*node));
    if (made->type != ObjectType::Display) made = m_.instantiate(node->kind == DisplayObject::Kind::Sprite ? movieClipClass : shapeClass);
    auto* o = static_cast<As3DisplayObject*>(made);
    adopt(o, node);
    return o;
}

As3DisplayObject* As3Display::wrapperOf(Clip* clip) {
    if (!clip) return nullptr;
    if (clip == &rootClip_) return root_;
    if (clip == &stageClip_) return stage_;
    return clip->owner ? wrap(clip->owner) : nullptr;
}

Clip* As3Display::containerClip(As3DisplayObject* o) {
    if (!o) return nullptr;
    if (o == root_) return &rootClip_;
    if (o == stage_) return &stageClip_;
    return o->node && o->node->kind == DisplayObject::Kind::Sprite ? o->node->clip.get() : nullptr;
}

As3DisplayObject* As3Display::parentOf(As3DisplayObject* o) {
    if (!o || o == stage_) return nullptr;
    if (o == root_) return stage_;
    if (!o->node || !o->node->parent) return nullptr;
    return wrapperOf(o->node->parent);
}

std::vector<As3DisplayObject*> As3Display::childrenOf(As3DisplayObject* o) {
    std::vector<As3DisplayObject*> out;
    if (o == stage_ && root_) out.push_back(root_);
    if (Clip* c = containerClip(o))
        for (auto& [depth, child] : c->children) {
            As3DisplayObject* w = wrap(child.get());
            if (w->constructed || !unbuilt_.count(w)) out.push_back(w);
        }
    return out;
}

void As3Display::finishFrameAfterGoto() {
    if (!betweenFrames_ || finishingFrame_) return;
    finishingFrame_ = true;
    broadcast(u"frameConstructed");
    runQueuedScripts();
    broadcast(u"exitFrame");
    finishingFrame_ = false;
}

void As3Display::broadcastEnterFrame() {
    for (As3DisplayObject* o : toConstruct_)
        if (!o->constructed) unbuilt_.insert(o);
    broadcast(u"enterFrame");
    unbuilt_.clear();
}

bool As3Display::onStage(As3DisplayObject* o) {
    for (int n = 0; o && n < 1024; ++n, o = parentOf(o))
        if (o == stage_) return true;
    return false;
}

Matrix& As3Display::matrixOf(As3DisplayObject* o) {
    static thread_local Matrix scratch;
    if (o == root_) return rootClip_.rootMatrix;
    if (o && o->node) return o->node->matrix;
    scratch = Matrix{};
    return scratch;
}

Matrix As3Display::worldMatrixOf(As3DisplayObject* o) {
    if (o == root_) return rootClip_.rootMatrix;
    if (o && o->node) return worldMatrix(*o->node);
    return Matrix{};
}

Rect As3Display::localBounds(As3DisplayObject* o) {
    if (o == root_) return clipBounds(rootClip_, library_);
    if (o && o->node) return contentBounds(*o->node, library_);
    return Rect{};
}

int As3Display::nestingOf(As3DisplayObject* o) {
    if (o == root_ || !o || !o->node) return 0;
    return nestingOf(o->node->parent) + 1;
}

int As3Display::nestingOf(Clip* clip) {
    int n = 0;
    for (; clip && clip->owner && n < 1024; clip = clip->owner->parent) ++n;
    return n;
}

bool As3Display::dispatch(As3DisplayObject* target, const String& type, bool bubbles, As3DisplayObject* formerParent) {
    bool result = true;
    m_.guarded([&] {
        Value a[2] = {Value(type), Value(bubbles)};
        auto* e = static_cast<EventObject*>(m_.construct(Value(eventClass), a).object());
        result = dispatchEventObject(m_, target, e, formerParent);
    });
    return result;
}

void As3Display::dispatchTimelineRemovals() {
    for (size_t round = 0; round < 16 && !removedByTimeline_.empty(); ++round) {
        auto list = std::move(removedByTimeline_);
        removedByTimeline_.clear();
        for (const TimelineRemoval& removal : list) {
            removalFrames_ = &removal.frames;
            dispatch(removal.child, u"removed", true, removal.parent);
            if (onStage(removal.parent)) dispatch(removal.child, u"removedFromStage", false);
            removalFrames_ = nullptr;
        }
    }
}

int As3Display::frameShown(const Clip& clip) const {
    if (removalFrames_)
        for (const auto& [c, frame] : *removalFrames_)
            if (c == &clip) return frame;
    return clip.frame;
}

void As3Display::dispatchStageEvent(As3DisplayObject* o, const String& type) {
    dispatch(o, type, false);
    for (As3DisplayObject* c : childrenOf(o)) dispatchStageEvent(c, type);
}

void As3Display::detach(As3DisplayObject* child, bool events) {
    if (child == root_ || !child->node || !child->node->parent) return;
    bool wasOnStage = onStage(child);
    if (events) {
        dispatch(child, u"removed", true);
        if (wasOnStage) dispatchStageEvent(child, u"removedFromStage");
    }
    // The listeners may have moved it already.
    DisplayObject* node = child->node;
    if (!node || !node->parent) return;
    Clip* from = node->parent;
    auto it = from->children.find(node->depth);
    if (it == from->children.end() || it->second.get() != node) return;
    child->detached = std::move(it->second);
    from->children.erase(it);
    node->parent = nullptr;
}

void As3Display::insertChild(As3DisplayObject* parent, As3DisplayObject* child, size_t index) {
    Clip* to = containerClip(parent);
    if (!to || !child->node || child == root_ || child == stage_) return;
    if (child->node->parent) detach(child, parentOf(child) != parent);
    if (!child->detached) return;  // a listener of its removal took it
    // Script children sit above the timeline's depths unless put between existing children.
    std::vector<std::unique_ptr<DisplayObject>> order;
    for (auto& [depth, c] : to->children) order.push_back(std::move(c));
    to->children.clear();
    index = std::min(index, order.size());
    order.insert(order.begin() + static_cast<long>(index), std::move(child->detached));
    int previous = std::numeric_limits<int>::min();
    for (size_t i = 0; i < order.size(); ++i) {
        DisplayObject* n = order[i].get();
        if (i == index) {
            int next = i + 1 < order.size() ? order[i + 1]->depth : std::numeric_limits<int>::max();
            if (i + 1 == order.size()) n->depth = std::max(previous == std::numeric_limits<int>::min() ? 0 : previous + 1, kScriptDepthOffset);
            else n->depth = previous == std::numeric_limits<int>::min() ? next - 1 : previous + 1;
        }
        if (previous != std::numeric_limits<int>::min() && n->depth <= previous) n->depth = previous + 1;
        previous = n->depth;
        n->parent = to;
        to->children.emplace(n->depth, std::move(order[i]));
    }
    bool wasStaged = onStage(child);
    dispatch(child, u"added", true);
    if (wasStaged && onStage(child)) dispatchStageEvent(child, u"addedToStage");
}

void As3Display::constructRoot(ClassObject* cls) {
    if (!cls) cls = movieClipClass;
    // The root is a display container: a document class must at least be a Sprite.
    if (spriteClass && !cls->isSubclassOf(spriteClass))
        m_.typeError(2023, u"Class " + cls->qualifiedName() + u"$ must inherit from Sprite to link to the root.");
    Object* o = m_.instantiate(cls);
    if (o->type != ObjectType::Display) {
        m_.typeError(1034, u"Type Coercion failed: cannot convert " + cls->qualifiedName() + u"@00000000 to flash.display.MovieClip.");
    }
    root_ = static_cast<As3DisplayObject*>(o);
    root_->display = this;
    root_->name = u"root1";
    // The objects of the first frame exist, with their names set on the root, before it is built.
    gatherPlaced(rootClip_, 0);
    constructPlaced();
    root_->constructed = true;
    if (cls->constructor) {
        if (cls->constructor->native) cls->constructor->native(m_, Value(root_), {});
        else m_.execute(cls->constructor, Value(root_), {});
    }
    // Its children heard addedToStage as they were built.
    dispatch(root_, u"added", true);
    dispatch(root_, u"addedToStage", false);
}

void As3Display::broadcast(const String& type) {
    std::vector<As3DisplayObject*> targets = broadcastListeners_;
    for (As3DisplayObject* o : targets) {
        auto it = o->listeners.find(type);
        if (it == o->listeners.end() || it->second.empty()) continue;
        m_.guarded([&] {
            Value a[1] = {Value(type)};
            auto* e = static_cast<EventObject*>(m_.construct(Value(eventClass), a).object());
            e->target = Value(o);
            dispatchTo(m_, o, e, 2);
        });
    }
}

void As3Display::frameReached(Clip& clip, int frameIndex) {
    // Objects placed in this frame get their script objects now; their constructors run once the
    // timeline has finished building (constructPlaced).
    for (auto& [depth, child] : clip.children)
        if (!find(child.get())) toConstruct_.push_back(wrap(child.get()));
    if (clip.owner && building_ && !building_->node && !find(clip.owner)) adopt(building_, clip.owner);
    if (clip.owner && !find(clip.owner)) toConstruct_.push_back(wrap(clip.owner));
    As3DisplayObject* owner = &clip == &rootClip_ ? root_ : (clip.owner ? wrap(clip.owner) : nullptr);
    if (owner) queued_.emplace_back(owner, frameIndex);
}

void As3Display::gatherPlaced(Clip& clip, int nesting) {
    if (nesting > 256) return;
    for (auto& [depth, child] : clip.children) {
        if (child->kind == DisplayObject::Kind::Sprite && child->clip) gatherPlaced(*child->clip, nesting + 1);
        if (!find(child.get())) {
            toConstruct_.push_back(wrap(child.get()));
            if (child->kind == DisplayObject::Kind::Sprite && child->clip && child->clip->timeline)
                queued_.emplace_back(toConstruct_.back(), child->clip->frame);
        }
    }
}

void As3Display::constructPlaced() {
    for (size_t round = 0; round < 64 && !toConstruct_.empty(); ++round) {
        auto list = std::move(toConstruct_);
        toConstruct_.clear();
        for (As3DisplayObject* o : list) {
            if (o->constructed) continue;
            o->constructed = true;
            // Its instance name becomes a property of the parent (a declared one or a dynamic one).
            As3DisplayObject* parent = parentOf(o);
            if (parent && o->node && !o->node->name.empty()) {
                String key = utf8ToUtf16(o->node->name);
                Object* p = parent;
                bool settable = !p->sealed;
                if (!settable && p->traits) settable = p->traits->find(Name{key, m_.publicSet}) != nullptr;
                if (settable) m_.guarded([&] { m_.set(Value(parent), key, Value(o)); });
            }
            ClassObject* cls = o->cls;
            if (cls && cls->constructor && !cls->constructor->native)
                m_.guarded([&] { m_.execute(cls->constructor, Value(o), {}); });
            if (o->node && o->node->parent) {
                dispatch(o, u"added", true);
                if (onStage(o)) dispatch(o, u"addedToStage", false);
            }
        }
    }
}

void As3Display::runQueuedScripts() {
    constructPlaced();
    // Scripts may queue more (a goto); a bound keeps a goto loop from running forever.
    for (size_t round = 0; round < 64 && !queued_.empty(); ++round) {
        auto queue = std::move(queued_);
        queued_.clear();
        // A parent's frame script runs before its children's.
        std::stable_sort(queue.begin(), queue.end(), [this](const auto& a, const auto& b) {
            return nestingOf(a.first) < nestingOf(b.first);
        });
        for (auto& [target, frame] : queue) {
            auto it = target->frameScripts.find(frame);
            if (it == target->frameScripts.end()) continue;
            Value fn = it->second;
            auto* self = target;  // a plain copy: clang 14 cannot capture a structured binding
            m_.guarded([&] { m_.call(fn, Value(self), {}); });
            constructPlaced();
        }
    }
}

}  // namespace swf
