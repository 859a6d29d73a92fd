// The byte code interpreter: one frame per call, operands decoded as they are met, every read
// checked against the end of the code.
#include <cmath>
#include <optional>
#include <unordered_map>

#include "engine/avm2/machine.h"
#include "engine/avm2/xml.h"

namespace swf::avm2 {

namespace {

// Keeps the machine's list of running methods (the call depth, and what stack traces are made
// from), refusing a call past the depth limit or the native stack budget.
struct CallGuard {
    Machine& m;
    CallGuard(Machine& machine, const FunctionObject* f) : m(machine) {
        auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        if (m.callStack.empty()) m.stackBase = here;
        uintptr_t used = here < m.stackBase ? m.stackBase - here : here - m.stackBase;
        if (m.callStack.size() >= static_cast<size_t>(m.limits.callDepth) || used > m.limits.stackBytes)
            m.throwError(u"Error", 1023, u"Stack overflow occurred.");
        m.callStack.push_back({f});
    }
    ~CallGuard() { m.callStack.pop_back(); }
};

struct RootGuard {
    Machine& m;
    size_t n;
    RootGuard(Machine& machine, std::vector<Value>* a, std::vector<Value>* b, std::vector<Value>* c) : m(machine) {
        n = m.activeStacks.size();
        m.activeStacks.push_back(a);
        m.activeStacks.push_back(b);
        m.activeStacks.push_back(c);
    }
    ~RootGuard() { m.activeStacks.resize(n); }
};

// Empties a frame's vectors when it ends (their capacity stays for the next frame at that depth).
struct FrameRelease {
    FrameStore& store;
    ~FrameRelease() {
        store.locals.clear();
        store.stack.clear();
        store.scopes.clear();
        store.scopeWith.clear();
    }
};

[[noreturn]] void verifyError(Machine& m, const char* what) {
    m.throwError(u"VerifyError", 1107, u"The ABC data is corrupt, attempt to read out of bounds." + ascii(what).substr(0, 0));
}

bool isNamespaceObject(const Value& v) { return v.object() && v.object()->type == ObjectType::Namespace; }

}  // namespace

// Out of the interpreter's loop, which recursion keeps on the stack once per script call.
void Machine::xmlOperatorError(const Value& v, int id, const String& what) {
    if (v.isNull()) typeError(1009, u"Cannot access a property or method of a null object reference.");
    if (v.isUndefined()) typeError(1010, u"A term is undefined and has no properties.");
    typeError(id, what + u" not supported on type " + (classOf(v) ? classOf(v)->qualifiedName() : String(u"Object")) + u".");
}

Value Machine::callNative(FunctionObject* f, const Value& self, std::span<const Value> args) {
    if (f->traceName.empty()) return f->native(*this, self, args);
    CallGuard callGuard(*this, f);
    return f->native(*this, self, args);
}

Value Machine::execute(FunctionObject* f, const Value& selfIn, std::span<const Value> args) {
    CallGuard callGuard(*this, f);
    AbcUnit* u = f->unit;
    const AbcFile& abc = u->abc;
    const AbcMethod& m = abc.methods[f->method];
    if (m.body < 0) throwError(u"VerifyError", 1079, u"Native methods are not allowed in loaded code.");
    const AbcBody& body = abc.bodies[static_cast<size_t>(m.body)];
    const std::vector<uint8_t>& code = body.code;

    Value self = selfIn;
    if (self.isNullish() && !f->home) {
        // A plain function called without a receiver runs with the global object as `this`.
        self = f->scope.empty() ? Value(toplevel) : f->scope.front().object;
    }
    size_t paramCount = m.paramTypes.size();
    // Frames nest strictly, so the frame at each depth reuses the vectors of the last one there.
    size_t level = callStack.size() - 1;
    if (frameStores.size() <= level) frameStores.resize(level + 1);
    if (!frameStores[level]) frameStores[level] = std::make_unique<FrameStore>();
    FrameStore& store = *frameStores[level];
    FrameRelease release{store};
    std::vector<Value>& locals = store.locals;
    locals.resize(std::max<size_t>(body.localCount, paramCount + 2));
    std::vector<Value>& stack = store.stack;
    stack.reserve(std::min<size_t>(body.maxStack + 1, 4096));
    std::vector<Value>& scopes = store.scopes;
    std::vector<uint8_t>& scopeWith = store.scopeWith;
    // `default xml namespace` holds until the method that set it returns.
    std::optional<String> savedXmlNs;
    struct XmlNsRestore {
        Machine& m;
        std::optional<String>& saved;
        ~XmlNsRestore() {
            if (saved) m.defaultXmlNamespace = *saved;
        }
    } xmlNsRestore{*this, savedXmlNs};
    auto setDefaultXmlNamespace = [&](const String& uri) {
        if (!savedXmlNs) savedXmlNs = defaultXmlNamespace;
        defaultXmlNamespace = uri;
    };
    RootGuard roots(*this, &locals, &stack, &scopes);
    locals[0] = self;

    size_t required = paramCount - m.optionals.size();
    bool takesRest = m.flags & (kNeedRest | kNeedArguments | kIgnoreRest);
    // Function closures take any number of arguments (missing ones are undefined); methods check.
    if (!f->closure && (args.size() < required || (args.size() > paramCount && !takesRest))) {
        String fname = f->name.empty() ? u"Function/<anonymous>" : (f->home ? f->home->qualifiedName() + u"/" + f->name : f->name);
        throwError(u"ArgumentError", 1063, u"Argument count mismatch on " + fname + u"(). Expected " +
                                               numberToString(static_cast<double>(required)) + u", got " +
                                               numberToString(static_cast<double>(args.size())) + u".");
    }
    for (size_t i = 0; i < paramCount; ++i) {
        const AbcMultiname* type = m.paramTypes[i] ? &abc.multinames[m.paramTypes[i]] : nullptr;
        if (i < args.size()) {
            locals[1 + i] = coerceTo(args[i], u, type);
        } else if (i < required) {
            locals[1 + i] = coerceTo(Value(), u, type);
        } else {
            size_t o = i - required;
            locals[1 + i] = coerceTo(defaultValue(u, m.optionals[o]), u, type);
        }
    }
    if (m.flags & kNeedRest) {
        std::vector<Value> rest;
        for (size_t i = paramCount; i < args.size(); ++i) rest.push_back(args[i]);
        locals[paramCount + 1] = Value(newArray(std::move(rest)));
    } else if (m.flags & kNeedArguments) {
        ArrayObject* a = newArray(std::vector<Value>(args.begin(), args.end()));
        a->dynamic.set(u"callee", Value(f), false);
        locals[paramCount + 1] = Value(a);
    }

    size_t pc = 0;
    auto u8 = [&]() -> uint8_t {
        if (pc >= code.size()) verifyError(*this, "code");
        return code[pc++];
    };
    auto u30 = [&]() -> uint32_t {
        uint32_t r = 0;
        for (int i = 0; i < 5; ++i) {
            uint8_t c = u8();
            r |= static_cast<uint32_t>(c & 0x7F) << (7 * i);
            if (!(c & 0x80)) break;
        }
        return r;
    };
    auto s24 = [&]() -> int32_t {
        uint32_t a = u8(), b = u8(), c = u8();
        uint32_t v = a | (b << 8) | (c << 16);
        if (v & 0x800000) v |= 0xFF000000u;
        return static_cast<int32_t>(v);
    };
    auto pop = [&]() -> Value {
        if (stack.empty()) verifyError(*this, "stack");
        Value v = std::move(stack.back());
        stack.pop_back();
        return v;
    };
    auto push = [&](Value v) {
        if (stack.size() > 1'000'000) throw ScriptAbort("operand stack overflow");
        stack.push_back(std::move(v));
    };
    auto top = [&]() -> Value& {
        if (stack.empty()) verifyError(*this, "stack");
        return stack.back();
    };
    auto popArgs = [&](uint32_t n) -> std::vector<Value> {
        if (n > stack.size()) verifyError(*this, "stack");
        std::vector<Value> a(std::make_move_iterator(stack.end() - n), std::make_move_iterator(stack.end()));
        stack.resize(stack.size() - n);
        return a;
    };
    auto local = [&](uint32_t i) -> Value& {
        if (i >= locals.size()) verifyError(*this, "local");
        return locals[i];
    };
    auto checkIndex = [&](uint32_t i, size_t size) {
        if (i >= size) verifyError(*this, "pool");
    };
    uint32_t backwardJumps = 0;
    auto jump = [&](int32_t off) {
        int64_t target = static_cast<int64_t>(pc) + off;
        if (target < 0 || target > static_cast<int64_t>(code.size())) verifyError(*this, "jump");
        // Reading the clock on every loop pass would cost more than many instructions.
        if (off < 0 && (++backwardJumps & 255) == 0) checkTime();
        pc = static_cast<size_t>(target);
    };

    // Run-time namespace storage for names built from the stack.
    Ns rtNs;
    // The name of a multiname operand, taking its run-time parts from the stack.
    Value rtKey;
    bool hasRtKey = false;
    Name rtName;
    auto readName = [&](uint32_t index) -> const Name& {
        checkIndex(index, abc.multinames.size());
        const AbcMultiname& mn = abc.multinames[index];
        hasRtKey = false;
        if (!mn.runtimeName() && !mn.runtimeNs()) return u->names[index];
        Name& n = rtName;
        n = u->names[index];
        if (mn.runtimeName()) {
            rtKey = pop();
            hasRtKey = true;
            if (QNameObject* q = rtKey.object() && rtKey.object()->type == ObjectType::QName ? static_cast<QNameObject*>(rtKey.object()) : nullptr) {
                n.local = q->local;
                if (!q->uri.isNull()) {
                    rtNs = Ns{kNsNamespace, toString(q->uri), 0};
                    n.nss = std::span<const Ns>(&rtNs, 1);
                } else {
                    n.anyNamespace = true;
                }
            } else if (rtKey.isObject() && !stack.empty() && stack.back().object() &&
                       stack.back().object()->type == ObjectType::Dictionary) {
                n.local = propertyKey(stack.back(), rtKey);  // the holder is under the name
            } else {
                n.local = toString(rtKey);
            }
        }
        if (mn.runtimeNs()) {
            Value nsv = pop();
            if (isNamespaceObject(nsv)) rtNs = static_cast<NamespaceObject*>(nsv.object())->ns;
            else rtNs = Ns{kNsNamespace, toString(nsv), 0};
            n.nss = std::span<const Ns>(&rtNs, 1);
        }
        return n;
    };
    auto fastIndex = [&](const Value& obj, uint32_t& index) -> Object* {
        if (!hasRtKey || !rtKey.isNumber()) return nullptr;
        Object* o = obj.object();
        if (!o || (o->type != ObjectType::Array && o->type != ObjectType::Vector)) return nullptr;
        double d = rtKey.number();
        if (!(d >= 0 && d < 4294967295.0 && d == std::floor(d))) return nullptr;
        index = static_cast<uint32_t>(d);
        return o;
    };

    auto scopeValue = [&](size_t i) -> const Value& { return scopes[i]; };
    // Built-in classes keep their methods on prototypes: a scope object (a `this` of a class
    // that extends one) finds them there, short of Object's own prototype.
    auto inheritedBuiltin = [&](Object* o, const Name& n) {
        if (o->type == ObjectType::Class || o->type == ObjectType::Global || !n.hasPublic()) return false;
        for (Object* p = o->proto; p && p != objectClass->prototype; p = p->proto)
            if (p->dynamic.find(n.local)) return true;
        return false;
    };
    // findproperty: the object on the scope chain that has the name.
    auto findProperty = [&](const Name& n, bool strict) -> Value {
        for (size_t i = scopes.size(); i-- > 0;) {
            const Value& s = scopeValue(i);
            Object* o = s.object();
            if (!o) continue;
            if (scopeWith[i]) {
                if (hasProperty(s, n)) return s;
            } else if ((o->traits && o->traits->find(n)) || inheritedBuiltin(o, n)) {
                return s;
            } else if (o->type == ObjectType::Global && n.hasPublic() && o->dynamic.find(n.local)) {
                return s;
            }
        }
        for (size_t i = f->scope.size(); i-- > 0;) {
            const ScopeEntry& e = f->scope[i];
            Object* o = e.object.object();
            if (!o) continue;
            if (e.with) {
                if (hasProperty(e.object, n)) return e.object;
            } else if ((o->traits && o->traits->find(n)) || inheritedBuiltin(o, n)) {
                return e.object;
            } else if (o->type == ObjectType::Global && n.hasPublic() && o->dynamic.find(n.local)) {
                return e.object;
            }
        }
        bool found = false;
        Value g = findGlobal(n, found);
        if (found) return g;
        if (strict) referenceError(1065, u"Variable " + n.local + u" is not defined.");
        if (!f->scope.empty()) return f->scope.front().object;
        if (!scopes.empty()) return scopes.front();
        return Value(toplevel);
    };
    auto globalObject = [&]() -> Value {
        if (!f->scope.empty()) return f->scope.front().object;
        if (!scopes.empty()) return scopes.front();
        return Value(toplevel);
    };
    auto capturedScope = [&]() {
        std::vector<ScopeEntry> s = f->scope;
        for (size_t i = 0; i < scopes.size(); ++i) s.push_back(ScopeEntry{scopes[i], scopeWith[i] != 0});
        return s;
    };
    auto slotOf = [&](const Value& obj, uint32_t slot) -> Value& {
        Object* o = obj.object();
        if (!o) {
            if (obj.isNull()) typeError(1009, u"Cannot access a property or method of a null object reference.");
            typeError(1010, u"A term is undefined and has no properties.");
        }
        if (slot == 0 || slot >= o->slots.size()) verifyError(*this, "slot");
        return o->slots[slot];
    };
    auto setSlot = [&](const Value& obj, uint32_t slot, const Value& v) {
        Value& dst = slotOf(obj, slot);
        Object* o = obj.object();
        if (o->traits && slot < o->traits->slots.size()) {
            const SlotInfo& s = o->traits->slots[slot];
            dst = coerceTo(v, s.unit, s.type);
        } else {
            dst = v;
        }
    };
    auto superOf = [&]() -> ClassObject* {
        if (!f->home || !f->home->super) throwError(u"ReferenceError", 1070, u"Method not found on super.");
        return f->home->super;
    };
    std::unordered_map<Object*, std::vector<Value>> enumeration;
    auto keysOf = [&](Object* o) -> std::vector<Value>& {
        auto it = enumeration.find(o);
        if (it != enumeration.end()) return it->second;
        std::vector<Value>& keys = enumeration[o];
        enumerate(o, keys);
        for (Object* p = o->proto; p; p = p->proto) enumerate(p, keys);
        return keys;
    };
    // The operands of nextname, hasnext and nextvalue: the object, its keys (none for a
    // primitive) and the position.
    struct EnumerationStep {
        Value object;
        std::vector<Value>* keys = nullptr;
        int index = 0;
    };
    auto enumerationStep = [&]() {
        EnumerationStep e;
        Value idx = pop();
        e.object = pop();
        e.index = toInt(idx);
        if (Object* o = e.object.object()) e.keys = &keysOf(o);
        return e;
    };
    // Numbers are the common operands: they skip the conversions' calls.
    auto num = [&](const Value& v) -> double { return v.isNumber() ? v.number() : toNumber(v); };
    auto int32 = [&](const Value& v) -> int32_t {
        if (v.isNumber()) {
            double d = v.number();
            if (d >= -2147483648.0 && d <= 2147483647.0) {
                auto i = static_cast<int32_t>(d);
                if (i == d) return i;
            }
            return toInt32(d);
        }
        return toInt(v);
    };
    auto compareOp = [&](uint8_t op, const Value& a, const Value& b) -> bool {
        if (a.isNumber() && b.isNumber()) {
            double x = a.number(), y = b.number();
            switch (op) {
            case 0x0C: return !(x < y);
            case 0x0D: return !(x <= y);
            case 0x0E: return !(x > y);
            case 0x0F: return !(x >= y);
            case 0x13: case 0x19: return x == y;
            case 0x14: case 0x1A: return x != y;
            case 0x15: return x < y;
            case 0x16: return x <= y;
            case 0x17: return x > y;
            case 0x18: return x >= y;
            }
        }
        switch (op) {
        case 0x0C: { Value r = lessThan(a, b); return !(r.isBoolean() && r.boolean()); }         // ifnlt
        case 0x0D: { Value r = lessThan(b, a); return !(r.isBoolean() && !r.boolean()); }        // ifnle
        case 0x0E: { Value r = lessThan(b, a); return !(r.isBoolean() && r.boolean()); }         // ifngt
        case 0x0F: { Value r = lessThan(a, b); return !(r.isBoolean() && !r.boolean()); }        // ifnge
        case 0x13: return looseEquals(a, b);
        case 0x14: return !looseEquals(a, b);
        case 0x15: { Value r = lessThan(a, b); return r.isBoolean() && r.boolean(); }
        case 0x16: { Value r = lessThan(b, a); return r.isBoolean() && !r.boolean(); }
        case 0x17: { Value r = lessThan(b, a); return r.isBoolean() && r.boolean(); }
        case 0x18: { Value r = lessThan(a, b); return r.isBoolean() && !r.boolean(); }
        case 0x19: return strictEquals(a, b);
        case 0x1A: return !strictEquals(a, b);
        }
        return false;
    };

    size_t opStart = 0;
    for (;;) {
        try {
            for (;;) {
                opStart = pc;
                if (pc >= code.size()) return Value();  // falling off the end returns undefined
                uint8_t op = code[pc++];
                switch (op) {
                case 0x01: case 0x02: case 0x09: case 0xF3: break;  // bkpt, nop, label, timestamp
                case 0x03: throwScriptValue(pop());
                case 0x04: {  // getsuper
                    const Name& n = readName(u30());
                    Value obj = pop();
                    ClassObject* s = superOf();
                    Binding* b = s->instanceTraits.find(n);
                    if (!b) { push(getProperty(obj, n)); break; }
                    if (b->kind == Binding::Kind::Accessor) push(b->getter ? call(Value(b->getter), obj, {}) : Value());
                    else if (b->kind == Binding::Kind::Method) push(Value(bindMethod(*this, b->method, obj)));
                    else push(obj.object() && b->slot < obj.object()->slots.size() ? obj.object()->slots[b->slot] : Value());
                    break;
                }
                case 0x05: {  // setsuper
                    Value v = pop();
                    const Name& n = readName(u30());
                    Value obj = pop();
                    ClassObject* s = superOf();
                    Binding* b = s->instanceTraits.find(n);
                    if (b && b->kind == Binding::Kind::Accessor && b->setter) {
                        Value a[1] = {v};
                        call(Value(b->setter), obj, a);
                    } else {
                        setProperty(obj, n, v);
                    }
                    break;
                }
                case 0x06: {  // dxns
                    uint32_t i = u30();
                    checkIndex(i, abc.strings.size());
                    setDefaultXmlNamespace(abc.strings[i]);
                    break;
                }
                case 0x07: setDefaultXmlNamespace(toString(pop())); break;  // dxnslate
                case 0x08: local(u30()) = Value(); break;  // kill
                case 0x0C: case 0x0D: case 0x0E: case 0x0F: case 0x13: case 0x14: case 0x15: case 0x16:
                case 0x17: case 0x18: case 0x19: case 0x1A: {
                    int32_t off = s24();
                    Value b = pop();
                    Value a = pop();
                    if (compareOp(op, a, b)) jump(off);
                    break;
                }
                case 0x10: jump(s24()); break;
                case 0x11: { int32_t off = s24(); if (toBoolean(pop())) jump(off); break; }
                case 0x12: { int32_t off = s24(); if (!toBoolean(pop())) jump(off); break; }
                case 0x1B: {  // lookupswitch
                    size_t base = opStart;
                    int32_t def = s24();
                    uint32_t count = u30();
                    if (count > code.size()) verifyError(*this, "switch");
                    double idx = toNumber(pop());
                    int32_t target = def;
                    size_t casesAt = pc;
                    if (casesAt + 3ull * (count + 1) > code.size()) verifyError(*this, "switch");
                    if (idx >= 0 && idx <= count && idx == std::floor(idx)) {
                        pc = casesAt + 3 * static_cast<size_t>(idx);
                        target = s24();
                    }
                    pc = base;
                    jump(target);
                    break;
                }
                case 0x1C: {  // pushwith
                    Value v = pop();
                    if (v.isNullish()) typeError(1009, u"Cannot access a property or method of a null object reference.");
                    scopes.push_back(v);
                    scopeWith.push_back(1);
                    break;
                }
                case 0x1D:
                    if (scopes.empty()) verifyError(*this, "scope");
                    scopes.pop_back();
                    scopeWith.pop_back();
                    break;
                case 0x1E: {  // nextname
                    EnumerationStep e = enumerationStep();
                    push(e.keys && e.index >= 1 && static_cast<size_t>(e.index) <= e.keys->size()
                             ? (*e.keys)[static_cast<size_t>(e.index - 1)]
                             : Value());
                    break;
                }
                case 0x1F: {  // hasnext
                    EnumerationStep e = enumerationStep();
                    push(Value(e.keys && static_cast<size_t>(e.index) < e.keys->size() ? e.index + 1 : 0));
                    break;
                }
                case 0x20: push(Value::null()); break;
                case 0x21: push(Value()); break;
                case 0x23: {  // nextvalue
                    EnumerationStep e = enumerationStep();
                    if (e.keys && e.index >= 1 && static_cast<size_t>(e.index) <= e.keys->size()) {
                        Value k = (*e.keys)[static_cast<size_t>(e.index - 1)];
                        push(getProperty(e.object, Name{propertyKey(e.object, k), publicSet}));
                    } else {
                        push(Value());
                    }
                    break;
                }
                case 0x24: push(Value(static_cast<int>(static_cast<int8_t>(u8())))); break;
                case 0x25: push(Value(static_cast<int>(static_cast<int16_t>(u30())))); break;
                case 0x26: push(Value(true)); break;
                case 0x27: push(Value(false)); break;
                case 0x28: push(Value(NAN)); break;
                case 0x29: pop(); break;
                case 0x2A: push(Value(top())); break;
                case 0x2B: {
                    Value b = pop();
                    Value a = pop();
                    push(b);
                    push(a);
                    break;
                }
                case 0x2C: { uint32_t i = u30(); checkIndex(i, abc.strings.size()); push(Value(abc.strings[i])); break; }
                case 0x2D: { uint32_t i = u30(); checkIndex(i, abc.ints.size()); push(Value(abc.ints[i])); break; }
                case 0x2E: { uint32_t i = u30(); checkIndex(i, abc.uints.size()); push(Value(abc.uints[i])); break; }
                case 0x2F: { uint32_t i = u30(); checkIndex(i, abc.doubles.size()); push(Value(abc.doubles[i])); break; }
                case 0x30: {  // pushscope
                    Value v = pop();
                    if (v.isNullish()) typeError(1009, u"Cannot access a property or method of a null object reference.");
                    scopes.push_back(v);
                    scopeWith.push_back(0);
                    break;
                }
                case 0x31: {  // pushnamespace
                    uint32_t i = u30();
                    checkIndex(i, u->namespaces.size());
                    auto* ns = make<NamespaceObject>();
                    ns->cls = namespaceClass;
                    ns->proto = namespaceClass->prototype;
                    ns->traits = &namespaceClass->instanceTraits;
                    ns->ns = u->namespaces[i];
                    push(Value(ns));
                    break;
                }
                case 0x32: {  // hasnext2
                    uint32_t objReg = u30(), idxReg = u30();
                    Value& objV = local(objReg);
                    Value& idxV = local(idxReg);
                    Object* o = objV.object();
                    int i = static_cast<int>(toNumber(idxV));
                    if (!o) {
                        if (objV.isString() || objV.isNumber() || objV.isBoolean()) o = classOf(objV)->prototype;
                    }
                    if (!o) {
                        idxV = Value(0);
                        push(Value(false));
                        break;
                    }
                    auto& keys = keysOf(o);
                    if (i >= 0 && static_cast<size_t>(i) < keys.size()) {
                        idxV = Value(i + 1);
                        push(Value(true));
                    } else {
                        idxV = Value(0);
                        objV = Value::null();
                        push(Value(false));
                    }
                    break;
                }
                case 0x40: {  // newfunction
                    uint32_t i = u30();
                    checkIndex(i, abc.methods.size());
                    FunctionObject* fn = newFunction(u, i, capturedScope(), nullptr);
                    fn->closure = true;
                    Object* p = newObject();
                    p->dynamic.set(u"constructor", Value(fn), false);
                    fn->dynamic.set(u"prototype", Value(p), false);
                    fn->prototypeObject = p;
                    push(Value(fn));
                    break;
                }
                case 0x41: {  // call
                    uint32_t argc = u30();
                    auto a = popArgs(argc);
                    Value self2 = pop();
                    Value fn = pop();
                    push(call(fn, self2, a));
                    break;
                }
                case 0x42: {  // construct
                    uint32_t argc = u30();
                    auto a = popArgs(argc);
                    Value c = pop();
                    push(construct(c, a));
                    break;
                }
                case 0x43: case 0x44: {  // callmethod, callstatic
                    uint32_t index = u30();
                    uint32_t argc = u30();
                    auto a = popArgs(argc);
                    Value recv = pop();
                    if (op == 0x44) {
                        checkIndex(index, abc.methods.size());
                        FunctionObject* fn = newFunction(u, index, capturedScope(), nullptr);
                        push(execute(fn, recv, a));
                    } else {
                        throwError(u"VerifyError", 1051, u"Illegal early binding access.");
                    }
                    break;
                }
                case 0x45: case 0x4E: {  // callsuper, callsupervoid
                    uint32_t index = u30();
                    uint32_t argc = u30();
                    auto a = popArgs(argc);
                    const Name& n = readName(index);
                    Value recv = pop();
                    ClassObject* s = superOf();
                    Binding* b = s->instanceTraits.find(n);
                    Value r;
                    if (b && b->kind == Binding::Kind::Method) {
                        r = b->method->native ? callNative(b->method, recv, a) : execute(b->method, recv, a);
                    } else if (b && b->kind == Binding::Kind::Accessor && b->getter) {
                        r = call(call(Value(b->getter), recv, {}), recv, a);
                    } else if (b && (b->kind == Binding::Kind::Slot || b->kind == Binding::Kind::Const)) {
                        // A variable of the base class holding a function: the receiver's value is called.
                        Object* o = recv.object();
                        r = call(o && b->slot < o->slots.size() ? o->slots[b->slot] : Value(), recv, a);
                    } else {
                        Value fn;
                        for (Object* p = s->prototype; p && fn.isUndefined(); p = p->proto)
                            if (Value* v = p->dynamic.find(n.local)) fn = *v;
                        if (fn.isUndefined())
                            referenceError(1070, u"Method " + n.local + u" not found on " + s->qualifiedName());
                        r = call(fn, recv, a);
                    }
                    if (op == 0x45) push(r);
                    break;
                }
                case 0x46: case 0x4C: case 0x4F: {  // callproperty, callproplex, callpropvoid
                    uint32_t index = u30();
                    uint32_t argc = u30();
                    checkIndex(index, abc.multinames.size());
                    if (const AbcMultiname& mn = abc.multinames[index]; !mn.runtimeName() && !mn.runtimeNs()) {
                        // The receiver and arguments stay on the stack (and rooted) through the call.
                        if (argc >= stack.size()) verifyError(*this, "stack");
                        size_t base = stack.size() - argc;
                        Value r = callProperty(stack[base - 1], u->names[index], std::span<const Value>(stack.data() + base, argc),
                                               op == 0x4C);
                        stack.resize(base - 1);
                        if (op != 0x4F) push(std::move(r));
                        break;
                    }
                    auto a = popArgs(argc);
                    const Name& n = readName(index);
                    Value recv = pop();
                    uint32_t ix;
                    Value r;
                    if (Object* o = fastIndex(recv, ix)) {
                        Value fn = getProperty(recv, n);
                        r = call(fn, Value::null(), a);
                        (void)o;
                    } else {
                        r = callProperty(recv, n, a, op == 0x4C);
                    }
                    if (op != 0x4F) push(r);
                    break;
                }
                case 0x47: return Value();
                case 0x48: {
                    Value r = pop();
                    return coerceTo(r, u, m.returnType ? &abc.multinames[m.returnType] : nullptr);
                }
                case 0x49: {  // constructsuper
                    uint32_t argc = u30();
                    auto a = popArgs(argc);
                    Value recv = pop();
                    ClassObject* s = f->home ? f->home->super : nullptr;
                    if (s && s->constructor) {
                        if (s->constructor->native) callNative(s->constructor, recv, a);
                        else execute(s->constructor, recv, a);
                    }
                    break;
                }
                case 0x4A: {  // constructprop
                    uint32_t index = u30();
                    uint32_t argc = u30();
                    auto a = popArgs(argc);
                    const Name& n = readName(index);
                    Value recv = pop();
                    push(constructProperty(recv, n, a));
                    break;
                }
                case 0x50: push(Value((toInt(pop()) & 1) ? -1 : 0)); break;
                case 0x51: push(Value(static_cast<int>(static_cast<int8_t>(toInt(pop()) & 0xFF)))); break;
                case 0x52: push(Value(static_cast<int>(static_cast<int16_t>(toInt(pop()) & 0xFFFF)))); break;
                case 0x53: {  // applytype
                    uint32_t argc = u30();
                    auto a = popArgs(argc);
                    Value base = pop();
                    if (base.object() != vectorBase || a.size() != 1)
                        typeError(1127, u"Type application attempted on a non-parameterized type.");
                    Object* t = a[0].object();
                    ClassObject* elem = t && t->type == ObjectType::Class ? static_cast<ClassObject*>(t) : nullptr;
                    push(Value(vectorClass(elem)));
                    break;
                }
                case 0x55: {  // newobject
                    uint32_t argc = u30();
                    if (argc > stack.size() / 2) verifyError(*this, "stack");
                    auto a = popArgs(argc * 2);
                    Object* o = newObject();
                    for (size_t i = 0; i < a.size(); i += 2) o->dynamic.set(toString(a[i]), a[i + 1]);
                    push(Value(o));
                    break;
                }
                case 0x56: {  // newarray
                    uint32_t argc = u30();
                    push(Value(newArray(popArgs(argc))));
                    break;
                }
                case 0x57: {  // newactivation
                    auto& t = u->activationTraits[static_cast<size_t>(m.body)];
                    if (!t) {
                        t = std::make_unique<TraitTable>();
                        runTraitsInto(u, body.traits, *t, nullptr, capturedScope(), false);
                    }
                    Object* o = make<Object>(ObjectType::Activation);
                    o->traits = t.get();
                    initSlots(o);
                    push(Value(o));
                    break;
                }
                case 0x58: {  // newclass
                    uint32_t i = u30();
                    checkIndex(i, abc.classes.size());
                    Value base = pop();
                    ClassObject* super = nullptr;
                    if (Object* b = base.object(); b && b->type == ObjectType::Class) super = static_cast<ClassObject*>(b);
                    else if (!base.isNullish()) typeError(1041, u"The right-hand side of instanceof must be a class or function.");
                    push(Value(newClass(u, i, super, capturedScope())));
                    break;
                }
                case 0x59: {  // getdescendants
                    const Name& n = readName(u30());
                    Value obj = pop();
                    if (!isXmlValue(obj)) xmlOperatorError(obj, 1016, u"Descendants operator (..)");
                    push(Value(xmlDescendants(*this, obj.object(), xmlNameQuery(*this, n))));
                    break;
                }
                case 0x5A: {  // newcatch
                    uint32_t i = u30();
                    if (i >= body.exceptions.size()) verifyError(*this, "catch");
                    const AbcException& e = body.exceptions[i];
                    auto& table = u->catchTraits[{static_cast<size_t>(m.body), i}];
                    bool fresh = !table;
                    if (fresh) table = std::make_unique<TraitTable>();
                    TraitTable* t = table.get();
                    Object* o = make<Object>(ObjectType::Activation);
                    // The catch scope's one slot is named after the exception variable.
                    if (fresh && e.varName) {
                        const AbcMultiname& vn = abc.multinames[e.varName];
                        SlotInfo s;
                        s.name = vn.kind == kQName ? abc.strings[vn.name] : u"e";
                        t->slots.push_back(s);
                        Binding b;
                        b.slot = 1;
                        if (vn.kind == kQName) t->set(u->namespaces[vn.ns], abc.strings[vn.name], b);
                    }
                    o->traits = t;
                    initSlots(o);
                    push(Value(o));
                    break;
                }
                case 0x5D: push(findProperty(readName(u30()), true)); break;
                case 0x5E: push(findProperty(readName(u30()), false)); break;
                case 0x5F: {  // finddef
                    const Name& n = readName(u30());
                    bool found = false;
                    Value g = findGlobal(n, found);
                    if (!found) referenceError(1065, u"Variable " + n.local + u" is not defined.");
                    push(g);
                    break;
                }
                case 0x60: {  // getlex
                    const Name& n = readName(u30());
                    Value holder = findProperty(n, true);
                    push(getProperty(holder, n));
                    break;
                }
                case 0x61: case 0x68: {  // setproperty, initproperty
                    Value v = pop();
                    const Name& n = readName(u30());
                    Value obj = pop();
                    uint32_t ix;
                    if (Object* o = fastIndex(obj, ix); o && o->type == ObjectType::Array) {
                        auto* arr = static_cast<ArrayObject*>(o);
                        if (ix < arr->items.size()) {
                            arr->items[ix] = v.isHole() ? Value() : v;
                            break;
                        }
                    }
                    setProperty(obj, n, v, op == 0x68);
                    break;
                }
                case 0x62: push(Value(local(u30()))); break;
                case 0x63: local(u30()) = pop(); break;
                case 0x64: push(globalObject()); break;
                case 0x65: {  // getscopeobject
                    uint32_t i = u30();
                    if (i >= scopes.size()) verifyError(*this, "scope");
                    push(scopes[i]);
                    break;
                }
                case 0x66: {  // getproperty
                    const Name& n = readName(u30());
                    Value obj = pop();
                    uint32_t ix;
                    if (Object* o = fastIndex(obj, ix)) {
                        if (o->type == ObjectType::Array) {
                            auto* arr = static_cast<ArrayObject*>(o);
                            if (ix < arr->items.size() && !arr->items[ix].isHole()) {
                                push(arr->items[ix]);
                                break;
                            }
                        }
                    }
                    push(getProperty(obj, n));
                    break;
                }
                case 0x67: {  // getouterscope
                    uint32_t i = u30();
                    if (i >= f->scope.size()) verifyError(*this, "scope");
                    push(f->scope[i].object);
                    break;
                }
                case 0x6A: {  // deleteproperty
                    const Name& n = readName(u30());
                    Value obj = pop();
                    push(Value(deleteProperty(obj, n)));
                    break;
                }
                case 0x6C: {  // getslot
                    uint32_t s = u30();
                    Value obj = pop();
                    push(slotOf(obj, s));
                    break;
                }
                case 0x6D: {  // setslot
                    uint32_t s = u30();
                    Value v = pop();
                    Value obj = pop();
                    setSlot(obj, s, v);
                    break;
                }
                case 0x6E: push(slotOf(globalObject(), u30())); break;
                case 0x6F: {
                    uint32_t s = u30();
                    setSlot(globalObject(), s, pop());
                    break;
                }
                case 0x70: {  // convert_s
                    Value v = pop();
                    push(Value(toString(v)));
                    break;
                }
                case 0x71: {  // esc_xelem: XML goes in as markup, anything else as text
                    Value v = pop();
                    if (XmlObject* x = asXml(v)) push(Value(toXmlString(*this, x)));
                    else if (XmlListObject* l = asXmlList(v)) push(Value(listToXmlString(*this, l)));
                    else push(Value(escapeElementValue(toString(v))));
                    break;
                }
                case 0x72: push(Value(escapeAttributeValue(toString(pop())))); break;  // esc_xattr
                case 0x73: case 0x83: push(Value(toInt(pop()))); break;
                case 0x74: case 0x88: push(Value(toUint(pop()))); break;
                case 0x75: case 0x84: push(Value(toNumber(pop()))); break;
                case 0x76: case 0x81: push(Value(toBoolean(pop()))); break;
                case 0x77: {  // convert_o
                    Value& v = top();
                    if (v.isNull()) typeError(1009, u"Cannot access a property or method of a null object reference.");
                    if (v.isUndefined()) typeError(1010, u"A term is undefined and has no properties.");
                    break;
                }
                case 0x78:  // checkfilter
                    if (!isXmlValue(top())) xmlOperatorError(top(), 1123, u"Filter operator");
                    break;
                case 0x80: {  // coerce
                    uint32_t i = u30();
                    checkIndex(i, abc.multinames.size());
                    Value v = pop();
                    push(coerceTo(v, u, &abc.multinames[i]));
                    break;
                }
                case 0x82: break;  // coerce_a
                case 0x85: {  // coerce_s
                    Value v = pop();
                    push(v.isNullish() ? Value::null() : Value(toString(v)));
                    break;
                }
                case 0x86: {  // astype
                    uint32_t i = u30();
                    checkIndex(i, abc.multinames.size());
                    Value v = pop();
                    ClassObject* c = resolveType(u, i);
                    push(isType(v, c) ? v : Value::null());
                    break;
                }
                case 0x87: {  // astypelate
                    Value t = pop();
                    Value v = pop();
                    Object* c = t.object();
                    if (!c || c->type != ObjectType::Class) typeError(1009, u"Cannot access a property or method of a null object reference.");
                    push(isType(v, static_cast<ClassObject*>(c)) ? v : Value::null());
                    break;
                }
                case 0x89: {  // coerce_o
                    Value v = pop();
                    push(v.isUndefined() ? Value::null() : v);
                    break;
                }
                case 0x90: push(Value(-num(pop()))); break;
                case 0x91: push(Value(num(pop()) + 1)); break;
                case 0x92: { Value& l = local(u30()); l = Value(num(l) + 1); break; }
                case 0x93: push(Value(num(pop()) - 1)); break;
                case 0x94: { Value& l = local(u30()); l = Value(num(l) - 1); break; }
                case 0x95: push(Value(typeOf(pop()))); break;
                case 0x96: push(Value(!toBoolean(pop()))); break;
                case 0x97: push(Value(~int32(pop()))); break;
                case 0xA0: {
                    Value b = pop();
                    Value a = pop();
                    push(a.isNumber() && b.isNumber() ? Value(a.number() + b.number()) : add(a, b));
                    break;
                }
                case 0xA1: { Value b = pop(); Value a = pop(); double x = num(a); push(Value(x - num(b))); break; }
                case 0xA2: { Value b = pop(); Value a = pop(); double x = num(a); push(Value(x * num(b))); break; }
                case 0xA3: { Value b = pop(); Value a = pop(); double x = num(a); push(Value(x / num(b))); break; }
                case 0xA4: { Value b = pop(); Value a = pop(); double x = num(a); push(Value(std::fmod(x, num(b)))); break; }
                case 0xA5: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(static_cast<int32_t>(static_cast<uint32_t>(x) << (static_cast<uint32_t>(int32(b)) & 31)))); break; }
                case 0xA6: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(x >> (static_cast<uint32_t>(int32(b)) & 31))); break; }
                case 0xA7: { Value b = pop(); Value a = pop(); uint32_t x = toUint(a); push(Value(x >> (static_cast<uint32_t>(int32(b)) & 31))); break; }
                case 0xA8: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(x & int32(b))); break; }
                case 0xA9: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(x | int32(b))); break; }
                case 0xAA: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(x ^ int32(b))); break; }
                case 0xAB: { Value b = pop(); Value a = pop(); push(Value(looseEquals(a, b))); break; }
                case 0xAC: { Value b = pop(); Value a = pop(); push(Value(strictEquals(a, b))); break; }
                case 0xAD: {
                    Value b = pop();
                    Value a = pop();
                    if (a.isNumber() && b.isNumber()) {
                        push(Value(a.number() < b.number()));
                        break;
                    }
                    Value r = lessThan(a, b);
                    push(Value(r.isBoolean() && r.boolean()));
                    break;
                }
                case 0xAE: {
                    Value b = pop();
                    Value a = pop();
                    if (a.isNumber() && b.isNumber()) {
                        push(Value(a.number() <= b.number()));
                        break;
                    }
                    Value r = lessThan(b, a);
                    push(Value(r.isBoolean() && !r.boolean()));
                    break;
                }
                case 0xAF: {
                    Value b = pop();
                    Value a = pop();
                    if (a.isNumber() && b.isNumber()) {
                        push(Value(a.number() > b.number()));
                        break;
                    }
                    Value r = lessThan(b, a);
                    push(Value(r.isBoolean() && r.boolean()));
                    break;
                }
                case 0xB0: {
                    Value b = pop();
                    Value a = pop();
                    if (a.isNumber() && b.isNumber()) {
                        push(Value(a.number() >= b.number()));
                        break;
                    }
                    Value r = lessThan(a, b);
                    push(Value(r.isBoolean() && !r.boolean()));
                    break;
                }
                case 0xB1: {  // instanceof
                    Value t = pop();
                    Value v = pop();
                    Object* to = t.object();
                    if (!to || (to->type != ObjectType::Class && to->type != ObjectType::Function))
                        typeError(1040, u"The right-hand side of instanceof must be a class or function.");
                    Value p = to->type == ObjectType::Class ? Value(static_cast<ClassObject*>(to)->prototype) : get(t, u"prototype");
                    bool r = false;
                    Object* start = v.object();
                    if (!start && !v.isNullish()) start = classOf(v)->prototype;
                    else if (start) start = start->proto;
                    for (Object* q = start; q && !r; q = q->proto) r = q == p.object();
                    push(Value(r));
                    break;
                }
                case 0xB2: {  // istype
                    uint32_t i = u30();
                    checkIndex(i, abc.multinames.size());
                    Value v = pop();
                    push(Value(isType(v, resolveType(u, i))));
                    break;
                }
                case 0xB3: {  // istypelate
                    Value t = pop();
                    Value v = pop();
                    Object* c = t.object();
                    if (!c || c->type != ObjectType::Class) typeError(1041, u"The right-hand side of operator must be a class.");
                    push(Value(isType(v, static_cast<ClassObject*>(c))));
                    break;
                }
                case 0xB4: {  // in
                    Value obj = pop();
                    Value name = pop();
                    if (obj.isNullish()) typeError(1009, u"Cannot access a property or method of a null object reference.");
                    push(Value(hasProperty(obj, Name{propertyKey(obj, name), publicSet})));
                    break;
                }
                case 0xC0: push(Value(toInt32(num(pop()) + 1))); break;
                case 0xC1: push(Value(toInt32(num(pop()) - 1))); break;
                case 0xC2: { Value& l = local(u30()); l = Value(toInt32(num(l) + 1)); break; }
                case 0xC3: { Value& l = local(u30()); l = Value(toInt32(num(l) - 1)); break; }
                case 0xC4: push(Value(toInt32(-num(pop())))); break;
                case 0xC5: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(toInt32(static_cast<double>(x) + int32(b)))); break; }
                case 0xC6: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(toInt32(static_cast<double>(x) - int32(b)))); break; }
                case 0xC7: { Value b = pop(); Value a = pop(); int32_t x = int32(a); push(Value(static_cast<int32_t>(static_cast<int64_t>(x) * int32(b)))); break; }
                case 0xD0: case 0xD1: case 0xD2: case 0xD3: push(Value(local(op - 0xD0))); break;
                case 0xD4: case 0xD5: case 0xD6: case 0xD7: local(op - 0xD4) = pop(); break;
                case 0xEF: u8(); u30(); u8(); u30(); break;  // debug
                case 0xF0: callStack.back().line = u30(); break;  // debugline
                case 0xF1: callStack.back().file = u30(); break;  // debugfile
                case 0xF2: u30(); break;                     // bkptline
                default:
                    throwError(u"VerifyError", 1011, u"Method contained illegal opcode " + numberToString(op) + u" at offset " +
                                                        numberToString(static_cast<double>(opStart)) + u".");
                }
            }
        } catch (ThrownValue& t) {
            const AbcException* handler = nullptr;
            for (const AbcException& e : body.exceptions) {
                if (opStart < e.from || opStart >= e.to) continue;
                if (e.type) {
                    ClassObject* c = resolveType(u, e.type);
                    if (c && !isType(t.value, c)) continue;
                }
                handler = &e;
                break;
            }
            if (!handler) throw;
            stack.clear();
            scopes.clear();
            scopeWith.clear();
            stack.push_back(t.value);
            pc = handler->target;
        }
    }
}

}  // namespace swf::avm2
