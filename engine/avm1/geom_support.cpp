#include "engine/avm1/geom_support.h"

#include <cmath>

namespace swf::avm1 {

Object* flashPackage(Machine& m, const std::string& name) {
    Object* g = m.global();
    Property* flash = g->find(m.key("flash"));
    if (!flash || !flash->value.object()) {
        Object* o = m.newObject();
        flash = &g->put(m.key("flash"), "flash", Value(o), DontEnum | FromVersion8);
    }
    Object* root = flash->value.object();
    Property* pkg = root->find(m.key(name));
    if (!pkg || !pkg->value.object()) pkg = &root->put(m.key(name), name, Value(m.newObject()));
    return pkg->value.object();
}

namespace {
Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }
}  // namespace

Object* defineFlashClass(Machine& m, const std::string& package, const std::string& name, NativeFunction construct,
                         Object* prototype) {
    Object* ctor = m.newFunction(noOp, prototype);
    ctor->nativeConstruct = construct;
    prototype->put(m.key("constructor"), "constructor", Value(ctor), DontEnum);
    flashPackage(m, package)->put(m.key(name), name, Value(ctor));
    return ctor;
}

void defineAccessor(Machine& m, Object* o, const std::string& name, NativeFunction getter, NativeFunction setter,
                    uint16_t flags) {
    Property& p = o->put(m.key(name), name, Value(), flags);
    p.getter = m.newFunction(getter);
    p.setter = setter ? m.newFunction(setter) : nullptr;
}

double numberMember(Machine& m, const Value& target, const std::string& name) {
    return m.toNumber(m.getMember(target, name));
}

Value lessThan(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return Value();
    return Value(a < b);
}

Value constructFlashClass(Machine& m, const std::string& package, const std::string& name, std::vector<Value> args) {
    Value ctor = m.getMember(Value(flashPackage(m, package)), name);
    return m.construct(ctor, std::move(args));
}

bool isFlashInstance(Machine& m, const Value& v, const std::string& package, const std::string& name) {
    Object* o = v.object();
    Object* ctor = m.getMember(Value(flashPackage(m, package)), name).object();
    return o && ctor && m.instanceOf(o, ctor);
}

}  // namespace swf::avm1
