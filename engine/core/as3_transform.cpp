// flash.geom's ColorTransform and Transform: a display object's matrix and colour transform as
// scripts read and replace them, alone and combined with those of the objects around it.
#include <cmath>

#include "engine/core/as3_display.h"
#include "engine/core/display_geometry.h"

namespace swf {

using namespace avm2;

namespace {

// Multipliers (red, green, blue, alpha) then offsets, in that order.
class ColorTransformObject : public Object {
public:
    ColorTransformObject() : Object(ObjectType::Other) {}
    double v[8] = {1, 1, 1, 1, 0, 0, 0, 0};
};

class TransformObject : public Object {
public:
    TransformObject() : Object(ObjectType::Other) {}
    As3DisplayObject* target = nullptr;
    void trace(std::vector<Object*>& out) override {
        Object::trace(out);
        if (target) out.push_back(target);
    }
};

template <class T>
T* asKind(Machine& m, const Value& v, ClassObject* cls, const char16_t* name) {
    Object* o = v.object();
    if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
    if (!o->cls || !o->cls->isSubclassOf(cls))
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.geom." + name + u".");
    return static_cast<T*>(o);
}

// The player keeps multipliers in 8.8 fixed point and offsets as whole numbers.
ColorTransform engineColors(const double v[8]) {
    auto mul = [](double x) { return std::isfinite(x) ? static_cast<float>(std::trunc(x * 256) / 256) : 0.0f; };
    auto add = [](double x) { return std::isfinite(x) ? static_cast<float>(std::trunc(x)) : 0.0f; };
    ColorTransform c;
    c.rMul = mul(v[0]);
    c.gMul = mul(v[1]);
    c.bMul = mul(v[2]);
    c.aMul = mul(v[3]);
    c.rAdd = add(v[4]);
    c.gAdd = add(v[5]);
    c.bAdd = add(v[6]);
    c.aAdd = add(v[7]);
    return c;
}

}  // namespace

void As3Display::installTransform() {
    Machine& m = m_;
    colorTransformClass = m.defineClass(u"flash.geom", u"ColorTransform", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        auto* c = static_cast<ColorTransformObject*>(self.object());
        for (size_t i = 0; i < 8 && i < a.size(); ++i) c->v[i] = m.toNumber(a[i]);
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<ColorTransformObject>(); });
    colorTransformClass->isSealedInstances = true;
    ClassObject* cc = colorTransformClass;
    auto colors = [cc](Machine& m, const Value& v) { return asKind<ColorTransformObject>(m, v, cc, u"ColorTransform"); };
    static const char16_t* names[8] = {u"redMultiplier", u"greenMultiplier", u"blueMultiplier", u"alphaMultiplier",
                                       u"redOffset",     u"greenOffset",     u"blueOffset",     u"alphaOffset"};
    for (size_t i = 0; i < 8; ++i)
        m.defineGetter(cc, names[i], [colors, i](Machine& m, const Value& self, Args) -> Value { return Value(colors(m, self)->v[i]); },
                       [colors, i](Machine& m, const Value& self, Args a) -> Value {
                           colors(m, self)->v[i] = m.toNumber(arg(a, 0));
                           return Value();
                       });
    // The colour the offsets make; giving one sets the offsets to it and the multipliers to 0.
    m.defineGetter(cc, u"color", [colors](Machine& m, const Value& self, Args) -> Value {
        ColorTransformObject* c = colors(m, self);
        auto part = [](double x) { return std::isfinite(x) ? static_cast<uint32_t>(static_cast<int64_t>(x)) & 0xFF : 0u; };
        return Value(static_cast<double>(part(c->v[4]) << 16 | part(c->v[5]) << 8 | part(c->v[6])));
    }, [colors](Machine& m, const Value& self, Args a) -> Value {
        ColorTransformObject* c = colors(m, self);
        uint32_t rgb = m.toUint(arg(a, 0));
        c->v[0] = c->v[1] = c->v[2] = 0;
        c->v[4] = (rgb >> 16) & 0xFF;
        c->v[5] = (rgb >> 8) & 0xFF;
        c->v[6] = rgb & 0xFF;
        return Value();
    });
    // concat(second): the result applies `second` first, then this one.
    m.defineMethod(cc, u"concat", 1, [colors](Machine& m, const Value& self, Args a) -> Value {
        ColorTransformObject* c = colors(m, self);
        const ColorTransformObject* s = colors(m, arg(a, 0));
        for (size_t i = 0; i < 4; ++i) {
            c->v[4 + i] += c->v[i] * s->v[4 + i];
            c->v[i] *= s->v[i];
        }
        return Value();
    });
    m.defineMethod(cc, u"toString", 0, [colors](Machine& m, const Value& self, Args) -> Value {
        ColorTransformObject* c = colors(m, self);
        String s = u"(";
        for (size_t i = 0; i < 8; ++i) s += (i ? u", " : u"") + String(names[i]) + u"=" + numberToString(c->v[i]);
        return Value(s + u")");
    });
    auto makeColors = [cc](Machine& m, const ColorTransform& t) -> Value {
        auto* c = static_cast<ColorTransformObject*>(m.instantiate(cc));
        const double v[8] = {t.rMul, t.gMul, t.bMul, t.aMul, t.rAdd, t.gAdd, t.bAdd, t.aAdd};
        std::copy(v, v + 8, c->v);
        return Value(c);
    };

    // Transform: a view of one display object, made by its `transform` property.
    transformClass = m.defineClass(u"flash.geom", u"Transform", m.objectClass, [this](Machine& m, const Value& self, Args a) -> Value {
        static_cast<TransformObject*>(self.object())->target = asDisplayObject(m, arg(a, 0));
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<TransformObject>(); });
    transformClass->isSealedInstances = true;
    ClassObject* tc = transformClass;
    auto targetOf = [tc](Machine& m, const Value& v) -> As3DisplayObject* {
        As3DisplayObject* o = asKind<TransformObject>(m, v, tc, u"Transform")->target;
        if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
        return o;
    };
    auto makeMatrix = [this](Machine& m, const Matrix& x) -> Value {
        Value a[6] = {Value(x.a), Value(x.b), Value(x.c), Value(x.d), Value(x.tx / kTwips), Value(x.ty / kTwips)};
        return m.construct(Value(matrixClass), a);
    };
    m.defineGetter(tc, u"matrix", [this, targetOf, makeMatrix](Machine& m, const Value& self, Args) -> Value {
        return makeMatrix(m, matrixOf(targetOf(m, self)));
    }, [this, targetOf](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = targetOf(m, self);
        if (arg(a, 0).isNullish()) return Value();
        Object* given = arg(a, 0).object();
        if (!given || !given->cls || !given->cls->isSubclassOf(matrixClass))
            m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(arg(a, 0)) + u" to flash.geom.Matrix.");
        double v[6];
        const char16_t* parts[6] = {u"a", u"b", u"c", u"d", u"tx", u"ty"};
        for (size_t i = 0; i < 6; ++i) v[i] = m.toNumber(m.get(arg(a, 0), parts[i]));
        for (double x : v)
            if (!std::isfinite(x)) return Value();
        matrixOf(o) = Matrix{v[0], v[1], v[2], v[3], std::round(v[4] * kTwips), std::round(v[5] * kTwips)};
        if (o->node) o->node->scriptTransformed = true;
        return Value();
    });
    m.defineGetter(tc, u"colorTransform", [targetOf, makeColors](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = targetOf(m, self);
        return makeColors(m, o->node ? o->node->colorTransform : ColorTransform{});
    }, [targetOf, colors](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = targetOf(m, self);
        const ColorTransformObject* c = colors(m, arg(a, 0));
        if (o->node) {
            o->node->colorTransform = engineColors(c->v);
            o->node->scriptTransformed = true;
        }
        return Value();
    });
    m.defineGetter(tc, u"concatenatedMatrix", [this, targetOf, makeMatrix](Machine& m, const Value& self, Args) -> Value {
        return makeMatrix(m, worldMatrixOf(targetOf(m, self)));
    });
    m.defineGetter(tc, u"concatenatedColorTransform", [this, targetOf, makeColors](Machine& m, const Value& self, Args) -> Value {
        ColorTransform total;
        size_t guard = 0;
        for (As3DisplayObject* o = targetOf(m, self); o && guard < 4096; o = parentOf(o), ++guard)
            if (o->node) total = o->node->colorTransform * total;
        return makeColors(m, total);
    });
    // The stage pixels the object covers, whole pixels outward.
    m.defineGetter(tc, u"pixelBounds", [this, targetOf](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = targetOf(m, self);
        Rect r = worldMatrixOf(o).apply(localBounds(o));
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (!r.empty()) {
            x0 = std::floor(r.xMin / kTwips);
            y0 = std::floor(r.yMin / kTwips);
            x1 = std::ceil(r.xMax / kTwips);
            y1 = std::ceil(r.yMax / kTwips);
        }
        Value v[4] = {Value(x0), Value(y0), Value(x1 - x0), Value(y1 - y0)};
        return m.construct(Value(rectangleClass), v);
    });

    // DisplayObject.transform: a new view each time it is read; setting one copies its matrix and
    // colour transform.
    m.defineGetter(displayObjectClass, u"transform", [this](Machine& m, const Value& self, Args) -> Value {
        auto* t = static_cast<TransformObject*>(m.instantiate(transformClass));
        t->target = asDisplayObject(m, self);
        return Value(t);
    }, [this, tc](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        TransformObject* from = asKind<TransformObject>(m, arg(a, 0), tc, u"Transform");
        if (!from->target || from->target == o) return Value();
        matrixOf(o) = matrixOf(from->target);
        if (o->node) {
            if (from->target->node) o->node->colorTransform = from->target->node->colorTransform;
            o->node->scriptTransformed = true;
        }
        return Value();
    });
}

}  // namespace swf
