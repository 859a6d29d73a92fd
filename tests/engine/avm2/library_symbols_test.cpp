// Library symbols made by scripts: `new` of a class linked to a clip gives the clip's content and
// timeline (which plays on while the clip is on no display list), of a class linked to an image
// gives its pixels; Bitmap shows a BitmapData and follows its changes.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

constexpr swf::Rgba kRed{255, 0, 0, 255};

// Clip (a sprite of three frames holding a shape, named "part") and Pic (a 4 by 2 image whose
// left half is red and right half half-transparent blue), linked to the classes of the same
// names; Main is the root.
std::vector<uint8_t> libraryMovie(const std::vector<uint8_t>& abc) {
    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(abc));
    movie.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 200, 200}, kRed));
    swfw::SwfWriter sprite(10);
    swf::PlaceObject part;
    part.version = 2;
    part.depth = 1;
    part.characterId = 1;
    part.name = "part";
    sprite.placeObject(part);
    for (int f = 0; f < 3; ++f) sprite.showFrame();
    movie.defineSprite(2, sprite);
    swf::RgbaImage image(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = image.at(x, y);
            if (x < 2) p[0] = 255, p[3] = 255;
            else p[2] = 255, p[3] = 128;
        }
    movie.defineBitsLossless(3, image, 5, true);
    movie.tag(76, symbolClassTag({{2, "Clip"}, {3, "Pic"}, {0, "Main"}}));
    movie.showFrame();
    return movie.finish();
}

}  // namespace

TEST(Avm2LibrarySymbols, NewOfALinkedClipBuildsItsContentAndItPlaysOffTheList) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder clip{w, "Clip"};
    clip.slot("part");
    clip.finish([&](AbcCode& c) {
        // The symbol's children exist before the rest of the constructor runs.
        t.begin(c).op(kPushString, w.string("Clip")).op(kGetLocal0).op(kGetProperty, w.publicName("numChildren"))
            .op(kGetLocal0).op(kGetProperty, w.publicName("totalFrames")).op(kGetLocal0)
            .op(kGetProperty, w.publicName("part")).op(kGetProperty, w.publicName("name"));
        t.end(c, 4);
    });
    ClassBuilder main{w, "Main"};
    main.slot("held");
    main.method("onEnter", [&](AbcCode& c) {
        t.begin(c).op(kPushString, w.string("held at")).op(kGetLocal0).op(kGetProperty, w.publicName("held"))
            .op(kGetProperty, w.publicName("currentFrame"));
        t.end(c, 2);
    });
    main.finish([&](AbcCode& c) {
        uint32_t clipName = w.publicName("Clip");
        c.op(kGetLocal0).op(kFindPropStrict, clipName).op(kConstructProp, clipName, 0).op(kSetProperty, w.publicName("held"));
        // A second one, shown on the stage, is 10 pixels wide like the shape inside it.
        c.op(kFindPropStrict, clipName).op(kConstructProp, clipName, 0).op(kSetLocal1);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("width")).op(kGetLocal1)
            .op(kGetProperty, w.publicName("parent")).op(kGetLocal0).op(kStrictEquals);
        t.end(c, 2);
        c.op(kGetLocal0).op(kSetLocal1);
        listen(w, c, 1, "enterFrame", "onEnter");
    });
    Played p = play(libraryMovie(w.bytes()), 3);
    EXPECT_EQ(p.lines, (Lines{"Clip 1 3 part", "Clip 1 3 part", "10 true", "held at 2", "held at 3", "held at 1"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    swf::RgbaImage image;
    p.player->render(image);
    EXPECT_EQ(pixel(image, 5, 5), kRed);
}

TEST(Avm2LibrarySymbols, LinkedImagesAndBitmapsShowTheirPixels) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder pic{w, "Pic"};
    pic.base = "BitmapData";
    pic.finish([](AbcCode&) {});
    ClassBuilder main{w, "Main"};
    main.slot("data");
    main.method("onEnter", [&](AbcCode& c) {
        // Changed after the Bitmap was made: the Bitmap shows the change.
        c.op(kGetLocal0).op(kGetProperty, w.publicName("data")).op(kPushByte, 3).op(kPushByte, 0)
            .op(kPushUint, w.uinteger(0xFF00FF00u)).op(kCallPropVoid, w.publicName("setPixel32"), 3);
    });
    main.finish([&](AbcCode& c) {
        uint32_t picName = w.publicName("Pic");
        uint32_t bitmap = w.qname(w.ns(0x16, "flash.display"), "Bitmap");
        c.op(kGetLocal0).op(kFindPropStrict, picName).op(kConstructProp, picName, 0)
            .op(kSetProperty, w.publicName("data"));
        auto data = [&] { c.op(kGetLocal0).op(kGetProperty, w.publicName("data")); };
        t.begin(c);
        data();
        c.op(kGetProperty, w.publicName("width"));
        data();
        c.op(kGetProperty, w.publicName("height"));
        data();
        c.op(kPushByte, 0).op(kPushByte, 0).op(kCallProperty, w.publicName("getPixel32"), 2);
        data();
        c.op(kPushByte, 3).op(kPushByte, 1).op(kCallProperty, w.publicName("getPixel32"), 2);
        data();
        c.op(kPushByte, 9).op(kPushByte, 9).op(kCallProperty, w.publicName("getPixel32"), 2);
        t.end(c, 5);
        // Shown 20 times its size at (100, 100).
        c.op(kFindPropStrict, bitmap);
        data();
        c.op(kConstructProp, bitmap, 1).op(kSetLocal1);
        for (const char* prop : {"scaleX", "scaleY"}) c.op(kGetLocal1).op(kPushByte, 20).op(kSetProperty, w.publicName(prop));
        for (const char* prop : {"x", "y"}) c.op(kGetLocal1).op(kPushByte, 100).op(kSetProperty, w.publicName(prop));
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("width")).op(kGetLocal1).op(kGetProperty, w.publicName("height"));
        t.end(c, 2);
        c.op(kGetLocal0).op(kSetLocal1);
        listen(w, c, 1, "enterFrame", "onEnter");
    });
    Played p = play(libraryMovie(w.bytes()), 1);
    // The half-transparent blue reads back through premultiplied storage, as the player keeps it.
    EXPECT_EQ(p.lines, (Lines{"4 2 4294901760 2147483903 0", "80 40"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    swf::RgbaImage image;
    p.player->render(image);
    EXPECT_EQ(pixel(image, 110, 110), kRed);
    EXPECT_EQ(pixel(image, 170, 110), (swf::Rgba{0, 255, 0, 255}));  // the pixel set on enterFrame
}
