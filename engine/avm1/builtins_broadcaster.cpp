// AsBroadcaster and the objects that broadcast input: Key and Mouse send onKeyDown, onMouseMove
// and the like to the listeners scripts add.
#include <algorithm>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

bool looseEquals(Machine& m, const Value& a, const Value& b);

namespace {

constexpr size_t kMaxListeners = 65536;  // addListener past this is refused, not allocated

// The listener list; a list a script replaced with something that is no array starts again empty.
Object* listenersOf(Machine& m, Object* self, bool make) {
    if (!self) return nullptr;
    Object* list = m.getMember(Value(self), "_listeners", false).object();
    if (list && list->isArray) return list;
    if (!make) return nullptr;
    list = m.newArray();
    m.setMember(Value(self), "_listeners", Value(list));
    return list;
}

// Listeners are matched with ==: undefined and null are the same listener.
size_t findListener(Machine& m, Object* list, const Value& listener) {
    for (size_t i = 0; i < list->elements.size(); ++i) {
        Value element = list->elements[i];  // a valueOf called by == may change the list
        if (looseEquals(m, element, listener)) return i;
    }
    return size_t(-1);
}

// Adding a listener that is already there moves it to the end.
Value addListener(Machine& m, Object* self, std::vector<Value>& a) {
    Object* list = listenersOf(m, self, true);
    if (!list) return Value(false);
    Value listener = arg(a, 0);
    if (size_t i = findListener(m, list, listener); i < list->elements.size()) list->elements.erase(list->elements.begin() + long(i));
    if (list->elements.size() >= kMaxListeners) return Value(false);
    list->elements.push_back(listener);
    return Value(true);
}

Value removeListener(Machine& m, Object* self, std::vector<Value>& a) {
    Object* list = listenersOf(m, self, false);
    if (!list) return Value(false);
    size_t i = findListener(m, list, arg(a, 0));
    if (i >= list->elements.size()) return Value(false);
    list->elements.erase(list->elements.begin() + long(i));
    return Value(true);
}

Value broadcastMessage(Machine& m, Object* self, std::vector<Value>& a) {
    if (a.empty()) return Value();
    std::string message = m.toString(a[0]);
    std::vector<Value> args(a.begin() + 1, a.end());
    return Value(m.broadcast(self, message, args));
}

Value initialize(Machine& m, Object*, std::vector<Value>& a) {
    if (Object* o = arg(a, 0).object()) makeBroadcaster(m, o);
    return Value();
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }

}  // namespace

bool Machine::broadcast(Object* source, const std::string& message, const std::vector<Value>& args) {
    Object* list = source ? getMember(Value(source), "_listeners", false).object() : nullptr;
    if (!list || !list->isArray) return false;
    std::vector<Value> listeners = list->elements;  // listeners may add or remove listeners
    bool any = false;
    for (const Value& l : listeners) {
        // An empty message calls each listener itself, as a method call with no name does.
        bool itself = message.empty();
        Value fn = itself ? l : getMember(l, message);
        if (!fn.object() || !fn.object()->isFunction()) continue;
        call(fn, itself ? nullptr : toObject(l), args);
        any = true;
    }
    return any;
}

void makeBroadcaster(Machine& m, Object* o) {
    o->put(m.key("_listeners"), "_listeners", Value(m.newArray()), DontEnum);
    Object* broadcaster = m.global()->find(m.key("AsBroadcaster")) ? m.global()->find(m.key("AsBroadcaster"))->value.object()
                                                                   : nullptr;
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        Value fn = broadcaster ? m.getMember(Value(broadcaster), name, false) : Value();
        if (fn.object()) o->put(m.key(name), name, fn, DontEnum);
    }
}

void installBroadcasters(Machine& m) {
    // A function, as in the reference player: `new AsBroadcaster()` makes a plain object.
    Object* broadcaster = m.newFunction(noOp);
    m.global()->put(m.key("AsBroadcaster"), "AsBroadcaster", Value(broadcaster), DontEnum);
    m.defineNative(broadcaster, "initialize", initialize);
    m.defineNative(broadcaster, "addListener", addListener);
    m.defineNative(broadcaster, "removeListener", removeListener);
    m.defineNative(broadcaster, "broadcastMessage", broadcastMessage);

    for (const char* name : {"Key", "Selection"})
        if (const Property* p = m.global()->find(m.key(name)); p && p->value.object()) makeBroadcaster(m, p->value.object());
    // Text fields broadcast to their listeners (themselves first).
    if (m.textFieldProto)
        for (const char* name : {"addListener", "removeListener", "broadcastMessage"})
            m.textFieldProto->put(m.key(name), name, m.getMember(Value(broadcaster), name, false), DontEnum);
    Object* mouse = m.newObject();
    m.global()->put(m.key("Mouse"), "Mouse", Value(mouse), DontEnum);
    makeBroadcaster(m, mouse);
    m.defineNative(mouse, "show", noOp);
    m.defineNative(mouse, "hide", noOp);
}

}  // namespace swf::avm1
