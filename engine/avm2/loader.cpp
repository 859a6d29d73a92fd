// Setting up ABC blocks: namespaces and names from the pools, trait tables, functions, classes and
// the scripts' global objects.
#include <atomic>
#include <cmath>

#include "engine/avm2/machine.h"

namespace swf::avm2 {

static uintptr_t nextPrivateId() {
    static std::atomic<uintptr_t> next{1};
    return next++;
}

AbcUnit* Machine::loadAbc(std::span<const uint8_t> bytes, bool lazy) {
    auto unit = std::make_unique<AbcUnit>();
    try {
        unit->abc = parseAbc(bytes);
    } catch (const AbcError& e) {
        if (errorHandler) errorHandler(std::string("VerifyError: Error #1107: The ABC data is corrupt: ") + e.what());
        return nullptr;
    }
    AbcUnit* u = unit.get();
    const AbcFile& abc = u->abc;
    u->namespaces.resize(abc.namespaces.size());
    for (size_t i = 1; i < abc.namespaces.size(); ++i) {
        const AbcNamespace& a = abc.namespaces[i];
        Ns& ns = u->namespaces[i];
        ns.kind = a.kind;
        ns.uri = abc.strings[a.name];
        if (a.kind == kNsPrivate) ns.id = nextPrivateId();
    }
    u->nsSets.resize(abc.nsSets.size());
    for (size_t i = 1; i < abc.nsSets.size(); ++i)
        for (uint32_t n : abc.nsSets[i]) u->nsSets[i].push_back(u->namespaces[n]);
    // Instructions name properties by pool index: each name is made once, not on every access.
    u->names.reserve(abc.multinames.size());
    for (size_t i = 0; i < abc.multinames.size(); ++i) u->names.push_back(multiname(u, static_cast<uint32_t>(i)));
    u->classes.assign(abc.classes.size(), nullptr);
    u->activationTraits.resize(abc.bodies.size());
    u->methodClosures.assign(abc.methods.size(), nullptr);
    units.push_back(std::move(unit));
    for (size_t i = 0; i < abc.scripts.size(); ++i) {
        auto* g = make<GlobalObject>();
        g->unit = u;
        g->script = static_cast<int>(i);
        g->traits = &g->table;
        g->cls = objectClass;
        g->proto = objectClass->prototype;
        u->scripts.push_back(g);
    }
    bool ok = guarded([&] {
        for (size_t i = 0; i < abc.scripts.size(); ++i) {
            GlobalObject* g = u->scripts[i];
            runTraitsInto(u, abc.scripts[i].traits, g->table, nullptr, {ScopeEntry{Value(g), false}}, false);
            initSlots(g);
        }
    });
    if (ok && !lazy && !u->scripts.empty()) guarded([&] { ensureScriptInitialised(u->scripts.back()); });
    return u;
}

void Machine::ensureScriptInitialised(GlobalObject* g) {
    if (g->initialised || !g->unit) return;
    g->initialised = true;
    const AbcScript& s = g->unit->abc.scripts[static_cast<size_t>(g->script)];
    FunctionObject* init = newFunction(g->unit, s.init, {}, nullptr);
    execute(init, Value(g), {});
}

Name Machine::multiname(AbcUnit* unit, uint32_t index, String* storage) {
    (void)storage;
    Name n;
    const AbcMultiname& m = unit->abc.multinames[index];
    n.attribute = m.isAttribute();
    switch (m.kind) {
    case kQName:
    case kQNameA:
        n.local = unit->abc.strings[m.name];
        n.nss = std::span<const Ns>(&unit->namespaces[m.ns], 1);
        if (m.name == 0) n.anyName = true;
        if (m.ns == 0) n.anyNamespace = true;
        break;
    case kMultiname:
    case kMultinameA:
        n.local = unit->abc.strings[m.name];
        n.nss = unit->nsSets[m.nsSet];
        if (m.name == 0) n.anyName = true;
        break;
    case kMultinameL:
    case kMultinameLA: n.nss = unit->nsSets[m.nsSet]; break;
    case kRTQName:
    case kRTQNameA: n.local = unit->abc.strings[m.name]; break;
    case kTypeName: {
        // Vector.<T> as a name: look up "Vector" and apply the parameter.
        Name base = multiname(unit, m.typeName);
        n = base;
        break;
    }
    default: break;
    }
    return n;
}

Value Machine::defaultValue(AbcUnit* unit, const AbcDefault& d) {
    const AbcFile& a = unit->abc;
    switch (d.kind) {
    case 0x03: return Value(a.ints[d.index]);
    case 0x04: return Value(a.uints[d.index]);
    case 0x06: return Value(a.doubles[d.index]);
    case 0x01: return Value(a.strings[d.index]);
    case 0x0A: return Value(false);
    case 0x0B: return Value(true);
    case 0x0C: return Value::null();
    case 0x00: return Value();
    default: {
        auto* ns = make<NamespaceObject>();
        ns->cls = namespaceClass;
        ns->proto = namespaceClass ? namespaceClass->prototype : nullptr;
        ns->traits = namespaceClass ? &namespaceClass->instanceTraits : nullptr;
        ns->ns = unit->namespaces[d.index];
        return Value(ns);
    }
    }
}

FunctionObject* Machine::newFunction(AbcUnit* unit, uint32_t method, std::vector<ScopeEntry> scope, ClassObject* home) {
    auto* f = make<FunctionObject>();
    f->cls = functionClass;
    f->traits = &functionClass->instanceTraits;
    f->proto = functionClass->prototype;
    f->unit = unit;
    f->method = method;
    f->scope = std::move(scope);
    f->home = home;
    const AbcMethod& m = unit->abc.methods[method];
    f->name = unit->abc.strings[m.name];
    f->length = static_cast<int>(m.paramTypes.size());
    return f;
}

static Value typeDefault(Machine& m, AbcUnit* unit, uint32_t type) {
    if (type == 0) return Value();
    const AbcMultiname& mn = unit->abc.multinames[type];
    if (mn.kind == kQName && unit->namespaces[mn.ns].uri.empty()) {
        const String& local = unit->abc.strings[mn.name];
        if (local == u"int" || local == u"uint") return Value(0);
        if (local == u"Number") return Value(NAN);
        if (local == u"Boolean") return Value(false);
        if (local == u"*") return Value();
    }
    (void)m;
    return Value::null();
}

void Machine::runTraitsInto(AbcUnit* unit, const std::vector<AbcTrait>& traits, TraitTable& table,
                            ClassObject* declaredBy, const std::vector<ScopeEntry>& scope, bool isStatic) {
    (void)isStatic;
    const AbcFile& a = unit->abc;
    for (const AbcTrait& t : traits) {
        const AbcMultiname& mn = a.multinames[t.name];
        const Ns& ns = unit->namespaces[mn.ns];
        const String& local = a.strings[mn.name];
        switch (t.kind) {
        case kTraitSlot:
        case kTraitConst:
        case kTraitClass:
        case kTraitFunction: {
            uint32_t slot = t.slotId;
            if (slot == 0 || slot > 65536 || (slot < table.slots.size() && !table.slots[slot].name.empty())) slot = static_cast<uint32_t>(table.slots.size());
            if (slot >= table.slots.size()) table.slots.resize(slot + 1);
            SlotInfo& s = table.slots[slot];
            s.name = local.empty() ? u" " : local;
            s.unit = unit;
            if (t.kind == kTraitClass) {
                s.initial = Value::null();
            } else if (t.kind == kTraitFunction) {
                s.initial = Value(newFunction(unit, t.index, scope, nullptr));
            } else {
                s.type = t.typeName ? &a.multinames[t.typeName] : nullptr;
                s.initial = t.value.index ? defaultValue(unit, t.value) : typeDefault(*this, unit, t.typeName);
                if (t.value.index && s.type) s.initial = coerceTo(s.initial, unit, s.type);
            }
            Binding b;
            b.kind = t.kind == kTraitConst ? Binding::Kind::Const : Binding::Kind::Slot;
            b.slot = slot;
            b.declaredBy = declaredBy;
            table.set(ns, local, b);
            break;
        }
        case kTraitMethod: {
            Binding b;
            b.kind = Binding::Kind::Method;
            b.method = newFunction(unit, t.index, scope, declaredBy);
            b.declaredBy = declaredBy;
            table.set(ns, local, b);
            break;
        }
        case kTraitGetter:
        case kTraitSetter: {
            Binding b;
            if (Binding* old = table.findQ(ns, local); old && old->kind == Binding::Kind::Accessor) b = *old;
            b.kind = Binding::Kind::Accessor;
            FunctionObject* f = newFunction(unit, t.index, scope, declaredBy);
            (t.kind == kTraitGetter ? b.getter : b.setter) = f;
            b.declaredBy = declaredBy;
            table.set(ns, local, b);
            break;
        }
        default: break;
        }
    }
}

ClassObject* Machine::newClass(AbcUnit* unit, uint32_t index, ClassObject* super, const std::vector<ScopeEntry>& scope) {
    const AbcFile& a = unit->abc;
    const AbcInstance& inst = a.instances[index];
    const AbcClass& ci = a.classes[index];
    const AbcMultiname& qn = a.multinames[inst.name];
    auto* c = make<ClassObject>();
    c->name = a.strings[qn.name];
    c->package = qn.kind == kQName ? unit->namespaces[qn.ns].uri : u"";
    c->unit = unit;
    c->instanceIndex = static_cast<int>(index);
    c->cls = classClass;
    c->traits = &c->staticTraits;
    c->proto = classClass->prototype;
    c->super = super;
    c->isInterface = inst.flags & kClassInterface;
    c->isFinal = inst.flags & kClassFinal;
    c->isSealedInstances = (inst.flags & kClassSealed) != 0;
    if (inst.flags & kClassProtectedNs) {
        c->protectedNs = unit->namespaces[inst.protectedNs];
        c->hasProtectedNs = true;
    }
    if (super) {
        if (super->isFinal && !super->isVector)
            throwError(u"VerifyError", 1103, u"Class " + c->qualifiedName() + u" cannot extend final base class " + super->qualifiedName() + u".");
        if (super->isInterface)
            throwError(u"VerifyError", 1110, u"Class " + c->qualifiedName() + u" cannot extend " + super->qualifiedName() + u".");
        c->instanceTraits = super->instanceTraits;
        // Members protected in the base are reached under this class's protected namespace too.
        if (super->hasProtectedNs && c->hasProtectedNs) {
            std::vector<std::pair<String, Binding>> aliases;
            for (auto& [name, list] : c->instanceTraits.byName)
                for (auto& [ns, b] : list)
                    if (ns == super->protectedNs) aliases.emplace_back(name, b);
            for (auto& [name, b] : aliases) c->instanceTraits.set(c->protectedNs, name, b);
        }
    }
    c->prototype = make<Object>();
    c->prototype->cls = objectClass;
    c->prototype->proto = super ? super->prototype : objectClass->prototype;
    c->prototype->dynamic.set(u"constructor", Value(c), false);
    for (uint32_t i : inst.interfaces) {
        ClassObject* ic = resolveType(unit, i);
        if (ic) c->interfaces.push_back(ic);
    }
    c->scope = scope;
    c->scope.push_back(ScopeEntry{Value(c), false});
    unit->classes[index] = c;
    runTraitsInto(unit, inst.traits, c->instanceTraits, c, c->scope, false);
    runTraitsInto(unit, ci.traits, c->staticTraits, c, c->scope, true);
    // Interface methods are called under the interface's namespace: bind those names to the
    // class's public implementations.
    std::vector<ClassObject*> pending = c->interfaces;
    for (size_t k = 0; k < pending.size(); ++k) {
        ClassObject* ic = pending[k];
        for (ClassObject* sup : ic->interfaces) pending.push_back(sup);
        for (auto& [name, list] : ic->instanceTraits.byName)
            for (auto& [ns, b] : list) {
                (void)b;
                if (c->instanceTraits.findQ(ns, name)) continue;
                if (Binding* impl = c->instanceTraits.findQ(publicNs, name)) {
                    Binding copy = *impl;
                    c->instanceTraits.set(ns, name, copy);
                }
            }
    }
    if (c->isInterface) {
        // An interface's own methods are kept by name so that implementers can alias them.
    }
    initSlots(c);
    c->constructor = newFunction(unit, inst.init, c->scope, c);
    FunctionObject* cinit = newFunction(unit, ci.init, c->scope, c);
    execute(cinit, Value(c), {});
    return c;
}

}  // namespace swf::avm2
