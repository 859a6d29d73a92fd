// Selection: which clip, button or text field has the keyboard focus, and the focused field's
// selected characters. Listeners hear onSetFocus (installBroadcasters makes it a broadcaster).
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Value getFocus(Machine& m, Object*, std::vector<Value>&) {
    Clip* c = m.host().focus();
    if (!c || c->isRemoved()) return Value::null();
    return Value(c->text(ClipProperty::Target));
}

Value setFocus(Machine& m, Object*, std::vector<Value>& a) {
    Value target = arg(a, 0);
    if (target.isNullish()) return Value(m.host().setFocus(nullptr));
    Clip* c = nullptr;
    if (Object* o = target.object()) c = o->clip;
    else if (target.isString()) c = m.resolveTarget(m.toString(target), m.host().level(0));
    if (!c || c->isRemoved()) return Value(false);
    return Value(m.host().setFocus(c));
}

Value getBeginIndex(Machine& m, Object*, std::vector<Value>&) {
    int b, e, caret;
    m.host().selection(b, e, caret);
    return Value(double(b));
}

Value getEndIndex(Machine& m, Object*, std::vector<Value>&) {
    int b, e, caret;
    m.host().selection(b, e, caret);
    return Value(double(e));
}

Value getCaretIndex(Machine& m, Object*, std::vector<Value>&) {
    int b, e, caret;
    m.host().selection(b, e, caret);
    return Value(double(caret));
}

Value setSelection(Machine& m, Object*, std::vector<Value>& a) {
    m.host().setSelection(toInt32(m.toNumber(arg(a, 0))), toInt32(m.toNumber(arg(a, 1))));
    return Value();
}

}  // namespace

void installSelection(Machine& m) {
    Object* selection = m.newObject();
    m.global()->put(m.key("Selection"), "Selection", Value(selection), DontEnum);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"getFocus", getFocus}, {"setFocus", setFocus}, {"getBeginIndex", getBeginIndex},
        {"getEndIndex", getEndIndex}, {"getCaretIndex", getCaretIndex}, {"setSelection", setSelection}};
    for (auto& fn : methods) m.defineNative(selection, fn.name, fn.f);
}

}  // namespace swf::avm1
