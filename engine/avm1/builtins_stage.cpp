// Stage (the movie's size and how it fits its window, with onResize and onFullScreen listeners)
// and System.capabilities as a Windows player reports them.
#include <cctype>

#include "engine/avm1/builtins.h"
#include "engine/base/ascii_case.h"
#include "engine/avm1/geom_support.h"
#include "engine/base/player_identity.h"

namespace swf::avm1 {

namespace {

struct StageLayout : NativeState {
    std::string scaleMode = "showAll";
    std::string align;
    bool fullScreen = false;
    bool showMenu = true;
};

StageLayout& layout(Object* stage) {
    if (!stage->state) stage->state = std::make_unique<StageLayout>();
    return static_cast<StageLayout&>(*stage->state);
}

Object* stageObject(Machine& m) { return m.getMember(Value(m.global()), "Stage").object(); }

StageLayout* layoutOf(Machine& m) {
    Object* s = stageObject(m);
    return s && dynamic_cast<StageLayout*>(s->state.get()) ? &layout(s) : nullptr;
}


// Outside noScale the stage keeps the movie's size, whatever the window.
Value getWidth(Machine& m, Object*, std::vector<Value>&) {
    StageMetrics s = m.host().stageMetrics();
    StageLayout* l = layoutOf(m);
    return Value(l && l->scaleMode == "noScale" ? s.viewWidth : s.movieWidth);
}

Value getHeight(Machine& m, Object*, std::vector<Value>&) {
    StageMetrics s = m.host().stageMetrics();
    StageLayout* l = layoutOf(m);
    return Value(l && l->scaleMode == "noScale" ? s.viewHeight : s.movieHeight);
}

Value getScaleMode(Machine& m, Object*, std::vector<Value>&) {
    StageLayout* l = layoutOf(m);
    return Value(l ? l->scaleMode : std::string("showAll"));
}

// Unknown modes fall back to showAll; case does not matter. Entering or leaving noScale when the
// window and movie differ in size is a resize to scripts.
Value setScaleMode(Machine& m, Object*, std::vector<Value>& a) {
    StageLayout* l = layoutOf(m);
    if (!l) return Value();
    std::string given = asciiLower(m.toString(arg(a, 0)));
    std::string mode = given == "noscale" ? "noScale" : given == "exactfit" ? "exactFit"
                     : given == "noborder" ? "noBorder" : "showAll";
    if (mode == l->scaleMode) return Value();
    bool wasNoScale = l->scaleMode == "noScale";
    l->scaleMode = mode;
    m.host().setStageLayout(l->scaleMode, l->align);
    StageMetrics s = m.host().stageMetrics();
    if ((wasNoScale || mode == "noScale") && (s.viewWidth != s.movieWidth || s.viewHeight != s.movieHeight))
        m.broadcast(stageObject(m), "onResize", {});
    return Value();
}

Value getAlign(Machine& m, Object*, std::vector<Value>&) {
    StageLayout* l = layoutOf(m);
    return Value(l ? l->align : std::string());
}

// The letters L, T, R and B anywhere in the text, written in that order.
Value setAlign(Machine& m, Object*, std::vector<Value>& a) {
    StageLayout* l = layoutOf(m);
    if (!l) return Value();
    std::string given = asciiLower(m.toString(arg(a, 0)));
    l->align.clear();
    for (char c : {'l', 't', 'r', 'b'})
        if (given.find(c) != std::string::npos) l->align += char(std::toupper(c));
    m.host().setStageLayout(l->scaleMode, l->align);
    return Value();
}

Value getDisplayState(Machine& m, Object*, std::vector<Value>&) {
    StageLayout* l = layoutOf(m);
    return Value(l && l->fullScreen ? "fullScreen" : "normal");
}

Value setDisplayState(Machine& m, Object*, std::vector<Value>& a) {
    StageLayout* l = layoutOf(m);
    if (!l) return Value();
    std::string given = asciiLower(m.toString(arg(a, 0)));
    if (given != "fullscreen" && given != "normal") return Value();
    bool full = given == "fullscreen";
    if (full == l->fullScreen) return Value();
    l->fullScreen = full;
    m.broadcast(stageObject(m), "onFullScreen", {Value(full)});
    return Value();
}

Value getShowMenu(Machine& m, Object*, std::vector<Value>&) {
    StageLayout* l = layoutOf(m);
    return Value(!l || l->showMenu);
}

Value setShowMenu(Machine& m, Object*, std::vector<Value>& a) {
    if (StageLayout* l = layoutOf(m)) l->showMenu = m.toBoolean(arg(a, 0));
    return Value();
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }

// Capabilities are fixed for the run but the screen's size, which the host reports.
Value screenWidth(Machine& m, Object*, std::vector<Value>&) { return Value(m.host().stageMetrics().screenWidth); }
Value screenHeight(Machine& m, Object*, std::vector<Value>&) { return Value(m.host().stageMetrics().screenHeight); }
Value screenDpi(Machine& m, Object*, std::vector<Value>&) { return Value(m.host().stageMetrics().screenDpi); }

Value serverString(Machine& m, Object*, std::vector<Value>&) {
    StageMetrics s = m.host().stageMetrics();
    return Value(capabilitiesServerString(s.screenWidth, s.screenHeight, s.screenDpi));
}

void installCapabilities(Machine& m) {
    Object* system = m.getMember(Value(m.global()), "System").object();
    if (!system) {
        system = m.newObject();
        m.global()->put(m.key("System"), "System", Value(system), DontEnum);
    }
    Object* caps = m.newObject();
    system->put(m.key("capabilities"), "capabilities", Value(caps), DontEnum);
    for (const FixedCapability& f : kFixedCapabilities) {
        Value v = f.kind == FixedCapability::Kind::Flag ? Value(f.flag)
                : f.kind == FixedCapability::Kind::Text ? Value(f.text) : Value(f.number);
        caps->put(m.key(f.name), f.name, v, DontDelete | ReadOnly);
    }
    defineAccessor(m, caps, "screenResolutionX", screenWidth, nullptr);
    defineAccessor(m, caps, "screenResolutionY", screenHeight, nullptr);
    defineAccessor(m, caps, "screenDPI", screenDpi, nullptr);
    defineAccessor(m, caps, "serverString", serverString, nullptr);
}

}  // namespace

void installStage(Machine& m) {
    Object* stage = m.newObject();
    m.global()->put(m.key("Stage"), "Stage", Value(stage), DontEnum);
    layout(stage);
    makeBroadcaster(m, stage);
    struct { const char* name; NativeFunction get, set; } accessors[] = {
        {"width", getWidth, noOp}, {"height", getHeight, noOp}, {"scaleMode", getScaleMode, setScaleMode},
        {"align", getAlign, setAlign}, {"displayState", getDisplayState, setDisplayState},
        {"showMenu", getShowMenu, setShowMenu}};
    for (auto& p : accessors) defineAccessor(m, stage, p.name, p.get, p.set);
    installCapabilities(m);
}

}  // namespace swf::avm1
