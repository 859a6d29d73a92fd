// Loads scripts ask for (XML.load, LoadVars.load, sendAndLoad). A saver reads nothing from the
// network and has no folder of its own, so every load ends as one whose file is not there: on
// the next frame the target's onData is called with undefined.
#pragma once

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

// Starts a load into `target`: false when there is no address to load.
bool requestLoad(Machine& m, Object* target, const Value& url);

// The onData that XML and LoadVars share: undefined means the load failed (onLoad(false));
// anything else is handed to `parse` as text, then loaded is set and onLoad(true) called.
Value finishLoad(Machine& m, Object* self, const Value& data, const char* parse);

// The methods XML and LoadVars share.
namespace loading {
Value load(Machine& m, Object* self, std::vector<Value>& a);
Value sendAndLoad(Machine& m, Object* self, std::vector<Value>& a);
Value send(Machine& m, Object* self, std::vector<Value>& a);
Value onLoad(Machine& m, Object* self, std::vector<Value>& a);
Value getBytesLoaded(Machine& m, Object* self, std::vector<Value>& a);
Value getBytesTotal(Machine& m, Object* self, std::vector<Value>& a);
}  // namespace loading

}  // namespace swf::avm1
