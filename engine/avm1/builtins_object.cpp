// Object and Function, and the machine's set-up of every built-in.
#include <cmath>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

void putConstant(Machine& m, Object* o, const std::string& name, Value v) {
    o->put(m.key(name), name, std::move(v), DontEnum | DontDelete | ReadOnly);
}

Object* defineClass(Machine& m, const std::string& name, NativeFunction call, NativeFunction construct,
                    Object* prototype) {
    Object* ctor = m.newFunction(call, prototype);
    ctor->nativeConstruct = construct;
    prototype->put(m.key("constructor"), "constructor", Value(ctor), DontEnum);
    m.global()->put(m.key(name), name, Value(ctor), DontEnum);
    return ctor;
}

void Machine::installBuiltins() {
    objectProto = heap_.make();
    functionProto = heap_.make();
    functionProto->proto = objectProto;
    global_ = heap_.make();  // no prototype: _global has no valueOf or toString of its own
    installObjectAndFunction(*this);
    installGlobalFunctions(*this);
    installArray(*this);
    installString(*this);
    installNumberBooleanMath(*this);
    installDateAndKey(*this);
    installMovieClip(*this);
    installSound(*this);
    installVideo(*this);
    installTextField(*this);
    installBroadcasters(*this);
    installLocalConnection(*this);
    installPoint(*this);
    installRectangle(*this);
    installMatrix(*this);
    installColorTransform(*this);
    installTransform(*this);
    installBitmapData(*this);
    installFilters(*this);
    installClipDrawing(*this);
    installStage(*this);
    installDataClasses(*this);
    installLoadersAndDevices(*this);
    installASnative(*this);
}

namespace {

Value objectCall(Machine& m, Object*, std::vector<Value>& args) {
    Value v = arg(args, 0);
    if (v.isNullish()) return Value(m.newObject());
    return Value(m.toObject(v));
}

Value objectConstruct(Machine& m, Object* self, std::vector<Value>& args) {
    Value v = arg(args, 0);
    if (v.isNullish()) return Value(self);
    return Value(m.toObject(v));
}

Value objectToString(Machine&, Object* self, std::vector<Value>&) {
    if (self && self->isFunction()) return Value("[type Function]");
    return Value("[object Object]");
}

Value objectValueOf(Machine&, Object* self, std::vector<Value>&) {
    if (self && self->hasPrimitive) return self->primitive;
    return Value(self);
}

Value hasOwnProperty(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self) return Value(false);
    std::string name = m.toString(arg(args, 0));
    if (self->isArray) {
        if (m.key(name) == "length") return Value(true);
        // An element counts once written, even with undefined; a hole never does.
        if (long long i = arrayIndex(name); i >= 0 && size_t(i) < self->elements.size())
            return Value(!self->elements[size_t(i)].isHole());
    }
    return Value(self->find(m.key(name)) != nullptr);
}

Value isPropertyEnumerable(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self) return Value(false);
    std::string name = m.toString(arg(args, 0));
    if (self->isArray)
        if (long long i = arrayIndex(name); i >= 0 && size_t(i) < self->elements.size())
            return Value(!self->elements[size_t(i)].isHole() && !(self->elementFlagsAt(size_t(i)) & DontEnum));
    const Property* p = self->find(m.key(name));
    return Value(p && !(p->flags & DontEnum));
}

Value isPrototypeOf(Machine&, Object* self, std::vector<Value>& args) {
    Object* o = arg(args, 0).object();
    int guard = 0;
    for (Object* p = o ? o->proto : nullptr; p && guard < 1000; p = p->proto, ++guard)
        if (p == self) return Value(true);
    return Value(false);
}

Value addProperty(Machine& m, Object* self, std::vector<Value>& args) {
    std::string name = m.toString(arg(args, 0));
    Object* getter = arg(args, 1).object();
    Value setterValue = arg(args, 2);
    if (!self || name.empty() || !getter || !getter->isFunction()) return Value(false);
    Object* setter = setterValue.object();
    if (setter && !setter->isFunction()) return Value(false);
    Property& p = self->put(m.key(name), name, Value());
    p.getter = getter;
    p.setter = setter;
    return Value(true);
}

Value watch(Machine& m, Object* self, std::vector<Value>& args) {
    std::string name = m.toString(arg(args, 0));
    Object* callback = arg(args, 1).object();
    if (!self || name.empty() || !callback || !callback->isFunction()) return Value(false);
    if (!self->watches) self->watches = std::make_unique<std::map<std::string, Object::Watch>>();
    (*self->watches)[m.key(name)] = Object::Watch{callback, arg(args, 2)};
    return Value(true);
}

Value unwatch(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->watches) return Value(false);
    return Value(self->watches->erase(m.key(m.toString(arg(args, 0)))) > 0);
}

Value registerClass(Machine& m, Object*, std::vector<Value>& args) {
    if (args.size() < 2) return Value(false);
    Object* ctor = args[1].object();
    m.registerClass(m.toString(args[0]), ctor && ctor->isFunction() ? ctor : nullptr);
    return Value(true);
}

// The `this` of call and apply: undefined, null and a primitive no class wraps give _global.
Object* thisObject(Machine& m, const Value& thisArg) {
    Object* o = thisArg.isNullish() ? nullptr : m.toObject(thisArg);
    return o ? o : m.global();
}

Value functionCall(Machine& m, Object* self, std::vector<Value>& args) {
    Value thisArg = arg(args, 0);
    std::vector<Value> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    return m.call(Value(self), thisObject(m, thisArg), std::move(rest));
}

Value functionApply(Machine& m, Object* self, std::vector<Value>& args) {
    Value thisArg = arg(args, 0);
    std::vector<Value> list;
    if (Object* a = arg(args, 1).object()) {
        if (a->isArray) list = a->elements;
        else {
            double n = m.toNumber(m.getMember(Value(a), "length"));
            for (size_t i = 0; std::isfinite(n) && i < size_t(std::max(0.0, std::min(n, 65536.0))); ++i)
                list.push_back(m.getMember(Value(a), std::to_string(i)));
        }
    }
    return m.call(Value(self), thisObject(m, thisArg), std::move(list));
}

// Function(v) gives v back as it is; with nothing, a new empty function.
Value functionCtor(Machine& m, Object*, std::vector<Value>& a) {
    return a.empty() ? Value(m.newFunction(nullptr)) : a[0];
}

}  // namespace

void installObjectAndFunction(Machine& m) {
    Object* objectCtor = defineClass(m, "Object", objectCall, objectConstruct, m.objectProto);
    m.defineNative(objectCtor, "registerClass", registerClass);
    m.defineNative(m.objectProto, "toString", objectToString);
    m.defineNative(m.objectProto, "toLocaleString", objectToString);
    m.defineNative(m.objectProto, "valueOf", objectValueOf);
    m.defineNative(m.objectProto, "hasOwnProperty", hasOwnProperty);
    m.defineNative(m.objectProto, "isPropertyEnumerable", isPropertyEnumerable);
    m.defineNative(m.objectProto, "isPrototypeOf", isPrototypeOf);
    m.defineNative(m.objectProto, "addProperty", addProperty);
    m.defineNative(m.objectProto, "watch", watch);
    m.defineNative(m.objectProto, "unwatch", unwatch);

    defineClass(m, "Function", functionCtor, nullptr, m.functionProto);
    m.defineNative(m.functionProto, "call", functionCall);
    m.defineNative(m.functionProto, "apply", functionApply);
    m.defineNative(m.functionProto, "toString", objectToString);
}

}  // namespace swf::avm1
