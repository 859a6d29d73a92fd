// flash.filters in ActionScript 3: the filter objects' fields, ranges and clones, and
// DisplayObject.filters handing copies to the display, which draws them.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

struct FilterCode {
    AbcWriter& w;
    AbcCode& c;
    uint32_t filterClass(const std::string& name) { return w.qname(w.ns(0x16, "flash.filters"), name); }
    // new flash.filters.<name>(...) into `local`, the arguments pushed by `args`.
    void make(const std::string& name, uint32_t local, uint32_t argc = 0, const std::function<void()>& args = {}) {
        uint32_t cls = filterClass(name);
        c.op(kFindPropStrict, cls);
        if (args) args();
        c.op(kConstructProp, cls, argc).op(kSetLocal, local);
    }
    // Pushes local.<prop> for each name.
    void get(uint32_t local, std::initializer_list<const char*> props) {
        for (const char* p : props) c.op(kGetLocal, local).op(kGetProperty, w.publicName(p));
    }
    // local.filters = [the filters in `filters`]
    void setFilters(uint32_t local, std::initializer_list<uint32_t> filters) {
        c.op(kGetLocal, local);
        for (uint32_t f : filters) c.op(kGetLocal, f);
        c.op(kNewArray, static_cast<uint32_t>(filters.size())).op(kSetProperty, w.publicName("filters"));
    }
    // Pushes local.filters.shift(): a copy of its first filter.
    void firstFilter(uint32_t local) {
        c.op(kGetLocal, local).op(kGetProperty, w.publicName("filters")).op(kCallProperty, w.publicName("shift"), 0);
    }
};

}  // namespace

TEST(Avm2Filters, FilterObjectsHoldTheirFieldsInRangeAndCloneApart) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        FilterCode f{w, c};
        // new GlowFilter(0x00FF00, 0.5, 300, 3, 2, 20): alpha in 1/255 steps, blur up to 255, quality up to 15.
        f.make("GlowFilter", 1, 6, [&] {
            c.op(kPushInt, w.integer(0x00FF00)).op(kPushDouble, w.number(0.5)).op(kPushShort, 300).op(kPushByte, 3)
                .op(kPushByte, 2).op(kPushByte, 20);
        });
        t.begin(c);
        f.get(1, {"color", "alpha", "blurX", "blurY", "quality", "strength", "inner"});
        t.end(c, 7);
        // A clone is a filter of its own.
        c.op(kGetLocal1).op(kCallProperty, w.publicName("clone"), 0).op(kSetLocal2);
        setNumber(w, c, 2, "blurX", 7);
        t.begin(c);
        f.get(1, {"blurX"});
        f.get(2, {"blurX", "color"});
        c.op(kGetLocal1).op(kGetLocal2).op(kStrictEquals);
        t.end(c, 4);
        // Defaults of a bevel; angles are kept modulo 360 and the type names inner, outer or full.
        f.make("BevelFilter", 3);
        t.begin(c);
        f.get(3, {"angle", "type", "highlightColor", "shadowAlpha", "distance"});
        t.end(c, 5);
        setNumber(w, c, 3, "angle", 405);
        setString(w, c, 3, "type", "sideways");
        t.begin(c);
        f.get(3, {"angle", "type"});
        t.end(c, 2);
        // Gradient stops: the colours say how many, ratios cut them down and are held to 0..255.
        f.make("GradientGlowFilter", 4, 5, [&] {
            c.op(kPushByte, 4).op(kPushByte, 45);
            c.op(kPushInt, w.integer(0xFF0000)).op(kPushInt, w.integer(0x0000FF)).op(kNewArray, 2);
            c.op(kPushByte, 1).op(kNewArray, 1);
            c.op(kPushByte, 0).op(kPushShort, 300).op(kPushByte, 7).op(kNewArray, 3);
        });
        t.begin(c);
        f.get(4, {"colors", "alphas", "ratios", "type"});
        t.end(c, 4);
        // A convolution matrix grows with zeros to its size; a colour matrix starts as the identity.
        f.make("ConvolutionFilter", 5, 3, [&] { c.op(kPushByte, 3).op(kPushByte, 2).op(kPushByte, 1).op(kPushByte, 2).op(kNewArray, 2); });
        f.make("ColorMatrixFilter", 6);
        t.begin(c);
        f.get(5, {"matrix", "divisor", "preserveAlpha"});
        f.get(6, {"matrix"});
        t.end(c, 4);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    EXPECT_EQ(p.lines, (Lines{"65280 0.4980392156862745 255 3 15 2 false", "255 7 65280 false", "45 inner 16777215 1 4",
                              "45 full", "16711680,255 1,1 0,255 inner",
                              "1,2,0,0,0,0 1 true 1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0"}));
}

TEST(Avm2Filters, DisplayObjectsTakeCopiesOfTheirFiltersAndDrawThem) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        FilterCode f{w, c};
        // A red square with a blue glow.
        newDisplayObject(w, c, "Sprite", 1);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        graphicsCall(w, c, 1, "drawRect", {100, 100, 40, 40});
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        f.make("GlowFilter", 2, 5, [&] {
            c.op(kPushInt, w.integer(0x0000FF)).op(kPushByte, 1).op(kPushByte, 16).op(kPushByte, 16).op(kPushByte, 4);
        });
        f.setFilters(1, {2});
        // Changing the filter afterwards changes neither what shows nor what reads back.
        setNumber(w, c, 2, "color", 0x00FF00);
        t.begin(c);
        f.firstFilter(1);
        c.op(kGetProperty, w.publicName("color"));
        c.op(kGetLocal1).op(kGetProperty, w.publicName("filters")).op(kGetLocal1).op(kGetProperty, w.publicName("filters"))
            .op(kStrictEquals);
        t.end(c, 2);
        // A red square through a colour matrix that swaps red and blue.
        newDisplayObject(w, c, "Sprite", 3);
        graphicsCall(w, c, 3, "beginFill", {0xFF0000});
        graphicsCall(w, c, 3, "drawRect", {300, 100, 40, 40});
        c.op(kGetLocal0).op(kGetLocal, 3).op(kCallPropVoid, w.publicName("addChild"), 1);
        f.make("ColorMatrixFilter", 4, 1, [&] {
            for (int v : {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}) c.op(kPushByte, static_cast<uint32_t>(v));
            c.op(kNewArray, 20);
        });
        f.setFilters(3, {4});
        // A filter set and taken away again with null.
        newDisplayObject(w, c, "Sprite", 5);
        graphicsCall(w, c, 5, "beginFill", {0xFF0000});
        graphicsCall(w, c, 5, "drawRect", {100, 300, 40, 40});
        c.op(kGetLocal0).op(kGetLocal, 5).op(kCallPropVoid, w.publicName("addChild"), 1);
        f.setFilters(5, {2});
        c.op(kGetLocal, 5).op(kPushNull).op(kSetProperty, w.publicName("filters"));
        t.begin(c);
        c.op(kGetLocal, 5).op(kGetProperty, w.publicName("filters")).op(kGetProperty, w.publicName("length"));
        t.end(c);
        // Anything but a filter in the list is refused.
        c.op(kGetLocal, 5).op(kNewObject, 0).op(kNewArray, 1).op(kSetProperty, w.publicName("filters"));
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"255 false", "0"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_NE(p.errors[0].find("ArgumentError: Error #2005"), std::string::npos) << p.errors[0];
    swf::RgbaImage image;
    p.player->render(image);
    EXPECT_EQ(pixel(image, 120, 120), (swf::Rgba{255, 0, 0, 255}));
    swf::Rgba glow = pixel(image, 96, 120);  // just outside the glowing square
    EXPECT_GT(glow.b, 150);
    EXPECT_LT(glow.r, 100);
    EXPECT_LT(glow.g, 100);
    EXPECT_EQ(pixel(image, 60, 120), (swf::Rgba{255, 255, 255, 255}));
    EXPECT_EQ(pixel(image, 320, 120), (swf::Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixel(image, 96, 320), (swf::Rgba{255, 255, 255, 255}));
}

// A displacement map's bitmap object comes back with the copies read from the display, and its
// scales as the player keeps them, in single precision.
TEST(Avm2Filters, DisplacementMapsKeepTheirBitmapThroughTheDisplay) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t bitmapData = w.qname(w.ns(0x16, "flash.display"), "BitmapData");
    uint32_t point = w.qname(w.ns(0x16, "flash.geom"), "Point");
    main.finish([&](AbcCode& c) {
        FilterCode f{w, c};
        newDisplayObject(w, c, "Sprite", 1);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        graphicsCall(w, c, 1, "drawRect", {0, 0, 20, 20});
        c.op(kFindPropStrict, bitmapData).op(kPushByte, 4).op(kPushByte, 4).op(kPushFalse).op(kPushInt, w.integer(0x808080))
            .op(kConstructProp, bitmapData, 4).op(kSetLocal2);
        f.make("DisplacementMapFilter", 3, 7, [&] {
            c.op(kGetLocal2).op(kFindPropStrict, point).op(kPushByte, 1).op(kPushByte, static_cast<uint8_t>(-2))
                .op(kConstructProp, point, 2);
            c.op(kPushByte, 1).op(kPushByte, 2).op(kPushDouble, w.number(1.1)).op(kPushDouble, w.number(-2.5))
                .op(kPushString, w.string("clamp"));
        });
        f.setFilters(1, {3});
        f.firstFilter(1);
        c.op(kSetLocal, 4);
        t.begin(c);
        c.op(kGetLocal, 4).op(kGetProperty, w.publicName("mapBitmap")).op(kGetLocal2).op(kStrictEquals);
        f.get(4, {"scaleX", "scaleY", "mapPoint", "mode", "componentY"});
        f.get(3, {"scaleX"});
        t.end(c, 7);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    EXPECT_EQ(p.lines, (Lines{"true 1.100000023841858 -2.5 (x=1, y=-2) clamp 2 1.1"}));
}
