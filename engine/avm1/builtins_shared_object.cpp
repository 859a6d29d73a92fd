// SharedObject: local shared objects kept for the run. A saver writes nothing to disk, so
// getLocal hands back the same object for the same name and path until the movie ends; flush
// succeeds and getSize counts the bytes the data would take when stored (AMF 0).
#include <map>
#include <unordered_map>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

struct SharedObjects final : NativeState {
    std::map<std::string, Object*> byPath;
    void references(std::vector<Object*>& out) const override {
        for (auto& [path, o] : byPath) out.push_back(o);
    }
};

constexpr size_t kMaxSharedObjects = 1000;

// What the reference player refuses in a shared object's name.
bool validName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (std::string_view("~%&\\;:\"',<>?# ").find(c) != std::string_view::npos) return false;
    return true;
}

class AmfSize {
public:
    size_t value(const Value& v, int depth) {
        switch (v.kind()) {
            case Value::Kind::Undefined:
            case Value::Kind::Null: return 1;
            case Value::Kind::Boolean: return 2;
            case Value::Kind::Number: return 9;
            case Value::Kind::String: return (v.string().size() > 0xFFFF ? 5 : 3) + v.string().size();
            case Value::Kind::Object: break;
        }
        Object* o = v.object();
        if (o->clip || o->isFunction()) return 1;  // written as undefined
        if (seen_.count(o)) return 3;              // a reference to an object written before
        seen_.emplace(o, seen_.size());
        if (o->isDate) return 11;
        if (depth > 256) return 1;
        size_t size = o->isArray ? 5 : 1;
        if (o->isArray)
            for (size_t i = 0; i < o->elements.size(); ++i) size += member(std::to_string(i), o->elements[i], depth);
        o->forEach([&](const Property& p) {
            if (!(p.flags & DontEnum) && !p.getter) size += member(p.name, p.value, depth);
        });
        return size + 3;  // end marker
    }

    // The data object itself: members that point back at it are references.
    void top(Object* data) { seen_.emplace(data, seen_.size()); }

    size_t member(const std::string& name, const Value& v, int depth) { return 2 + name.size() + value(v, depth + 1); }

private:
    std::unordered_map<Object*, size_t> seen_;
};

SharedObjects* registryOf(Machine& m) {
    Object* ctor = m.getMember(Value(m.global()), "SharedObject").object();
    return ctor ? dynamic_cast<SharedObjects*>(ctor->state.get()) : nullptr;
}

Value getLocal(Machine& m, Object* ctor, std::vector<Value>& a) {
    SharedObjects* registry = ctor ? dynamic_cast<SharedObjects*>(ctor->state.get()) : registryOf(m);
    std::string name = m.toString(arg(a, 0));
    if (!registry || a.empty() || !validName(name)) return Value::null();
    std::string path = arg(a, 1).isNullish() ? "" : m.toString(arg(a, 1));
    std::string key = path + "\n" + name;
    if (auto it = registry->byPath.find(key); it != registry->byPath.end()) return Value(it->second);
    if (registry->byPath.size() >= kMaxSharedObjects) return Value::null();
    Object* so = m.newObject();
    so->proto = m.getMember(Value(ctor), "prototype").object();
    so->put(m.key("data"), "data", Value(m.newObject()), DontDelete);
    registry->byPath[key] = so;
    return Value(so);
}

Value flush(Machine&, Object* self, std::vector<Value>&) { return self ? Value(true) : Value(); }

Value clear(Machine& m, Object* self, std::vector<Value>&) {
    Object* data = self ? m.getMember(Value(self), "data").object() : nullptr;
    if (!data) return Value();
    std::vector<std::string> keys;
    data->forEach([&](const Property& p) { keys.push_back(m.key(p.name)); });
    for (const std::string& k : keys) data->remove(k);
    data->elements.clear();
    return Value();
}

Value getSize(Machine& m, Object* self, std::vector<Value>&) {
    Object* data = self ? m.getMember(Value(self), "data").object() : nullptr;
    if (!data) return Value(0.0);
    AmfSize counter;
    counter.top(data);
    size_t size = 0;
    data->forEach([&](const Property& p) {
        if (!(p.flags & DontEnum) && !p.getter) size += counter.member(p.name, p.value, 0) + 1;
    });
    return Value(double(size));
}

Value nothing(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value refuse(Machine&, Object*, std::vector<Value>&) { return Value(false); }
Value noObject(Machine&, Object*, std::vector<Value>&) { return Value::null(); }

}  // namespace

void installSharedObject(Machine& m) {
    Object* proto = m.newObject();
    Object* ctor = defineClass(m, "SharedObject", nothing, nullptr, proto);
    m.global()->find(m.key("SharedObject"))->flags |= FromVersion6;
    ctor->state = std::make_unique<SharedObjects>();
    m.defineNative(ctor, "getLocal", getLocal);
    m.defineNative(ctor, "getRemote", noObject);  // no server to share with
    struct { const char* name; NativeFunction f; } methods[] = {
        {"flush", flush}, {"clear", clear}, {"getSize", getSize}, {"close", nothing}, {"connect", refuse},
        {"send", nothing}, {"setFps", refuse}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
}

}  // namespace swf::avm1
