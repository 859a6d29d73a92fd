// The mouse and keys in movies whose root is ActionScript 3: which object the pointer reaches
// (flags, covering objects, containers that keep their children from it), the order and phases of
// the events it causes, the points they carry, and keys sent to the stage.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

// A sprite in `local` with a filled square of `size` at its origin, named and placed at x, y.
void square(AbcWriter& w, AbcCode& c, uint32_t local, const std::string& name, int x, int y, int size) {
    newDisplayObject(w, c, "Sprite", local);
    graphicsCall(w, c, local, "beginFill", {0x336699});
    graphicsCall(w, c, local, "drawRect", {0, 0, size, size});
    graphicsCall(w, c, local, "endFill", {});
    setString(w, c, local, "name", name);
    setNumber(w, c, local, "x", x);
    setNumber(w, c, local, "y", y);
}

// A listener method tracing "type target currentTarget phase".
void eventTracer(AbcWriter& w, Tracer& t, ClassBuilder& main, const std::string& method) {
    main.method(method, [&w, &t](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("type")).op(kGetLocal1).op(kGetProperty, w.publicName("target"))
            .op(kGetProperty, w.publicName("name")).op(kGetLocal1).op(kGetProperty, w.publicName("currentTarget"))
            .op(kGetProperty, w.publicName("name")).op(kGetLocal1).op(kGetProperty, w.publicName("eventPhase"));
        t.end(c, 4);
    });
}

void setFlag(AbcWriter& w, AbcCode& c, uint32_t local, const std::string& prop, bool value) {
    c.op(kGetLocal, local).op(value ? kPushTrue : kPushFalse).op(kSetProperty, w.publicName(prop));
}

void addToRoot(AbcWriter& w, AbcCode& c, uint32_t local) {
    c.op(kGetLocal0).op(kGetLocal, local).op(kCallPropVoid, w.publicName("addChild"), 1);
}

}  // namespace

TEST(Avm2Pointer, EventsComeInTheirOrderWithRollsAndBubbling) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    eventTracer(w, t, main, "onEvent");
    main.finish([&](AbcCode& c) {
        square(w, c, 1, "box", 0, 0, 100);
        addToRoot(w, c, 1);
        for (const char* type : {"mouseOver", "rollOver", "mouseDown", "mouseUp", "click", "mouseOut", "rollOut"})
            listen(w, c, 1, type, "onEvent");
        c.op(kGetLocal0).op(kSetLocal2);
        listen(w, c, 2, "click", "onEvent");
        listen(w, c, 2, "rollOut", "onEvent");  // the root is not left when the pointer goes to the stage's
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    p.player->mouseMove(50, 50);
    EXPECT_EQ(p.lines, (Lines{"rollOver box box 2", "mouseOver box box 2"}));
    p.lines.clear();
    p.player->mouseMove(60, 60);  // still over the box: nothing rolls
    p.player->mouseDown(60, 60);
    p.player->mouseUp(60, 60);
    EXPECT_EQ(p.lines, (Lines{"mouseDown box box 2", "mouseUp box box 2", "click box box 2", "click box root1 3"}));
    p.lines.clear();
    // Pressed on the box, released off it: no click.
    p.player->mouseDown(60, 60);
    p.player->mouseUp(300, 300);
    EXPECT_EQ(p.lines, (Lines{"mouseDown box box 2", "mouseOut box box 2", "rollOut box box 2", "rollOut root1 root1 2"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2Pointer, FlagsAndCoveringObjectsDecideTheTarget) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.method("onClick", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("target")).op(kGetProperty, w.publicName("name"))
            .op(kGetLocal1).op(kGetProperty, w.publicName("localX")).op(kGetLocal1).op(kGetProperty, w.publicName("stageY"));
        t.end(c, 3);
    });
    main.finish([&](AbcCode& c) {
        square(w, c, 1, "under", 0, 0, 100);
        addToRoot(w, c, 1);
        square(w, c, 2, "cover", 0, 0, 100);  // on top, but lets the mouse through
        setFlag(w, c, 2, "mouseEnabled", false);
        addToRoot(w, c, 2);
        square(w, c, 3, "holder", 200, 0, 10);  // its child reaches past its own square
        square(w, c, 4, "inner", 0, 0, 100);
        callWith(w, c, 3, "addChild", {4});
        setFlag(w, c, 3, "mouseChildren", false);
        addToRoot(w, c, 3);
        square(w, c, 5, "masked", 400, 0, 100);  // shown only through a small mask
        square(w, c, 6, "window", 400, 0, 20);
        addToRoot(w, c, 5);
        addToRoot(w, c, 6);
        c.op(kGetLocal, 5).op(kGetLocal, 6).op(kSetProperty, w.publicName("mask"));
        c.op(kGetLocal0).op(kSetLocal, 7);
        listen(w, c, 7, "click", "onClick");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    for (auto [x, y] : {std::pair{50, 50}, {250, 50}, {410, 10}, {450, 50}, {500, 300}}) {
        p.player->mouseDown(x, y);
        p.player->mouseUp(x, y);
    }
    // Off the mask and over nothing, the stage takes the click: the root does not hear it.
    EXPECT_EQ(p.lines, (Lines{"under 50 50", "holder 50 50", "masked 10 10"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2Pointer, MousePositionIsReadInEachObjectsSpace) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.slot("box");
    main.method("onMove", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal0).op(kGetProperty, w.publicName("mouseX")).op(kGetLocal0).op(kGetProperty, w.publicName("box"))
            .op(kGetProperty, w.publicName("mouseX")).op(kGetLocal0).op(kGetProperty, w.publicName("box"))
            .op(kGetProperty, w.publicName("mouseY")).op(kGetLocal1).op(kGetProperty, w.publicName("buttonDown"));
        t.end(c, 4);
    });
    main.finish([&](AbcCode& c) {
        square(w, c, 1, "box", 100, 40, 50);
        c.op(kGetLocal, 1).op(kPushByte, 2).op(kSetProperty, w.publicName("scaleX"));
        c.op(kGetLocal0).op(kGetLocal1).op(kSetProperty, w.publicName("box"));
        addToRoot(w, c, 1);
        c.op(kGetLocal0).op(kGetProperty, w.publicName("stage")).op(kSetLocal2);
        listen(w, c, 2, "mouseMove", "onMove");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    p.player->mouseMove(120, 50);
    p.player->mouseDown(120, 50);  // a press is no move
    p.player->mouseMove(300, 200);
    EXPECT_EQ(p.lines, (Lines{"120 10 10 false", "300 100 160 true"}));
}

TEST(Avm2Pointer, KeysGoToTheStageWithTheirCodes) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.method("onKey", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("type")).op(kGetLocal1).op(kGetProperty, w.publicName("keyCode"))
            .op(kGetLocal1).op(kGetProperty, w.publicName("charCode")).op(kGetLocal1).op(kGetProperty, w.publicName("target"))
            .op(kGetProperty, w.publicName("name"));
        t.end(c, 4);
    });
    main.finish([&](AbcCode& c) {
        c.op(kGetLocal0).op(kSetLocal1);
        listen(w, c, 1, "keyDown", "onKey");
        c.op(kGetLocal0).op(kGetProperty, w.publicName("stage")).op(kSetLocal2);
        listen(w, c, 2, "keyUp", "onKey");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    p.player->keyDown(65, 97);
    p.player->keyUp(65, 97);
    // The root is below the stage: a key sent to the stage does not reach it.
    EXPECT_EQ(p.lines, (Lines{"keyUp 65 97 null"}));
}

TEST(Avm2Pointer, TheWheelScrollsTheTextFieldUnderThePointerAfterItsEvent) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.method("onWheel", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("delta")).op(kGetLocal1).op(kGetProperty, w.publicName("target"))
            .op(kGetProperty, w.publicName("scrollV"));
        t.end(c, 2);
    });
    main.finish([&](AbcCode& c) {
        uint32_t field = w.qname(w.ns(0x16, "flash.text"), "TextField");
        c.op(kFindPropStrict, field).op(kConstructProp, field, 0).op(kSetLocal1);
        setFlag(w, c, 1, "multiline", true);
        setNumber(w, c, 1, "height", 40);
        setNumber(w, c, 1, "width", 100);
        std::string text;
        for (int i = 0; i < 20; ++i) text += "line " + std::to_string(i) + "\n";
        setString(w, c, 1, "text", text);
        addToRoot(w, c, 1);
        listen(w, c, 1, "mouseWheel", "onWheel");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    p.player->mouseWheel(10, 10, -3);   // down three lines: heard at line 1, then scrolled
    p.player->mouseWheel(10, 10, -30);  // as far as it goes
    p.player->mouseWheel(10, 10, 2);
    p.player->mouseWheel(10, 10, 0);
    ASSERT_TRUE(p.errors.empty()) << p.errors[0];
    ASSERT_EQ(p.lines.size(), 4u);
    EXPECT_EQ(p.lines[0], "-3 1");
    EXPECT_EQ(p.lines[1], "-30 4");
    int bottom = std::stoi(p.lines[2].substr(p.lines[2].find(' ') + 1));
    EXPECT_GT(bottom, 10);
    EXPECT_EQ(p.lines[3], "0 " + std::to_string(bottom - 2));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}
