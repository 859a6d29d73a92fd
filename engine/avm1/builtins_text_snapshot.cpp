// TextSnapshot: the static text of a clip, as MovieClip.getTextSnapshot hands it out. The engine
// does not yet give scripts the characters of static text, so a snapshot reads as one of a clip
// without any: no characters, nothing found, nothing selected.
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || self == m.global()) return Value();
    self->slotA = arg(a, 0).object();  // the clip
    return Value(self);
}

Value count(Machine&, Object*, std::vector<Value>&) { return Value(0.0); }
Value notFound(Machine&, Object*, std::vector<Value>&) { return Value(-1.0); }
Value noText(Machine&, Object*, std::vector<Value>&) { return Value(""); }
Value no(Machine&, Object*, std::vector<Value>&) { return Value(false); }
Value nothing(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value noRuns(Machine& m, Object*, std::vector<Value>&) { return Value(m.newArray()); }

// new _global.TextSnapshot(this), with whatever class scripts have put there.
Value getTextSnapshot(Machine& m, Object* self, std::vector<Value>&) {
    if (!self || !self->clip) return Value();
    return m.construct(m.getMember(Value(m.global()), "TextSnapshot"), {Value(self)});
}

}  // namespace

void installTextSnapshot(Machine& m) {
    Object* proto = m.newObject();
    defineClass(m, "TextSnapshot", construct, construct, proto);
    // Listed by for..in; movies before SWF 6 see the names without the functions.
    struct { const char* name; NativeFunction f; } methods[] = {
        {"getCount", count}, {"setSelected", nothing}, {"getSelected", no}, {"getText", noText},
        {"getSelectedText", noText}, {"hitTestTextNearPos", notFound}, {"findText", notFound},
        {"setSelectColor", nothing}, {"getTextRunInfo", noRuns}};
    for (auto& fn : methods) {
        Value v = m.swfVersion() >= 6 ? Value(m.newFunction(fn.f)) : Value();
        proto->put(m.key(fn.name), fn.name, v);
    }
    if (m.movieClipProto) m.defineNative(m.movieClipProto, "getTextSnapshot", getTextSnapshot);
}

}  // namespace swf::avm1
