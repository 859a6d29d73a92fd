// flash.events.MouseEvent, KeyboardEvent, FocusEvent and TextEvent: the events the pointer and keys
// cause, with the details their listeners read (points in the target's and the stage's space,
// keys, typed text).
#include <cmath>
#include <limits>

#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

String yesNo(bool b) { return b ? u"true" : u"false"; }

// The parts of Event's own text form that every event kind begins with.
String eventHead(const String& kind, EventObject* e) {
    return u"[" + kind + u" type=\"" + e->type + u"\" bubbles=" + yesNo(e->bubbles) + u" cancelable=" + yesNo(e->cancelable) +
           u" eventPhase=" + numberToString(e->phase);
}

String objectText(Machine& m, const Value& v) { return v.isNull() ? String(u"null") : m.toString(v); }

// The event's stage point: kept from the input that made it, or its local point carried through
// its target's place on the stage.
Point stagePoint(As3Display& display, EventObject* e) {
    if (e->hasStagePoint) return Point{e->stageX, e->stageY};
    Object* t = e->target.object();
    if (!t || t->type != ObjectType::Display) return Point{kNaN, kNaN};
    Point p = display.worldMatrixOf(static_cast<As3DisplayObject*>(t)).apply(Point{e->localX * kTwips, e->localY * kTwips});
    return Point{p.x / kTwips, p.y / kTwips};
}

void defineFlag(Machine& m, ClassObject* c, const char16_t* name, bool EventObject::*field) {
    m.defineGetter(c, name, [field](Machine& m, const Value& self, Args) -> Value { return Value(asEvent(m, self)->*field); },
                   [field](Machine& m, const Value& self, Args a) -> Value {
                       asEvent(m, self)->*field = m.toBoolean(arg(a, 0));
                       return Value();
                   });
}

void defineCode(Machine& m, ClassObject* c, const char16_t* name, uint32_t EventObject::*field) {
    m.defineGetter(c, name, [field](Machine& m, const Value& self, Args) -> Value { return Value(static_cast<double>(asEvent(m, self)->*field)); },
                   [field](Machine& m, const Value& self, Args a) -> Value {
                       asEvent(m, self)->*field = m.toUint(arg(a, 0));
                       return Value();
                   });
}

void defineRelated(Machine& m, ClassObject* c) {
    m.defineGetter(c, u"relatedObject", [](Machine& m, const Value& self, Args) -> Value { return asEvent(m, self)->relatedObject; },
                   [](Machine& m, const Value& self, Args a) -> Value {
                       Value v = arg(a, 0);
                       asEvent(m, self)->relatedObject = v.isUndefined() ? Value::null() : v;
                       return Value();
                   });
}

void defineConstants(Machine& m, ClassObject* c, std::initializer_list<std::pair<const char16_t*, const char16_t*>> list) {
    for (auto [name, value] : list) m.defineConstant(c, name, Value(String(value)));
}

// type, bubbles (true unless given), cancelable: the head every input event's constructor reads.
void readHead(Machine& m, EventObject* e, Args a) {
    e->type = m.toString(arg(a, 0));
    e->bubbles = a.size() > 1 ? m.toBoolean(a[1]) : true;
    e->cancelable = m.toBoolean(arg(a, 2));
}

}  // namespace

void As3Display::installInputEvents() {
    Machine& m = m_;
    auto alloc = [](Machine& m, ClassObject*) -> Object* { return m.make<EventObject>(); };

    // MouseEvent(type, bubbles, cancelable, localX, localY, relatedObject, ctrlKey, altKey, shiftKey, buttonDown, delta)
    mouseEventClass = m.defineClass(u"flash.events", u"MouseEvent", eventClass, [](Machine& m, const Value& self, Args a) -> Value {
        EventObject* e = asEvent(m, self);
        readHead(m, e, a);
        e->localX = a.size() > 3 ? m.toNumber(a[3]) : kNaN;
        e->localY = a.size() > 4 ? m.toNumber(a[4]) : kNaN;
        e->relatedObject = arg(a, 5).isUndefined() ? Value::null() : arg(a, 5);
        e->ctrlKey = m.toBoolean(arg(a, 6));
        e->altKey = m.toBoolean(arg(a, 7));
        e->shiftKey = m.toBoolean(arg(a, 8));
        e->buttonDown = m.toBoolean(arg(a, 9));
        e->delta = m.toInt(arg(a, 10));
        return Value();
    }, alloc);
    defineConstants(m, mouseEventClass, {{u"CLICK", u"click"}, {u"DOUBLE_CLICK", u"doubleClick"}, {u"MOUSE_DOWN", u"mouseDown"},
                                         {u"MOUSE_MOVE", u"mouseMove"}, {u"MOUSE_OUT", u"mouseOut"}, {u"MOUSE_OVER", u"mouseOver"},
                                         {u"MOUSE_UP", u"mouseUp"}, {u"MOUSE_WHEEL", u"mouseWheel"}, {u"ROLL_OUT", u"rollOut"},
                                         {u"ROLL_OVER", u"rollOver"}, {u"RELEASE_OUTSIDE", u"releaseOutside"},
                                         {u"RIGHT_CLICK", u"rightClick"}, {u"RIGHT_MOUSE_DOWN", u"rightMouseDown"},
                                         {u"RIGHT_MOUSE_UP", u"rightMouseUp"}, {u"MIDDLE_CLICK", u"middleClick"},
                                         {u"MIDDLE_MOUSE_DOWN", u"middleMouseDown"}, {u"MIDDLE_MOUSE_UP", u"middleMouseUp"},
                                         {u"CONTEXT_MENU", u"contextMenu"}});
    for (bool horizontal : {true, false}) {
        m.defineGetter(mouseEventClass, horizontal ? u"localX" : u"localY", [horizontal](Machine& m, const Value& self, Args) -> Value {
            EventObject* e = asEvent(m, self);
            return Value(horizontal ? e->localX : e->localY);
        }, [horizontal](Machine& m, const Value& self, Args a) -> Value {
            EventObject* e = asEvent(m, self);
            (horizontal ? e->localX : e->localY) = m.toNumber(arg(a, 0));
            e->hasStagePoint = false;  // the stage point follows the new local one
            return Value();
        });
        m.defineGetter(mouseEventClass, horizontal ? u"stageX" : u"stageY", [this, horizontal](Machine& m, const Value& self, Args) -> Value {
            Point p = stagePoint(*this, asEvent(m, self));
            return Value(horizontal ? p.x : p.y);
        });
    }
    defineRelated(m, mouseEventClass);
    defineFlag(m, mouseEventClass, u"ctrlKey", &EventObject::ctrlKey);
    defineFlag(m, mouseEventClass, u"altKey", &EventObject::altKey);
    defineFlag(m, mouseEventClass, u"shiftKey", &EventObject::shiftKey);
    defineFlag(m, mouseEventClass, u"buttonDown", &EventObject::buttonDown);
    m.defineGetter(mouseEventClass, u"delta", [](Machine& m, const Value& self, Args) -> Value { return Value(asEvent(m, self)->delta); },
                   [](Machine& m, const Value& self, Args a) -> Value {
                       asEvent(m, self)->delta = m.toInt(arg(a, 0));
                       return Value();
                   });
    m.defineMethod(mouseEventClass, u"updateAfterEvent", 0, [](Machine&, const Value&, Args) -> Value { return Value(); });
    m.defineMethod(mouseEventClass, u"toString", 0, [this](Machine& m, const Value& self, Args) -> Value {
        EventObject* e = asEvent(m, self);
        Point p = stagePoint(*this, e);
        return Value(eventHead(u"MouseEvent", e) + u" localX=" + numberToString(e->localX) + u" localY=" + numberToString(e->localY) +
                     u" stageX=" + numberToString(p.x) + u" stageY=" + numberToString(p.y) + u" relatedObject=" +
                     objectText(m, e->relatedObject) + u" ctrlKey=" + yesNo(e->ctrlKey) + u" altKey=" + yesNo(e->altKey) +
                     u" shiftKey=" + yesNo(e->shiftKey) + u" buttonDown=" + yesNo(e->buttonDown) + u" delta=" +
                     numberToString(e->delta) + u"]");
    });

    // KeyboardEvent(type, bubbles, cancelable, charCode, keyCode, keyLocation, ctrlKey, altKey, shiftKey)
    keyboardEventClass = m.defineClass(u"flash.events", u"KeyboardEvent", eventClass, [](Machine& m, const Value& self, Args a) -> Value {
        EventObject* e = asEvent(m, self);
        readHead(m, e, a);
        e->charCode = m.toUint(arg(a, 3));
        e->keyCode = m.toUint(arg(a, 4));
        e->keyLocation = m.toUint(arg(a, 5));
        e->ctrlKey = m.toBoolean(arg(a, 6));
        e->altKey = m.toBoolean(arg(a, 7));
        e->shiftKey = m.toBoolean(arg(a, 8));
        return Value();
    }, alloc);
    defineConstants(m, keyboardEventClass, {{u"KEY_DOWN", u"keyDown"}, {u"KEY_UP", u"keyUp"}});
    defineCode(m, keyboardEventClass, u"charCode", &EventObject::charCode);
    defineCode(m, keyboardEventClass, u"keyCode", &EventObject::keyCode);
    defineCode(m, keyboardEventClass, u"keyLocation", &EventObject::keyLocation);
    defineFlag(m, keyboardEventClass, u"ctrlKey", &EventObject::ctrlKey);
    defineFlag(m, keyboardEventClass, u"altKey", &EventObject::altKey);
    defineFlag(m, keyboardEventClass, u"shiftKey", &EventObject::shiftKey);
    m.defineMethod(keyboardEventClass, u"updateAfterEvent", 0, [](Machine&, const Value&, Args) -> Value { return Value(); });
    m.defineMethod(keyboardEventClass, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        EventObject* e = asEvent(m, self);
        return Value(eventHead(u"KeyboardEvent", e) + u" charCode=" + numberToString(e->charCode) + u" keyCode=" +
                     numberToString(e->keyCode) + u" keyLocation=" + numberToString(e->keyLocation) + u" ctrlKey=" +
                     yesNo(e->ctrlKey) + u" altKey=" + yesNo(e->altKey) + u" shiftKey=" + yesNo(e->shiftKey) + u"]");
    });

    // FocusEvent(type, bubbles, cancelable, relatedObject, shiftKey, keyCode)
    focusEventClass = m.defineClass(u"flash.events", u"FocusEvent", eventClass, [](Machine& m, const Value& self, Args a) -> Value {
        EventObject* e = asEvent(m, self);
        readHead(m, e, a);
        e->relatedObject = arg(a, 3).isUndefined() ? Value::null() : arg(a, 3);
        e->shiftKey = m.toBoolean(arg(a, 4));
        e->keyCode = m.toUint(arg(a, 5));
        return Value();
    }, alloc);
    defineConstants(m, focusEventClass, {{u"FOCUS_IN", u"focusIn"}, {u"FOCUS_OUT", u"focusOut"},
                                         {u"KEY_FOCUS_CHANGE", u"keyFocusChange"}, {u"MOUSE_FOCUS_CHANGE", u"mouseFocusChange"}});
    defineRelated(m, focusEventClass);
    defineFlag(m, focusEventClass, u"shiftKey", &EventObject::shiftKey);
    defineCode(m, focusEventClass, u"keyCode", &EventObject::keyCode);
    m.defineMethod(focusEventClass, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        EventObject* e = asEvent(m, self);
        return Value(eventHead(u"FocusEvent", e) + u" relatedObject=" + objectText(m, e->relatedObject) + u" shiftKey=" +
                     yesNo(e->shiftKey) + u" keyCode=" + numberToString(e->keyCode) + u"]");
    });

    // TextEvent(type, bubbles, cancelable, text)
    textEventClass = m.defineClass(u"flash.events", u"TextEvent", eventClass, [](Machine& m, const Value& self, Args a) -> Value {
        EventObject* e = asEvent(m, self);
        readHead(m, e, a);
        e->text = a.size() > 3 ? m.toString(a[3]) : String();
        return Value();
    }, alloc);
    defineConstants(m, textEventClass, {{u"LINK", u"link"}, {u"TEXT_INPUT", u"textInput"}});
    m.defineGetter(textEventClass, u"text", [](Machine& m, const Value& self, Args) -> Value { return Value(asEvent(m, self)->text); },
                   [](Machine& m, const Value& self, Args a) -> Value {
                       asEvent(m, self)->text = m.toString(arg(a, 0));
                       return Value();
                   });
    m.defineMethod(textEventClass, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        EventObject* e = asEvent(m, self);
        return Value(eventHead(u"TextEvent", e) + u" text=\"" + e->text + u"\"]");
    });

    // A clone carries every detail, whichever kind the event is.
    for (ClassObject* c : {mouseEventClass, keyboardEventClass, focusEventClass, textEventClass})
        m.defineMethod(c, u"clone", 0, [](Machine& m, const Value& self, Args) -> Value {
            EventObject* e = asEvent(m, self);
            Value a[3] = {Value(e->type), Value(e->bubbles), Value(e->cancelable)};
            EventObject* copy = asEvent(m, m.construct(Value(e->cls), a));
            copy->localX = e->localX;
            copy->localY = e->localY;
            copy->hasStagePoint = e->hasStagePoint;
            copy->stageX = e->stageX;
            copy->stageY = e->stageY;
            copy->buttonDown = e->buttonDown;
            copy->delta = e->delta;
            copy->relatedObject = e->relatedObject;
            copy->ctrlKey = e->ctrlKey;
            copy->altKey = e->altKey;
            copy->shiftKey = e->shiftKey;
            copy->charCode = e->charCode;
            copy->keyCode = e->keyCode;
            copy->keyLocation = e->keyLocation;
            copy->text = e->text;
            return Value(copy);
        });
}

}  // namespace swf
