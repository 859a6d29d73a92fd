// LocalConnection: a saver talks to no other movie, so connections are never made, but movies
// that test for the class and its methods find them.
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value refuse(Machine&, Object*, std::vector<Value>&) { return Value(false); }
// Called on an object (a subclass's super()), the constructor gives that object back.
Value construct(Machine&, Object* self, std::vector<Value>&) { return self ? Value(self) : Value(); }
Value domain(Machine&, Object*, std::vector<Value>&) { return Value("localhost"); }

}  // namespace

void installLocalConnection(Machine& m) {
    Object* proto = m.newObject();
    defineClass(m, "LocalConnection", construct, nullptr, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"domain", domain}, {"connect", refuse}, {"close", noOp}, {"send", refuse}};
    for (auto& fn : methods) {
        m.defineNative(proto, fn.name, fn.f);
        proto->find(m.key(fn.name))->flags |= DontDelete;
    }
}

}  // namespace swf::avm1
