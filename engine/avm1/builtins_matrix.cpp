// flash.geom.Matrix: a b c d tx ty as plain fields (whatever scripts store), methods doing the
// arithmetic on the numbers they convert to. Points map as x' = a*x + c*y + tx, y' = b*x + d*y + ty.
#include <cmath>

#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

const char* const kFields[] = {"a", "b", "c", "d", "tx", "ty"};

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

Affine read(Machine& m, const Value& v) {
    return {numberMember(m, v, "a"), numberMember(m, v, "b"), numberMember(m, v, "c"),
            numberMember(m, v, "d"), numberMember(m, v, "tx"), numberMember(m, v, "ty")};
}

void write(Machine& m, Object* self, const Affine& t) {
    const double values[] = {t.a, t.b, t.c, t.d, t.tx, t.ty};
    for (int i = 0; i < 6; ++i) m.setMember(Value(self), kFields[i], Value(values[i]));
}

// first, then second.
Affine then(const Affine& p, const Affine& q) {
    return {p.a * q.a + p.b * q.c, p.a * q.b + p.b * q.d, p.c * q.a + p.d * q.c, p.c * q.b + p.d * q.d,
            p.tx * q.a + p.ty * q.c + q.tx, p.tx * q.b + p.ty * q.d + q.ty};
}

double numberArg(Machine& m, const std::vector<Value>& a, size_t i, double fallback) {
    return i < a.size() ? m.toNumber(a[i]) : fallback;
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    if (a.empty()) {
        write(m, self, Affine{});
        return Value(self);
    }
    for (size_t i = 0; i < 6; ++i) m.setMember(Value(self), kFields[i], arg(a, i));
    return Value(self);
}

Value toString(Machine& m, Object* self, std::vector<Value>&) {
    std::string out = "(";
    for (int i = 0; i < 6; ++i) {
        if (i) out += ", ";
        out += std::string(kFields[i]) + "=" + m.toString(m.getMember(Value(self), kFields[i]));
    }
    return Value(out + ")");
}

Value clone(Machine& m, Object* self, std::vector<Value>&) {
    std::vector<Value> fields;
    for (const char* f : kFields) fields.push_back(m.getMember(Value(self), f));
    return constructFlashClass(m, "geom", "Matrix", std::move(fields));
}

Value concat(Machine& m, Object* self, std::vector<Value>& a) {
    write(m, self, then(read(m, Value(self)), read(m, arg(a, 0))));
    return Value();
}

Value identity(Machine& m, Object* self, std::vector<Value>&) {
    write(m, self, Affine{});
    return Value();
}

Value invert(Machine& m, Object* self, std::vector<Value>&) {
    Affine t = read(m, Value(self));
    double det = t.a * t.d - t.b * t.c;
    write(m, self, {t.d / det, -t.b / det, -t.c / det, t.a / det, (t.c * t.ty - t.d * t.tx) / det,
                    (t.b * t.tx - t.a * t.ty) / det});
    return Value();
}

Value rotate(Machine& m, Object* self, std::vector<Value>& a) {
    double angle = m.toNumber(arg(a, 0));
    double cs = std::cos(angle), sn = std::sin(angle);
    write(m, self, then(read(m, Value(self)), Affine{cs, sn, -sn, cs, 0, 0}));
    return Value();
}

Value scale(Machine& m, Object* self, std::vector<Value>& a) {
    double sx = m.toNumber(arg(a, 0)), sy = m.toNumber(arg(a, 1));
    write(m, self, then(read(m, Value(self)), Affine{sx, 0, 0, sy, 0, 0}));
    return Value();
}

Value translate(Machine& m, Object* self, std::vector<Value>& a) {
    Affine t = read(m, Value(self));
    t.tx += m.toNumber(arg(a, 0));
    t.ty += m.toNumber(arg(a, 1));
    m.setMember(Value(self), "tx", Value(t.tx));
    m.setMember(Value(self), "ty", Value(t.ty));
    return Value();
}

// Scale, then rotate, then move.
Affine box(double sx, double sy, double rotation, double tx, double ty) {
    double cs = std::cos(rotation), sn = std::sin(rotation);
    return {cs * sx, sn * sy, -sn * sx, cs * sy, tx, ty};
}

Value createBox(Machine& m, Object* self, std::vector<Value>& a) {
    write(m, self, box(numberArg(m, a, 0, NAN), numberArg(m, a, 1, NAN), numberArg(m, a, 2, 0), numberArg(m, a, 3, 0),
                       numberArg(m, a, 4, 0)));
    return Value();
}

// A gradient's square spans ±819.2 units: the box maps it onto width x height at (tx, ty).
Value createGradientBox(Machine& m, Object* self, std::vector<Value>& a) {
    double w = numberArg(m, a, 0, NAN), h = numberArg(m, a, 1, NAN);
    write(m, self, box(w / 1638.4, h / 1638.4, numberArg(m, a, 2, 0), numberArg(m, a, 3, 0) + w / 2,
                       numberArg(m, a, 4, 0) + h / 2));
    return Value();
}

Value point(Machine& m, double x, double y) { return constructFlashClass(m, "geom", "Point", {Value(x), Value(y)}); }

Value transformPoint(Machine& m, Object* self, std::vector<Value>& a) {
    Affine t = read(m, Value(self));
    double x = numberMember(m, arg(a, 0), "x"), y = numberMember(m, arg(a, 0), "y");
    return point(m, t.a * x + t.c * y + t.tx, t.b * x + t.d * y + t.ty);
}

Value deltaTransformPoint(Machine& m, Object* self, std::vector<Value>& a) {
    Affine t = read(m, Value(self));
    double x = numberMember(m, arg(a, 0), "x"), y = numberMember(m, arg(a, 0), "y");
    return point(m, t.a * x + t.c * y, t.b * x + t.d * y);
}

}  // namespace

void installMatrix(Machine& m) {
    Object* proto = m.newObject();
    defineFlashClass(m, "geom", "Matrix", construct, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"toString", toString}, {"clone", clone}, {"concat", concat}, {"identity", identity}, {"invert", invert},
        {"rotate", rotate}, {"scale", scale}, {"translate", translate}, {"createBox", createBox},
        {"createGradientBox", createGradientBox}, {"transformPoint", transformPoint},
        {"deltaTransformPoint", deltaTransformPoint}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
}

}  // namespace swf::avm1
