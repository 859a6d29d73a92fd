// System.security: a movie played from a local file sits in a local sandbox, the one with network
// access when it was published for it. Cross-domain permissions have no other domain to admit.
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

Value sandboxType(Machine& m, Object*, std::vector<Value>&) {
    return Value(m.host().movieMayUseNetwork() ? "localWithNetwork" : "localWithFile");
}

Value nothing(Machine&, Object*, std::vector<Value>&) { return Value(); }

}  // namespace

void installSystemSecurity(Machine& m) {
    Object* system = m.getMember(Value(m.global()), "System").object();
    if (!system) {
        system = m.newObject();
        m.global()->put(m.key("System"), "System", Value(system), DontEnum);
    }
    Object* security = m.newObject();
    system->put(m.key("security"), "security", Value(security), DontEnum);
    defineAccessor(m, security, "sandboxType", sandboxType, nullptr);
    for (const char* name : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"})
        m.defineNative(security, name, nothing);
}

}  // namespace swf::avm1
