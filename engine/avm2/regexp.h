// RegExp objects and the regular-expression forms of String's methods (on PCRE2, 16-bit).
#pragma once

#include "engine/avm2/machine.h"

namespace swf::avm2 {

Value regexpSplit(Machine& m, Object* re, const String& subject, double limit);
Value regexpReplace(Machine& m, Object* re, const String& subject, const Value& replacement);
Value regexpMatch(Machine& m, Object* re, const String& subject);
Value regexpSearch(Machine& m, Object* re, const String& subject);
// `$&`, `$1`... in a replacement string.
String expandReplacement(const String& repl, const String& subject, size_t pos, size_t len, const std::vector<Value>& groups,
                         Machine& m);

}  // namespace swf::avm2
