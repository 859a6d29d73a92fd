// flash.geom.Point: x and y are plain fields holding whatever was given; the methods do their
// arithmetic on the numbers those convert to.
#include <cmath>

#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

Value makePoint(Machine& m, double x, double y) {
    return constructFlashClass(m, "geom", "Point", {Value(x), Value(y)});
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    bool none = a.empty();
    m.setMember(Value(self), "x", none ? Value(0.0) : arg(a, 0));
    m.setMember(Value(self), "y", none ? Value(0.0) : arg(a, 1));
    return Value(self);
}

double x(Machine& m, const Value& v) { return numberMember(m, v, "x"); }
double y(Machine& m, const Value& v) { return numberMember(m, v, "y"); }

Value length(Machine& m, Object* self, std::vector<Value>&) {
    double px = x(m, Value(self)), py = y(m, Value(self));
    return Value(std::sqrt(px * px + py * py));
}

Value add(Machine& m, Object* self, std::vector<Value>& a) {
    return makePoint(m, x(m, Value(self)) + x(m, arg(a, 0)), y(m, Value(self)) + y(m, arg(a, 0)));
}

Value subtract(Machine& m, Object* self, std::vector<Value>& a) {
    return makePoint(m, x(m, Value(self)) - x(m, arg(a, 0)), y(m, Value(self)) - y(m, arg(a, 0)));
}

Value equals(Machine& m, Object* self, std::vector<Value>& a) {
    Value other = arg(a, 0);
    if (!isFlashInstance(m, other, "geom", "Point")) return Value(false);
    return Value(x(m, Value(self)) == x(m, other) && y(m, Value(self)) == y(m, other));
}

Value clone(Machine& m, Object* self, std::vector<Value>&) {
    return constructFlashClass(m, "geom", "Point", {m.getMember(Value(self), "x"), m.getMember(Value(self), "y")});
}

// Scales to the given length; a point without a length, or whose fields are no numbers, stays.
Value normalize(Machine& m, Object* self, std::vector<Value>& a) {
    Value vx = m.getMember(Value(self), "x"), vy = m.getMember(Value(self), "y");
    if (!vx.isNumber() || !vy.isNumber()) return Value();
    double len = std::sqrt(vx.number() * vx.number() + vy.number() * vy.number());
    if (!(len > 0)) return Value();
    double scale = m.toNumber(arg(a, 0)) / len;
    m.setMember(Value(self), "x", Value(vx.number() * scale));
    m.setMember(Value(self), "y", Value(vy.number() * scale));
    return Value();
}

Value offset(Machine& m, Object* self, std::vector<Value>& a) {
    m.setMember(Value(self), "x", Value(x(m, Value(self)) + m.toNumber(arg(a, 0))));
    m.setMember(Value(self), "y", Value(y(m, Value(self)) + m.toNumber(arg(a, 1))));
    return Value();
}

Value toString(Machine& m, Object* self, std::vector<Value>&) {
    return Value("(x=" + m.toString(m.getMember(Value(self), "x")) + ", y=" +
                 m.toString(m.getMember(Value(self), "y")) + ")");
}

// Point.distance(a, b) is a.subtract(b).length, so it asks the first point's own methods.
Value distance(Machine& m, Object*, std::vector<Value>& a) {
    Value first = arg(a, 0);
    Value sub = m.getMember(first, "subtract");
    if (!sub.object() || !sub.object()->isFunction()) return Value();
    Value difference = m.call(sub, m.toObject(first), {arg(a, 1)});
    return m.getMember(difference, "length");
}

Value interpolate(Machine& m, Object*, std::vector<Value>& a) {
    Value p1 = arg(a, 0), p2 = arg(a, 1);
    double f = m.toNumber(arg(a, 2));
    return makePoint(m, x(m, p2) + f * (x(m, p1) - x(m, p2)), y(m, p2) + f * (y(m, p1) - y(m, p2)));
}

Value polar(Machine& m, Object*, std::vector<Value>& a) {
    double len = m.toNumber(arg(a, 0)), angle = m.toNumber(arg(a, 1));
    return makePoint(m, len * std::cos(angle), len * std::sin(angle));
}

}  // namespace

void installPoint(Machine& m) {
    Object* proto = m.newObject();
    Object* ctor = defineFlashClass(m, "geom", "Point", construct, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"add", add}, {"subtract", subtract}, {"equals", equals}, {"clone", clone}, {"normalize", normalize},
        {"offset", offset}, {"toString", toString}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
    defineAccessor(m, proto, "length", length, nullptr);
    m.defineNative(ctor, "distance", distance);
    m.defineNative(ctor, "interpolate", interpolate);
    m.defineNative(ctor, "polar", polar);
}

}  // namespace swf::avm1
