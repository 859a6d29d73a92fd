// Shapes as SWF shape records describe them (DefineShape 1-4, font glyphs, morph shapes), in plain data.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/geometry.h"
#include "engine/base/styles.h"

namespace swf {

// One SHAPERECORD. Coordinates are twips. Style indices are 1-based into the style arrays in force
// (0 means "no style"); a record with newStyles replaces those arrays for the records that follow.
struct ShapeRecord {
    enum class Type : uint8_t { StyleChange, Line, Curve };
    Type type = Type::StyleChange;

    // StyleChange
    bool hasMove = false;
    Point moveTo;  // absolute
    bool hasFill0 = false, hasFill1 = false, hasLine = false;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    bool hasNewStyles = false;
    std::vector<FillStyle> newFillStyles;
    std::vector<LineStyle> newLineStyles;

    // Line: `delta` to the anchor. Curve: `control` delta from the current point, then `delta` from
    // the control point to the anchor (as the file stores them).
    Point control;
    Point delta;
};

struct Shape {
    Rect bounds;      // twips
    Rect edgeBounds;  // DefineShape4; equals bounds otherwise
    std::vector<FillStyle> fillStyles;
    std::vector<LineStyle> lineStyles;
    std::vector<ShapeRecord> records;
    bool nonZeroWinding = false;   // DefineShape4 UsesFillWindingRule
    bool usesScalingStrokes = true;
};

// DefineMorphShape 1 and 2: start and end shapes share style indices and edge topology;
// a ratio (0..65535) interpolates between them.
struct MorphFillStyle {
    FillStyle start, end;
};
struct MorphLineStyle {
    LineStyle start, end;
};
struct MorphShape {
    Rect startBounds, endBounds;
    Rect startEdgeBounds, endEdgeBounds;
    std::vector<MorphFillStyle> fillStyles;
    std::vector<MorphLineStyle> lineStyles;
    std::vector<ShapeRecord> startRecords;  // style indices and moves as written
    std::vector<ShapeRecord> endRecords;    // edges only (style changes carry moves only)
};

}  // namespace swf
