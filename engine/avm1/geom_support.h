// Shared pieces of the flash.geom and flash.filters classes: their package objects, accessor
// properties on prototypes, and the loose arithmetic those classes do on whatever values scripts
// store in their fields.
#pragma once

#include <string>
#include <vector>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

// _global.flash.<name>, made on first use. The package is seen from SWF 8 on.
Object* flashPackage(Machine& m, const std::string& name);

// A class of flash.<package>: its constructor (plain calls do nothing) with `prototype`.
Object* defineFlashClass(Machine& m, const std::string& package, const std::string& name, NativeFunction construct,
                         Object* prototype);

// A getter/setter pair on `o` (setter may be null: the property is read-only).
void defineAccessor(Machine& m, Object* o, const std::string& name, NativeFunction getter, NativeFunction setter,
                    uint16_t flags = DontEnum);

// A member of any value, converted to a number (undefined, a missing object and so on give NaN).
double numberMember(Machine& m, const Value& target, const std::string& name);

// `a < b` of the language for numbers: undefined when either is NaN.
Value lessThan(double a, double b);

// The class `name` of flash.<package>, as scripts currently see it, constructed with `args`.
Value constructFlashClass(Machine& m, const std::string& package, const std::string& name, std::vector<Value> args);

// Whether `v` is an object made by (or inheriting from) flash.<package>.<name>.
bool isFlashInstance(Machine& m, const Value& v, const std::string& package, const std::string& name);

}  // namespace swf::avm1
