// flash.geom.Rectangle: x, y, width and height are plain fields; the edges, corners and size are
// accessors over them. Comparisons with NaN give undefined, and `&&` chains pass that on, so a
// test on a rectangle or point with a missing field answers undefined rather than false.
#include <cmath>

#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

Value raw(Machine& m, Object* self, const char* name) { return m.getMember(Value(self), name); }
double num(Machine& m, const Value& v, const char* name) { return numberMember(m, v, name); }
void set(Machine& m, Object* self, const char* name, Value v) { m.setMember(Value(self), name, v); }

double right(Machine& m, Object* self) { return num(m, Value(self), "x") + num(m, Value(self), "width"); }
double bottom(Machine& m, Object* self) { return num(m, Value(self), "y") + num(m, Value(self), "height"); }

Value makeRectangle(Machine& m, std::vector<Value> fields) {
    return constructFlashClass(m, "geom", "Rectangle", std::move(fields));
}

Value point(Machine& m, Value x, Value y) { return constructFlashClass(m, "geom", "Point", {x, y}); }

Value greaterOrEqual(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return Value();
    return Value(a >= b);
}

// a && b && ...: the first operand that is not true, or the last.
Value allOf(std::initializer_list<Value> tests) {
    Value last;
    for (const Value& t : tests) {
        if (!t.isBoolean() || !t.boolean()) return t;
        last = t;
    }
    return last;
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    const char* names[] = {"x", "y", "width", "height"};
    for (size_t i = 0; i < 4; ++i) set(m, self, names[i], a.empty() ? Value(0.0) : arg(a, i));
    return Value(self);
}

Value getLeft(Machine& m, Object* self, std::vector<Value>&) { return raw(m, self, "x"); }
Value getTop(Machine& m, Object* self, std::vector<Value>&) { return raw(m, self, "y"); }
Value getRight(Machine& m, Object* self, std::vector<Value>&) { return Value(right(m, self)); }
Value getBottom(Machine& m, Object* self, std::vector<Value>&) { return Value(bottom(m, self)); }
Value getTopLeft(Machine& m, Object* self, std::vector<Value>&) {
    return point(m, raw(m, self, "x"), raw(m, self, "y"));
}
Value getBottomRight(Machine& m, Object* self, std::vector<Value>&) {
    return point(m, Value(right(m, self)), Value(bottom(m, self)));
}
Value getSize(Machine& m, Object* self, std::vector<Value>&) {
    return point(m, raw(m, self, "width"), raw(m, self, "height"));
}

// Moving an edge keeps the opposite one where it is.
Value setLeft(Machine& m, Object* self, std::vector<Value>& a) {
    set(m, self, "width", Value(right(m, self) - m.toNumber(arg(a, 0))));
    set(m, self, "x", arg(a, 0));
    return Value();
}
Value setTop(Machine& m, Object* self, std::vector<Value>& a) {
    set(m, self, "height", Value(bottom(m, self) - m.toNumber(arg(a, 0))));
    set(m, self, "y", arg(a, 0));
    return Value();
}
Value setRight(Machine& m, Object* self, std::vector<Value>& a) {
    set(m, self, "width", Value(m.toNumber(arg(a, 0)) - num(m, Value(self), "x")));
    return Value();
}
Value setBottom(Machine& m, Object* self, std::vector<Value>& a) {
    set(m, self, "height", Value(m.toNumber(arg(a, 0)) - num(m, Value(self), "y")));
    return Value();
}
Value setTopLeft(Machine& m, Object* self, std::vector<Value>& a) {
    Value px = m.getMember(arg(a, 0), "x"), py = m.getMember(arg(a, 0), "y");
    set(m, self, "width", Value(right(m, self) - m.toNumber(px)));
    set(m, self, "height", Value(bottom(m, self) - m.toNumber(py)));
    set(m, self, "x", px);
    set(m, self, "y", py);
    return Value();
}
Value setBottomRight(Machine& m, Object* self, std::vector<Value>& a) {
    set(m, self, "width", Value(num(m, arg(a, 0), "x") - num(m, Value(self), "x")));
    set(m, self, "height", Value(num(m, arg(a, 0), "y") - num(m, Value(self), "y")));
    return Value();
}
Value setSize(Machine& m, Object* self, std::vector<Value>& a) {
    set(m, self, "width", m.getMember(arg(a, 0), "x"));
    set(m, self, "height", m.getMember(arg(a, 0), "y"));
    return Value();
}

Value clone(Machine& m, Object* self, std::vector<Value>&) {
    return makeRectangle(m, {raw(m, self, "x"), raw(m, self, "y"), raw(m, self, "width"), raw(m, self, "height")});
}

Value equals(Machine& m, Object* self, std::vector<Value>& a) {
    Value r = arg(a, 0);
    if (!isFlashInstance(m, r, "geom", "Rectangle")) return Value(false);
    for (const char* f : {"x", "y", "width", "height"})
        if (num(m, Value(self), f) != num(m, r, f)) return Value(false);
    return Value(true);
}

Value isEmpty(Machine& m, Object* self, std::vector<Value>&) {
    return Value(!(num(m, Value(self), "width") > 0) || !(num(m, Value(self), "height") > 0));
}

Value setEmpty(Machine& m, Object* self, std::vector<Value>&) {
    for (const char* f : {"x", "y", "width", "height"}) set(m, self, f, Value(0.0));
    return Value();
}

Value containsXY(Machine& m, Object* self, double px, double py) {
    double x = num(m, Value(self), "x"), y = num(m, Value(self), "y");
    return allOf({greaterOrEqual(px, x), lessThan(px, right(m, self)), greaterOrEqual(py, y),
                  lessThan(py, bottom(m, self))});
}

Value contains(Machine& m, Object* self, std::vector<Value>& a) {
    return containsXY(m, self, m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
}

Value containsPoint(Machine& m, Object* self, std::vector<Value>& a) {
    return containsXY(m, self, num(m, arg(a, 0), "x"), num(m, arg(a, 0), "y"));
}

Value containsRectangle(Machine& m, Object* self, std::vector<Value>& a) {
    Value r = arg(a, 0);
    double rx = num(m, r, "x"), ry = num(m, r, "y");
    return allOf({greaterOrEqual(rx, num(m, Value(self), "x")), greaterOrEqual(ry, num(m, Value(self), "y")),
                  greaterOrEqual(right(m, self), rx + num(m, r, "width")),
                  greaterOrEqual(bottom(m, self), ry + num(m, r, "height"))});
}

void inflateBy(Machine& m, Object* self, double dx, double dy) {
    set(m, self, "x", Value(num(m, Value(self), "x") - dx));
    set(m, self, "width", Value(num(m, Value(self), "width") + 2 * dx));
    set(m, self, "y", Value(num(m, Value(self), "y") - dy));
    set(m, self, "height", Value(num(m, Value(self), "height") + 2 * dy));
}

Value inflate(Machine& m, Object* self, std::vector<Value>& a) {
    inflateBy(m, self, m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
    return Value();
}

Value inflatePoint(Machine& m, Object* self, std::vector<Value>& a) {
    inflateBy(m, self, num(m, arg(a, 0), "x"), num(m, arg(a, 0), "y"));
    return Value();
}

void offsetBy(Machine& m, Object* self, double dx, double dy) {
    set(m, self, "x", Value(num(m, Value(self), "x") + dx));
    set(m, self, "y", Value(num(m, Value(self), "y") + dy));
}

Value offset(Machine& m, Object* self, std::vector<Value>& a) {
    offsetBy(m, self, m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
    return Value();
}

Value offsetPoint(Machine& m, Object* self, std::vector<Value>& a) {
    offsetBy(m, self, num(m, arg(a, 0), "x"), num(m, arg(a, 0), "y"));
    return Value();
}

// Math.min and Math.max of the language: NaN wins.
double minOf(double a, double b) { return std::isnan(a) || std::isnan(b) ? NAN : std::min(a, b); }
double maxOf(double a, double b) { return std::isnan(a) || std::isnan(b) ? NAN : std::max(a, b); }

struct Edges {
    double left, top, right, bottom;
};

Edges edges(Machine& m, const Value& r) {
    double x = num(m, r, "x"), y = num(m, r, "y");
    return {x, y, x + num(m, r, "width"), y + num(m, r, "height")};
}

// The overlap, or an empty rectangle at the origin when there is none (or it cannot be told).
Edges overlap(Machine& m, Object* self, const Value& other) {
    Edges a = edges(m, Value(self)), b = edges(m, other);
    Edges o{maxOf(a.left, b.left), maxOf(a.top, b.top), minOf(a.right, b.right), minOf(a.bottom, b.bottom)};
    if (!(o.right > o.left) || !(o.bottom > o.top)) return {0, 0, 0, 0};
    return o;
}

Value intersection(Machine& m, Object* self, std::vector<Value>& a) {
    Edges o = overlap(m, self, arg(a, 0));
    return makeRectangle(m, {Value(o.left), Value(o.top), Value(o.right - o.left), Value(o.bottom - o.top)});
}

Value intersects(Machine& m, Object* self, std::vector<Value>& a) {
    Edges o = overlap(m, self, arg(a, 0));
    return Value(o.right > o.left && o.bottom > o.top);
}

Value unionOf(Machine& m, Object* self, std::vector<Value>& a) {
    Edges p = edges(m, Value(self)), q = edges(m, arg(a, 0));
    Edges u{minOf(p.left, q.left), minOf(p.top, q.top), maxOf(p.right, q.right), maxOf(p.bottom, q.bottom)};
    return makeRectangle(m, {Value(u.left), Value(u.top), Value(u.right - u.left), Value(u.bottom - u.top)});
}

Value toString(Machine& m, Object* self, std::vector<Value>&) {
    return Value("(x=" + m.toString(raw(m, self, "x")) + ", y=" + m.toString(raw(m, self, "y")) +
                 ", w=" + m.toString(raw(m, self, "width")) + ", h=" + m.toString(raw(m, self, "height")) + ")");
}

}  // namespace

void installRectangle(Machine& m) {
    Object* proto = m.newObject();
    defineFlashClass(m, "geom", "Rectangle", construct, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"clone", clone}, {"equals", equals}, {"isEmpty", isEmpty}, {"setEmpty", setEmpty},
        {"contains", contains}, {"containsPoint", containsPoint}, {"containsRectangle", containsRectangle},
        {"inflate", inflate}, {"inflatePoint", inflatePoint}, {"offset", offset}, {"offsetPoint", offsetPoint},
        {"intersection", intersection}, {"intersects", intersects}, {"union", unionOf}, {"toString", toString}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
    struct { const char* name; NativeFunction get, set; } accessors[] = {
        {"left", getLeft, setLeft}, {"top", getTop, setTop}, {"right", getRight, setRight},
        {"bottom", getBottom, setBottom}, {"topLeft", getTopLeft, setTopLeft},
        {"bottomRight", getBottomRight, setBottomRight}, {"size", getSize, setSize}};
    for (auto& p : accessors) defineAccessor(m, proto, p.name, p.get, p.set);
}

}  // namespace swf::avm1
