// The display side of ActionScript 3 through the player: what scripts draw and add is painted,
// timeline clips become instances of their linked classes, frame scripts and events come in order.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

TEST(Avm2Display, ScriptDrawnSpritesArePaintedInTheirParentsSpace) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        newDisplayObject(w, c, "Sprite", 1);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        graphicsCall(w, c, 1, "drawRect", {10, 10, 40, 20});
        graphicsCall(w, c, 1, "endFill", {});
        setNumber(w, c, 1, "x", 100);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        newDisplayObject(w, c, "Shape", 2);
        graphicsCall(w, c, 2, "beginFill", {0x0000FF});
        graphicsCall(w, c, 2, "drawCircle", {0, 0, 10});
        setNumber(w, c, 2, "x", 30);
        setNumber(w, c, 2, "y", 100);
        callWith(w, c, 1, "addChild", {2});
        // A hidden square must not show.
        newDisplayObject(w, c, "Shape", 3);
        graphicsCall(w, c, 3, "beginFill", {0x00FF00});
        graphicsCall(w, c, 3, "drawRect", {300, 300, 50, 50});
        c.op(kGetLocal, 3).op(kPushFalse).op(kSetProperty, w.publicName("visible"));
        c.op(kGetLocal0).op(kGetLocal, 3).op(kCallPropVoid, w.publicName("addChild"), 1);
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("width")).op(kGetLocal1).op(kGetProperty, w.publicName("numChildren"))
            .op(kGetLocal0).op(kGetProperty, w.publicName("numChildren")).op(kGetLocal, 2).op(kGetProperty, w.publicName("parent"))
            .op(kGetLocal1).op(kStrictEquals);
        t.end(c, 4);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 1);
    EXPECT_EQ(p.lines, (Lines{"40 1 2 true"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    swf::RgbaImage image;
    p.player->render(image);
    ASSERT_EQ(image.width, 550);
    EXPECT_EQ(pixel(image, 130, 20), (swf::Rgba{255, 0, 0, 255}));   // the rectangle, moved by its sprite
    EXPECT_EQ(pixel(image, 130, 100), (swf::Rgba{0, 0, 255, 255}));  // the circle, inside the sprite
    EXPECT_EQ(pixel(image, 105, 20), (swf::Rgba{255, 255, 255, 255}));
    EXPECT_EQ(pixel(image, 325, 325), (swf::Rgba{255, 255, 255, 255}));
}

TEST(Avm2Display, ChildOrderChangesWhatIsOnTop) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        newDisplayObject(w, c, "Shape", 1);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        graphicsCall(w, c, 1, "drawRect", {0, 0, 100, 100});
        setString(w, c, 1, "name", "red");
        newDisplayObject(w, c, "Shape", 2);
        graphicsCall(w, c, 2, "beginFill", {0x00FF00});
        graphicsCall(w, c, 2, "drawRect", {50, 50, 100, 100});
        setString(w, c, 2, "name", "green");
        newDisplayObject(w, c, "Shape", 3);
        graphicsCall(w, c, 3, "beginFill", {0x0000FF});
        graphicsCall(w, c, 3, "drawRect", {200, 0, 50, 50});
        setString(w, c, 3, "name", "blue");
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        c.op(kGetLocal0).op(kGetLocal2).op(kCallPropVoid, w.publicName("addChild"), 1);
        // Blue goes under both; then red is lifted to the top.
        c.op(kGetLocal0).op(kGetLocal, 3).op(kPushByte, 0).op(kCallPropVoid, w.publicName("addChildAt"), 2);
        c.op(kGetLocal0).op(kGetLocal1).op(kPushByte, 2).op(kCallPropVoid, w.publicName("setChildIndex"), 2);
        for (int i = 0; i < 3; ++i) {
            t.begin(c).op(kGetLocal0).op(kPushByte, static_cast<uint32_t>(i)).op(kCallProperty, w.publicName("getChildAt"), 1)
                .op(kGetProperty, w.publicName("name"));
            t.end(c);
        }
        t.begin(c).op(kGetLocal0).op(kPushString, w.string("green")).op(kCallProperty, w.publicName("getChildByName"), 1)
            .op(kGetLocal2).op(kStrictEquals).op(kGetLocal0).op(kGetLocal, 3).op(kCallProperty, w.publicName("contains"), 1);
        t.end(c, 2);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"blue", "green", "red", "true true"}));
    swf::RgbaImage image;
    p.player->render(image);
    EXPECT_EQ(pixel(image, 75, 75), (swf::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixel(image, 125, 125), (swf::Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixel(image, 225, 25), (swf::Rgba{0, 0, 255, 255}));
}

TEST(Avm2Display, EventsGoThroughCaptureTargetAndBubblePhases) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.method("onEvent", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("type")).op(kGetLocal1).op(kGetProperty, w.publicName("eventPhase"))
            .op(kGetLocal1).op(kGetProperty, w.publicName("currentTarget")).op(kGetProperty, w.publicName("name"));
        t.end(c, 3);
    });
    main.method("onStop", [&](AbcCode& c) {
        t.string(c, "stopping");
        c.op(kGetLocal1).op(kCallPropVoid, w.publicName("stopPropagation"), 0);
    });
    uint32_t event = w.qname(w.ns(0x16, "flash.events"), "Event");
    main.finish([&](AbcCode& c) {
        newDisplayObject(w, c, "Sprite", 1);
        setString(w, c, 1, "name", "kid");
        listen(w, c, 1, "added", "onEvent");
        listen(w, c, 1, "addedToStage", "onEvent");
        listen(w, c, 1, "removedFromStage", "onEvent");
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        c.op(kGetLocal0).op(kSetLocal2);
        listen(w, c, 2, "ping", "onEvent", true);
        listen(w, c, 2, "ping", "onEvent");
        listen(w, c, 1, "ping", "onEvent");
        // A bubbling event, then one that does not bubble.
        c.op(kGetLocal1).op(kFindPropStrict, event).op(kPushString, w.string("ping")).op(kPushTrue)
            .op(kConstructProp, event, 2).op(kCallPropVoid, w.publicName("dispatchEvent"), 1);
        c.op(kGetLocal1).op(kFindPropStrict, event).op(kPushString, w.string("ping"))
            .op(kConstructProp, event, 1).op(kCallPropVoid, w.publicName("dispatchEvent"), 1);
        // A capture listener that stops the event keeps it from the target.
        listen(w, c, 2, "pong", "onStop", true);
        listen(w, c, 1, "pong", "onEvent");
        c.op(kGetLocal1).op(kFindPropStrict, event).op(kPushString, w.string("pong")).op(kPushTrue)
            .op(kConstructProp, event, 2).op(kCallPropVoid, w.publicName("dispatchEvent"), 1);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("removeChild"), 1);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"added 2 kid", "addedToStage 2 kid", "ping 1 root1", "ping 2 kid", "ping 3 root1", "ping 1 root1", "ping 2 kid",
                              "stopping", "removedFromStage 2 kid"}));
}

// A root with a clip of two frames placed as "box", linked to class Box, and Main declaring a
// `box` variable: the clip exists and is named before Main's constructor runs; Box's frame
// script runs when its second frame comes and stops it there. enterFrame comes after the playheads
// moved: it sees the new frame.
TEST(Avm2Display, TimelineClipsAreInstancesOfTheirLinkedClasses) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder box{w, "Box"};
    box.method("frame2", [&](AbcCode& c) {
        t.begin(c).op(kPushString, w.string("box frame")).op(kGetLocal0).op(kGetProperty, w.publicName("currentFrame"))
            .op(kGetLocal0).op(kGetProperty, w.publicName("currentLabel"));
        t.end(c, 3);
        c.op(kGetLocal0).op(kCallPropVoid, w.publicName("stop"), 0);
    }, 0);
    box.finish([&](AbcCode& c) {
        t.begin(c).op(kPushString, w.string("Box")).op(kGetLocal0).op(kGetProperty, w.publicName("name"))
            .op(kGetLocal0).op(kGetProperty, w.publicName("totalFrames"));
        t.end(c, 3);
        c.op(kGetLocal0).op(kPushByte, 1).op(kGetLocal0).op(kGetProperty, w.publicName("frame2"))
            .op(kCallPropVoid, w.publicName("addFrameScript"), 2);
    });
    ClassBuilder main{w, "Main"};
    main.slot("box");
    main.method("onEnter", [&](AbcCode& c) {
        t.begin(c).op(kPushString, w.string("enter")).op(kGetLocal0).op(kGetProperty, w.publicName("box"))
            .op(kGetProperty, w.publicName("currentFrame"));
        t.end(c, 2);
    });
    main.finish([&](AbcCode& c) {
        t.begin(c).op(kPushString, w.string("Main")).op(kGetLocal0).op(kGetProperty, w.publicName("box"))
            .op(kGetProperty, w.publicName("name")).op(kGetLocal0).op(kGetProperty, w.publicName("box"))
            .op(kGetProperty, w.publicName("parent")).op(kGetLocal0).op(kStrictEquals);
        t.end(c, 3);
        c.op(kGetLocal0).op(kSetLocal1);
        listen(w, c, 1, "enterFrame", "onEnter");
    });

    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    movie.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 400, 400}, swf::Rgba{0, 0, 0, 255}));
    swfw::SwfWriter sprite(10);
    swf::PlaceObject shape;
    shape.version = 2;
    shape.depth = 1;
    shape.characterId = 1;
    sprite.placeObject(shape);
    sprite.showFrame();
    sprite.frameLabel("second");
    sprite.showFrame();
    movie.defineSprite(2, sprite);
    movie.tag(76, symbolClassTag({{2, "Box"}, {0, "Main"}}));
    swf::PlaceObject place;
    place.version = 2;
    place.depth = 1;
    place.characterId = 2;
    place.name = "box";
    movie.placeObject(place);
    movie.showFrame();
    Played p = play(movie.finish(), 3);
    EXPECT_EQ(p.lines, (Lines{"Box box 2", "Main box true", "enter 2", "box frame 2 second", "enter 2", "enter 2"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

// The root's second frame takes away the shape at depth 1 and places one at depth 2. The removal
// is heard while the root still shows frame 1; during enterFrame the root shows frame 2 and lists
// neither shape (the new one is not built yet); the next enterFrame finds it. Timeline shapes carry
// names of their own, kept once they are gone.
TEST(Avm2Display, TimelineRemovalsComeBeforeTheFrameAndItsNewObjectsAfterEnterFrame) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.method("onEnter", [&](AbcCode& c) {
        t.begin(c).op(kPushString, w.string("enter")).op(kGetLocal0).op(kGetProperty, w.publicName("currentFrame"))
            .op(kGetLocal0).op(kGetProperty, w.publicName("numChildren"));
        t.end(c, 3);
    });
    main.method("onRemoved", [&](AbcCode& c) {
        t.begin(c).op(kPushString, w.string("removed")).op(kGetLocal1).op(kGetProperty, w.publicName("target"))
            .op(kGetProperty, w.publicName("name")).op(kGetLocal0).op(kGetProperty, w.publicName("currentFrame"));
        t.end(c, 3);
    }, 1);
    main.finish([&](AbcCode& c) {
        c.op(kGetLocal0).op(kSetLocal1);
        listen(w, c, 1, "enterFrame", "onEnter");
        listen(w, c, 1, "removed", "onRemoved");
    });

    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    movie.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 400, 400}, swf::Rgba{0, 0, 0, 255}));
    movie.tag(76, symbolClassTag({{0, "Main"}}));
    swf::PlaceObject place;
    place.version = 2;
    place.depth = 1;
    place.characterId = 1;
    movie.placeObject(place);
    movie.showFrame();
    movie.removeObject(1);
    place.depth = 2;
    movie.placeObject(place);
    movie.showFrame();
    movie.showFrame();
    Played p = play(movie.finish(), 3);
    // Looping back rebuilds frame 1: that removal is heard at the frame arrived at.
    EXPECT_EQ(p.lines, (Lines{"removed instance1 1", "enter 2 0", "enter 3 1", "removed instance2 1", "enter 1 0"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

// Lines, gradients and the shape helpers, through a sprite turned and scaled by its transform.
TEST(Avm2Display, GradientsLinesAndCurvedShapesAreDrawn) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t matrix = w.qname(w.ns(0x16, "flash.geom"), "Matrix");
    main.finish([&](AbcCode& c) {
        newDisplayObject(w, c, "Sprite", 1);
        // A horizontal gradient from red to blue over a 200-pixel box.
        c.op(kFindPropStrict, matrix).op(kConstructProp, matrix, 0).op(kSetLocal2);
        c.op(kGetLocal2).op(kPushShort, 200).op(kPushShort, 100).op(kPushByte, 0).op(kPushByte, 0).op(kPushByte, 0)
            .op(kCallPropVoid, w.publicName("createGradientBox"), 5);
        c.op(kGetLocal1).op(kGetProperty, w.publicName("graphics")).op(kPushString, w.string("linear"));
        c.op(kPushInt, w.integer(0xFF0000)).op(kPushInt, w.integer(0x0000FF)).op(kNewArray, 2);
        c.op(kPushByte, 1).op(kPushByte, 1).op(kNewArray, 2);
        c.op(kPushByte, 0).op(kPushShort, 255).op(kNewArray, 2);
        c.op(kGetLocal2).op(kCallPropVoid, w.publicName("beginGradientFill"), 5);
        graphicsCall(w, c, 1, "drawRect", {0, 0, 200, 100});
        graphicsCall(w, c, 1, "endFill", {});
        // A thick green outline of a rounded rectangle, and a filled ellipse.
        graphicsCall(w, c, 1, "lineStyle", {8, 0x00FF00});
        graphicsCall(w, c, 1, "drawRoundRect", {250, 0, 100, 100, 40, 40});
        graphicsCall(w, c, 1, "lineStyle", {});
        graphicsCall(w, c, 1, "beginFill", {0x000000});
        graphicsCall(w, c, 1, "drawEllipse", {400, 0, 100, 50});
        graphicsCall(w, c, 1, "endFill", {});
        setNumber(w, c, 1, "y", 50);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        // A second sprite, turned a quarter and doubled, draws a 10 by 20 rectangle.
        newDisplayObject(w, c, "Sprite", 3);
        graphicsCall(w, c, 3, "beginFill", {0xFF00FF});
        graphicsCall(w, c, 3, "drawRect", {0, 0, 10, 20});
        setNumber(w, c, 3, "rotation", 90);
        setNumber(w, c, 3, "scaleX", 2);
        setNumber(w, c, 3, "x", 100);
        setNumber(w, c, 3, "y", 250);
        c.op(kGetLocal0).op(kGetLocal, 3).op(kCallPropVoid, w.publicName("addChild"), 1);
        t.begin(c).op(kGetLocal, 3).op(kGetProperty, w.publicName("width")).op(kGetLocal, 3).op(kGetProperty, w.publicName("height"))
            .op(kGetLocal, 3).op(kGetProperty, w.publicName("rotation")).op(kGetLocal, 3).op(kGetProperty, w.publicName("scaleX"));
        t.end(c, 4);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"20 20 90 2"}));
    swf::RgbaImage image;
    p.player->render(image);
    swf::Rgba left = pixel(image, 5, 100), right = pixel(image, 195, 100);
    EXPECT_GT(left.r, 230);
    EXPECT_LT(left.b, 25);
    EXPECT_GT(right.b, 230);
    EXPECT_LT(right.r, 25);
    EXPECT_EQ(pixel(image, 300, 52), (swf::Rgba{0, 255, 0, 255}));     // the outline's top edge
    EXPECT_EQ(pixel(image, 300, 100), (swf::Rgba{255, 255, 255, 255}));  // inside it, nothing
    EXPECT_EQ(pixel(image, 251, 51), (swf::Rgba{255, 255, 255, 255}));  // the corner is rounded off
    EXPECT_EQ(pixel(image, 450, 75), (swf::Rgba{0, 0, 0, 255}));        // the ellipse's middle
    EXPECT_EQ(pixel(image, 405, 55), (swf::Rgba{255, 255, 255, 255}));  // outside its curve
    // Turned by 90 degrees about its origin and doubled along its own x (which now runs down): 20 by
    // 20, left of its origin.
    EXPECT_EQ(pixel(image, 90, 265), (swf::Rgba{255, 0, 255, 255}));
    EXPECT_EQ(pixel(image, 105, 260), (swf::Rgba{255, 255, 255, 255}));
    EXPECT_EQ(pixel(image, 90, 275), (swf::Rgba{255, 255, 255, 255}));
}

// A text field made by a script: its text, colour and auto-size read back, and its letters painted.
TEST(Avm2Display, TextFormatKeepsWholeSizesAndMarginsSignedColoursAndFractionalSpacing) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textFormat = w.qname(w.ns(0x16, "flash.text"), "TextFormat");
    auto set = [&](AbcCode& c, const char* prop, double v) {
        c.op(kGetLocal1).op(kPushDouble, w.number(v)).op(kSetProperty, w.publicName(prop));
    };
    auto get = [&](AbcCode& c, const char* prop) { c.op(kGetLocal1).op(kGetProperty, w.publicName(prop)); };
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textFormat).op(kConstructProp, textFormat, 0).op(kSetLocal1);
        // Halves round to the even neighbour; what has no 32-bit value becomes the lowest one.
        set(c, "size", 2.5), set(c, "leftMargin", 3.5), set(c, "indent", -2.5), set(c, "leading", 1e10);
        c.op(kGetLocal1).op(kPushNaN).op(kSetProperty, w.publicName("blockIndent"));
        t.begin(c);
        for (const char* prop : {"size", "leftMargin", "indent", "leading", "blockIndent"}) get(c, prop);
        t.end(c, 5);
        // Colours are cut to signed whole numbers; letter spacing keeps what it is given.
        set(c, "color", -3.5), set(c, "letterSpacing", 0.25);
        c.op(kGetLocal1).op(kPushDouble, w.number(1.5)).op(kPushDouble, w.number(2.5)).op(kPushByte, 7).op(kNewArray, 3)
            .op(kSetProperty, w.publicName("tabStops"));
        t.begin(c);
        for (const char* prop : {"color", "letterSpacing", "tabStops"}) get(c, prop);
        t.end(c, 3);
        set(c, "color", 4294967295.0);
        c.op(kGetLocal1).op(kPushNaN).op(kSetProperty, w.publicName("letterSpacing"));
        t.begin(c);
        for (const char* prop : {"color", "letterSpacing"}) get(c, prop);
        t.end(c, 2);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"2 4 -2 -2147483648 -2147483648", "-3 0.25 2,2,7", "-1 NaN"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2Display, ScriptMadeTextFieldIsLaidOutAndPainted) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    uint32_t textFormat = w.qname(w.ns(0x16, "flash.text"), "TextFormat");
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        // A 30-pixel default format, then the text and its colour.
        c.op(kFindPropStrict, textFormat).op(kPushNull).op(kPushByte, 30).op(kConstructProp, textFormat, 2).op(kSetLocal2);
        c.op(kGetLocal1).op(kGetLocal2).op(kSetProperty, w.publicName("defaultTextFormat"));
        setString(w, c, 1, "autoSize", "left");
        setString(w, c, 1, "text", "HI\nTHERE");
        setNumber(w, c, 1, "textColor", 0xFF0000);
        setNumber(w, c, 1, "x", 20);
        setNumber(w, c, 1, "y", 20);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("text")).op(kPushString, w.string("HI\rTHERE")).op(kStrictEquals)
            .op(kGetLocal1).op(kGetProperty, w.publicName("length")).op(kGetLocal1).op(kGetProperty, w.publicName("textColor"))
            .op(kGetLocal1).op(kGetProperty, w.publicName("defaultTextFormat")).op(kGetProperty, w.publicName("size"));
        t.end(c, 4);
        // Auto-size fits the box to two lines of 30-pixel text, wider than the letters.
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("height")).op(kPushByte, 60).op(kLessThan).op(kNot)
            .op(kGetLocal1).op(kGetProperty, w.publicName("width")).op(kGetLocal1).op(kGetProperty, w.publicName("textWidth"))
            .op(kLessThan).op(kNot);
        t.end(c, 2);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"true 8 16711680 30", "true true"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    swf::RgbaImage image;
    p.player->render(image);
    int red = 0, elsewhere = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 550; ++x) {
            swf::Rgba c = pixel(image, x, y);
            bool inBox = x >= 20 && y >= 20 && x < 250 && y < 110;
            if (inBox && c.r > 200 && c.g < 60 && c.b < 60) ++red;
            else if (!inBox && (c.r < 250 || c.g < 250)) ++elsewhere;
        }
    EXPECT_GT(red, 200);
    EXPECT_EQ(elsewhere, 0);
}

// Each frame the document makes a sprite that listens to enterFrame and drops it (on no display
// list, held by nothing): dropped listeners hear frames until a collection takes them, so the
// number heard a frame stays bounded instead of growing with every frame played.
TEST(Avm2Display, DroppedEnterFrameListenersGoAtACollection) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t heard = w.publicName("heard");
    main.slot("heard");
    main.method("onHeard", [&](AbcCode& c) {
        c.op(kGetLocal0).op(kGetLocal0).op(kGetProperty, heard).op(kPushByte, 1).op(kAdd).op(kSetProperty, heard);
    });
    main.method("onFrame", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal0).op(kGetProperty, heard);
        t.end(c);
        setNumber(w, c, 0, "heard", 0);
        newDisplayObject(w, c, "Sprite", 2);
        listen(w, c, 2, "enterFrame", "onHeard");
    });
    main.finish([&](AbcCode& c) {
        setNumber(w, c, 0, "heard", 0);
        listen(w, c, 0, "enterFrame", "onFrame");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main", 2), 150);
    ASSERT_EQ(p.lines.size(), 150u);
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    // Until the first collection every sprite made so far still hears (the root's handler runs first).
    EXPECT_EQ((Lines{p.lines.begin(), p.lines.begin() + 5}), (Lines{"0", "0", "1", "2", "3"}));
    int most = 0;
    for (size_t i = 100; i < p.lines.size(); ++i) most = std::max(most, std::stoi(p.lines[i]));
    EXPECT_LT(most, 40);
}

// An error's stack trace names the methods running where it was made, innermost first, with the
// source file and line where the code carries them; a value that is not an Error left uncaught is
// reported with where it was thrown.
TEST(Avm2Display, StackTracesNameTheRunningMethods) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t errorName = w.publicName("Error");
    main.method("make", [&](AbcCode& c) {
        c.op(kDebugFile, w.string("C:\\src;game;Main.as")).op(kDebugLine, 7).op(kDebugLine, 12);
        c.op(kFindPropStrict, errorName).op(kPushString, w.string("made")).op(kConstructProp, errorName, 1).op(kReturnValue);
    });
    main.method("boom", [&](AbcCode& c) { c.op(kPushString, w.string("thrown text")).op(kThrow); });
    main.finish([&](AbcCode& c) {
        t.begin(c).op(kGetLocal0).op(kPushByte, 0).op(kCallProperty, w.publicName("make"), 1)
            .op(kCallProperty, w.publicName("getStackTrace"), 0);
        t.end(c);
        c.op(kGetLocal0).op(kPushByte, 0).op(kCallPropVoid, w.publicName("boom"), 1);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 1);
    EXPECT_EQ(p.lines, (Lines{"Error: made\n\tat Main/make()[C:\\src\\game\\Main.as:12]\n\tat Main()"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_EQ(p.errors[0], "thrown text\n\tat Main/boom()\n\tat Main()");
}

// A listener's uncaught error is reported with the dispatcher's built-ins in its trace, and the
// event goes on to the next listener and the sender on after it; a function the compiler left
// without a name is numbered.
TEST(Avm2Display, ListenerErrorsAreReportedAndTheEventGoesOn) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t errorName = w.publicName("Error");
    uint32_t event = w.qname(w.ns(0x16, "flash.events"), "Event");
    auto throwError = [&](AbcCode& c, const char* text) {
        c.op(kFindPropStrict, errorName).op(kPushString, w.string(text)).op(kConstructProp, errorName, 1).op(kThrow);
    };
    main.method("first", [&](AbcCode& c) { throwError(c, "first failed"); });
    main.method("second", [&](AbcCode& c) { t.string(c, "second"); });
    uint32_t closure = w.method();
    AbcCode closureCode;
    closureCode.op(kGetLocal0).op(kPushScope);
    throwError(closureCode, "closure failed");
    w.body(closure, closureCode);
    main.finish([&](AbcCode& c) {
        listen(w, c, 0, "ping", "first");
        listen(w, c, 0, "ping", "second");
        c.op(kGetLocal0).op(kFindPropStrict, event).op(kPushString, w.string("ping")).op(kConstructProp, event, 1)
            .op(kCallPropVoid, w.publicName("dispatchEvent"), 1);
        t.string(c, "after");
        c.op(kNewFunction, closure).op(kPushNull).op(kCall, 0);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 1);
    EXPECT_EQ(p.lines, (Lines{"second", "after"}));
    ASSERT_EQ(p.errors.size(), 2u);
    EXPECT_EQ(p.errors[0], "Error: first failed\n\tat Main/first()\n\tat flash.events::EventDispatcher/dispatchEventFunction()"
                           "\n\tat flash.events::EventDispatcher/dispatchEvent()\n\tat Main()");
    EXPECT_EQ(p.errors[1], "Error: closure failed\n\tat MethodInfo-" + std::to_string(closure) + "()\n\tat Main()");
}

// flash.system.System: memory figures read, useCodePage keeps what was set, and a movie may not
// end the player (the refusal names the static method in its trace).
TEST(Avm2Display, SystemAnswersButRefusesToEndThePlayer) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t system = w.qname(w.ns(0x16, "flash.system"), "System");
    main.finish([&](AbcCode& c) {
        c.op(kGetLex, system).op(kPushTrue).op(kSetProperty, w.publicName("useCodePage"));
        t.begin(c).op(kPushByte, 0).op(kGetLex, system).op(kGetProperty, w.publicName("totalMemory")).op(kLessThan)
            .op(kGetLex, system).op(kGetProperty, w.publicName("useCodePage"));
        t.end(c, 2);
        c.op(kGetLex, system).op(kPushByte, 0).op(kCallPropVoid, w.publicName("exit"), 1);
        t.string(c, "not reached");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 1);
    EXPECT_EQ(p.lines, (Lines{"true true"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_EQ(p.errors[0], "SecurityError: Error #2017: Only trusted local files may cause the Flash Player to exit."
                           "\n\tat flash.system::System$/exit()\n\tat Main()");
}

// flash.system.Capabilities: the screen is the host's view, the rest what a Windows player says.
TEST(Avm2Display, CapabilitiesReportTheHostsScreenAndAWindowsPlayer) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t caps = w.qname(w.ns(0x16, "flash.system"), "Capabilities");
    main.finish([&](AbcCode& c) {
        t.begin(c);
        for (const char* name : {"screenResolutionX", "screenResolutionY", "version", "playerType", "os", "hasAudio"})
            c.op(kGetLex, caps).op(kGetProperty, w.publicName(name));
        c.op(kGetLex, caps).op(kPushTrue).op(kCallProperty, w.publicName("hasMultiChannelAudio"), 1);
        t.end(c, 7);
        c.op(kGetLex, caps).op(kPushByte, 1).op(kSetProperty, w.publicName("os"));
        t.string(c, "not reached");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0, 1280, 720);
    EXPECT_EQ(p.lines, (Lines{"1280 720 WIN 9,0,115,0 ActiveX Windows XP true false"}));
    ASSERT_EQ(p.errors.size(), 1u);  // the capabilities are read-only
    EXPECT_NE(p.errors[0].find("ReferenceError"), std::string::npos) << p.errors[0];
}

// hitTestPoint reads its point in the main movie's space: with the root moved 100 pixels right, a
// point at 10 lies over the child at 100, and one at 110 lies past it, box or shape alike.
TEST(Avm2Display, HitTestPointReadsThePointInTheRootsSpace) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        newDisplayObject(w, c, "Sprite", 1);
        graphicsCall(w, c, 1, "beginFill", {0xFF0000});
        graphicsCall(w, c, 1, "drawRect", {0, 0, 20, 20});
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        c.op(kGetLocal0).op(kPushByte, 100).op(kSetProperty, w.publicName("x"));
        t.begin(c);
        for (int x : {10, 110})
            for (bool shape : {false, true}) {
                c.op(kGetLocal1).op(kPushByte, static_cast<uint8_t>(x)).op(kPushByte, 10).op(shape ? kPushTrue : kPushFalse)
                    .op(kCallProperty, w.publicName("hitTestPoint"), 3);
            }
        t.end(c, 4);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
    EXPECT_EQ(p.lines, (Lines{"true true false false"}));
}

// The stage keeps what a display object reads but refuses the setters it does not implement, with
// the player's error thrown through Error.throwError; a value of the wrong type for a typed
// setter fails its coercion first.
TEST(Avm2Display, TheStageRefusesDisplayObjectSetters) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t stage = w.publicName("stage");
    main.finish([&](AbcCode& c) {
        t.begin(c).op(kGetLocal0).op(kGetProperty, stage).op(kGetProperty, w.publicName("alpha"));
        t.end(c);
        c.op(kGetLocal0).op(kGetProperty, stage).op(kPushByte, 2).op(kSetProperty, w.publicName("scrollRect"));
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 1);
    EXPECT_EQ(p.lines, (Lines{"1"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_EQ(p.errors[0], "TypeError: Error #1034: Type Coercion failed: cannot convert 2 to flash.geom.Rectangle.\n\tat Main()");

    AbcWriter w2;
    ClassBuilder refused{w2, "Main"};
    refused.finish([&](AbcCode& c) {
        c.op(kGetLocal0).op(kGetProperty, w2.publicName("stage")).op(kPushByte, 0).op(kSetProperty, w2.publicName("alpha"));
    });
    p = play(swfw::abcMovie(w2.bytes(), "Main"), 1);
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_EQ(p.errors[0], "Error: Error #2071: The Stage class does not implement this property or method.\n\tat Error$/throwError()"
                           "\n\tat flash.display::Stage/set alpha()\n\tat Main()");
}
