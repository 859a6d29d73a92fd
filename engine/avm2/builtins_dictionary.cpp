// flash.utils.Dictionary: object keys by identity (see dictionary.h), other keys as text.
#include <cstdio>

#include "engine/avm2/dictionary.h"
#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

constexpr char16_t kObjectKeyMarker = u'\uFDD0';  // a noncharacter: no script text holds it by chance

}  // namespace

String DictionaryObject::keyName(Object* key) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(key)));
    String name = String(1, kObjectKeyMarker) + ascii(buf);
    objectKeys_[name] = key;
    return name;
}

Value DictionaryObject::keyOf(const String& name) const {
    if (!name.empty() && name[0] == kObjectKeyMarker) {
        auto it = objectKeys_.find(name);
        if (it != objectKeys_.end()) return Value(it->second);
    }
    // Keys that read as numbers enumerate as numbers, as the player gives them.
    uint32_t index;
    if (parseIndex(name, index)) return Value(index);
    return Value(name);
}

void DictionaryObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    // Names remembered for look-ups of absent keys are forgotten; present keys stay alive.
    for (auto it = objectKeys_.begin(); it != objectKeys_.end();) {
        if (!dynamic.find(it->first)) {
            it = objectKeys_.erase(it);
        } else {
            out.push_back(it->second);
            ++it;
        }
    }
}

String Machine::propertyKey(const Value& holder, const Value& key) {
    Object* o = holder.object();
    Object* k = key.object();
    if (o && k && o->type == ObjectType::Dictionary && k->type != ObjectType::QName)
        return static_cast<DictionaryObject*>(o)->keyName(k);
    return toString(key);
}

void installDictionaryBuiltins(Machine& m) {
    ClassObject* c = m.defineClass(
        u"flash.utils", u"Dictionary", m.objectClass,
        [](Machine& m, const Value& self, std::span<const Value> a) -> Value {
            if (Object* o = self.object(); o && o->type == ObjectType::Dictionary)
                static_cast<DictionaryObject*>(o)->weakKeys = m.toBoolean(arg(a, 0));
            return Value();
        },
        [](Machine& m, ClassObject*) -> Object* { return m.make<DictionaryObject>(); });
    m.dictionaryClass = c;
}

}  // namespace swf::avm2
