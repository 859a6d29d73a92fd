// flash.geom.ColorTransform: multipliers and offsets per channel, kept as numbers behind
// accessors; `rgb` reads the offsets as a colour and setting it clears the multipliers.
#include <cmath>

#include "engine/avm1/color_transform_values.h"
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

ColorTransformState* colorTransformState(const Value& v) {
    Object* o = v.object();
    return o ? dynamic_cast<ColorTransformState*>(o->state.get()) : nullptr;
}

Value makeColorTransform(Machine& m, const double (&values)[8]) {
    Value made = constructFlashClass(m, "geom", "ColorTransform", {});
    if (ColorTransformState* s = colorTransformState(made))
        for (int i = 0; i < 8; ++i) s->values[i] = values[i];
    return made;
}

namespace {

const char* const kNames[8] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                               "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    auto s = std::make_unique<ColorTransformState>();
    for (size_t i = 0; i < 8 && i < a.size(); ++i) s->values[i] = m.toNumber(a[i]);
    self->state = std::move(s);
    return Value(self);
}

template <int I>
Value getField(Machine&, Object* self, std::vector<Value>&) {
    ColorTransformState* s = self ? colorTransformState(Value(self)) : nullptr;
    return s ? Value(s->values[I]) : Value();
}

template <int I>
Value setField(Machine& m, Object* self, std::vector<Value>& a) {
    if (ColorTransformState* s = self ? colorTransformState(Value(self)) : nullptr) s->values[I] = m.toNumber(arg(a, 0));
    return Value();
}

Value getRgb(Machine&, Object* self, std::vector<Value>&) {
    ColorTransformState* s = self ? colorTransformState(Value(self)) : nullptr;
    if (!s) return Value();
    auto channel = [](double v) { return uint32_t(toInt32(v)) & 255; };
    return Value(double(channel(s->values[4]) << 16 | channel(s->values[5]) << 8 | channel(s->values[6])));
}

Value setRgb(Machine& m, Object* self, std::vector<Value>& a) {
    ColorTransformState* s = self ? colorTransformState(Value(self)) : nullptr;
    if (!s) return Value();
    uint32_t rgb = uint32_t(toInt32(m.toNumber(arg(a, 0))));
    s->values[0] = s->values[1] = s->values[2] = 0;
    s->values[4] = rgb >> 16 & 255;
    s->values[5] = rgb >> 8 & 255;
    s->values[6] = rgb & 255;
    return Value();
}

Value toString(Machine& m, Object* self, std::vector<Value>&) {
    std::string out = "(";
    for (int i = 0; i < 8; ++i) {
        if (i) out += ", ";
        out += std::string(kNames[i]) + "=" + m.toString(m.getMember(Value(self), kNames[i]));
    }
    return Value(out + ")");
}

// This transform after `second`: second's offsets go through this one's multipliers.
Value concat(Machine& m, Object* self, std::vector<Value>& a) {
    ColorTransformState* s = self ? colorTransformState(Value(self)) : nullptr;
    if (!s) return Value();
    double second[8];
    for (int i = 0; i < 8; ++i) second[i] = numberMember(m, arg(a, 0), kNames[i]);
    for (int i = 0; i < 4; ++i) {
        s->values[4 + i] += s->values[i] * second[4 + i];
        s->values[i] *= second[i];
    }
    return Value();
}

}  // namespace

void installColorTransform(Machine& m) {
    Object* proto = m.newObject();
    defineFlashClass(m, "geom", "ColorTransform", construct, proto);
    m.defineNative(proto, "toString", toString);
    m.defineNative(proto, "concat", concat);
    NativeFunction getters[8] = {getField<0>, getField<1>, getField<2>, getField<3>,
                                 getField<4>, getField<5>, getField<6>, getField<7>};
    NativeFunction setters[8] = {setField<0>, setField<1>, setField<2>, setField<3>,
                                 setField<4>, setField<5>, setField<6>, setField<7>};
    for (int i = 0; i < 8; ++i) defineAccessor(m, proto, kNames[i], getters[i], setters[i]);
    defineAccessor(m, proto, "rgb", getRgb, setRgb);
}

}  // namespace swf::avm1
