// flash.geom.Transform: a clip's matrix and colour transform as Matrix and ColorTransform
// objects (copies: changing one changes nothing until it is assigned back), the forms composed
// down to the stage, and the clip's bounds on the stage. MovieClip.transform makes one.
#include <cmath>

#include "engine/avm1/color_transform_values.h"
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

// The clip a Transform is for (its object sits in slotA, where the collector sees it).
Clip* clipOf(Object* self) {
    Clip* c = self && self->slotA ? self->slotA->clip : nullptr;
    return c && !c->isRemoved() ? c : nullptr;
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    Object* target = arg(a, 0).object();
    self->slotA = target && target->clip ? m.clipObject(target->clip) : nullptr;
    return Value(self);
}

Value matrixValue(Machine& m, const double (&t)[6]) {
    std::vector<Value> fields;
    for (double v : t) fields.push_back(Value(v));
    return constructFlashClass(m, "geom", "Matrix", std::move(fields));
}

Value getMatrix(Machine& m, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    double t[6];
    c->matrix(t, false);
    return matrixValue(m, t);
}

Value setMatrix(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = clipOf(self);
    Value given = arg(a, 0);
    if (!c || !given.object()) return Value();
    double t[6];
    const char* names[] = {"a", "b", "c", "d", "tx", "ty"};
    for (int i = 0; i < 6; ++i) t[i] = numberMember(m, given, names[i]);
    c->setMatrix(t);
    return Value();
}

Value getConcatenatedMatrix(Machine& m, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    double t[6];
    c->matrix(t, true);
    return matrixValue(m, t);
}

// Multipliers as fractions, offsets as they are.
void fractions(const ColorTransformValues& c, double (&out)[8]) {
    const double v[8] = {c.ra / 100, c.ga / 100, c.ba / 100, c.aa / 100, c.rb, c.gb, c.bb, c.ab};
    for (int i = 0; i < 8; ++i) out[i] = v[i];
}

Value getColorTransform(Machine& m, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    double v[8];
    fractions(c->colorTransform(), v);
    return makeColorTransform(m, v);
}

Value setColorTransform(Machine&, Object* self, std::vector<Value>& a) {
    Clip* c = clipOf(self);
    ColorTransformState* s = colorTransformState(arg(a, 0));
    if (!c || !s) return Value();
    const double* v = s->values;
    c->setColorTransform({v[0] * 100, v[4], v[1] * 100, v[5], v[2] * 100, v[6], v[3] * 100, v[7]});
    return Value();
}

// The clip's colour transform after each of its parents'.
Value getConcatenatedColorTransform(Machine& m, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    double total[8] = {1, 1, 1, 1, 0, 0, 0, 0};
    int guard = 0;
    for (Clip* cur = c; cur && guard < 10000; cur = cur->parent(), ++guard) {
        double p[8];
        fractions(cur->colorTransform(), p);
        // total = p after total: offsets of total pass through p's multipliers.
        for (int i = 0; i < 4; ++i) {
            total[4 + i] = total[4 + i] * p[i] + p[4 + i];
            total[i] *= p[i];
        }
    }
    return makeColorTransform(m, total);
}

Value getPixelBounds(Machine& m, Object* self, std::vector<Value>&) {
    Clip* c = clipOf(self);
    if (!c) return Value();
    ClipBounds b = c->bounds(m.host().level(0));
    // A clip that draws nothing reports bounds past the largest twips value: no pixels.
    constexpr double kLargestPixels = 0x7FFFFFF / 20.0;
    if (!(b.xMax >= b.xMin) || !(b.yMax >= b.yMin) || b.xMin >= kLargestPixels) b = {};
    return constructFlashClass(m, "geom", "Rectangle",
                               {Value(std::floor(b.xMin)), Value(std::floor(b.yMin)),
                                Value(std::ceil(b.xMax) - std::floor(b.xMin)), Value(std::ceil(b.yMax) - std::floor(b.yMin))});
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }

// MovieClip.transform: a new Transform each time; assigning one copies its matrix and colours.
Value clipTransform(Machine& m, Object* self, std::vector<Value>&) {
    if (!self || !self->clip) return Value();
    return constructFlashClass(m, "geom", "Transform", {Value(self)});
}

Value setClipTransform(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || !self->clip) return Value();
    Value given = arg(a, 0);
    Value mine = constructFlashClass(m, "geom", "Transform", {Value(self)});
    std::vector<Value> matrix{m.getMember(given, "matrix")}, colors{m.getMember(given, "colorTransform")};
    setMatrix(m, mine.object(), matrix);
    setColorTransform(m, mine.object(), colors);
    return Value();
}

}  // namespace

void installTransform(Machine& m) {
    Object* proto = m.newObject();
    defineFlashClass(m, "geom", "Transform", construct, proto);
    struct { const char* name; NativeFunction get, set; } accessors[] = {
        {"matrix", getMatrix, setMatrix}, {"concatenatedMatrix", getConcatenatedMatrix, noOp},
        {"colorTransform", getColorTransform, setColorTransform},
        {"concatenatedColorTransform", getConcatenatedColorTransform, noOp}, {"pixelBounds", getPixelBounds, noOp}};
    for (auto& p : accessors) defineAccessor(m, proto, p.name, p.get, p.set);
    if (m.movieClipProto) {
        defineAccessor(m, m.movieClipProto, "transform", clipTransform, setClipTransform);
        m.movieClipProto->find(m.key("transform"))->flags |= FromVersion8;
    }
}

}  // namespace swf::avm1
