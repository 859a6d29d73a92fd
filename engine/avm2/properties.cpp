// Property access, calls and construction: sealed traits first, then dynamic properties and the
// prototype chain, with the player's errors for what cannot be done.
#include <cmath>

#include "engine/avm2/byte_array.h"
#include "engine/avm2/dictionary.h"
#include "engine/avm2/machine.h"
#include "engine/avm2/xml.h"

namespace swf::avm2 {

String indexKey(size_t i) { return numberToString(static_cast<double>(i)); }

bool parseIndex(const String& s, uint32_t& out) {
    if (s.empty() || s.size() > 10) return false;
    if (s.size() > 1 && s[0] == u'0') return false;
    uint64_t v = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + (c - u'0');
    }
    if (v >= 4294967295ull) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

static String className(Machine& m, const Value& v) {
    ClassObject* c = m.classOf(v);
    if (v.object() && v.object()->type == ObjectType::Class) return static_cast<ClassObject*>(v.object())->qualifiedName() + u"$";
    return c ? c->qualifiedName() : u"Object";
}

FunctionObject* bindMethod(Machine& m, FunctionObject* method, const Value& self) {
    auto* f = m.make<FunctionObject>();
    f->cls = m.functionClass;
    f->traits = &m.functionClass->instanceTraits;
    f->proto = m.functionClass->prototype;
    f->native = method->native;
    f->unit = method->unit;
    f->method = method->method;
    f->scope = method->scope;
    f->home = method->home;
    f->name = method->name;
    f->length = method->length;
    f->boundThis = self;
    f->bound = true;
    return f;
}

static Value readBinding(Machine& m, Object* holder, const Value& self, Binding* b, const Name& n) {
    switch (b->kind) {
    case Binding::Kind::Slot:
    case Binding::Kind::Const: return b->slot < holder->slots.size() ? holder->slots[b->slot] : Value();
    case Binding::Kind::Method: return Value(bindMethod(m, b->method, self));
    case Binding::Kind::Accessor:
        if (!b->getter)
            m.referenceError(1077, u"Illegal read of write-only property " + n.local + u" on " + className(m, self) + u".");
        return m.call(Value(b->getter), self, {});
    }
    return Value();
}

static bool vectorIndex(const Name& n, uint32_t& index) {
    return !n.attribute && n.hasPublic() && parseIndex(n.local, index);
}

// How a vector reads a name: a number written any way ("3", "3.0", " 3") that is a whole
// number in the uint range is that element; any other number-like name is an error there, but
// for movies before SWF 11 it is an ordinary (and so missing) property.
enum class VectorName { Property, Element, BadIndex };
static VectorName vectorName(const Machine& m, const String& s, uint32_t& index) {
    if (parseIndex(s, index)) return VectorName::Element;
    double d = stringToNumber(s);
    if (s.empty() || std::isnan(d)) return VectorName::Property;
    if (d >= 0 && d < 4294967296.0 && d == std::floor(d)) {
        index = static_cast<uint32_t>(d);
        return VectorName::Element;
    }
    return m.swfVersionBefore(11) ? VectorName::Property : VectorName::BadIndex;
}

Value Machine::getProperty(const Value& obj, const Name& n) {
    if (obj.isNullish()) {
        if (obj.isNull()) typeError(1009, u"Cannot access a property or method of a null object reference.");
        typeError(1010, u"A term is undefined and has no properties.");
    }
    Object* o = obj.object();
    if (!o) {
        ClassObject* c = classOf(obj);
        if (obj.isString() && n.hasPublic()) {
            uint32_t i;
            if (n.local == u"length") return Value(static_cast<double>(obj.string().size()));
            if (parseIndex(n.local, i)) return i < obj.string().size() ? Value(String(1, obj.string()[i])) : Value();
        }
        if (Binding* b = c->instanceTraits.find(n)) return readBinding(*this, nullptr, obj, b, n);
        if (n.hasPublic())
            for (Object* p = c->prototype; p; p = p->proto)
                if (Value* v = p->dynamic.find(n.local)) return *v;
        if (c == numberClass || c == intClass) {
            // int values share Number's prototype methods.
            for (Object* p = numberClass->prototype; p; p = p->proto)
                if (Value* v = p->dynamic.find(n.local)) return *v;
        }
        referenceError(n.hasPublic() ? 1069 : 1081, u"Property " + n.local + u" not found on " + c->qualifiedName() + u" and there is no default value.");
    }
    if (o->type == ObjectType::Xml || o->type == ObjectType::XmlList) return xmlGet(*this, o, n);
    uint32_t index;
    if (o->type == ObjectType::Class && n.local == u"prototype" && n.hasPublic()) {
        Object* p = static_cast<ClassObject*>(o)->prototype;
        return p ? Value(p) : Value::null();
    }
    if (o->type == ObjectType::Array && vectorIndex(n, index)) {
        auto* a = static_cast<ArrayObject*>(o);
        if (index < a->items.size() && !a->items[index].isHole()) return a->items[index];
        // A hole or past the end: the prototype chain may hold the element.
        for (Object* p = o->proto; p; p = p->proto)
            if (Value* v = p->dynamic.find(n.local)) return *v;
        return Value();
    } else if (o->type == ObjectType::ByteArray && vectorIndex(n, index)) {
        return static_cast<ByteArrayObject*>(o)->byteAt(index);
    } else if (o->type == ObjectType::Vector && !n.attribute && n.hasPublic()) {
        auto* v = static_cast<VectorObject*>(o);
        VectorName kind = vectorName(*this, n.local, index);
        if (kind == VectorName::Element && index < v->items.size()) return v->items[index];
        if (kind != VectorName::Property)
            rangeError(1125, u"The index " + n.local + u" is out of range " + numberToString(static_cast<double>(v->items.size())) + u".");
    }
    if (o->traits)
        if (Binding* b = o->traits->find(n)) return readBinding(*this, o, obj, b, n);
    if (o->proxy) return proxyCall(o, u"getProperty", {proxyName(n)});
    if (n.hasPublic() && !n.attribute) {
        if (Value* v = o->dynamic.find(n.local)) return *v;
        for (Object* p = o->proto; p; p = p->proto)
            if (Value* v = p->dynamic.find(n.local)) return *v;
    }
    if (o->sealed && !n.attribute && o->type != ObjectType::Global)
        referenceError(n.hasPublic() ? 1069 : 1081, u"Property " + n.local + u" not found on " + className(*this, obj) + u" and there is no default value.");
    return Value();
}

void Machine::setProperty(const Value& obj, const Name& n, const Value& v, bool init) {
    if (obj.isNullish()) {
        if (obj.isNull()) typeError(1009, u"Cannot access a property or method of a null object reference.");
        typeError(1010, u"A term is undefined and has no properties.");
    }
    Object* o = obj.object();
    if (!o) {
        ClassObject* c = classOf(obj);
        if (Binding* b = c->instanceTraits.find(n); b && b->kind == Binding::Kind::Accessor && b->setter) {
            Value a[1] = {v};
            call(Value(b->setter), obj, a);
            return;
        }
        // The methods of the primitive classes are fixed: assigning one is not creating a property.
        for (Object* p = c->prototype; p && p != objectClass->prototype; p = p->proto)
            if (Value* f = p->dynamic.find(n.local); f && f->object() && f->object()->type == ObjectType::Function)
                referenceError(1037, u"Cannot assign to a method " + n.local + u" on " + c->qualifiedName() + u".");
        referenceError(1056, u"Cannot create property " + n.local + u" on " + c->qualifiedName() + u".");
    }
    if (o->type == ObjectType::Xml || o->type == ObjectType::XmlList) {
        xmlSet(*this, o, n, v);
        return;
    }
    uint32_t index;
    if (o->type == ObjectType::Array && vectorIndex(n, index)) {
        auto* a = static_cast<ArrayObject*>(o);
        Value stored = v.isHole() ? Value() : v;
        if (index < a->items.size()) {
            a->items[index] = stored;
            return;
        }
        if (index < a->items.size() + 1'000'000 && index < 64u * 1024 * 1024) {
            a->items.resize(index + 1, Value::hole());
            a->items[index] = stored;
            return;
        }
    } else if (o->type == ObjectType::ByteArray && vectorIndex(n, index)) {
        if (index >= kMaxByteArrayLength) throwError(u"flash.errors::MemoryError", 1000, u"The system is out of memory.");
        static_cast<ByteArrayObject*>(o)->setByteAt(index, static_cast<uint8_t>(toInt(v)));
        return;
    } else if (o->type == ObjectType::Vector && !n.attribute && n.hasPublic()) {
        auto* vec = static_cast<VectorObject*>(o);
        if (VectorName kind = vectorName(*this, n.local, index); kind != VectorName::Property) {
            if (kind == VectorName::BadIndex || index > vec->items.size() || (vec->fixed && index == vec->items.size()))
                rangeError(1125, u"The index " + n.local + u" is out of range " + numberToString(static_cast<double>(vec->items.size())) + u".");
            Value c = coerce(v, vec->elementType);
            if (index == vec->items.size()) vec->items.push_back(c);
            else vec->items[index] = c;
            return;
        }
    }
    if (o->traits)
        if (Binding* b = o->traits->find(n)) {
            switch (b->kind) {
            case Binding::Kind::Const:
                if (!init)
                    referenceError(1074, u"Illegal write to read-only property " + n.local + u" on " + className(*this, obj) + u".");
                [[fallthrough]];
            case Binding::Kind::Slot: {
                const SlotInfo& s = o->traits->slots[b->slot];
                if (b->slot < o->slots.size()) o->slots[b->slot] = coerceTo(v, s.unit, s.type);
                return;
            }
            case Binding::Kind::Method:
                referenceError(1037, u"Cannot assign to a method " + n.local + u" on " + className(*this, obj) + u".");
            case Binding::Kind::Accessor: {
                if (!b->setter)
                    referenceError(1074, u"Illegal write to read-only property " + n.local + u" on " + className(*this, obj) + u".");
                Value a[1] = {v};
                call(Value(b->setter), obj, a);
                return;
            }
            }
        }
    if (o->proxy) {
        proxyCall(o, u"setProperty", {proxyName(n), v});
        return;
    }
    if (o->sealed || !n.hasPublic() || n.attribute)
        referenceError(1056, u"Cannot create property " + n.local + u" on " + className(*this, obj) + u".");
    if (o->dynamic.size() > 16'000'000) throw ScriptAbort("too many properties (limit)");
    o->dynamic.set(n.local, v);
}

bool Machine::hasProperty(const Value& obj, const Name& n) {
    Object* o = obj.object();
    if (!o) {
        if (obj.isNullish()) return false;
        ClassObject* c = classOf(obj);
        if (c->instanceTraits.find(n)) return true;
        for (Object* p = c->prototype; p; p = p->proto)
            if (p->dynamic.find(n.local)) return true;
        return false;
    }
    if (o->type == ObjectType::Xml || o->type == ObjectType::XmlList) return xmlHas(*this, o, n);
    uint32_t index;
    if (o->type == ObjectType::Array && vectorIndex(n, index))
        return index < static_cast<ArrayObject*>(o)->items.size() && !static_cast<ArrayObject*>(o)->items[index].isHole();
    if (o->type == ObjectType::Vector && vectorIndex(n, index)) return index < static_cast<VectorObject*>(o)->items.size();
    if (o->type == ObjectType::ByteArray && vectorIndex(n, index)) return index < static_cast<ByteArrayObject*>(o)->data.size();
    if (o->traits && o->traits->find(n)) return true;
    if (o->proxy) return toBoolean(proxyCall(o, u"hasProperty", {proxyName(n)}));
    if (!n.hasPublic()) return false;
    if (o->dynamic.find(n.local)) return true;
    for (Object* p = o->proto; p; p = p->proto)
        if (p->dynamic.find(n.local)) return true;
    return false;
}

bool Machine::hasOwnProperty(Object* o, const String& key) {
    uint32_t index;
    if (o->type == ObjectType::Array && parseIndex(key, index))
        return index < static_cast<ArrayObject*>(o)->items.size() && !static_cast<ArrayObject*>(o)->items[index].isHole();
    if (o->type == ObjectType::Vector && parseIndex(key, index)) return index < static_cast<VectorObject*>(o)->items.size();
    if (o->traits && o->traits->find(Name{key, publicSet})) return true;
    return o->dynamic.find(key) != nullptr;
}

bool Machine::deleteProperty(const Value& obj, const Name& n) {
    if (obj.isNullish()) {
        if (obj.isNull()) typeError(1009, u"Cannot access a property or method of a null object reference.");
        typeError(1010, u"A term is undefined and has no properties.");
    }
    Object* o = obj.object();
    if (!o) return false;
    if (o->type == ObjectType::Xml || o->type == ObjectType::XmlList) return xmlDelete(*this, o, n);
    uint32_t index;
    if (o->type == ObjectType::Array && vectorIndex(n, index)) {
        auto* a = static_cast<ArrayObject*>(o);
        if (index < a->items.size()) {
            a->items[index] = Value::hole();
        }
        return true;
    }
    if (o->type == ObjectType::Vector && vectorIndex(n, index))
        referenceError(1120, u"Cannot delete property " + n.local + u" on " + className(*this, obj) + u".");
    if (o->traits && o->traits->find(n)) return false;
    if (o->proxy) return toBoolean(proxyCall(o, u"deleteProperty", {proxyName(n)}));
    if (!n.hasPublic()) return false;
    o->dynamic.remove(n.local);
    return true;
}

Value Machine::callProperty(const Value& obj, const Name& n, std::span<const Value> args, bool lex) {
    if (obj.isNullish()) {
        if (obj.isNull()) typeError(1009, u"Cannot access a property or method of a null object reference.");
        typeError(1010, u"A term is undefined and has no properties.");
    }
    Object* o = obj.object();
    if (o && (o->type == ObjectType::Xml || o->type == ObjectType::XmlList)) return xmlCall(*this, obj, n, args);
    TraitTable* t = o ? o->traits : &classOf(obj)->instanceTraits;
    if (t)
        if (Binding* b = t->find(n); b && b->kind == Binding::Kind::Method) {
            FunctionObject* f = b->method;
            if (f->native) return callNative(f, obj, args);
            return execute(f, obj, args);
        }
    if (o && o->proxy && !(t && t->find(n))) {
        std::vector<Value> all{proxyName(n)};
        all.insert(all.end(), args.begin(), args.end());
        return proxyCall(o, u"callProperty", std::move(all));
    }
    Value f = getProperty(obj, n);
    Object* fo = f.object();
    if (!fo || (fo->type != ObjectType::Function && fo->type != ObjectType::Class)) {
        if (o && o->sealed && f.isUndefined() && !hasProperty(obj, n))
            referenceError(n.hasPublic() ? 1069 : 1081, u"Property " + n.local + u" not found on " + className(*this, obj) + u" and there is no default value.");
        typeError(1006, n.local + u" is not a function.");
    }
    return call(f, lex ? Value::null() : obj, args);
}

Value Machine::constructProperty(const Value& obj, const Name& n, std::span<const Value> args) {
    Value c = getProperty(obj, n);
    Object* co = c.object();
    if (!co || (co->type != ObjectType::Function && co->type != ObjectType::Class))
        typeError(1007, u"Instantiation attempted on a non-constructor.");
    return construct(c, args);
}

Value Machine::call(const Value& fv, const Value& self, std::span<const Value> args) {
    Object* o = fv.object();
    if (o && o->type == ObjectType::Function) {
        auto* f = static_cast<FunctionObject*>(o);
        const Value& me = f->bound ? f->boundThis : self;
        if (f->native) return callNative(f, me, args);
        return execute(f, me, args);
    }
    if (o && o->type == ObjectType::Class) {
        auto* c = static_cast<ClassObject*>(o);
        if (c->callAsFunction) return c->callAsFunction(*this, self, args);
        if (args.size() != 1)
            throwError(u"ArgumentError", 1112, u"Argument count mismatch on class coercion.  Expected 1, got " +
                                                  numberToString(static_cast<double>(args.size())) + u".");
        return coerce(args[0], c);
    }
    typeError(1006, u"value is not a function.");
}

Value Machine::construct(const Value& cv, std::span<const Value> args) {
    Object* o = cv.object();
    if (o && o->type == ObjectType::Class) {
        auto* c = static_cast<ClassObject*>(o);
        if (c->isInterface) typeError(1007, u"Instantiation attempted on a non-constructor.");
        Object* inst = instantiate(c);
        Value self(inst);
        if (c->constructor) {
            Value r = c->constructor->native ? callNative(c->constructor, self, args) : execute(c->constructor, self, args);
            // Native constructors of value classes hand back the value itself.
            if (c->constructor->native && !r.isUndefined()) return r;
        }
        return self;
    }
    if (o && o->type == ObjectType::Function) {
        auto* f = static_cast<FunctionObject*>(o);
        if (f->bound || (f->native && !f->prototypeObject)) typeError(1064, u"Cannot call method " + f->name + u" as constructor.");
        Object* inst = newObject();
        Value p = get(cv, u"prototype");
        if (p.object()) inst->proto = p.object();
        Value r = call(cv, Value(inst), args);
        return r.isObject() ? r : Value(inst);
    }
    typeError(1007, u"Instantiation attempted on a non-constructor.");
}

Value Machine::get(const Value& obj, const String& local) { return getProperty(obj, Name{local, publicSet}); }

void Machine::set(const Value& obj, const String& local, const Value& v) { setProperty(obj, Name{local, publicSet}, v); }

void Machine::enumerate(Object* o, std::vector<Value>& keys) {
    if (o->proxy) {
        // The handlers name the properties one by one; a bound keeps a handler that never ends
        // from growing the list without limit.
        for (int index = 0, n = 0; n < 1'000'000; ++n) {
            index = toInt(proxyCall(o, u"nextNameIndex", {Value(index)}));
            if (index <= 0) break;
            keys.push_back(proxyCall(o, u"nextName", {Value(index)}));
        }
        return;
    }
    if (o->type == ObjectType::Xml) {
        keys.push_back(Value(u"0"));
        return;
    }
    if (o->type == ObjectType::XmlList) {
        for (size_t i = 0; i < static_cast<XmlListObject*>(o)->items.size(); ++i) keys.push_back(Value(indexKey(i)));
        return;
    }
    if (o->type == ObjectType::Array) {
        auto* a = static_cast<ArrayObject*>(o);
        for (size_t i = 0; i < a->items.size(); ++i)
            if (!a->items[i].isHole()) keys.push_back(Value(indexKey(i)));
    } else if (o->type == ObjectType::Vector) {
        auto* v = static_cast<VectorObject*>(o);
        for (size_t i = 0; i < v->items.size(); ++i) keys.push_back(Value(static_cast<double>(i)));
    }
    for (size_t i = 0; i < o->dynamic.capacity(); ++i)
        if (const String* k = o->dynamic.keyAt(i); k && o->dynamic.isEnumerable(*k))
            keys.push_back(o->type == ObjectType::Dictionary ? static_cast<DictionaryObject*>(o)->keyOf(*k) : Value(*k));
}

}  // namespace swf::avm2
