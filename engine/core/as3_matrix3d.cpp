// flash.geom.Matrix3D: a 4x4 transformation kept as sixteen single-precision numbers, column by
// column (the translation in 12 to 14), as the player keeps it: what scripts read back has a
// float's precision.
#include <array>
#include <cmath>
#include <numbers>

#include "engine/core/as3_vector3d.h"

namespace swf {

using namespace avm2;

namespace {

// Column-major: element (row r, column c) at 4 * c + r.
using Mat4 = std::array<double, 16>;

constexpr Mat4 kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class Matrix3DObject : public Object {
public:
    Matrix3DObject() : Object(ObjectType::Other) { set(kIdentity); }
    std::array<float, 16> raw{};
    Mat4 get() const {
        Mat4 out;
        for (int i = 0; i < 16; ++i) out[i] = raw[i];
        return out;
    }
    void set(const Mat4& v) {
        for (int i = 0; i < 16; ++i) raw[i] = static_cast<float>(v[i]);
    }
};

// a × b: b's transformation first, then a's.
Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 out{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[4 * k + r] * b[4 * c + k];
            out[4 * c + r] = s;
        }
    return out;
}

Mat4 translation(double x, double y, double z) { return Mat4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}; }
Mat4 scaling(double x, double y, double z) { return Mat4{x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}; }

// A turn of `degrees` about the axis through `pivot`, right-handed: about the z axis, x turns
// toward y (clockwise on a screen whose y points down, as rotation does).
Mat4 rotation(double degrees, double ax, double ay, double az, double px, double py, double pz) {
    double len = std::sqrt(ax * ax + ay * ay + az * az);
    if (len == 0 || !std::isfinite(len)) return kIdentity;
    double x = ax / len, y = ay / len, z = az / len;
    double rad = degrees * std::numbers::pi / 180, c = std::cos(rad), s = std::sin(rad), t = 1 - c;
    Mat4 r{t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0,  //
           t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0,  //
           t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0,  //
           0,                 0,                 0,                 1};
    if (px == 0 && py == 0 && pz == 0) return r;
    return multiply(translation(px, py, pz), multiply(r, translation(-px, -py, -pz)));
}

// The cofactors of the transposed matrix (the adjugate) and the determinant.
double adjugate(const Mat4& m, Mat4& inv) {
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    return m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
}

Mat4 transposed(const Mat4& m) {
    Mat4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[4 * c + r] = m[4 * r + c];
    return out;
}

double numberAt(Machine& m, Args a, size_t i, double otherwise) { return i < a.size() ? m.toNumber(a[i]) : otherwise; }

VectorObject* numberVector(Machine& m, const Value& v, const char16_t* name) {
    Object* o = v.object();
    if (!o) m.typeError(2007, u"Parameter " + String(name) + u" must be non-null.");
    if (o->type != ObjectType::Vector)
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to __AS3__.vec.Vector.<Number>.");
    return static_cast<VectorObject*>(o);
}

// Sixteen numbers from `v` starting at `index` (a RangeError when it holds fewer).
Mat4 readRaw(Machine& m, VectorObject* v, uint32_t index) {
    if (v->items.size() < 16 || index > v->items.size() - 16)
        m.rangeError(1125, u"The index " + numberToString(double(std::max<size_t>(v->items.size(), index))) + u" is out of range " +
                               numberToString(double(v->items.size())) + u".");
    Mat4 out;
    for (int i = 0; i < 16; ++i) out[i] = m.toNumber(v->items[index + i]);
    return out;
}

}  // namespace

void installMatrix3D(Machine& m, ClassObject* vc) {
    // new Matrix3D(v): the sixteen numbers of v, or the identity.
    ClassObject* mc = m.defineClass(u"flash.geom", u"Matrix3D", m.objectClass, [](Machine& m, const Value& v, Args a) -> Value {
        if (!arg(a, 0).isNullish()) static_cast<Matrix3DObject*>(v.object())->set(readRaw(m, numberVector(m, a[0], u"v"), 0));
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<Matrix3DObject>(); });
    mc->isSealedInstances = true;
    auto self = [mc](Machine& m, const Value& v) -> Matrix3DObject* {
        Object* o = v.object();
        if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
        if (!o->cls || !o->cls->isSubclassOf(mc))
            m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.geom.Matrix3D.");
        return static_cast<Matrix3DObject*>(o);
    };
    auto vector = [vc](Machine& m, const Value& v) { return asVector3D(m, v, vc); };
    auto numbers = [](Machine& m, const Mat4& values) {
        auto* out = static_cast<VectorObject*>(m.instantiate(m.vectorClass(m.numberClass)));
        out->elementType = m.numberClass;
        for (double x : values) out->items.push_back(Value(x));
        return Value(out);
    };
    m.defineGetter(mc, u"rawData", [self, numbers](Machine& m, const Value& v, Args) -> Value { return numbers(m, self(m, v)->get()); },
                   [self](Machine& m, const Value& v, Args a) -> Value {
                       self(m, v)->set(readRaw(m, numberVector(m, arg(a, 0), u"rawData"), 0));
                       return Value();
                   });
    m.defineGetter(mc, u"position", [self, vc](Machine& m, const Value& v, Args) -> Value {
        Matrix3DObject* p = self(m, v);
        return makeVector3D(m, vc, p->raw[12], p->raw[13], p->raw[14], 0);
    }, [self, vector](Machine& m, const Value& v, Args a) -> Value {
        Matrix3DObject* p = self(m, v);
        Vector3DObject* q = vector(m, arg(a, 0));
        p->raw[12] = float(q->x), p->raw[13] = float(q->y), p->raw[14] = float(q->z);
        return Value();
    });
    m.defineGetter(mc, u"determinant", [self](Machine& m, const Value& v, Args) -> Value {
        Mat4 inv;
        return Value(adjugate(self(m, v)->get(), inv));
    });

    // Methods that replace the matrix with a function of it.
    auto change = [&m, mc, self](const char16_t* name, int length, auto f) {
        m.defineMethod(mc, name, length, [self, f](Machine& m, const Value& v, Args a) -> Value {
            Matrix3DObject* p = self(m, v);
            p->set(f(m, p->get(), a));
            return Value();
        });
    };
    change(u"identity", 0, [](Machine&, const Mat4&, Args) { return kIdentity; });
    change(u"transpose", 0, [](Machine&, const Mat4& t, Args) { return transposed(t); });
    change(u"append", 1, [self](Machine& m, const Mat4& t, Args a) { return multiply(self(m, arg(a, 0))->get(), t); });
    change(u"prepend", 1, [self](Machine& m, const Mat4& t, Args a) { return multiply(t, self(m, arg(a, 0))->get()); });
    auto three = [](Machine& m, Args a) { return std::array<double, 3>{numberAt(m, a, 0, 0), numberAt(m, a, 1, 0), numberAt(m, a, 2, 0)}; };
    change(u"appendTranslation", 3, [three](Machine& m, const Mat4& t, Args a) {
        auto [x, y, z] = three(m, a);
        return multiply(translation(x, y, z), t);
    });
    change(u"prependTranslation", 3, [three](Machine& m, const Mat4& t, Args a) {
        auto [x, y, z] = three(m, a);
        return multiply(t, translation(x, y, z));
    });
    change(u"appendScale", 3, [three](Machine& m, const Mat4& t, Args a) {
        auto [x, y, z] = three(m, a);
        return multiply(scaling(x, y, z), t);
    });
    change(u"prependScale", 3, [three](Machine& m, const Mat4& t, Args a) {
        auto [x, y, z] = three(m, a);
        return multiply(t, scaling(x, y, z));
    });
    auto turn = [vector](Machine& m, Args a) {
        double degrees = numberAt(m, a, 0, 0);
        Vector3DObject* axis = vector(m, arg(a, 1));
        double px = 0, py = 0, pz = 0;
        if (!arg(a, 2).isNullish()) {
            Vector3DObject* pivot = vector(m, a[2]);
            px = pivot->x, py = pivot->y, pz = pivot->z;
        }
        return rotation(degrees, axis->x, axis->y, axis->z, px, py, pz);
    };
    change(u"appendRotation", 3, [turn](Machine& m, const Mat4& t, Args a) { return multiply(turn(m, a), t); });
    change(u"prependRotation", 3, [turn](Machine& m, const Mat4& t, Args a) { return multiply(t, turn(m, a)); });
    change(u"copyFrom", 1, [self](Machine& m, const Mat4&, Args a) { return self(m, arg(a, 0))->get(); });
    // copyRawDataFrom(vector, index, transpose).
    change(u"copyRawDataFrom", 3, [](Machine& m, const Mat4&, Args a) {
        Mat4 t = readRaw(m, numberVector(m, arg(a, 0), u"vector"), m.toUint(arg(a, 1)));
        return m.toBoolean(arg(a, 2)) ? transposed(t) : t;
    });

    // invert answers whether the matrix had an inverse; one without stays as it was.
    m.defineMethod(mc, u"invert", 0, [self](Machine& m, const Value& v, Args) -> Value {
        Matrix3DObject* p = self(m, v);
        Mat4 inv;
        double det = adjugate(p->get(), inv);
        if (det == 0 || !std::isfinite(det)) return Value(false);
        for (double& x : inv) x /= det;
        p->set(inv);
        return Value(true);
    });
    m.defineMethod(mc, u"clone", 0, [self, mc](Machine& m, const Value& v, Args) -> Value {
        auto* out = static_cast<Matrix3DObject*>(m.instantiate(mc));
        out->raw = self(m, v)->raw;
        return Value(out);
    });
    m.defineMethod(mc, u"copyToMatrix3D", 1, [self](Machine& m, const Value& v, Args a) -> Value {
        self(m, arg(a, 0))->raw = self(m, v)->raw;
        return Value();
    });
    // copyRawDataTo(vector, index, transpose): the vector grows to hold the sixteen when short.
    m.defineMethod(mc, u"copyRawDataTo", 3, [self](Machine& m, const Value& v, Args a) -> Value {
        Mat4 t = self(m, v)->get();
        if (m.toBoolean(arg(a, 2))) t = transposed(t);
        VectorObject* out = numberVector(m, arg(a, 0), u"vector");
        double index = m.toUint(arg(a, 1));
        if (index > out->items.size()) m.rangeError(1125, u"The index " + numberToString(index) + u" is out of range " + numberToString(double(out->items.size())) + u".");
        size_t at = static_cast<size_t>(index);
        if (out->items.size() < at + 16) {
            if (out->fixed) m.rangeError(1126, u"Cannot change the length of a fixed Vector.");
            out->items.resize(at + 16, Value(0.0));
        }
        for (int i = 0; i < 16; ++i) out->items[at + i] = Value(t[i]);
        return Value();
    });
    // Rows and columns as a Vector3D's x, y, z and w.
    auto lineIndex = [](Machine& m, const Value& v) {
        uint32_t i = m.toUint(v);
        if (i > 3) m.throwError(u"ArgumentError", 2004, u"One of the parameters is invalid.");
        return int(i);
    };
    for (bool row : {true, false}) {
        auto at = [row](int line, int k) { return row ? 4 * k + line : 4 * line + k; };
        m.defineMethod(mc, row ? u"copyRowTo" : u"copyColumnTo", 2, [self, vector, lineIndex, at](Machine& m, const Value& v, Args a) -> Value {
            Matrix3DObject* p = self(m, v);
            int line = lineIndex(m, arg(a, 0));
            Vector3DObject* out = vector(m, arg(a, 1));
            out->x = p->raw[at(line, 0)], out->y = p->raw[at(line, 1)], out->z = p->raw[at(line, 2)], out->w = p->raw[at(line, 3)];
            return Value();
        });
        m.defineMethod(mc, row ? u"copyRowFrom" : u"copyColumnFrom", 2, [self, vector, lineIndex, at](Machine& m, const Value& v, Args a) -> Value {
            Matrix3DObject* p = self(m, v);
            int line = lineIndex(m, arg(a, 0));
            Vector3DObject* in = vector(m, arg(a, 1));
            p->raw[at(line, 0)] = float(in->x), p->raw[at(line, 1)] = float(in->y), p->raw[at(line, 2)] = float(in->z), p->raw[at(line, 3)] = float(in->w);
            return Value();
        });
    }

    // transformVector takes the translation and answers w; deltaTransformVector takes neither.
    m.defineMethod(mc, u"transformVector", 1, [self, vector, vc](Machine& m, const Value& v, Args a) -> Value {
        Mat4 t = self(m, v)->get();
        Vector3DObject* p = vector(m, arg(a, 0));
        return makeVector3D(m, vc, t[0] * p->x + t[4] * p->y + t[8] * p->z + t[12], t[1] * p->x + t[5] * p->y + t[9] * p->z + t[13],
                            t[2] * p->x + t[6] * p->y + t[10] * p->z + t[14], t[3] * p->x + t[7] * p->y + t[11] * p->z + t[15]);
    });
    m.defineMethod(mc, u"deltaTransformVector", 1, [self, vector, vc](Machine& m, const Value& v, Args a) -> Value {
        Mat4 t = self(m, v)->get();
        Vector3DObject* p = vector(m, arg(a, 0));
        return makeVector3D(m, vc, t[0] * p->x + t[4] * p->y + t[8] * p->z, t[1] * p->x + t[5] * p->y + t[9] * p->z,
                            t[2] * p->x + t[6] * p->y + t[10] * p->z, 0);
    });
    // transformVectors(vin, vout): x, y, z triples; vout takes as many as vin holds.
    m.defineMethod(mc, u"transformVectors", 2, [self](Machine& m, const Value& v, Args a) -> Value {
        Mat4 t = self(m, v)->get();
        VectorObject* in = numberVector(m, arg(a, 0), u"vin");
        VectorObject* out = numberVector(m, arg(a, 1), u"vout");
        size_t n = in->items.size() / 3 * 3;
        std::vector<double> src;
        src.reserve(n);
        for (size_t i = 0; i < n; ++i) src.push_back(m.toNumber(in->items[i]));
        if (out->items.size() < n) {
            if (out->fixed) m.rangeError(1126, u"Cannot change the length of a fixed Vector.");
            out->items.resize(n, Value(0.0));
        }
        for (size_t i = 0; i < n; i += 3) {
            double x = src[i], y = src[i + 1], z = src[i + 2];
            out->items[i] = Value(t[0] * x + t[4] * y + t[8] * z + t[12]);
            out->items[i + 1] = Value(t[1] * x + t[5] * y + t[9] * z + t[13]);
            out->items[i + 2] = Value(t[2] * x + t[6] * y + t[10] * z + t[14]);
        }
        return Value();
    });
}

}  // namespace swf
