// flash.geom's Point, Rectangle and Matrix: plain value classes the display API takes and returns.
#include <cmath>

#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

namespace {

class GeomObject : public Object {
public:
    GeomObject() : Object(ObjectType::Other) {}
    double v[6] = {0, 0, 0, 0, 0, 0};
};

GeomObject* asGeom(Machine& m, const Value& self, ClassObject* cls) {
    Object* o = self.object();
    if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
    if (!o->cls || !o->cls->isSubclassOf(cls))
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(self) + u" to flash.geom." + cls->name + u".");
    return static_cast<GeomObject*>(o);
}

double numberArg(Machine& m, Args a, size_t i, double otherwise) { return i < a.size() ? m.toNumber(a[i]) : otherwise; }

}  // namespace

void As3Display::installGeometry() {
    Machine& m = m_;
    auto alloc = [](Machine& m, ClassObject*) -> Object* { return m.make<GeomObject>(); };
    auto fields = [&m](ClassObject* c, std::initializer_list<const char16_t*> names) {
        size_t i = 0;
        for (const char16_t* name : names) {
            m.defineGetter(c, name, [c, i](Machine& m, const Value& self, Args) -> Value { return Value(asGeom(m, self, c)->v[i]); },
                           [c, i](Machine& m, const Value& self, Args a) -> Value {
                               asGeom(m, self, c)->v[i] = m.toNumber(arg(a, 0));
                               return Value();
                           });
            ++i;
        }
    };
    auto make = [&m](ClassObject* c, std::initializer_list<double> values) {
        auto* g = static_cast<GeomObject*>(m.instantiate(c));
        size_t i = 0;
        for (double x : values) g->v[i++] = x;
        return Value(g);
    };

    // Point
    pointClass = m.defineClass(u"flash.geom", u"Point", m.objectClass, [this](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* p = asGeom(m, self, pointClass);
        p->v[0] = numberArg(m, a, 0, 0);
        p->v[1] = numberArg(m, a, 1, 0);
        return Value();
    }, alloc);
    pointClass->isSealedInstances = true;
    fields(pointClass, {u"x", u"y"});
    ClassObject* pc = pointClass;
    m.defineGetter(pc, u"length", [pc](Machine& m, const Value& self, Args) -> Value {
        GeomObject* p = asGeom(m, self, pc);
        return Value(std::hypot(p->v[0], p->v[1]));
    });
    m.defineMethod(pc, u"toString", 0, [pc](Machine& m, const Value& self, Args) -> Value {
        GeomObject* p = asGeom(m, self, pc);
        return Value(u"(x=" + numberToString(p->v[0]) + u", y=" + numberToString(p->v[1]) + u")");
    });
    m.defineMethod(pc, u"clone", 0, [pc, make](Machine& m, const Value& self, Args) -> Value {
        GeomObject* p = asGeom(m, self, pc);
        return make(pc, {p->v[0], p->v[1]});
    });
    m.defineMethod(pc, u"add", 1, [pc, make](Machine& m, const Value& self, Args a) -> Value {
        GeomObject *p = asGeom(m, self, pc), *q = asGeom(m, arg(a, 0), pc);
        return make(pc, {p->v[0] + q->v[0], p->v[1] + q->v[1]});
    });
    m.defineMethod(pc, u"subtract", 1, [pc, make](Machine& m, const Value& self, Args a) -> Value {
        GeomObject *p = asGeom(m, self, pc), *q = asGeom(m, arg(a, 0), pc);
        return make(pc, {p->v[0] - q->v[0], p->v[1] - q->v[1]});
    });
    m.defineMethod(pc, u"offset", 2, [pc](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* p = asGeom(m, self, pc);
        p->v[0] += m.toNumber(arg(a, 0));
        p->v[1] += m.toNumber(arg(a, 1));
        return Value();
    });
    m.defineMethod(pc, u"equals", 1, [pc](Machine& m, const Value& self, Args a) -> Value {
        GeomObject *p = asGeom(m, self, pc), *q = asGeom(m, arg(a, 0), pc);
        return Value(p->v[0] == q->v[0] && p->v[1] == q->v[1]);
    });
    m.defineStatic(pc, u"distance", 2, [pc](Machine& m, const Value&, Args a) -> Value {
        GeomObject *p = asGeom(m, arg(a, 0), pc), *q = asGeom(m, arg(a, 1), pc);
        return Value(std::hypot(p->v[0] - q->v[0], p->v[1] - q->v[1]));
    });
    m.defineStatic(pc, u"interpolate", 3, [pc, make](Machine& m, const Value&, Args a) -> Value {
        GeomObject *p = asGeom(m, arg(a, 0), pc), *q = asGeom(m, arg(a, 1), pc);
        double f = m.toNumber(arg(a, 2));
        return make(pc, {q->v[0] + f * (p->v[0] - q->v[0]), q->v[1] + f * (p->v[1] - q->v[1])});
    });
    m.defineStatic(pc, u"polar", 2, [pc, make](Machine& m, const Value&, Args a) -> Value {
        double len = m.toNumber(arg(a, 0)), angle = m.toNumber(arg(a, 1));
        return make(pc, {len * std::cos(angle), len * std::sin(angle)});
    });

    // Rectangle
    rectangleClass = m.defineClass(u"flash.geom", u"Rectangle", m.objectClass, [this](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* r = asGeom(m, self, rectangleClass);
        for (size_t i = 0; i < 4; ++i) r->v[i] = numberArg(m, a, i, 0);
        return Value();
    }, alloc);
    rectangleClass->isSealedInstances = true;
    ClassObject* rc = rectangleClass;
    fields(rc, {u"x", u"y", u"width", u"height"});
    m.defineGetter(rc, u"left", [rc](Machine& m, const Value& self, Args) -> Value { return Value(asGeom(m, self, rc)->v[0]); });
    m.defineGetter(rc, u"top", [rc](Machine& m, const Value& self, Args) -> Value { return Value(asGeom(m, self, rc)->v[1]); });
    m.defineGetter(rc, u"right", [rc](Machine& m, const Value& self, Args) -> Value {
        GeomObject* r = asGeom(m, self, rc);
        return Value(r->v[0] + r->v[2]);
    });
    m.defineGetter(rc, u"bottom", [rc](Machine& m, const Value& self, Args) -> Value {
        GeomObject* r = asGeom(m, self, rc);
        return Value(r->v[1] + r->v[3]);
    });
    m.defineMethod(rc, u"toString", 0, [rc](Machine& m, const Value& self, Args) -> Value {
        GeomObject* r = asGeom(m, self, rc);
        return Value(u"(x=" + numberToString(r->v[0]) + u", y=" + numberToString(r->v[1]) + u", w=" + numberToString(r->v[2]) +
                     u", h=" + numberToString(r->v[3]) + u")");
    });
    m.defineMethod(rc, u"clone", 0, [rc, make](Machine& m, const Value& self, Args) -> Value {
        GeomObject* r = asGeom(m, self, rc);
        return make(rc, {r->v[0], r->v[1], r->v[2], r->v[3]});
    });
    m.defineMethod(rc, u"isEmpty", 0, [rc](Machine& m, const Value& self, Args) -> Value {
        GeomObject* r = asGeom(m, self, rc);
        return Value(!(r->v[2] > 0) || !(r->v[3] > 0));
    });
    m.defineMethod(rc, u"contains", 2, [rc](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* r = asGeom(m, self, rc);
        double x = m.toNumber(arg(a, 0)), y = m.toNumber(arg(a, 1));
        return Value(x >= r->v[0] && y >= r->v[1] && x < r->v[0] + r->v[2] && y < r->v[1] + r->v[3]);
    });
    m.defineMethod(rc, u"intersects", 1, [rc](Machine& m, const Value& self, Args a) -> Value {
        GeomObject *r = asGeom(m, self, rc), *s = asGeom(m, arg(a, 0), rc);
        return Value(r->v[0] < s->v[0] + s->v[2] && s->v[0] < r->v[0] + r->v[2] && r->v[1] < s->v[1] + s->v[3] &&
                     s->v[1] < r->v[1] + r->v[3]);
    });

    // Matrix
    matrixClass = m.defineClass(u"flash.geom", u"Matrix", m.objectClass, [this](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* x = asGeom(m, self, matrixClass);
        const double defaults[6] = {1, 0, 0, 1, 0, 0};
        for (size_t i = 0; i < 6; ++i) x->v[i] = numberArg(m, a, i, defaults[i]);
        return Value();
    }, alloc);
    matrixClass->isSealedInstances = true;
    ClassObject* mc = matrixClass;
    fields(mc, {u"a", u"b", u"c", u"d", u"tx", u"ty"});
    auto get = [](GeomObject* g) { return Matrix{g->v[0], g->v[1], g->v[2], g->v[3], g->v[4], g->v[5]}; };
    auto put = [](GeomObject* g, const Matrix& x) {
        const double v[6] = {x.a, x.b, x.c, x.d, x.tx, x.ty};
        std::copy(v, v + 6, g->v);
    };
    m.defineMethod(mc, u"toString", 0, [mc](Machine& m, const Value& self, Args) -> Value {
        GeomObject* x = asGeom(m, self, mc);
        return Value(u"(a=" + numberToString(x->v[0]) + u", b=" + numberToString(x->v[1]) + u", c=" + numberToString(x->v[2]) +
                     u", d=" + numberToString(x->v[3]) + u", tx=" + numberToString(x->v[4]) + u", ty=" + numberToString(x->v[5]) + u")");
    });
    m.defineMethod(mc, u"identity", 0, [mc, put](Machine& m, const Value& self, Args) -> Value {
        put(asGeom(m, self, mc), Matrix{});
        return Value();
    });
    m.defineMethod(mc, u"clone", 0, [mc, make](Machine& m, const Value& self, Args) -> Value {
        GeomObject* x = asGeom(m, self, mc);
        return make(mc, {x->v[0], x->v[1], x->v[2], x->v[3], x->v[4], x->v[5]});
    });
    m.defineMethod(mc, u"translate", 2, [mc, get, put](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* x = asGeom(m, self, mc);
        put(x, Matrix::translate(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1))) * get(x));
        return Value();
    });
    m.defineMethod(mc, u"scale", 2, [mc, get, put](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* x = asGeom(m, self, mc);
        put(x, Matrix::scale(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1))) * get(x));
        return Value();
    });
    m.defineMethod(mc, u"rotate", 1, [mc, get, put](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* x = asGeom(m, self, mc);
        double r = m.toNumber(arg(a, 0));
        put(x, Matrix{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0} * get(x));
        return Value();
    });
    m.defineMethod(mc, u"concat", 1, [mc, get, put](Machine& m, const Value& self, Args a) -> Value {
        GeomObject* x = asGeom(m, self, mc);
        put(x, get(asGeom(m, arg(a, 0), mc)) * get(x));
        return Value();
    });
    m.defineMethod(mc, u"invert", 0, [mc, get, put](Machine& m, const Value& self, Args) -> Value {
        GeomObject* x = asGeom(m, self, mc);
        put(x, get(x).inverted());
        return Value();
    });
    m.defineMethod(mc, u"transformPoint", 1, [this, mc, get, make](Machine& m, const Value& self, Args a) -> Value {
        Point p = get(asGeom(m, self, mc)).apply(Point{m.toNumber(m.get(arg(a, 0), u"x")), m.toNumber(m.get(arg(a, 0), u"y"))});
        return make(pointClass, {p.x, p.y});
    });
    // The gradient box: a 1638.4-pixel square scaled to width by height, turned, and moved.
    m.defineMethod(mc, u"createGradientBox", 5, [mc, put](Machine& m, const Value& self, Args a) -> Value {
        double w = m.toNumber(arg(a, 0)), h = m.toNumber(arg(a, 1));
        double r = a.size() > 2 ? m.toNumber(a[2]) : 0, tx = a.size() > 3 ? m.toNumber(a[3]) : 0, ty = a.size() > 4 ? m.toNumber(a[4]) : 0;
        double sx = w / 1638.4, sy = h / 1638.4;
        put(asGeom(m, self, mc), Matrix{sx * std::cos(r), sx * std::sin(r), -sy * std::sin(r), sy * std::cos(r), tx + w / 2, ty + h / 2});
        return Value();
    });
    m.defineMethod(mc, u"createBox", 5, [mc, put](Machine& m, const Value& self, Args a) -> Value {
        double sx = m.toNumber(arg(a, 0)), sy = m.toNumber(arg(a, 1));
        double r = a.size() > 2 ? m.toNumber(a[2]) : 0, tx = a.size() > 3 ? m.toNumber(a[3]) : 0, ty = a.size() > 4 ? m.toNumber(a[4]) : 0;
        put(asGeom(m, self, mc), Matrix{sx * std::cos(r), sx * std::sin(r), -sy * std::sin(r), sy * std::cos(r), tx, ty});
        return Value();
    });
}

}  // namespace swf
