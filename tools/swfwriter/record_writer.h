// Encoders of the SWF structures that several tags share: styles, shape records, filters.
#pragma once

#include <vector>

#include "engine/base/effects.h"
#include "engine/base/shape.h"
#include "tools/swfwriter/swf_writer.h"

namespace swfw {

void writeFillStyle(BodyWriter& w, const swf::FillStyle& f, int shapeVersion);
void writeLineStyle(BodyWriter& w, const swf::LineStyle& l, int shapeVersion);
void writeStyleArrays(BodyWriter& w, const std::vector<swf::FillStyle>& fills, const std::vector<swf::LineStyle>& lines,
                      int shapeVersion);
// Bit counts first, then the records and the end record. `fillCount` and `lineCount` size the
// index fields until a record brings new styles.
void writeShapeRecords(BodyWriter& w, const std::vector<swf::ShapeRecord>& records, size_t fillCount, size_t lineCount,
                       int shapeVersion);
void writeMorphFillStyle(BodyWriter& w, const swf::MorphFillStyle& f);
void writeMorphLineStyle(BodyWriter& w, const swf::MorphLineStyle& l, int version);
void writeFilter(BodyWriter& w, const swf::Filter& f);

}  // namespace swfw
