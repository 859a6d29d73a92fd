// Turns a polyline into the polygons that cover its stroke: one quad per segment, plus join and cap
// pieces. Every piece winds the same way, so the union is painted with the non-zero rule.
#pragma once

#include "engine/base/styles.h"
#include "engine/render/path_flattener.h"
#include "engine/render/polygon.h"

namespace swf::render {

struct StrokeGeometry {
    double halfWidth = 0.5;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;   // longest miter tip, measured from the vertex in half-widths
    double tolerance = 0.1;  // flatness of round pieces, in the polyline's units
};

void strokePolyline(const Polyline& line, const StrokeGeometry& geometry, Polygon& out);

}  // namespace swf::render
