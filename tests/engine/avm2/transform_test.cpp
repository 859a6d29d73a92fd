// DisplayObject.transform: matrices and colour transforms read and replaced through it, alone and
// combined with the parents'; ColorTransform's own arithmetic; a text field's x and y as the corner
// of its box.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

void newGeom(AbcWriter& w, AbcCode& c, const std::string& cls, std::vector<double> args, uint32_t local) {
    uint32_t name = w.qname(w.ns(0x16, "flash.geom"), cls);
    c.op(kFindPropStrict, name);
    for (double a : args) c.op(kPushDouble, w.number(a));
    c.op(kConstructProp, name, static_cast<uint32_t>(args.size())).op(kSetLocal, local);
}

// obj.transform.<part> onto the stack.
AbcCode& transformPart(AbcWriter& w, AbcCode& c, uint32_t local, const std::string& part) {
    return c.op(kGetLocal, local).op(kGetProperty, w.publicName("transform")).op(kGetProperty, w.publicName(part));
}

}  // namespace

TEST(Avm2Transform, MatricesAndColourTransformsGoThroughTransform) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        newDisplayObject(w, c, "Sprite", 1);
        newDisplayObject(w, c, "Sprite", 2);
        callWith(w, c, 0, "addChild", {1});
        callWith(w, c, 1, "addChild", {2});
        // A matrix given through transform moves and scales the sprite.
        newGeom(w, c, "Matrix", {2, 0, 0, 2, 10, 20}, 3);
        c.op(kGetLocal1).op(kGetProperty, w.publicName("transform")).op(kGetLocal, 3).op(kSetProperty, w.publicName("matrix"));
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("x")).op(kGetLocal1).op(kGetProperty, w.publicName("scaleX"));
        t.end(c, 2);
        // Changing the Matrix given afterwards changes nothing; the child's concatenated matrix
        // holds the parent's.
        setNumber(w, c, 3, "tx", 99);
        setNumber(w, c, 2, "x", 5);
        t.begin(c);
        transformPart(w, c, 1, "matrix").op(kGetProperty, w.publicName("tx"));
        transformPart(w, c, 2, "concatenatedMatrix");
        t.end(c, 2);
        // Colour transforms: the parent's set through transform, the child's alpha, combined.
        newGeom(w, c, "ColorTransform", {0.5, 1, 1, 1, 10, 0, 0, 0}, 4);
        c.op(kGetLocal1).op(kGetProperty, w.publicName("transform")).op(kGetLocal, 4).op(kSetProperty, w.publicName("colorTransform"));
        c.op(kGetLocal2).op(kPushDouble, w.number(0.5)).op(kSetProperty, w.publicName("alpha"));
        t.begin(c);
        transformPart(w, c, 2, "concatenatedColorTransform");
        t.end(c);
        t.begin(c);
        transformPart(w, c, 1, "colorTransform").op(kGetProperty, w.publicName("redOffset"));
        transformPart(w, c, 2, "colorTransform").op(kGetProperty, w.publicName("alphaMultiplier"));
        t.end(c, 2);
        // color sets the offsets and clears the multipliers; concat applies its argument first.
        setNumber(w, c, 4, "color", 0x102030);
        t.begin(c).op(kGetLocal, 4).op(kGetProperty, w.publicName("color")).op(kGetLocal, 4).op(kGetProperty, w.publicName("redMultiplier"));
        t.end(c, 2);
        newGeom(w, c, "ColorTransform", {2, 2, 2, 2, 1, 1, 1, 1}, 5);
        newGeom(w, c, "ColorTransform", {0.5, 1, 1, 1, 4, 0, 0, 0}, 6);
        c.op(kGetLocal, 5).op(kGetLocal, 6).op(kCallPropVoid, w.publicName("concat"), 1);
        t.begin(c).op(kGetLocal, 5).op(kGetProperty, w.publicName("redMultiplier")).op(kGetLocal, 5).op(kGetProperty, w.publicName("redOffset"));
        t.end(c, 2);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"10 2", "10 (a=2, b=0, c=0, d=2, tx=20, ty=20)",
                              "(redMultiplier=0.5, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=0.5, redOffset=10, "
                              "greenOffset=0, blueOffset=0, alphaOffset=0)",
                              "10 0.5", "1056816 0", "1 9"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

// A field whose box starts right of and above its origin, placed at half size 25 pixels in.
TEST(Avm2Transform, TextFieldPositionIsTheCornerOfItsBox) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        c.op(kGetLocal0).op(kPushByte, 0).op(kCallProperty, w.publicName("getChildAt"), 1).op(kSetLocal1);
        auto show = [&] {
            t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("x")).op(kGetLocal1).op(kGetProperty, w.publicName("y"));
            transformPart(w, c, 1, "matrix");
            t.end(c, 3);
        };
        show();
        setNumber(w, c, 1, "x", 5);
        show();
        setNumber(w, c, 1, "scaleY", 3);
        show();
        setNumber(w, c, 1, "y", 2);
        show();
    });
    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    swf::EditText field;
    field.bounds = swf::Rect{200, -200, 600, 200};
    field.initialText = "x";
    movie.defineEditText(1, field);
    swf::PlaceObject place;
    place.version = 2;
    place.depth = 1;
    place.characterId = 1;
    place.matrix = swf::Matrix{0.5, 0, 0, 0.5, 500, 500};
    movie.placeObject(place);
    movie.tag(76, symbolClassTag({{0, "Main"}}));
    movie.showFrame();
    Played p = play(movie.finish(), 0);
    EXPECT_EQ(p.lines, (Lines{"30 20 (a=0.5, b=0, c=0, d=0.5, tx=25, ty=25)", "5 20 (a=0.5, b=0, c=0, d=0.5, tx=0, ty=25)",
                              "5 -5 (a=0.5, b=0, c=0, d=3, tx=0, ty=25)", "5 2 (a=0.5, b=0, c=0, d=3, tx=0, ty=32)"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}
