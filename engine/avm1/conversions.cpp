// Conversions between value kinds with the rules of each SWF version, and the equality tests.
#include <cmath>

#include "engine/avm1/machine.h"

namespace swf::avm1 {

Value Machine::toPrimitive(const Value& v, bool preferString) {
    Object* o = v.object();
    if (!o) return v;
    if (o->leftClipPath) o = currentClipFace(o);
    if (o->clip) return Value(o->clip->text(ClipProperty::Target));
    const char* order[2] = {"valueOf", "toString"};
    if (preferString || o->isDate) std::swap(order[0], order[1]);
    bool anyCallable = false;
    for (const char* name : order) {
        Value fn = getMember(v, name, false);
        if (fn.object() && fn.object()->isFunction()) {
            anyCallable = true;
            Value r = call(fn, o, {});
            if (!r.isObject()) return r;
        }
    }
    // Without any conversion method a number reads as undefined would; text gets a type tag.
    if (!anyCallable && !preferString) return Value();
    if (o->isFunction()) return Value("[type Function]");
    return Value("[type Object]");
}

double Machine::toNumber(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return version_ >= 7 ? NAN : 0.0;
    case Value::Kind::Boolean: return v.boolean() ? 1 : 0;
    case Value::Kind::Number: return v.number();
    case Value::Kind::String: {
        if (version_ < 5) return legacyStringToNumber(v.string());
        return stringToNumber(v.string(), version_ >= 6);
    }
    case Value::Kind::Object: {
        Value p = toPrimitive(v);
        if (p.isObject()) return NAN;
        return toNumber(p);
    }
    }
    return NAN;
}

std::string Machine::toString(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined: return version_ >= 7 ? "undefined" : "";
    case Value::Kind::Null: return "null";
    case Value::Kind::Boolean:
        if (version_ < 5) return v.boolean() ? "1" : "0";
        return v.boolean() ? "true" : "false";
    case Value::Kind::Number: return numberToString(v.number());
    case Value::Kind::String: return v.string();
    case Value::Kind::Object: {
        Value p = toPrimitive(v, true);
        if (p.isObject()) return "[type Object]";
        return toString(p);
    }
    }
    return "";
}

bool Machine::toBoolean(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return false;
    case Value::Kind::Boolean: return v.boolean();
    case Value::Kind::Number: return v.number() != 0 && !std::isnan(v.number());
    case Value::Kind::String: {
        if (version_ >= 7) return !v.string().empty();
        double d = stringToNumber(v.string(), version_ >= 6);
        return d != 0 && !std::isnan(d);
    }
    case Value::Kind::Object: return true;
    }
    return false;
}

bool Machine::builtInWrapper(const Value& v) {
    // _global's String, Number or Boolean as installed: a plain value that is a built-in class
    // whose prototype is still the one primitives of that kind use.
    const char* name = v.isString() ? "String" : v.isNumber() ? "Number" : "Boolean";
    Object* proto = v.isString() ? stringProto : v.isNumber() ? numberProto : booleanProto;
    const Property* p = global_->find(key(name));
    if (!p || p->getter || p->setter || !visibleTo(p->flags, version_)) return false;
    Object* ctor = p->value.object();
    if (!ctor || !ctor->nativeConstruct) return false;
    const Property* pp = ctor->find(key("prototype"));
    return pp && !pp->getter && pp->value.object() == proto;
}

Object* Machine::toObject(const Value& v) {
    if (v.isObject()) return v.object();
    if (v.isNullish()) return nullptr;
    if (!builtInWrapper(v)) {
        // A script replaced the class: the primitive is wrapped by constructing whatever _global
        // now holds under that name (no __resolve); nothing that is not a class wraps it.
        Value ctor = getMember(Value(global_), v.isString() ? "String" : v.isNumber() ? "Number" : "Boolean", false);
        Object* fn = ctor.object();
        if (!fn || !fn->isFunction()) return nullptr;
        return construct(ctor, {v}).object();
    }
    Object* o = heap_.make();
    o->hasPrimitive = true;
    o->primitive = v;
    o->proto = v.isString() ? stringProto : v.isNumber() ? numberProto : booleanProto;
    return o;
}

std::string Machine::typeOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined: return "undefined";
    case Value::Kind::Null: return "null";
    case Value::Kind::Boolean: return "boolean";
    case Value::Kind::Number: return "number";
    case Value::Kind::String: return "string";
    case Value::Kind::Object:
        if (Clip* c = v.object()->clip)
            return c->isTextField() || c->isButton() || c->isVideo() ? "object" : "movieclip";
        if (v.object()->isFunction()) return "function";
        return "object";
    }
    return "undefined";
}

std::string Machine::traceText(const Value& v) {
    if (v.isUndefined()) return "undefined";
    return toString(v);
}

bool strictEquals(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return true;
    case Value::Kind::Boolean: return a.boolean() == b.boolean();
    case Value::Kind::Number: return a.number() == b.number();
    case Value::Kind::String: return a.string() == b.string();
    case Value::Kind::Object: return a.object() == b.object();
    }
    return false;
}

bool looseEquals(Machine& m, const Value& a, const Value& b) {
    if (a.kind() == b.kind()) return strictEquals(a, b);
    if (a.isNullish() && b.isNullish()) return true;
    if (a.isNullish() || b.isNullish()) return false;
    if (a.isBoolean()) return looseEquals(m, Value(a.boolean() ? 1.0 : 0.0), b);
    if (b.isBoolean()) return looseEquals(m, a, Value(b.boolean() ? 1.0 : 0.0));
    if (a.isNumber() && b.isString()) return a.number() == m.toNumber(b);
    if (a.isString() && b.isNumber()) return m.toNumber(a) == b.number();
    if (a.isObject() && !b.isObject()) {
        Value p = m.toPrimitive(a);
        return !p.isObject() && looseEquals(m, p, b);
    }
    if (b.isObject() && !a.isObject()) {
        Value p = m.toPrimitive(b);
        return !p.isObject() && looseEquals(m, a, p);
    }
    return false;
}

}  // namespace swf::avm1
