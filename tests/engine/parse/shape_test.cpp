// Shapes and morph shapes of every version, with every fill and line style, written and read back.
#include <gtest/gtest.h>

#include "tests/engine/parse/parse_helpers.h"
#include "tests/engine/parse/sample_movies.h"
#include "tools/swfwriter/swf_writer.h"

using namespace parse_test;
using swf::FillStyle;

namespace {

swf::Shape roundTrip(const swf::Shape& s, int version) {
    swfw::SwfWriter w;
    w.defineShape(1, s, version);
    swf::Movie m = parse(w.finish());
    EXPECT_TRUE(m.failedCharacters.empty()) << (m.failedCharacters.empty() ? "" : m.failedCharacters.begin()->second);
    const swf::Shape* out = m.findAs<swf::Shape>(1);
    return out ? *out : swf::Shape{};
}

void expectFill(const FillStyle& got, const FillStyle& want, bool alpha) {
    ASSERT_EQ(static_cast<int>(got.kind), static_cast<int>(want.kind));
    if (got.kind == FillStyle::Kind::Solid) {
        EXPECT_EQ(got.color, (swf::Rgba{want.color.r, want.color.g, want.color.b, alpha ? want.color.a : uint8_t{255}}));
    } else if (got.kind == FillStyle::Kind::Bitmap) {
        EXPECT_EQ(got.bitmapId, want.bitmapId);
        EXPECT_EQ(got.bitmapRepeating, want.bitmapRepeating);
        EXPECT_EQ(got.bitmapSmoothed, want.bitmapSmoothed);
        expectMatrix(got.bitmapMatrix, want.bitmapMatrix);
    } else {
        expectMatrix(got.gradient.matrix, want.gradient.matrix);
        EXPECT_EQ(got.gradient.spread, want.gradient.spread);
        EXPECT_EQ(got.gradient.interpolation, want.gradient.interpolation);
        EXPECT_DOUBLE_EQ(got.gradient.focalPoint, want.gradient.focalPoint);
        ASSERT_EQ(got.gradient.stops.size(), want.gradient.stops.size());
        for (size_t i = 0; i < got.gradient.stops.size(); ++i) {
            EXPECT_EQ(got.gradient.stops[i].ratio, want.gradient.stops[i].ratio);
            swf::Rgba c = want.gradient.stops[i].color;
            if (!alpha) c.a = 255;
            EXPECT_EQ(got.gradient.stops[i].color, c);
        }
    }
}

}  // namespace

TEST(ShapeParse, EveryFillStyleOfDefineShape3And4) {
    swf::Shape want = sample::everyStyleShape();
    for (int version : {3, 4}) {
        swf::Shape got = roundTrip(want, version);
        ASSERT_EQ(got.fillStyles.size(), want.fillStyles.size()) << version;
        for (size_t i = 0; i < want.fillStyles.size(); ++i) expectFill(got.fillStyles[i], want.fillStyles[i], true);
        expectRect(got.bounds, want.bounds);
    }
}

TEST(ShapeParse, OlderShapesDropAlphaAndFocalPointsStayOnlyInShape4) {
    swf::Shape want = sample::everyStyleShape();
    want.fillStyles.resize(3);  // solid, linear, radial: what DefineShape 1 and 2 can hold
    for (int version : {1, 2}) {
        swf::Shape got = roundTrip(want, version);
        ASSERT_EQ(got.fillStyles.size(), 3u);
        for (size_t i = 0; i < 3; ++i) expectFill(got.fillStyles[i], want.fillStyles[i], false);
        EXPECT_EQ(got.lineStyles[0].color, (swf::Rgba{1, 2, 3, 255}));
        EXPECT_FALSE(got.nonZeroWinding);
    }
}

TEST(ShapeParse, LineStyle2CarriesCapsJoinsMiterFlagsAndFill) {
    swf::Shape got = roundTrip(sample::everyStyleShape(), 4);
    ASSERT_EQ(got.lineStyles.size(), 3u);
    const swf::LineStyle& round = got.lineStyles[0];
    EXPECT_EQ(round.width, 40);
    EXPECT_EQ(round.startCap, swf::CapStyle::Round);
    EXPECT_EQ(round.join, swf::JoinStyle::Round);
    EXPECT_EQ(round.color, (swf::Rgba{1, 2, 3, 4}));
    const swf::LineStyle& square = got.lineStyles[1];
    EXPECT_EQ(square.startCap, swf::CapStyle::Square);
    EXPECT_EQ(square.endCap, swf::CapStyle::None);
    EXPECT_EQ(square.join, swf::JoinStyle::Miter);
    EXPECT_DOUBLE_EQ(square.miterLimit, 2.5);
    EXPECT_TRUE(square.noHScale);
    EXPECT_FALSE(square.noVScale);
    EXPECT_TRUE(square.pixelHinting);
    const swf::LineStyle& filled = got.lineStyles[2];
    EXPECT_EQ(filled.width, 0);
    EXPECT_EQ(filled.join, swf::JoinStyle::Bevel);
    EXPECT_TRUE(filled.noVScale);
    EXPECT_TRUE(filled.noClose);
    ASSERT_TRUE(filled.fill.has_value());
    EXPECT_EQ(filled.fill->kind, FillStyle::Kind::LinearGradient);
    EXPECT_EQ(filled.fill->gradient.stops.size(), 3u);
    EXPECT_TRUE(got.nonZeroWinding);
    EXPECT_FALSE(got.usesScalingStrokes);
    expectRect(got.edgeBounds, swf::Rect{10, 10, 1990, 990});
}

TEST(ShapeParse, RecordsKeepMovesStylesNewStylesAndEdges) {
    swf::Shape want = sample::everyStyleShape();
    swf::Shape got = roundTrip(want, 3);
    ASSERT_EQ(got.records.size(), want.records.size());
    for (size_t i = 0; i < want.records.size(); ++i) {
        const auto &g = got.records[i], &w = want.records[i];
        ASSERT_EQ(g.type, w.type) << i;
        EXPECT_EQ(g.hasMove, w.hasMove) << i;
        EXPECT_EQ(g.moveTo.x, w.moveTo.x) << i;
        EXPECT_EQ(g.moveTo.y, w.moveTo.y) << i;
        EXPECT_EQ(g.hasFill0, w.hasFill0) << i;
        EXPECT_EQ(g.hasFill1, w.hasFill1) << i;
        EXPECT_EQ(g.fill1, w.fill1) << i;
        EXPECT_EQ(g.hasLine, w.hasLine) << i;
        EXPECT_EQ(g.line, w.line) << i;
        EXPECT_EQ(g.hasNewStyles, w.hasNewStyles) << i;
        EXPECT_EQ(g.newFillStyles.size(), w.newFillStyles.size()) << i;
        EXPECT_EQ(g.newLineStyles.size(), w.newLineStyles.size()) << i;
        EXPECT_EQ(g.control.x, w.control.x) << i;
        EXPECT_EQ(g.control.y, w.control.y) << i;
        EXPECT_EQ(g.delta.x, w.delta.x) << i;
        EXPECT_EQ(g.delta.y, w.delta.y) << i;
    }
}

TEST(ShapeParse, MorphShapesOfBothVersions) {
    swf::MorphShape want = sample::morphShape();
    for (int version : {1, 2}) {
        swfw::SwfWriter w;
        w.defineMorphShape(3, want, version);
        swf::Movie m = parse(w.finish());
        const swf::MorphShape* got = m.findAs<swf::MorphShape>(3);
        ASSERT_NE(got, nullptr) << version;
        expectRect(got->startBounds, want.startBounds);
        expectRect(got->endBounds, want.endBounds);
        ASSERT_EQ(got->fillStyles.size(), 2u);
        EXPECT_EQ(got->fillStyles[0].start.color, (swf::Rgba{255, 0, 0, 255}));
        EXPECT_EQ(got->fillStyles[0].end.color, (swf::Rgba{0, 0, 255, 128}));
        const auto& g = got->fillStyles[1];
        EXPECT_EQ(g.start.kind, FillStyle::Kind::FocalGradient);
        EXPECT_EQ(g.end.gradient.stops[1].ratio, 200);
        EXPECT_EQ(g.end.gradient.stops[1].color, (swf::Rgba{13, 14, 15, 16}));
        EXPECT_EQ(g.end.gradient.spread, swf::SpreadMode::Reflect);
        EXPECT_DOUBLE_EQ(g.start.gradient.focalPoint, 0.25);
        EXPECT_DOUBLE_EQ(g.end.gradient.focalPoint, -0.75);
        expectMatrix(g.end.gradient.matrix, swf::Matrix{2, 0, 0, 2, 10, 10});
        ASSERT_EQ(got->lineStyles.size(), 1u);
        EXPECT_EQ(got->lineStyles[0].start.width, 20);
        EXPECT_EQ(got->lineStyles[0].end.width, 100);
        EXPECT_EQ(got->startRecords.size(), want.startRecords.size());
        ASSERT_EQ(got->endRecords.size(), want.endRecords.size());
        EXPECT_EQ(got->endRecords[1].delta.x, 2000);
        EXPECT_EQ(got->endRecords[2].delta.y, 500);
    }
}

TEST(ShapeParse, DamagedShapeFailsThatCharacterOnly) {
    swfw::SwfWriter w;
    w.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 3);
    swfw::BodyWriter bad;
    bad.u16(2);
    bad.rect(swf::Rect{0, 0, 10, 10});
    bad.u8(1);
    bad.u8(0x77);  // no such fill style type
    w.tag(swfw::kDefineShape3, bad.data());
    w.defineShape(3, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 3);
    swf::Movie m = parse(w.finish());
    EXPECT_NE(m.find(1), nullptr);
    EXPECT_EQ(m.find(2), nullptr);
    EXPECT_NE(m.find(3), nullptr);
    ASSERT_EQ(m.failedCharacters.count(2), 1u);
    EXPECT_NE(m.failedCharacters.at(2).find("fill style"), std::string::npos);
}

TEST(ShapeParse, RecordLimitFailsTheShape) {
    swf::Shape big = swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{});
    swfw::SwfWriter w;
    w.defineShape(1, big, 3);
    swf::ParseLimits limits;
    limits.maxShapeRecords = 4;  // the rectangle has five
    swf::Movie m = swf::parseMovie(w.finish(), limits);
    EXPECT_EQ(m.find(1), nullptr);
    ASSERT_EQ(m.failedCharacters.count(1), 1u);
    EXPECT_NE(m.failedCharacters.at(1).find("limit"), std::string::npos);
    limits.maxShapeRecords = 5;
    EXPECT_NE(swf::parseMovie(w.finish(), limits).find(1), nullptr);
}

TEST(ShapeParse, RecordsOfAllShapesTogetherHaveALimit) {
    // Three rectangles of five records and a morph of five plus five: with room for fifteen, the third
    // shape and the morph fail, each with the limit named; the first two and later small ones stay.
    const swf::Shape rect = swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{});
    swf::MorphShape morph;
    morph.startRecords = rect.records;
    morph.endRecords = rect.records;
    morph.fillStyles.push_back({rect.fillStyles.at(0), rect.fillStyles.at(0)});
    swfw::SwfWriter w;
    w.defineShape(1, rect, 3);
    w.defineShape(2, rect, 3);
    w.defineMorphShape(3, morph);
    w.defineShape(4, rect, 3);
    w.defineShape(5, rect, 3);
    swf::ParseLimits limits;
    limits.maxTotalShapeRecords = 15;
    swf::Movie m = swf::parseMovie(w.finish(), limits);
    EXPECT_NE(m.find(1), nullptr);
    EXPECT_NE(m.find(2), nullptr);
    ASSERT_EQ(m.failedCharacters.count(3), 1u);
    EXPECT_NE(m.failedCharacters.at(3).find("records together (limit)"), std::string::npos);
    EXPECT_NE(m.find(4), nullptr);
    ASSERT_EQ(m.failedCharacters.count(5), 1u);

    limits.maxTotalShapeRecords = 30;
    m = swf::parseMovie(w.finish(), limits);
    EXPECT_TRUE(m.failedCharacters.empty());
}
