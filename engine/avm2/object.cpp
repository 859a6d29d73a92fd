#include "engine/avm2/object.h"

namespace swf::avm2 {

Binding* TraitTable::find(const Name& n) {
    auto it = byName.find(n.local);
    if (it == byName.end()) return nullptr;
    for (auto& [ns, b] : it->second)
        if (n.hasNs(ns)) return &b;
    return nullptr;
}

Binding* TraitTable::findQ(const Ns& ns, const String& local) {
    auto it = byName.find(local);
    if (it == byName.end()) return nullptr;
    for (auto& [n, b] : it->second)
        if (n == ns) return &b;
    return nullptr;
}

void TraitTable::set(const Ns& ns, const String& local, const Binding& b) {
    auto& list = byName[local];
    for (auto& [n, old] : list)
        if (n == ns) {
            old = b;
            return;
        }
    list.emplace_back(ns, b);
}

Value* PropertyMap::find(const String& key) {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &values_[it->second];
}

void PropertyMap::set(const String& key, Value v, bool enumerable) {
    auto it = index_.find(key);
    if (it != index_.end()) {
        values_[it->second] = std::move(v);
        return;
    }
    index_.emplace(key, keys_.size());
    keys_.push_back(key);
    values_.push_back(std::move(v));
    alive_.push_back(true);
    enumerable_.push_back(enumerable);
}

bool PropertyMap::remove(const String& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    size_t i = it->second;
    alive_[i] = false;
    values_[i] = Value();
    index_.erase(it);
    // Compact once most entries are dead, so that a map used as a queue stays small.
    if (index_.size() * 2 + 8 < keys_.size()) {
        std::vector<String> keys;
        std::vector<Value> values;
        std::vector<bool> alive, enumerable;
        for (size_t k = 0; k < keys_.size(); ++k)
            if (alive_[k]) {
                index_[keys_[k]] = keys.size();
                keys.push_back(std::move(keys_[k]));
                values.push_back(std::move(values_[k]));
                alive.push_back(true);
                enumerable.push_back(enumerable_[k]);
            }
        keys_ = std::move(keys);
        values_ = std::move(values);
        alive_ = std::move(alive);
        enumerable_ = std::move(enumerable);
    }
    return true;
}

bool PropertyMap::isEnumerable(const String& key) const {
    auto it = index_.find(key);
    return it != index_.end() && enumerable_[it->second];
}

void PropertyMap::setEnumerable(const String& key, bool e) {
    auto it = index_.find(key);
    if (it != index_.end()) enumerable_[it->second] = e;
}

void PropertyMap::clear() {
    index_.clear();
    keys_.clear();
    values_.clear();
    alive_.clear();
    enumerable_.clear();
}

static void traceValue(const Value& v, std::vector<Object*>& out) {
    if (Object* o = v.object()) out.push_back(o);
}

void Object::trace(std::vector<Object*>& out) {
    if (cls) out.push_back(reinterpret_cast<Object*>(cls));
    if (proto) out.push_back(proto);
    for (const Value& v : slots) traceValue(v, out);
    for (size_t i = 0; i < dynamic.capacity(); ++i)
        if (dynamic.keyAt(i)) traceValue(*dynamic.valueAt(i), out);
}

void FunctionObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    for (const ScopeEntry& e : scope) traceValue(e.object, out);
    if (home) out.push_back(reinterpret_cast<Object*>(home));
    traceValue(boundThis, out);
    if (prototypeObject) out.push_back(prototypeObject);
}

static void traceTable(TraitTable& t, std::vector<Object*>& out) {
    for (auto& [name, list] : t.byName)
        for (auto& [ns, b] : list) {
            if (b.method) out.push_back(b.method);
            if (b.getter) out.push_back(b.getter);
            if (b.setter) out.push_back(b.setter);
        }
    for (const SlotInfo& s : t.slots) traceValue(s.initial, out);
}

void ClassObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    if (super) out.push_back(super);
    for (ClassObject* i : interfaces) out.push_back(i);
    traceTable(instanceTraits, out);
    traceTable(staticTraits, out);
    if (prototype) out.push_back(prototype);
    if (constructor) out.push_back(constructor);
    if (vectorOf) out.push_back(vectorOf);
    for (const ScopeEntry& e : scope) traceValue(e.object, out);
}

bool ClassObject::isSubclassOf(const ClassObject* other) const {
    for (const ClassObject* c = this; c; c = c->super) {
        if (c == other) return true;
        for (const ClassObject* i : c->interfaces)
            if (i->isSubclassOf(other)) return true;
    }
    return false;
}

void GlobalObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    traceTable(table, out);
}

void ArrayObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    for (const Value& v : items) traceValue(v, out);
}

void VectorObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    for (const Value& v : items) traceValue(v, out);
    if (elementType) out.push_back(elementType);
}

}  // namespace swf::avm2
