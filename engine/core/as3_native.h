// What the native classes of the ActionScript 3 display side share: the argument list of their
// methods, the twip scale of positions, and the event object every flash.events class makes.
#pragma once

#include <span>
#include <vector>

#include "engine/avm2/machine.h"

namespace swf {

using Args = std::span<const avm2::Value>;

constexpr double kTwips = 20.0;  // scripts speak pixels, the display list twips

// An event: the plain Event's parts and those of the mouse, keyboard and focus events (kept in
// one kind, so that any of them travels through the same dispatch).
class EventObject : public avm2::Object {
public:
    EventObject() : avm2::Object(avm2::ObjectType::Event) {}
    void trace(std::vector<avm2::Object*>& out) override {
        avm2::Object::trace(out);
        for (const avm2::Value* v : {&target, &currentTarget, &relatedObject})
            if (avm2::Object* o = v->object()) out.push_back(o);
    }
    avm2::String type;
    bool bubbles = false, cancelable = false, defaultPrevented = false;
    bool stopped = false, stoppedNow = false;
    int phase = 2;
    avm2::Value target = avm2::Value::null(), currentTarget = avm2::Value::null();
    // Mouse: the point in the target's space (pixels), the stage point it came from.
    double localX = 0, localY = 0;
    bool hasStagePoint = false;
    double stageX = 0, stageY = 0;
    bool buttonDown = false;
    int delta = 0;
    avm2::Value relatedObject = avm2::Value::null();
    bool ctrlKey = false, altKey = false, shiftKey = false;
    // Keyboard and focus.
    uint32_t charCode = 0, keyCode = 0, keyLocation = 0;
    // Text events: what was typed, or a link's text after "event:".
    avm2::String text;
};

// `v` as an event, or the player's coercion error.
EventObject* asEvent(avm2::Machine& m, const avm2::Value& v);

// `v` as a native object of kind T: the player's null reference error for null, its coercion error
// naming `className` (qualified, as "flash.display.BitmapData") for anything else.
template <class T>
T* nativeAs(avm2::Machine& m, const avm2::Value& v, const char16_t* className) {
    avm2::Object* o = v.object();
    if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
    auto* t = dynamic_cast<T*>(o);
    if (!t)
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to " + className + u".");
    return t;
}

}  // namespace swf
