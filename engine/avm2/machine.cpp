#include "engine/avm2/machine.h"
#include "engine/avm2/xml.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

Machine::Machine() : created_(std::chrono::steady_clock::now()) {
    publicNs = Ns{kNsPackage, u"", 0};
    as3Ns = Ns{kNsNamespace, u"http://adobe.com/AS3/2006/builtin", 0};
    publicSet = {publicNs};
    installBuiltins();
}

Machine::~Machine() {
    for (Object* o : objects_) delete o;
}

double Machine::startMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - created_).count();
}

void Machine::track(Object* o) {
    if (objects_.size() >= limits.maxObjects) {
        delete o;
        throw ScriptAbort("too many objects (limit)");
    }
    objects_.push_back(o);
}

Object* Machine::newObject() {
    Object* o = make<Object>();
    o->cls = objectClass;
    o->traits = objectClass ? &objectClass->instanceTraits : nullptr;
    o->proto = objectClass ? objectClass->prototype : nullptr;
    return o;
}

ArrayObject* Machine::newArray(std::vector<Value> items) {
    auto* a = make<ArrayObject>();
    a->cls = arrayClass;
    a->traits = &arrayClass->instanceTraits;
    a->proto = arrayClass->prototype;
    a->items = std::move(items);
    return a;
}

FunctionObject* Machine::newNative(const String& name, int length, NativeFn fn) {
    auto* f = make<FunctionObject>();
    f->cls = functionClass;
    f->traits = functionClass ? &functionClass->instanceTraits : nullptr;
    f->proto = functionClass ? functionClass->prototype : nullptr;
    f->native = std::move(fn);
    f->name = name;
    f->length = length;
    return f;
}

void Machine::initSlots(Object* o) {
    if (!o->traits) return;
    o->slots.resize(o->traits->slots.size());
    for (size_t i = 1; i < o->traits->slots.size(); ++i) o->slots[i] = o->traits->slots[i].initial;
}

Object* Machine::instantiate(ClassObject* cls) {
    Object* o = nullptr;
    for (ClassObject* c = cls; c && !o; c = c->super)
        if (c->allocate) o = c->allocate(*this, cls);
    if (!o) o = make<Object>();
    o->cls = cls;
    o->traits = &cls->instanceTraits;
    o->proto = cls->prototype;
    o->sealed = cls->isSealedInstances;
    initSlots(o);
    return o;
}

void Machine::collectGarbage(const std::vector<Object*>& extraRoots) {
    std::vector<Object*> work = extraRoots;
    for (Object* o : hostRoots) work.push_back(o);
    work.push_back(toplevel);
    for (auto& [name, c] : builtins_) work.push_back(c);
    for (auto& [e, v] : vectors_) work.push_back(v);
    timers.trace(work);
    for (auto& u : units) {
        for (ClassObject* c : u->classes)
            if (c) work.push_back(c);
        for (GlobalObject* g : u->scripts) work.push_back(g);
        for (FunctionObject* f : u->methodClosures)
            if (f) work.push_back(f);
        if (u->activationTraits.size())
            for (auto& t : u->activationTraits)
                if (t)
                    for (auto& s : t->slots)
                        if (Object* o = s.initial.object()) work.push_back(o);
    }
    for (auto* stack : activeStacks)
        for (const Value& v : *stack)
            if (Object* o = v.object()) work.push_back(o);
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        if (!o || o->marked) continue;
        o->marked = true;
        o->trace(work);
    }
    size_t kept = 0;
    for (Object* o : objects_) {
        if (o->marked) {
            o->marked = false;
            objects_[kept++] = o;
        } else {
            delete o;
        }
    }
    objects_.resize(kept);
}

// ---- Conversions ----

double Machine::toNumber(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined: return NAN;
    case Value::Kind::Null: return 0;
    case Value::Kind::Boolean: return v.boolean() ? 1 : 0;
    case Value::Kind::Number: return v.number();
    case Value::Kind::String: return stringToNumber(v.string());
    case Value::Kind::Object: {
        Value p = toPrimitive(v, false);
        return p.isObject() ? NAN : toNumber(p);
    }
    }
    return NAN;
}

String Machine::toString(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined: return u"undefined";
    case Value::Kind::Null: return u"null";
    case Value::Kind::Boolean: return v.boolean() ? u"true" : u"false";
    case Value::Kind::Number: return numberToString(v.number());
    case Value::Kind::String: return v.string();
    case Value::Kind::Object: {
        Value p = toPrimitive(v, true);
        if (p.isObject()) return u"[object Object]";
        return toString(p);
    }
    }
    return u"";
}

bool Machine::toBoolean(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return false;
    case Value::Kind::Boolean: return v.boolean();
    case Value::Kind::Number: return v.number() != 0 && !std::isnan(v.number());
    case Value::Kind::String: return !v.string().empty();
    case Value::Kind::Object: return true;
    }
    return false;
}

Value Machine::toPrimitive(const Value& v, bool preferString) {
    Object* o = v.object();
    if (!o) return v;
    if (XmlObject* x = asXml(v)) return Value(xmlToString(*this, x));
    if (XmlListObject* l = asXmlList(v)) return Value(xmlListToString(*this, l));
    const char16_t* order[2] = {preferString ? u"toString" : u"valueOf", preferString ? u"valueOf" : u"toString"};
    for (const char16_t* m : order) {
        Name n{m, publicSet};
        Value f = getProperty(v, n);
        if (f.object() && (f.object()->type == ObjectType::Function)) {
            Value r = call(f, v, {});
            if (!r.isObject()) return r;
        }
    }
    // This message names the object's class alone, without the instance mark coercions add.
    ClassObject* c = o->type == ObjectType::Class ? nullptr : classOf(v);
    typeError(1050, u"Cannot convert " + (c ? c->qualifiedName() : describeForError(v)) + u" to primitive.");
}

String Machine::typeOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined: return u"undefined";
    case Value::Kind::Null: return u"object";
    case Value::Kind::Boolean: return u"boolean";
    case Value::Kind::Number: return u"number";
    case Value::Kind::String: return u"string";
    case Value::Kind::Object:
        if (v.object()->type == ObjectType::Function) return u"function";
        if (v.object()->type == ObjectType::Xml || v.object()->type == ObjectType::XmlList) return u"xml";
        return u"object";
    }
    return u"object";
}

static bool isIntValue(double d) { return d == std::trunc(d) && d >= -2147483648.0 && d <= 2147483647.0 && !(d == 0 && std::signbit(d)); }

ClassObject* Machine::classOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return nullptr;
    case Value::Kind::Boolean: return booleanClass;
    case Value::Kind::Number: return isIntValue(v.number()) ? intClass : numberClass;
    case Value::Kind::String: return stringClass;
    case Value::Kind::Object: {
        Object* o = v.object();
        if (o->type == ObjectType::Class) return classClass;
        if (o->type == ObjectType::Function) return functionClass;
        return o->cls ? o->cls : objectClass;
    }
    }
    return nullptr;
}

bool Machine::isType(const Value& v, ClassObject* type) {
    if (!type) return true;
    if (v.isNullish()) return false;
    if (type == objectClass) return true;
    if (v.isNumber()) {
        double d = v.number();
        if (type == numberClass) return true;
        if (type == intClass) return d == std::trunc(d) && d >= -2147483648.0 && d <= 2147483647.0;
        if (type == uintClass) return d == std::trunc(d) && d >= 0 && d <= 4294967295.0;
        return false;
    }
    if (v.isString()) return type == stringClass;
    if (v.isBoolean()) return type == booleanClass;
    ClassObject* c = classOf(v);
    return c && c->isSubclassOf(type);
}

String Machine::describeForError(const Value& v) {
    if (v.isNull()) return u"null";
    if (v.isUndefined()) return u"undefined";
    if (Object* o = v.object()) {
        if (o->type == ObjectType::Class) return static_cast<ClassObject*>(o)->qualifiedName() + u"$";
        if (o->type == ObjectType::Function) return u"Function";
        ClassObject* c = classOf(v);
        return c ? c->qualifiedName() + u"@" : u"Object@";
    }
    if (v.isString()) return u"\"" + v.string() + u"\"";
    return toString(v);
}

Value Machine::coerce(const Value& v, ClassObject* type) {
    if (!type) return v;
    if (type == intClass) return Value(toInt32(toNumber(v)));
    if (type == uintClass) return Value(toUint32(toNumber(v)));
    if (type == numberClass) return Value(toNumber(v));
    if (type == booleanClass) return Value(toBoolean(v));
    if (type == stringClass) return v.isNullish() ? Value::null() : Value(toString(v));
    if (v.isNullish()) return Value::null();
    if (type == objectClass) return v;
    if (isType(v, type)) return v;
    // The player names the wanted type with dots only, unlike the value it describes.
    String wanted = type->package.empty() ? type->name : type->package + u"." + type->name;
    typeError(1034, u"Type Coercion failed: cannot convert " + describeForCoercion(v) + u" to " + wanted + u".");
}

String Machine::describeForCoercion(const Value& v) {
    String what = describeForError(v);
    // An instance is named with an address; a fixed one keeps messages reproducible.
    if (Object* o = v.object(); o && o->type != ObjectType::Class && o->type != ObjectType::Function && !what.empty() &&
                                what.back() == u'@')
        what += ascii("00000000000");
    return what;
}

ClassObject* Machine::resolveType(AbcUnit* unit, uint32_t index) {
    if (index == 0 || index >= unit->abc.multinames.size()) return nullptr;
    const AbcMultiname& m = unit->abc.multinames[index];
    if (m.kind == kTypeName) {
        if (m.typeParams.size() != 1) return nullptr;
        ClassObject* base = resolveType(unit, m.typeName);
        if (base != vectorBase) return nullptr;
        return vectorClass(resolveType(unit, m.typeParams[0]));
    }
    if (m.kind != kQName && m.kind != kMultiname) return nullptr;
    Name n = multiname(unit, index);
    if (n.local == u"*" ) return nullptr;
    bool found = false;
    Value v = findGlobal(n, found);
    if (!found) return nullptr;
    Value c = getProperty(v, n);
    Object* o = c.object();
    return o && o->type == ObjectType::Class ? static_cast<ClassObject*>(o) : nullptr;
}

Value Machine::coerceTo(const Value& v, AbcUnit* unit, const AbcMultiname* type) {
    if (!type || !unit) return v;
    uint32_t index = static_cast<uint32_t>(type - unit->abc.multinames.data());
    if (index == 0) return v;
    // The common types are recognised by name first: no look-up needed.
    if (type->kind == kQName && unit->namespaces[type->ns].uri.empty()) {
        const String& local = unit->abc.strings[type->name];
        if (local == u"int") return coerce(v, intClass);
        if (local == u"uint") return coerce(v, uintClass);
        if (local == u"Number") return coerce(v, numberClass);
        if (local == u"String") return coerce(v, stringClass);
        if (local == u"Boolean") return coerce(v, booleanClass);
        if (local == u"Object") return coerce(v, objectClass);
        if (local == u"*") return v;
    }
    ClassObject* c = resolveType(unit, index);
    if (!c) return v;
    return coerce(v, c);
}

bool Machine::strictEquals(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return true;
    case Value::Kind::Boolean: return a.boolean() == b.boolean();
    case Value::Kind::Number: return a.number() == b.number();
    case Value::Kind::String: return a.string() == b.string();
    case Value::Kind::Object: {
        Object *x = a.object(), *y = b.object();
        if (x == y) return true;
        // Method closures of the same method on the same object are the same function.
        if (x->type == ObjectType::Function && y->type == ObjectType::Function) {
            auto *f = static_cast<FunctionObject*>(x), *g = static_cast<FunctionObject*>(y);
            return f->bound && g->bound && f->unit && f->unit == g->unit && f->method == g->method &&
                   strictEquals(f->boundThis, g->boundThis);
        }
        if (x->type == ObjectType::Namespace && y->type == ObjectType::Namespace)
            return static_cast<NamespaceObject*>(x)->ns.uri == static_cast<NamespaceObject*>(y)->ns.uri;
        return false;
    }
    }
    return false;
}

bool Machine::looseEquals(const Value& a, const Value& b) {
    if (isXmlValue(a) || isXmlValue(b)) {
        if (a.isObject() && b.isObject() && a.object() == b.object()) return true;
        return xmlEquals(*this, a, b);
    }
    if (a.kind() == b.kind()) {
        if (a.isObject() && a.object()->type == ObjectType::QName && b.object()->type == ObjectType::QName) {
            auto *x = static_cast<QNameObject*>(a.object()), *y = static_cast<QNameObject*>(b.object());
            return x->local == y->local && strictEquals(x->uri, y->uri);
        }
        return strictEquals(a, b);
    }
    if (a.isNullish() && b.isNullish()) return true;
    if (a.isNullish() || b.isNullish()) return false;
    if (a.isNumber() && b.isString()) return a.number() == toNumber(b);
    if (a.isString() && b.isNumber()) return toNumber(a) == b.number();
    if (a.isBoolean()) return looseEquals(Value(a.boolean() ? 1.0 : 0.0), b);
    if (b.isBoolean()) return looseEquals(a, Value(b.boolean() ? 1.0 : 0.0));
    // Without a hint, dates convert to their text and other objects to their value.
    auto hintless = [&](const Value& v) { return toPrimitive(v, v.object()->type == ObjectType::Date); };
    if ((a.isNumber() || a.isString()) && b.isObject()) return looseEquals(a, hintless(b));
    if (a.isObject() && (b.isNumber() || b.isString())) return looseEquals(hintless(a), b);
    return false;
}

Value Machine::lessThan(const Value& a, const Value& b) {
    Value pa = toPrimitive(a, false), pb = toPrimitive(b, false);
    if (pa.isString() && pb.isString()) return Value(pa.string() < pb.string());
    double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y)) return Value();
    return Value(x < y);
}

Value Machine::add(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber()) return Value(a.number() + b.number());
    if (isXmlValue(a) && isXmlValue(b)) return xmlConcat(*this, a, b);
    Value pa = a, pb = b;
    if (a.isObject()) pa = (a.object()->type == ObjectType::Date) ? toPrimitive(a, true) : toPrimitive(a, false);
    if (b.isObject()) pb = (b.object()->type == ObjectType::Date) ? toPrimitive(b, true) : toPrimitive(b, false);
    if (pa.isString() || pb.isString()) {
        String s = toString(pa);
        String t = toString(pb);
        if (s.size() + t.size() > limits.maxStringLength) throw ScriptAbort("string too long (limit)");
        return Value(s + t);
    }
    return Value(toNumber(pa) + toNumber(pb));
}

// ---- Errors ----

void Machine::throwError(const String& cls, int id, const String& message) {
    ClassObject* c = builtin(cls);
    if (!c) c = errorClass;
    String text = u"Error #" + numberToString(id) + u": " + message;
    Value args[2] = {Value(text), Value(id)};
    Value e = construct(Value(c), args);
    throw ThrownValue{e, String()};
}

Value Machine::formatError(Object* e) { return Value(toString(Value(e))); }

std::string Machine::describeUncaught(const Value& v, const String& stack) {
    try {
        if (Object* o = v.object(); o && o->cls && o->cls->isSubclassOf(errorClass)) {
            Value st = callProperty(v, Name{u"getStackTrace", publicSet}, {});
            if (st.isString()) return utf16ToUtf8(st.string());
        }
        return utf16ToUtf8(toString(v) + stack);
    } catch (...) {
        return "Error";
    }
}

bool Machine::guarded(const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (const ThrownValue& t) {
        reportUncaught(t);
    } catch (const ScriptAbort& a) {
        if (errorHandler) errorHandler(std::string("Error: ") + a.what());
    } catch (const AbcError& a) {
        if (errorHandler) errorHandler(std::string("VerifyError: ") + a.what());
    } catch (const std::bad_alloc&) {
        if (errorHandler) errorHandler("Error: out of memory");
    }
    return false;
}

void Machine::reportUncaught(const ThrownValue& t) {
    if (errorHandler) errorHandler(describeUncaught(t.value, t.stack));
}

void Machine::checkTime() {
    if (!timing) return;
    if (std::chrono::duration<double>(std::chrono::steady_clock::now() - scriptStart).count() > limits.secondsPerScript)
        throw ScriptAbort("Error #1502: A script has executed for longer than the default timeout period of 15 seconds.");
}

// ---- Stack traces ----

String Machine::methodName(AbcUnit* u, uint32_t method) {
    const AbcFile& abc = u->abc;
    if (u->methodNames.empty() && !abc.methods.empty()) {
        std::vector<String>& names = u->methodNames;
        names.assign(abc.methods.size(), String());
        auto qname = [&](uint32_t mn, bool package) -> String {
            if (mn == 0 || mn >= abc.multinames.size()) return String();
            const AbcMultiname& m = abc.multinames[mn];
            if (m.name >= abc.strings.size()) return String();
            if ((m.kind != kQName && m.kind != kQNameA) || m.ns >= abc.namespaces.size() ||
                abc.namespaces[m.ns].name >= abc.strings.size())
                return abc.strings[m.name];
            const AbcNamespace& ns = abc.namespaces[m.ns];
            const String& uri = abc.strings[ns.name];
            const String& local = abc.strings[m.name];
            bool qualify = package ? ns.kind == kNsPackage || ns.kind == kNsPackageInternal : ns.kind == kNsNamespace;
            return qualify && !uri.empty() ? uri + u"::" + local : local;
        };
        auto set = [&](uint32_t index, const String& name) {
            if (index < names.size() && names[index].empty()) names[index] = name;
        };
        auto traits = [&](const std::vector<AbcTrait>& list, const String& owner) {
            for (const AbcTrait& t : list) {
                String n = qname(t.name, false);
                if (t.kind == kTraitMethod || t.kind == kTraitFunction) set(t.index, owner + n);
                else if (t.kind == kTraitGetter) set(t.index, owner + u"get " + n);
                else if (t.kind == kTraitSetter) set(t.index, owner + u"set " + n);
            }
        };
        for (size_t i = 0; i < abc.instances.size() && i < abc.classes.size(); ++i) {
            String cls = qname(abc.instances[i].name, true);
            set(abc.instances[i].init, cls);
            set(abc.classes[i].init, cls + u"$cinit");
            traits(abc.instances[i].traits, cls + u"/");
            traits(abc.classes[i].traits, cls + u"$/");
        }
        for (const AbcScript& sc : abc.scripts) {
            set(sc.init, u"global$init");
            for (const AbcTrait& t : sc.traits)
                if (t.kind == kTraitMethod || t.kind == kTraitFunction) set(t.index, u"global/" + qname(t.name, true));
        }
    }
    if (method < u->methodNames.size() && !u->methodNames[method].empty()) return u->methodNames[method];
    // A function expression: compilers name it "" (a debugging player shows it as anonymous), or
    // leave it without a name, when the player can only number it.
    if (method < abc.methods.size() && abc.methods[method].name == 0)
        return u"MethodInfo-" + numberToString(static_cast<double>(method));
    return u"Function/<anonymous>";
}

void Machine::throwScriptValue(const Value& v) {
    // An Error carries the trace of where it was made; anything else takes the thrower's.
    ClassObject* c = classOf(v);
    throw ThrownValue{v, c && c->isSubclassOf(errorClass) ? String() : stackTrace()};
}

String Machine::stackTrace() {
    String r;
    for (size_t i = callStack.size(); i-- > 0;) {
        const FunctionObject* f = callStack[i].function;
        if (!f->unit) {
            if (!f->traceName.empty()) r += u"\n\tat " + f->traceName + u"()";
            continue;
        }
        r += u"\n\tat " + methodName(f->unit, f->method) + u"()";
        const std::vector<String>& strings = f->unit->abc.strings;
        if (uint32_t file = callStack[i].file; file && file < strings.size()) {
            // Compilers write "source folder;package folder;File.as"; the player shows one path.
            String path;
            size_t start = 0;
            const String& s = strings[file];
            while (start <= s.size()) {
                size_t end = std::min(s.find(u';', start), s.size());
                if (end > start) path += (path.empty() ? u"" : u"\\") + s.substr(start, end - start);
                start = end + 1;
            }
            r += u"[" + path + u":" + numberToString(callStack[i].line) + u"]";
        }
        if (r.size() > 1'000'000) break;
    }
    return r;
}

// ---- Built-in registry ----

ClassObject* Machine::builtin(const String& name) const {
    auto it = builtins_.find(name);
    return it == builtins_.end() ? nullptr : it->second;
}

// A constant of a built-in holder (the top level or a class): a new slot holding `v`.
static void addConstant(TraitTable& table, Object* holder, const Ns& ns, const String& name, const Value& v) {
    Binding b;
    b.kind = Binding::Kind::Const;
    b.slot = static_cast<uint32_t>(table.slots.size());
    SlotInfo s;
    s.initial = v;
    s.name = name;
    table.slots.push_back(s);
    holder->slots.resize(table.slots.size());
    holder->slots[b.slot] = v;
    table.set(ns, name, b);
}

void Machine::defineGlobal(const String& package, const String& name, Value v) {
    addConstant(toplevel->table, toplevel, Ns{kNsPackage, package, 0}, name, v);
}

void Machine::defineGlobalFunction(const String& package, const String& name, int length, NativeFn fn) {
    defineGlobal(package, name, Value(newNative(name, length, std::move(fn))));
}

// The player's API (flash.*) shows its built-ins in stack traces; the language's classes do not
// here, their methods being named in namespaces of their own there.
static bool isPlayerClass(const ClassObject* c) { return c->package.starts_with(u"flash."); }

ClassObject* Machine::defineClass(const String& package, const String& name, ClassObject* super, NativeFn ctor,
                                  Allocator alloc) {
    auto* c = make<ClassObject>();
    c->name = name;
    c->package = package;
    c->super = super;
    c->cls = classClass;
    c->traits = &c->staticTraits;
    c->sealed = false;
    c->allocate = std::move(alloc);
    if (super) {
        c->instanceTraits = super->instanceTraits;
        c->isSealedInstances = super->isSealedInstances;
    }
    c->prototype = make<Object>();
    c->prototype->cls = objectClass;
    c->prototype->proto = super ? super->prototype : nullptr;
    if (ctor) c->constructor = newNative(name, 0, std::move(ctor));
    // An error's trace starts where it is made, outside its constructors.
    if (c->constructor && isPlayerClass(c) && !(errorClass && c->isSubclassOf(errorClass)))
        c->constructor->traceName = c->qualifiedName();
    c->proto = classClass ? classClass->prototype : nullptr;
    builtins_[c->qualifiedName()] = c;
    if (toplevel) defineGlobal(package, name, Value(c));
    c->prototype->dynamic.set(u"constructor", Value(c), false);
    return c;
}

void Machine::defineMethod(ClassObject* c, const String& name, int length, NativeFn fn) {
    FunctionObject* f = newNative(name, length, std::move(fn));
    if (isPlayerClass(c)) f->traceName = c->qualifiedName() + u"/" + name;
    c->prototype->dynamic.set(name, Value(f), false);
}

void Machine::defineStatic(ClassObject* c, const String& name, int length, NativeFn fn) {
    Binding b;
    b.kind = Binding::Kind::Method;
    b.method = newNative(name, length, std::move(fn));
    if (isPlayerClass(c)) b.method->traceName = c->qualifiedName() + u"$/" + name;
    b.declaredBy = c;
    c->staticTraits.set(publicNs, name, b);
    c->staticTraits.set(as3Ns, name, b);
}

void Machine::defineGetter(ClassObject* c, const String& name, NativeFn get, NativeFn set, bool isStatic) {
    Binding b;
    b.kind = Binding::Kind::Accessor;
    b.getter = get ? newNative(name, 0, std::move(get)) : nullptr;
    b.setter = set ? newNative(name, 1, std::move(set)) : nullptr;
    if (isPlayerClass(c)) {
        String owner = c->qualifiedName() + (isStatic ? u"$/" : u"/");
        if (b.getter) b.getter->traceName = owner + u"get " + name;
        if (b.setter) b.setter->traceName = owner + u"set " + name;
    }
    b.declaredBy = c;
    (isStatic ? c->staticTraits : c->instanceTraits).set(publicNs, name, b);
}

void Machine::defineConstant(ClassObject* c, const String& name, Value v) { addConstant(c->staticTraits, c, publicNs, name, v); }

Value Machine::findGlobal(const Name& n, bool& found) {
    found = true;
    for (auto& u : units)
        for (GlobalObject* g : u->scripts)
            if (g->table.find(n)) {
                ensureScriptInitialised(g);
                return Value(g);
            }
    if (toplevel->table.find(n)) return Value(toplevel);
    found = false;
    return Value();
}

ClassObject* Machine::vectorClass(ClassObject* element) {
    auto it = vectors_.find(element);
    if (it != vectors_.end()) return it->second;
    if (!element) return vectorAny;
    auto* c = make<ClassObject>();
    c->name = u"Vector.<" + element->qualifiedName() + u">";
    c->allocate = vectorAny->allocate;
    c->package = u"__AS3__.vec";
    c->cls = classClass;
    c->super = vectorAny;
    c->instanceTraits = vectorAny->instanceTraits;
    c->staticTraits = vectorAny->staticTraits;
    c->traits = &c->staticTraits;
    c->prototype = vectorAny->prototype;
    c->proto = vectorAny->proto;
    c->constructor = vectorAny->constructor;
    // Vector.<T>(list): a Vector of that type already is given back; an Array or another Vector
    // gives a new Vector of its elements, each converted to T.
    c->callAsFunction = [c](Machine& m, const Value& self, std::span<const Value> a) -> Value {
        if (a.size() != 1) return m.vectorAny->callAsFunction(m, self, a);
        Object* o = a[0].object();
        if (o && o->cls == c) return a[0];
        const std::vector<Value>* from = nullptr;
        if (o && o->type == ObjectType::Array) from = &static_cast<ArrayObject*>(o)->items;
        if (o && o->type == ObjectType::Vector) from = &static_cast<VectorObject*>(o)->items;
        if (!from) return m.coerce(a[0], c);  // the usual coercion error
        auto* made = static_cast<VectorObject*>(m.instantiate(c));
        // By index, and by value: a conversion may run code that changes the list.
        for (size_t i = 0; i < from->size(); ++i) {
            const Value item = (*from)[i];
            made->items.push_back(m.coerce(item.isHole() ? Value() : item, c->vectorOf));
        }
        return Value(made);
    };
    c->isVector = true;
    c->vectorOf = element;
    c->isSealedInstances = true;
    vectors_[element] = c;
    return c;
}

}  // namespace swf::avm2
