// flash.utils.Dictionary: a dynamic object whose keys may be objects, compared by identity.
// An object key is stored under a name no text can spell (a marker and the object's address);
// the dictionary remembers which object each such name stands for, for enumeration and for
// the collector.
#pragma once

#include <unordered_map>

#include "engine/avm2/object.h"

namespace swf::avm2 {

class DictionaryObject : public Object {
public:
    DictionaryObject() : Object(ObjectType::Dictionary) {}
    void trace(std::vector<Object*>& out) override;
    // The property name of `key` in this dictionary (an object key is remembered).
    String keyName(Object* key);
    // The key a property name stands for: the object, or the name itself.
    Value keyOf(const String& name) const;
    bool weakKeys = false;  // accepted; keys are held strongly

private:
    std::unordered_map<String, Object*> objectKeys_;
};

}  // namespace swf::avm2
