#include "engine/paths/morph_shape.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

double lerp(double a, double b, double t) { return a + (b - a) * t; }
Point lerp(Point a, Point b, double t) { return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)}; }
uint8_t lerp8(uint8_t a, uint8_t b, double t) {
    return static_cast<uint8_t>(std::clamp(std::lround(lerp(a, b, t)), 0L, 255L));
}
Rgba lerp(Rgba a, Rgba b, double t) { return {lerp8(a.r, b.r, t), lerp8(a.g, b.g, t), lerp8(a.b, b.b, t), lerp8(a.a, b.a, t)}; }
Matrix lerp(const Matrix& a, const Matrix& b, double t) {
    return {lerp(a.a, b.a, t), lerp(a.b, b.b, t), lerp(a.c, b.c, t), lerp(a.d, b.d, t), lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t)};
}

FillStyle lerp(const FillStyle& a, const FillStyle& b, double t) {
    FillStyle f = a;
    f.color = lerp(a.color, b.color, t);
    f.gradient.matrix = lerp(a.gradient.matrix, b.gradient.matrix, t);
    f.gradient.focalPoint = lerp(a.gradient.focalPoint, b.gradient.focalPoint, t);
    for (size_t i = 0; i < f.gradient.stops.size() && i < b.gradient.stops.size(); ++i) {
        f.gradient.stops[i].ratio = lerp8(a.gradient.stops[i].ratio, b.gradient.stops[i].ratio, t);
        f.gradient.stops[i].color = lerp(a.gradient.stops[i].color, b.gradient.stops[i].color, t);
    }
    f.bitmapMatrix = lerp(a.bitmapMatrix, b.bitmapMatrix, t);
    return f;
}

LineStyle lerp(const LineStyle& a, const LineStyle& b, double t) {
    LineStyle l = a;
    l.width = lerp(a.width, b.width, t);
    l.color = lerp(a.color, b.color, t);
    if (a.fill && b.fill) l.fill = lerp(*a.fill, *b.fill, t);
    return l;
}

// An edge as control and anchor deltas; a straight edge gets its control at the midpoint.
struct EdgeDeltas {
    Point control, delta;
};
EdgeDeltas deltasOf(const ShapeRecord& r) {
    if (r.type == ShapeRecord::Type::Curve) return {r.control, r.delta};
    return {{r.delta.x / 2, r.delta.y / 2}, {r.delta.x / 2, r.delta.y / 2}};
}

}  // namespace

Shape interpolateMorph(const MorphShape& morph, double ratio) {
    double t = std::clamp(ratio, 0.0, 1.0);
    Shape shape;
    shape.bounds.include(lerp(Point{morph.startBounds.xMin, morph.startBounds.yMin},
                              Point{morph.endBounds.xMin, morph.endBounds.yMin}, t));
    shape.bounds.include(lerp(Point{morph.startBounds.xMax, morph.startBounds.yMax},
                              Point{morph.endBounds.xMax, morph.endBounds.yMax}, t));
    shape.edgeBounds = shape.bounds;
    for (const auto& f : morph.fillStyles) shape.fillStyles.push_back(lerp(f.start, f.end, t));
    for (const auto& l : morph.lineStyles) shape.lineStyles.push_back(lerp(l.start, l.end, t));

    const auto& starts = morph.startRecords;
    const auto& ends = morph.endRecords;
    size_t j = 0;
    Point endPen{0, 0};
    // The end records' own style changes carry only moves; apply those that stand before an edge.
    auto consumeEndMoves = [&]() {
        while (j < ends.size() && ends[j].type == ShapeRecord::Type::StyleChange) {
            if (ends[j].hasMove) endPen = ends[j].moveTo;
            ++j;
        }
    };
    for (const auto& rec : starts) {
        if (rec.type == ShapeRecord::Type::StyleChange) {
            ShapeRecord out = rec;
            out.hasNewStyles = false;
            if (rec.hasMove) {
                if (j < ends.size() && ends[j].type == ShapeRecord::Type::StyleChange) {
                    if (ends[j].hasMove) endPen = ends[j].moveTo;
                    ++j;
                }
                out.moveTo = lerp(rec.moveTo, endPen, t);
            }
            shape.records.push_back(std::move(out));
            continue;
        }
        consumeEndMoves();
        if (j >= ends.size()) break;  // the end shape has fewer edges: stop where they run out
        const ShapeRecord& endRec = ends[j++];
        ShapeRecord out;
        if (rec.type == ShapeRecord::Type::Line && endRec.type == ShapeRecord::Type::Line) {
            out.type = ShapeRecord::Type::Line;
            out.delta = lerp(rec.delta, endRec.delta, t);
        } else {
            EdgeDeltas a = deltasOf(rec), b = deltasOf(endRec);
            out.type = ShapeRecord::Type::Curve;
            out.control = lerp(a.control, b.control, t);
            out.delta = lerp(a.delta, b.delta, t);
        }
        EdgeDeltas moved = deltasOf(endRec);
        endPen = {endPen.x + moved.control.x + moved.delta.x, endPen.y + moved.control.y + moved.delta.y};
        shape.records.push_back(out);
    }
    return shape;
}

}  // namespace swf
