#include "engine/core/as3_display.h"

#include <algorithm>
#include <cmath>

namespace swf {

using namespace avm2;

namespace {

using Args = std::span<const Value>;

class EventObject : public Object {
public:
    EventObject() : Object(ObjectType::Event) {}
    void trace(std::vector<Object*>& out) override {
        Object::trace(out);
        if (Object* o = target.object()) out.push_back(o);
        if (Object* o = currentTarget.object()) out.push_back(o);
    }
    String type;
    bool bubbles = false, cancelable = false, defaultPrevented = false;
    bool stopped = false, stoppedNow = false;
    int phase = 2;
    Value target = Value::null(), currentTarget = Value::null();
};

EventObject* asEvent(Machine& m, const Value& v) {
    Object* o = v.object();
    if (!o || o->type != ObjectType::Event) m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.events.Event.");
    return static_cast<EventObject*>(o);
}

As3DisplayObject* asDisplay(Machine& m, const Value& v) {
    Object* o = v.object();
    if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
    if (o->type != ObjectType::Display) m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.display.DisplayObject.");
    return static_cast<As3DisplayObject*>(o);
}

bool isBroadcastEvent(const String& type) {
    return type == u"enterFrame" || type == u"exitFrame" || type == u"frameConstructed" || type == u"render" ||
           type == u"activate" || type == u"deactivate";
}

}  // namespace

void As3DisplayObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    for (auto& [type, list] : listeners)
        for (auto& l : list)
            if (Object* o = l.fn.object()) out.push_back(o);
    for (auto& [f, v] : frameScripts)
        if (Object* o = v.object()) out.push_back(o);
    for (As3DisplayObject* c : children) out.push_back(c);
    if (parent) out.push_back(parent);
}

As3Display::As3Display(Machine& m, Clip& root, int totalFrames, double frameRate, double stageWidth, double stageHeight)
    : m_(m), rootClip_(root), totalFrames_(totalFrames), frameRate_(frameRate), stageWidth_(stageWidth), stageHeight_(stageHeight) {
    install();
}

std::vector<Object*> As3Display::roots() const {
    std::vector<Object*> r;
    if (root_) r.push_back(root_);
    if (stage_) r.push_back(stage_);
    for (As3DisplayObject* o : broadcastListeners_) r.push_back(o);
    for (auto& [o, f] : queued_) r.push_back(o);
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
        m.call(l.fn, Value::null(), a);
        if (e->stoppedNow) break;
    }
}

static bool dispatchEvent(Machine& m, As3DisplayObject* target, EventObject* e) {
    e->target = Value(target);
    std::vector<As3DisplayObject*> chain;
    for (As3DisplayObject* p = target->parent; p; p = p->parent) chain.push_back(p);
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
    auto alloc = [](Machine& m, ClassObject*) -> Object* { return m.make<As3DisplayObject>(); };
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
            broadcastListeners_.push_back(o);
        return Value();
    });
    m.defineMethod(dispatcherClass, u"removeEventListener", 3, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        auto it = o->listeners.find(m.toString(arg(a, 0)));
        if (it == o->listeners.end()) return Value();
        bool capture = m.toBoolean(arg(a, 2));
        auto& list = it->second;
        list.erase(std::remove_if(list.begin(), list.end(), [&](const As3DisplayObject::Listener& l) {
                       return m.strictEquals(l.fn, arg(a, 1)) && l.capture == capture;
                   }),
                   list.end());
        return Value();
    });
    m.defineMethod(dispatcherClass, u"hasEventListener", 1, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        auto it = o->listeners.find(m.toString(arg(a, 0)));
        return Value(it != o->listeners.end() && !it->second.empty());
    });
    m.defineMethod(dispatcherClass, u"willTrigger", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String type = m.toString(arg(a, 0));
        for (As3DisplayObject* o = asDisplay(m, self); o; o = o->parent) {
            auto it = o->listeners.find(type);
            if (it != o->listeners.end() && !it->second.empty()) return Value(true);
        }
        return Value(false);
    });
    m.defineMethod(dispatcherClass, u"dispatchEvent", 1, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        EventObject* e = asEvent(m, arg(a, 0));
        if (!e->target.isNull()) {
            // An event already sent goes again as a clone.
            e = asEvent(m, m.callProperty(Value(e), Name{u"clone", m.publicSet}, {}));
        }
        return Value(dispatchEvent(m, o, e));
    });

    // flash.display
    displayObjectClass = m.defineClass(u"flash.display", u"DisplayObject", dispatcherClass, [](Machine&, const Value&, Args) { return Value(); });
    interactiveClass = m.defineClass(u"flash.display", u"InteractiveObject", displayObjectClass, [](Machine&, const Value&, Args) { return Value(); });
    containerClass = m.defineClass(u"flash.display", u"DisplayObjectContainer", interactiveClass, [](Machine&, const Value&, Args) { return Value(); });
    spriteClass = m.defineClass(u"flash.display", u"Sprite", containerClass, [](Machine&, const Value&, Args) { return Value(); });
    movieClipClass = m.defineClass(u"flash.display", u"MovieClip", spriteClass, [](Machine&, const Value&, Args) { return Value(); });
    movieClipClass->isSealedInstances = false;
    shapeClass = m.defineClass(u"flash.display", u"Shape", displayObjectClass, [](Machine&, const Value&, Args) { return Value(); });
    stageClass = m.defineClass(u"flash.display", u"Stage", containerClass, nullptr);

    auto number = [&](const char16_t* name, double As3DisplayObject::*field) {
        m.defineGetter(displayObjectClass, name, [field](Machine& m, const Value& self, Args) -> Value {
            return Value(asDisplay(m, self)->*field);
        }, [field](Machine& m, const Value& self, Args a) -> Value {
            double v = m.toNumber(arg(a, 0));
            if (!std::isnan(v)) asDisplay(m, self)->*field = v;
            return Value();
        });
    };
    number(u"x", &As3DisplayObject::x);
    number(u"y", &As3DisplayObject::y);
    number(u"scaleX", &As3DisplayObject::scaleX);
    number(u"scaleY", &As3DisplayObject::scaleY);
    number(u"rotation", &As3DisplayObject::rotation);
    number(u"alpha", &As3DisplayObject::alpha);
    m.defineGetter(displayObjectClass, u"visible", [](Machine& m, const Value& self, Args) -> Value { return Value(asDisplay(m, self)->visible); },
                   [](Machine& m, const Value& self, Args a) -> Value {
                       asDisplay(m, self)->visible = m.toBoolean(arg(a, 0));
                       return Value();
                   });
    m.defineGetter(displayObjectClass, u"name", [](Machine& m, const Value& self, Args) -> Value { return Value(asDisplay(m, self)->name); },
                   [](Machine& m, const Value& self, Args a) -> Value {
                       asDisplay(m, self)->name = m.toString(arg(a, 0));
                       return Value();
                   });
    m.defineGetter(displayObjectClass, u"parent", [](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* p = asDisplay(m, self)->parent;
        return p ? Value(p) : Value::null();
    });
    m.defineGetter(displayObjectClass, u"root", [this](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        while (o->parent && o->parent != stage_) o = o->parent;
        return o == root_ ? Value(root_) : Value::null();
    });
    m.defineGetter(displayObjectClass, u"stage", [this](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        while (o->parent) o = o->parent;
        return o == stage_ ? Value(stage_) : Value::null();
    });
    for (const char16_t* zero : {u"width", u"height", u"mouseX", u"mouseY"})
        m.defineGetter(displayObjectClass, zero, [](Machine&, const Value&, Args) -> Value { return Value(0); },
                       [](Machine&, const Value&, Args) -> Value { return Value(); });

    auto addChildAt = [this](Machine& m, As3DisplayObject* parent, As3DisplayObject* child, size_t index) {
        if (child == parent) m.throwError(u"ArgumentError", 2024, u"An object cannot be added as a child of itself.");
        for (As3DisplayObject* p = parent; p; p = p->parent)
            if (p == child) m.throwError(u"ArgumentError", 2150, u"An object cannot be added as a child to one of it's children (or children's children, etc.).");
        if (child->parent) {
            auto& siblings = child->parent->children;
            siblings.erase(std::remove(siblings.begin(), siblings.end(), child), siblings.end());
        }
        index = std::min(index, parent->children.size());
        parent->children.insert(parent->children.begin() + static_cast<long>(index), child);
        child->parent = parent;
        Value a[2] = {Value(u"added"), Value(true)};
        dispatchEvent(m, child, static_cast<EventObject*>(m.construct(Value(eventClass), a).object()));
        (void)this;
    };
    m.defineMethod(containerClass, u"addChild", 1, [addChildAt](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        As3DisplayObject* c = asDisplay(m, arg(a, 0));
        addChildAt(m, p, c, p->children.size() + (c->parent == p ? 0 : 0));
        return arg(a, 0);
    });
    m.defineMethod(containerClass, u"addChildAt", 2, [addChildAt](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        As3DisplayObject* c = asDisplay(m, arg(a, 0));
        int index = m.toInt(arg(a, 1));
        if (index < 0 || static_cast<size_t>(index) > p->children.size())
            m.rangeError(2006, u"The supplied index is out of bounds.");
        addChildAt(m, p, c, static_cast<size_t>(index));
        return arg(a, 0);
    });
    auto removeAt = [](Machine& m, As3DisplayObject* p, size_t index) {
        As3DisplayObject* c = p->children[index];
        Value a[2] = {Value(u"removed"), Value(true)};
        Value e = m.construct(Value(m.builtin(u"flash.events::Event")), a);
        dispatchEvent(m, c, static_cast<EventObject*>(e.object()));
        auto& list = p->children;
        list.erase(std::remove(list.begin(), list.end(), c), list.end());
        c->parent = nullptr;
        return Value(c);
    };
    m.defineMethod(containerClass, u"removeChild", 1, [removeAt](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        As3DisplayObject* c = asDisplay(m, arg(a, 0));
        auto it = std::find(p->children.begin(), p->children.end(), c);
        if (it == p->children.end()) m.throwError(u"ArgumentError", 2025, u"The supplied DisplayObject must be a child of the caller.");
        return removeAt(m, p, static_cast<size_t>(it - p->children.begin()));
    });
    m.defineMethod(containerClass, u"removeChildAt", 1, [removeAt](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        int index = m.toInt(arg(a, 0));
        if (index < 0 || static_cast<size_t>(index) >= p->children.size()) m.rangeError(2006, u"The supplied index is out of bounds.");
        return removeAt(m, p, static_cast<size_t>(index));
    });
    m.defineMethod(containerClass, u"getChildAt", 1, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        int index = m.toInt(arg(a, 0));
        if (index < 0 || static_cast<size_t>(index) >= p->children.size()) m.rangeError(2006, u"The supplied index is out of bounds.");
        return Value(p->children[static_cast<size_t>(index)]);
    });
    m.defineMethod(containerClass, u"getChildIndex", 1, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        As3DisplayObject* c = asDisplay(m, arg(a, 0));
        auto it = std::find(p->children.begin(), p->children.end(), c);
        if (it == p->children.end()) m.throwError(u"ArgumentError", 2025, u"The supplied DisplayObject must be a child of the caller.");
        return Value(static_cast<double>(it - p->children.begin()));
    });
    m.defineMethod(containerClass, u"setChildIndex", 2, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        As3DisplayObject* c = asDisplay(m, arg(a, 0));
        int index = m.toInt(arg(a, 1));
        auto it = std::find(p->children.begin(), p->children.end(), c);
        if (it == p->children.end()) m.throwError(u"ArgumentError", 2025, u"The supplied DisplayObject must be a child of the caller.");
        if (index < 0 || static_cast<size_t>(index) >= p->children.size()) m.rangeError(2006, u"The supplied index is out of bounds.");
        p->children.erase(it);
        p->children.insert(p->children.begin() + index, c);
        return Value();
    });
    m.defineMethod(containerClass, u"getChildByName", 1, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        String name = m.toString(arg(a, 0));
        for (As3DisplayObject* c : p->children)
            if (c->name == name) return Value(c);
        return Value::null();
    });
    m.defineMethod(containerClass, u"contains", 1, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* p = asDisplay(m, self);
        for (As3DisplayObject* c = asDisplay(m, arg(a, 0)); c; c = c->parent)
            if (c == p) return Value(true);
        return Value(false);
    });
    m.defineGetter(containerClass, u"numChildren", [](Machine& m, const Value& self, Args) -> Value {
        return Value(static_cast<double>(asDisplay(m, self)->children.size()));
    });

    // MovieClip: play control over the clip's timeline (the root's for now).
    auto clipOf = [](Machine& m, const Value& self) -> Clip* { return asDisplay(m, self)->clip; };
    m.defineMethod(movieClipClass, u"addFrameScript", 2, [](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplay(m, self);
        for (size_t i = 0; i + 1 < a.size(); i += 2) {
            int frame = m.toInt(a[i]);
            if (frame < 0) continue;
            if (a[i + 1].isNull()) o->frameScripts.erase(frame);
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
    m.defineGetter(movieClipClass, u"currentFrame", [clipOf](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return Value(c ? c->frame + 1 : 1);
    });
    m.defineGetter(movieClipClass, u"totalFrames", [clipOf, this](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        if (c == &rootClip_) return Value(totalFrames_);
        return Value(c && c->timeline ? static_cast<int>(std::max<size_t>(1, c->timeline->frames.size())) : 1);
    });
    m.defineGetter(movieClipClass, u"framesLoaded", [clipOf, this](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        if (c == &rootClip_) return Value(totalFrames_);
        return Value(c && c->timeline ? static_cast<int>(std::max<size_t>(1, c->timeline->frames.size())) : 1);
    });
    m.defineGetter(movieClipClass, u"isPlaying", [clipOf](Machine& m, const Value& self, Args) -> Value {
        Clip* c = clipOf(m, self);
        return Value(c && c->playing);
    });

    // Accessors were added to the base classes after their subclasses were made: hand them down.
    auto inherit = [](ClassObject* child, ClassObject* parent) {
        for (auto& [name, list] : parent->instanceTraits.byName)
            for (auto& [ns, b] : list)
                if (!child->instanceTraits.findQ(ns, name)) child->instanceTraits.set(ns, name, b);
    };
    inherit(interactiveClass, displayObjectClass);
    inherit(shapeClass, displayObjectClass);
    inherit(containerClass, interactiveClass);
    inherit(spriteClass, containerClass);
    inherit(stageClass, containerClass);
    inherit(movieClipClass, spriteClass);
    // The stage: the root's parent.
    stage_ = static_cast<As3DisplayObject*>(m.instantiate(stageClass));
    m.defineGetter(stageClass, u"stageWidth", [this](Machine&, const Value&, Args) -> Value { return Value(stageWidth_); });
    m.defineGetter(stageClass, u"stageHeight", [this](Machine&, const Value&, Args) -> Value { return Value(stageHeight_); });
    m.defineGetter(stageClass, u"frameRate", [this](Machine&, const Value&, Args) -> Value { return Value(frameRate_); },
                   [this](Machine& m, const Value&, Args a) -> Value {
                       double r = m.toNumber(arg(a, 0));
                       if (r > 0) frameRate_ = std::min(1000.0, std::max(0.01, r));
                       return Value();
                   });
}

void As3Display::constructRoot(ClassObject* cls) {
    if (!cls) cls = movieClipClass;
    Object* o = m_.instantiate(cls);
    if (o->type != ObjectType::Display) {
        m_.typeError(1034, u"Type Coercion failed: cannot convert " + cls->qualifiedName() + u"@00000000 to flash.display.MovieClip.");
    }
    root_ = static_cast<As3DisplayObject*>(o);
    root_->clip = &rootClip_;
    root_->name = u"root1";
    root_->parent = stage_;
    stage_->children.push_back(root_);
    if (cls->constructor) {
        if (cls->constructor->native) cls->constructor->native(m_, Value(root_), {});
        else m_.execute(cls->constructor, Value(root_), {});
    }
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
    if (&clip == &rootClip_ && root_) queued_.emplace_back(root_, frameIndex);
}

void As3Display::runQueuedScripts() {
    // Scripts may queue more (a goto); a bound keeps a goto loop from running forever.
    for (size_t round = 0; round < 64 && !queued_.empty(); ++round) {
        auto queue = std::move(queued_);
        queued_.clear();
        for (auto& [target, frame] : queue) {
            auto it = target->frameScripts.find(frame);
            if (it == target->frameScripts.end()) continue;
            Value fn = it->second;
            auto* self = target;  // a plain copy: clang 14 cannot capture a structured binding
            m_.guarded([&] { m_.call(fn, Value(self), {}); });
        }
    }
}

}  // namespace swf
