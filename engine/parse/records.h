// Readers of the small SWF records shared by many tags: RECT, MATRIX, CXFORM, colours, gradients,
// fill and line styles, shape records and filters.
#pragma once

#include <vector>

#include "engine/base/color.h"
#include "engine/base/effects.h"
#include "engine/base/geometry.h"
#include "engine/base/shape.h"
#include "engine/base/styles.h"
#include "engine/parse/reader.h"

namespace swf {

Rect readRect(ByteReader& r);
Matrix readMatrix(ByteReader& r);
ColorTransform readColorTransform(ByteReader& r, bool withAlpha);
Rgba readRgb(ByteReader& r);
Rgba readRgba(ByteReader& r);

// `shapeVersion`: 1 to 4 for DefineShape1-4 (colours with alpha from 3 on, LINESTYLE2 from 4).
Gradient readGradient(ByteReader& r, int shapeVersion, bool focal);
FillStyle readFillStyle(ByteReader& r, int shapeVersion);
std::vector<FillStyle> readFillStyleArray(ByteReader& r, int shapeVersion);
LineStyle readLineStyle(ByteReader& r, int shapeVersion);
std::vector<LineStyle> readLineStyleArray(ByteReader& r, int shapeVersion);

// SHAPERECORDs up to the end record. `withStyles`: false for glyphs (no style arrays, one fill).
std::vector<ShapeRecord> readShapeRecords(ByteReader& r, int shapeVersion, bool withStyles);

std::vector<Filter> readFilterList(ByteReader& r);

}  // namespace swf
