// flash.system.Capabilities: what the player and the machine can do, as a Windows player reports
// it; the screen is the one the host shows the movie on.
#include "engine/base/player_identity.h"
#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

void As3Display::installCapabilities() {
    Machine& m = m_;
    ClassObject* caps = m.defineClass(u"flash.system", u"Capabilities", m.objectClass, nullptr);
    caps->isFinal = true;
    auto constant = [&](const char* name, Value v) {
        m.defineGetter(caps, ascii(name), [v](Machine&, const Value&, Args) -> Value { return v; }, nullptr, true);
    };
    for (const FixedCapability& f : kFixedCapabilities)
        constant(f.name, f.kind == FixedCapability::Kind::Flag ? Value(f.flag)
                         : f.kind == FixedCapability::Kind::Text ? Value(ascii(f.text)) : Value(f.number));
    // Asked of later players; a 32-bit Windows one answers so.
    constant("cpuArchitecture", Value(String(u"x86")));
    constant("isEmbeddedInAcrobat", Value(false));
    constant("maxLevelIDC", Value(String(u"5.1")));
    constant("supports32BitProcesses", Value(false));
    constant("supports64BitProcesses", Value(false));
    constant("touchscreenType", Value(String(u"none")));
    constant("screenDPI", Value(72.0));
    auto screenWidth = [this] { return screenWidth_ > 0 ? screenWidth_ : stageWidth_; };
    auto screenHeight = [this] { return screenHeight_ > 0 ? screenHeight_ : stageHeight_; };
    m.defineGetter(caps, u"screenResolutionX", [screenWidth](Machine&, const Value&, Args) -> Value {
        return Value(screenWidth());
    }, nullptr, true);
    m.defineGetter(caps, u"screenResolutionY", [screenHeight](Machine&, const Value&, Args) -> Value {
        return Value(screenHeight());
    }, nullptr, true);
    m.defineGetter(caps, u"serverString", [screenWidth, screenHeight](Machine&, const Value&, Args) -> Value {
        return Value(ascii(capabilitiesServerString(screenWidth(), screenHeight(), 72)));
    }, nullptr, true);
    m.defineStatic(caps, u"hasMultiChannelAudio", 1, [](Machine&, const Value&, Args) -> Value { return Value(false); });
}

}  // namespace swf
