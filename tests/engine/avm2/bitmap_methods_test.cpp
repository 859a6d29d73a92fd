// BitmapData's effect methods in ActionScript 3: draw with a matrix, colour transform, blend mode
// and clip rectangle; noise, flood fill, colour bounds and comparison as scripts call them.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

struct BitmapCode {
    AbcWriter& w;
    AbcCode& c;
    uint32_t cls(const char* pkg, const std::string& name) { return w.qname(w.ns(0x16, pkg), name); }
    // new <pkg>.<name>(ints...) into `local`.
    void make(const char* pkg, const std::string& name, uint32_t local, std::vector<int64_t> args) {
        uint32_t n = cls(pkg, name);
        c.op(kFindPropStrict, n);
        for (int64_t a : args) c.op(kPushDouble, w.number(double(a)));
        c.op(kConstructProp, n, static_cast<uint32_t>(args.size())).op(kSetLocal, local);
    }
    // Pushes bitmap.getPixel32(x, y).toString(16).
    void pixelHex(uint32_t bitmap, int x, int y) {
        c.op(kGetLocal, bitmap).op(kPushByte, uint32_t(x)).op(kPushByte, uint32_t(y)).op(kCallProperty, w.publicName("getPixel32"), 2);
        c.op(kPushByte, 16).op(kCallProperty, w.publicName("toString"), 1);
    }
};

}  // namespace

TEST(Avm2BitmapMethods, DrawPaintsADisplayObjectThroughMatrixTransformAndClip) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        BitmapCode b{w, c};
        // A red 2x2 square drawn into a clear 4x4 bitmap, then again moved by (2, 2) through a
        // colour transform that turns red into blue, then clipped to nothing.
        newDisplayObject(w, c, "Shape", 1);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        graphicsCall(w, c, 1, "drawRect", {0, 0, 2, 2});
        b.make("flash.display", "BitmapData", 2, {4, 4, 1, 0});
        callWith(w, c, 2, "draw", {1});
        b.make("flash.geom", "Matrix", 3, {1, 0, 0, 1, 2, 2});
        b.make("flash.geom", "ColorTransform", 4, {0, 1, 1, 1, 0, 0, 255, 0});
        callWith(w, c, 2, "draw", {1, 3, 4});
        b.make("flash.geom", "Matrix", 3, {1, 0, 0, 1, 0, 2});
        c.op(kPushNull).op(kSetLocal, 5);
        b.make("flash.geom", "Rectangle", 6, {3, 3, 1, 1});
        c.op(kPushString, w.string("normal")).op(kSetLocal, 7);
        callWith(w, c, 2, "draw", {1, 3, 5, 7, 6});
        t.begin(c);
        b.pixelHex(2, 0, 0);
        b.pixelHex(2, 3, 3);
        b.pixelHex(2, 0, 3);
        b.pixelHex(2, 2, 0);
        t.end(c, 4);
        // A BitmapData draws into another, and erase clears where it lands.
        b.make("flash.display", "BitmapData", 1, {1, 1, 0, 0xFF000000});
        b.make("flash.geom", "Matrix", 3, {1, 0, 0, 1, 3, 3});
        c.op(kPushString, w.string("erase")).op(kSetLocal, 7);
        callWith(w, c, 2, "draw", {1, 3, 5, 7});
        t.begin(c);
        b.pixelHex(2, 3, 3);
        b.pixelHex(2, 2, 2);
        t.end(c, 2);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.errors.empty()) << p.errors[0];
    EXPECT_EQ(p.lines, (Lines{"ffff0000 ff0000ff 0 0", "0 ff0000ff"}));
}

TEST(Avm2BitmapMethods, NoiseFloodFillBoundsAndCompare) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        BitmapCode b{w, c};
        // Two bitmaps given the same noise are the same; a flood fill then makes them differ in one
        // region, which compare and getColorBoundsRect find.
        b.make("flash.display", "BitmapData", 1, {3, 3, 0});
        b.make("flash.display", "BitmapData", 2, {3, 3, 0});
        c.op(kGetLocal1).op(kPushByte, 5).op(kCallPropVoid, w.publicName("noise"), 1);
        c.op(kGetLocal2).op(kPushByte, 5).op(kCallPropVoid, w.publicName("noise"), 1);
        t.begin(c);
        c.op(kGetLocal1).op(kGetLocal2).op(kCallProperty, w.publicName("compare"), 1);
        t.end(c);
        c.op(kGetLocal2).op(kPushByte, 0).op(kPushByte, 0).op(kPushInt, w.integer(0x123456)).op(kCallPropVoid, w.publicName("floodFill"), 3);
        c.op(kGetLocal2).op(kPushByte, 0).op(kPushByte, 2).op(kPushInt, w.integer(0x123456)).op(kCallPropVoid, w.publicName("setPixel"), 3);
        t.begin(c);
        c.op(kGetLocal2).op(kPushInt, w.integer(0xFFFFFF)).op(kPushInt, w.integer(0x123456))
            .op(kCallProperty, w.publicName("getColorBoundsRect"), 2);
        c.op(kGetLocal1).op(kGetLocal2).op(kCallProperty, w.publicName("compare"), 1).op(kGetProperty, w.publicName("width"));
        t.end(c, 2);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.errors.empty()) << p.errors[0];
    EXPECT_EQ(p.lines, (Lines{"0", "(x=0, y=0, w=1, h=3) 3"}));
}
