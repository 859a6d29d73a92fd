// Graphics.drawPath and drawGraphicsData: path commands with their numbers, the winding rule that
// decides whether an inner square is a hole, and the drawing data classes drawn in order.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

struct PathCode {
    AbcWriter& w;
    AbcCode& c;
    uint32_t cls(const std::string& name) { return w.qname(w.ns(0x16, "flash.display"), name); }
    // new flash.display.<name>(numbers...) into `local`.
    void make(const std::string& name, uint32_t local, std::vector<double> args = {}) {
        c.op(kFindPropStrict, cls(name));
        for (double a : args) c.op(kPushDouble, w.number(a));
        c.op(kConstructProp, cls(name), static_cast<uint32_t>(args.size())).op(kSetLocal, local);
    }
    void step(uint32_t path, const std::string& method, std::vector<double> args) {
        c.op(kGetLocal, path);
        for (double a : args) c.op(kPushDouble, w.number(a));
        c.op(kCallPropVoid, w.publicName(method), static_cast<uint32_t>(args.size()));
    }
    // A square of side `size` at (x, y), drawn clockwise.
    void square(uint32_t path, double x, double y, double size) {
        step(path, "moveTo", {x, y});
        step(path, "lineTo", {x + size, y});
        step(path, "lineTo", {x + size, y + size});
        step(path, "lineTo", {x, y + size});
        step(path, "lineTo", {x, y});
    }
    void get(uint32_t object, const std::string& property) { c.op(kGetLocal, object).op(kGetProperty, w.publicName(property)); }
};

}  // namespace

TEST(Avm2GraphicsPath, DrawPathFollowsCommandsAndWinding) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        PathCode p{w, c};
        // Two squares, one inside the other and turning the same way: non-zero fills the inner
        // one, even-odd leaves it a hole.
        p.make("GraphicsPath", 2);
        p.square(2, 0, 0, 100);
        p.square(2, 25, 25, 50);
        newDisplayObject(w, c, "Sprite", 1);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        c.op(kGetLocal1).op(kGetProperty, w.publicName("graphics"));
        p.get(2, "commands");
        p.get(2, "data");
        c.op(kPushString, w.string("nonZero")).op(kCallPropVoid, w.publicName("drawPath"), 3);
        p.make("GraphicsPath", 4);
        p.square(4, 200, 0, 100);
        p.square(4, 225, 25, 50);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        c.op(kGetLocal1).op(kGetProperty, w.publicName("graphics"));
        p.get(4, "commands");
        p.get(4, "data");
        c.op(kCallPropVoid, w.publicName("drawPath"), 2);
        // The wide commands skip their first pair; a command whose numbers are missing ends the path.
        p.make("GraphicsPath", 3);
        p.step(3, "wideMoveTo", {0, 150});
        p.step(3, "wideLineTo", {100, 150});
        p.step(3, "lineTo", {100, 250});
        p.step(3, "cubicCurveTo", {66, 280, 33, 220, 0, 250});
        p.get(3, "commands");
        c.op(kPushByte, 2).op(kCallPropVoid, w.publicName("push"), 1);
        graphicsCall(w, c, 1, "beginFill", {0x00FF00});
        c.op(kGetLocal1).op(kGetProperty, w.publicName("graphics"));
        p.get(3, "commands");
        p.get(3, "data");
        c.op(kCallPropVoid, w.publicName("drawPath"), 2);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        t.begin(c);
        p.get(3, "commands");
        p.get(3, "data");
        p.get(3, "winding");
        t.end(c, 3);
        // Only the two windings are accepted.
        c.op(kGetLocal, 3).op(kPushString, w.string("inside")).op(kSetProperty, w.publicName("winding"));
        t.string(c, "not reached");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"4,5,2,6,2 0,0,0,150,0,0,100,150,100,250,66,280,33,220,0,250 evenOdd"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_NE(p.errors[0].find("Error #2008"), std::string::npos) << p.errors[0];
    swf::RgbaImage image;
    p.player->render(image);
    EXPECT_EQ(pixel(image, 10, 50), (swf::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixel(image, 50, 50), (swf::Rgba{255, 0, 0, 255}));      // non-zero: the inner square filled
    EXPECT_EQ(pixel(image, 210, 50), (swf::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixel(image, 250, 50), (swf::Rgba{255, 255, 255, 255}));  // even-odd: a hole
    EXPECT_EQ(pixel(image, 50, 200), (swf::Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixel(image, 75, 255), (swf::Rgba{0, 255, 0, 255}));      // the cubic bulges down near its start
    EXPECT_EQ(pixel(image, 25, 245), (swf::Rgba{255, 255, 255, 255}));  // and up near its end
}

TEST(Avm2GraphicsPath, DrawGraphicsDataDrawsFillsStrokesAndPathsInOrder) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t vec = w.qname(w.ns(0x16, "__AS3__.vec"), "Vector");
    main.finish([&](AbcCode& c) {
        PathCode p{w, c};
        p.make("GraphicsPath", 2);
        p.square(2, 0, 0, 100);
        p.square(2, 25, 25, 50);
        // [blue fill, the path, end of fill, a thick green stroke, a small square path].
        c.op(kGetLex, vec).op(kGetLex, p.cls("IGraphicsData")).op(kApplyType, 1).op(kConstruct, 0).op(kSetLocal, 3);
        p.make("GraphicsSolidFill", 4, {0x0000FF, 1});
        p.make("GraphicsEndFill", 5);
        p.make("GraphicsSolidFill", 6, {0x00FF00});
        c.op(kFindPropStrict, p.cls("GraphicsStroke")).op(kPushByte, 10).op(kPushFalse).op(kPushString, w.string("normal"));
        c.op(kPushString, w.string("none")).op(kPushString, w.string("miter")).op(kPushByte, 3).op(kGetLocal, 6);
        c.op(kConstructProp, p.cls("GraphicsStroke"), 7).op(kSetLocal, 6);
        p.make("GraphicsPath", 7);
        p.square(7, 200, 0, 50);
        c.op(kGetLocal, 3).op(kGetLocal, 4).op(kGetLocal2).op(kGetLocal, 5).op(kGetLocal, 6).op(kGetLocal, 7);
        c.op(kCallPropVoid, w.publicName("push"), 5);
        newDisplayObject(w, c, "Shape", 1);
        c.op(kGetLocal1).op(kGetProperty, w.publicName("graphics")).op(kGetLocal, 3).op(kCallPropVoid, w.publicName("drawGraphicsData"), 1);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        // The records keep what their constructors and setters were given.
        t.begin(c);
        p.get(4, "color");
        p.get(4, "alpha");
        p.get(6, "thickness");
        p.get(6, "caps");
        c.op(kGetLocal, 6).op(kGetProperty, w.publicName("fill")).op(kGetProperty, w.publicName("color"));
        c.op(kGetLocal, 4).op(kGetLex, p.cls("IGraphicsFill")).op(kIsTypeLate);
        t.end(c, 6);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"255 1 10 none 65280 true"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    swf::RgbaImage image;
    p.player->render(image);
    EXPECT_EQ(pixel(image, 50, 10), (swf::Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixel(image, 50, 50), (swf::Rgba{255, 255, 255, 255}));  // even-odd unless told
    EXPECT_EQ(pixel(image, 225, 25), (swf::Rgba{255, 255, 255, 255}));  // the stroked square is not filled
    EXPECT_EQ(pixel(image, 225, 2), (swf::Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixel(image, 225, 48), (swf::Rgba{0, 255, 0, 255}));
}
