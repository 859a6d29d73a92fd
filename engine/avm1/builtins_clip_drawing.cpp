// The drawing properties Flash 8 gave movie clips and buttons: blendMode, cacheAsBitmap and, on
// clips, opaqueBackground and scrollRect. Each reads and writes what the display draws.
#include <cmath>
#include <string>

#include "engine/avm1/builtins.h"
#include "engine/avm1/geom_support.h"
#include "engine/avm1/host.h"

namespace swf::avm1 {

namespace {

// Blend mode names, by the number the format gives each mode (1 = normal).
const char* const kBlendNames[] = {"normal", "layer", "multiply", "screen", "lighten", "darken", "difference",
                                   "add", "subtract", "invert", "alpha", "erase", "overlay", "hardlight"};
constexpr int kBlendCount = 14;

Clip* clipOf(Object* self) { return self ? self->clip : nullptr; }

Value getBlendMode(Machine&, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    int mode = static_cast<int>(c->drawSettings().blendMode);
    return Value(kBlendNames[(mode >= 1 && mode <= kBlendCount) ? mode - 1 : 0]);
}

// A name sets its mode and a number the mode so numbered; anything else leaves the mode as it was.
Value setBlendMode(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    Value v = arg(a, 0);
    int mode = 0;
    if (v.isNumber()) {
        double n = v.number();
        if (n >= 1 && n <= kBlendCount) mode = static_cast<int>(n);
    } else if (v.isString()) {
        std::string name = m.toString(v);
        for (int i = 0; i < kBlendCount; ++i)
            if (name == kBlendNames[i]) mode = i + 1;
    }
    if (mode == 0) return Value();
    ClipDrawing d = c->drawSettings();
    d.blendMode = static_cast<BlendMode>(mode);
    c->setDrawSettings(d);
    return Value();
}

Value getCacheAsBitmap(Machine&, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    return c ? Value(c->drawSettings().cacheAsBitmap) : Value();
}

Value setCacheAsBitmap(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    ClipDrawing d = c->drawSettings();
    d.cacheAsBitmap = m.toBoolean(arg(a, 0));
    c->setDrawSettings(d);
    return Value();
}

Value getOpaqueBackground(Machine&, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    ClipDrawing d = c->drawSettings();
    return d.opaqueBackground ? Value(double(*d.opaqueBackground)) : Value();
}

// undefined or null takes the background away; any other value is a colour.
Value setOpaqueBackground(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    Value v = arg(a, 0);
    ClipDrawing d = c->drawSettings();
    if (v.isNullish())
        d.opaqueBackground.reset();
    else
        d.opaqueBackground = static_cast<uint32_t>(toInt32(m.toNumber(v))) & 0xFFFFFF;
    c->setDrawSettings(d);
    return Value();
}

Value getScrollRect(Machine& m, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    ClipDrawing d = c->drawSettings();
    if (!d.scrollRect) return Value();
    const ClipBounds& r = *d.scrollRect;
    return constructFlashClass(m, "geom", "Rectangle",
                               {Value(r.xMin), Value(r.yMin), Value(r.xMax - r.xMin), Value(r.yMax - r.yMin)});
}

// Any object with a finite x, y, width and height opens a window of that rectangle; anything
// else closes it.
Value setScrollRect(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    Value v = arg(a, 0);
    ClipDrawing d = c->drawSettings();
    d.scrollRect.reset();
    if (v.object()) {
        double x = numberMember(m, v, "x"), y = numberMember(m, v, "y");
        double w = numberMember(m, v, "width"), h = numberMember(m, v, "height");
        if (std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h))
            d.scrollRect = ClipBounds{x, y, x + std::max(0.0, w), y + std::max(0.0, h)};
    }
    c->setDrawSettings(d);
    return Value();
}

}  // namespace

void installClipDrawing(Machine& m) {
    for (Object* proto : {m.movieClipProto, m.buttonProto}) {
        if (!proto) continue;
        defineAccessor(m, proto, "blendMode", getBlendMode, setBlendMode, DontEnum | FromVersion8);
        defineAccessor(m, proto, "cacheAsBitmap", getCacheAsBitmap, setCacheAsBitmap, DontEnum | FromVersion8);
    }
    if (m.movieClipProto) {
        defineAccessor(m, m.movieClipProto, "opaqueBackground", getOpaqueBackground, setOpaqueBackground,
                       DontEnum | FromVersion8);
        defineAccessor(m, m.movieClipProto, "scrollRect", getScrollRect, setScrollRect, DontEnum | FromVersion8);
    }
}

}  // namespace swf::avm1
