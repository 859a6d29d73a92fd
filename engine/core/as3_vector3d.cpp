// flash.geom.Vector3D: a point or direction in three dimensions with a fourth component, w, that
// the arithmetic leaves out unless asked (a perspective divisor, or an angle in decompositions).
#include <cmath>

#include "engine/core/as3_vector3d.h"

#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

Vector3DObject* asVector3D(Machine& m, const Value& v, ClassObject* cls) {
    Object* o = v.object();
    if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
    if (!o->cls || !o->cls->isSubclassOf(cls))
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.geom.Vector3D.");
    return static_cast<Vector3DObject*>(o);
}

Value makeVector3D(Machine& m, ClassObject* cls, double x, double y, double z, double w) {
    auto* v = static_cast<Vector3DObject*>(m.instantiate(cls));
    v->x = x, v->y = y, v->z = z, v->w = w;
    return Value(v);
}

namespace {

double numberAt(Machine& m, Args a, size_t i, double otherwise) { return i < a.size() ? m.toNumber(a[i]) : otherwise; }

}  // namespace

void As3Display::installVector3D() {
    Machine& m = m_;
    ClassObject* vc = m.defineClass(u"flash.geom", u"Vector3D", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        auto* v = static_cast<Vector3DObject*>(self.object());
        v->x = numberAt(m, a, 0, 0), v->y = numberAt(m, a, 1, 0), v->z = numberAt(m, a, 2, 0), v->w = numberAt(m, a, 3, 0);
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<Vector3DObject>(); });
    vector3DClass = vc;
    vc->isSealedInstances = true;
    auto self = [vc](Machine& m, const Value& v) { return asVector3D(m, v, vc); };
    auto make = [vc](Machine& m, double x, double y, double z, double w) { return makeVector3D(m, vc, x, y, z, w); };
    double Vector3DObject::*fields[4] = {&Vector3DObject::x, &Vector3DObject::y, &Vector3DObject::z, &Vector3DObject::w};
    const char16_t* names[4] = {u"x", u"y", u"z", u"w"};
    for (int i = 0; i < 4; ++i) {
        auto field = fields[i];
        m.defineGetter(vc, names[i], [self, field](Machine& m, const Value& v, Args) -> Value { return Value(self(m, v)->*field); },
                       [self, field](Machine& m, const Value& v, Args a) -> Value {
                           self(m, v)->*field = m.toNumber(arg(a, 0));
                           return Value();
                       });
    }
    m.defineConstant(vc, u"X_AXIS", make(m, 1, 0, 0, 0));
    m.defineConstant(vc, u"Y_AXIS", make(m, 0, 1, 0, 0));
    m.defineConstant(vc, u"Z_AXIS", make(m, 0, 0, 1, 0));

    auto length = [](const Vector3DObject* v) { return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z); };
    m.defineGetter(vc, u"length", [self, length](Machine& m, const Value& v, Args) -> Value { return Value(length(self(m, v))); });
    m.defineGetter(vc, u"lengthSquared", [self](Machine& m, const Value& v, Args) -> Value {
        Vector3DObject* p = self(m, v);
        return Value(p->x * p->x + p->y * p->y + p->z * p->z);
    });
    m.defineMethod(vc, u"toString", 0, [self](Machine& m, const Value& v, Args) -> Value {
        Vector3DObject* p = self(m, v);
        return Value(u"Vector3D(" + numberToString(p->x) + u", " + numberToString(p->y) + u", " + numberToString(p->z) + u")");
    });
    m.defineMethod(vc, u"clone", 0, [self, make](Machine& m, const Value& v, Args) -> Value {
        Vector3DObject* p = self(m, v);
        return make(m, p->x, p->y, p->z, p->w);
    });
    m.defineMethod(vc, u"add", 1, [self, make](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        return make(m, p->x + q->x, p->y + q->y, p->z + q->z, 0);
    });
    m.defineMethod(vc, u"subtract", 1, [self, make](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        return make(m, p->x - q->x, p->y - q->y, p->z - q->z, 0);
    });
    m.defineMethod(vc, u"crossProduct", 1, [self, make](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        return make(m, p->y * q->z - p->z * q->y, p->z * q->x - p->x * q->z, p->x * q->y - p->y * q->x, 1);
    });
    m.defineMethod(vc, u"dotProduct", 1, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        return Value(p->x * q->x + p->y * q->y + p->z * q->z);
    });
    m.defineMethod(vc, u"incrementBy", 1, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        p->x += q->x, p->y += q->y, p->z += q->z;
        return Value();
    });
    m.defineMethod(vc, u"decrementBy", 1, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        p->x -= q->x, p->y -= q->y, p->z -= q->z;
        return Value();
    });
    m.defineMethod(vc, u"scaleBy", 1, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject* p = self(m, v);
        double s = m.toNumber(arg(a, 0));
        p->x *= s, p->y *= s, p->z *= s;
        return Value();
    });
    m.defineMethod(vc, u"negate", 0, [self](Machine& m, const Value& v, Args) -> Value {
        Vector3DObject* p = self(m, v);
        p->x = -p->x, p->y = -p->y, p->z = -p->z;
        return Value();
    });
    // Scales x, y and z to length 1 (a zero vector stays as it is); answers the length it had.
    m.defineMethod(vc, u"normalize", 0, [self, length](Machine& m, const Value& v, Args) -> Value {
        Vector3DObject* p = self(m, v);
        double len = length(p);
        if (len != 0) p->x /= len, p->y /= len, p->z /= len;
        return Value(len);
    });
    // Divides x, y and z by w: the point a perspective projection gives.
    m.defineMethod(vc, u"project", 0, [self](Machine& m, const Value& v, Args) -> Value {
        Vector3DObject* p = self(m, v);
        p->x /= p->w, p->y /= p->w, p->z /= p->w;
        return Value();
    });
    m.defineMethod(vc, u"equals", 2, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        bool allFour = m.toBoolean(arg(a, 1));
        return Value(p->x == q->x && p->y == q->y && p->z == q->z && (!allFour || p->w == q->w));
    });
    m.defineMethod(vc, u"nearEquals", 3, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        double tolerance = m.toNumber(arg(a, 1));
        bool allFour = m.toBoolean(arg(a, 2));
        auto near = [tolerance](double s, double t) { return std::fabs(s - t) < tolerance; };
        return Value(near(p->x, q->x) && near(p->y, q->y) && near(p->z, q->z) && (!allFour || near(p->w, q->w)));
    });
    m.defineMethod(vc, u"copyFrom", 1, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject *p = self(m, v), *q = self(m, arg(a, 0));
        p->x = q->x, p->y = q->y, p->z = q->z;
        return Value();
    });
    m.defineMethod(vc, u"setTo", 3, [self](Machine& m, const Value& v, Args a) -> Value {
        Vector3DObject* p = self(m, v);
        p->x = m.toNumber(arg(a, 0)), p->y = m.toNumber(arg(a, 1)), p->z = m.toNumber(arg(a, 2));
        return Value();
    });
    m.defineStatic(vc, u"angleBetween", 2, [self, length](Machine& m, const Value&, Args a) -> Value {
        Vector3DObject *p = self(m, arg(a, 0)), *q = self(m, arg(a, 1));
        double dot = p->x * q->x + p->y * q->y + p->z * q->z;
        return Value(std::acos(dot / (length(p) * length(q))));
    });
    m.defineStatic(vc, u"distance", 2, [self](Machine& m, const Value&, Args a) -> Value {
        Vector3DObject *p = self(m, arg(a, 0)), *q = self(m, arg(a, 1));
        return Value(std::sqrt((p->x - q->x) * (p->x - q->x) + (p->y - q->y) * (p->y - q->y) + (p->z - q->z) * (p->z - q->z)));
    });
    installMatrix3D(m, vc);
}

}  // namespace swf
