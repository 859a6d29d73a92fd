// TextField: the script face of edit texts (their text and variable are members the machine
// handles), made by MovieClip.createTextField.
#include <cmath>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Clip* fieldOf(Object* o) { return o && o->clip && o->clip->isTextField() ? o->clip : nullptr; }

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }

Value removeTextField(Machine&, Object* o, std::vector<Value>&) {
    if (Clip* c = fieldOf(o)) c->remove();
    return Value();
}

Value textFormat(Machine& m, Object*, std::vector<Value>&) { return Value(m.newObject()); }

Value createTextField(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = o ? o->clip : nullptr;
    if (!c || a.size() < 6) return Value();
    double d = m.toNumber(a[1]);
    int depth = std::isfinite(d) ? int(std::max(-2e9, std::min(2e9, d))) : 0;
    Clip* made = c->createTextField(m.toString(a[0]), depth, m.toNumber(a[2]), m.toNumber(a[3]), m.toNumber(a[4]),
                                    m.toNumber(a[5]));
    return made ? Value(m.clipObject(made)) : Value();
}

}  // namespace

void installTextField(Machine& m) {
    m.textFieldProto = m.newObject();
    defineClass(m, "TextField", noOp, nullptr, m.textFieldProto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"removeTextField", removeTextField}, {"getTextFormat", textFormat}, {"getNewTextFormat", textFormat},
        {"setTextFormat", noOp}, {"setNewTextFormat", noOp}, {"replaceSel", noOp}};
    for (auto& fn : methods) m.defineNative(m.textFieldProto, fn.name, fn.f);
    m.defineNative(m.movieClipProto, "createTextField", createTextField);
    m.movieClipProto->find(m.key("createTextField"))->flags |= FromVersion6;
}

}  // namespace swf::avm1
