// flash.system.System: what a movie may ask of the player about itself. A saver's movie is not a
// trusted local file, so it may not end the player; memory figures come from the machine's count.
#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

void As3Display::installSystem() {
    Machine& m = m_;
    ClassObject* system = m.defineClass(u"flash.system", u"System", m.objectClass, nullptr);
    system->isFinal = true;
    m.defineStatic(system, u"exit", 1, [](Machine& m, const Value&, Args) -> Value {
        m.throwError(u"SecurityError", 2017, u"Only trusted local files may cause the Flash Player to exit.");
    });
    // The collector runs between frames; asking for it changes nothing a script can see.
    for (const char16_t* name : {u"gc", u"pause", u"resume", u"setClipboard", u"pauseForGCIfCollectionImminent"})
        m.defineStatic(system, name, 0, [](Machine&, const Value&, Args) -> Value { return Value(); });
    // An estimate in bytes: the live objects at a typical size each.
    auto memory = [](Machine& m, const Value&, Args) -> Value { return Value(double(m.objectCount()) * 64.0); };
    m.defineGetter(system, u"totalMemory", memory, nullptr, true);
    m.defineGetter(system, u"totalMemoryNumber", memory, nullptr, true);
    m.defineGetter(system, u"privateMemory", memory, nullptr, true);
    m.defineGetter(system, u"freeMemory", [](Machine&, const Value&, Args) -> Value { return Value(0.0); }, nullptr, true);
    m.defineGetter(system, u"useCodePage", [this](Machine&, const Value&, Args) -> Value { return Value(useCodePage_); },
                   [this](Machine& m, const Value&, Args a) -> Value {
                       useCodePage_ = m.toBoolean(arg(a, 0));
                       return Value();
                   }, true);
    m.defineGetter(system, u"ime", [](Machine&, const Value&, Args) -> Value { return Value::null(); }, nullptr, true);
}

}  // namespace swf
