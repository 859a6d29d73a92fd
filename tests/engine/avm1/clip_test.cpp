// Movie clips through the host interface: properties, paths, timeline control, the display list,
// drawing, Color, fscommand and getURL.
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

TEST_F(MachineTest, ClipPropertiesByNameAndIndex) {
    FakeClip* ball = host.root.add("ball");
    Asm a;
    a.push({"ball"}).op(GetVariable).push({"_x", 25.0}).op(SetMember);
    a.push({"ball", 1, 40.0}).op(SetProperty);  // _y by index
    a.push({"ball"}).op(GetVariable).push({"_y"}).op(GetMember).trace();
    a.push({"ball", 0}).op(GetProperty).trace();
    a.push({"ball"}).op(GetVariable).push({"_name"}).op(GetMember).trace();
    a.push({"ball"}).op(GetVariable).trace();
    a.push({"ball"}).op(GetVariable).push({"_parent"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"40", "25", "ball", "_level0.ball", "_level0"}));
    EXPECT_EQ(ball->numbers[int(ClipProperty::X)], 25);
}

TEST_F(MachineTest, SlashAndDotPathsAndTellTarget) {
    FakeClip* outer = host.root.add("outer");
    FakeClip* inner = outer->add("inner");
    Asm a;
    a.push({"/outer/inner:v", 5.0}).op(SetVariable);
    a.push({"_root.outer.inner.v"}).op(GetVariable).trace();
    a.push({"outer.inner._x", 12.0}).op(SetVariable);
    a.record(0x8B, {'o', 'u', 't', 'e', 'r', '/', 'i', 'n', 'n', 'e', 'r', 0});  // tellTarget
    a.op(Stop).get("v").trace();
    a.record(0x8B, {0});
    a.get("v").trace();
    EXPECT_EQ(run(a), (Lines{"5", "5", "undefined"}));
    EXPECT_EQ(inner->numbers[int(ClipProperty::X)], 12);
    EXPECT_FALSE(inner->playing);
    EXPECT_TRUE(host.root.playing);
}

TEST_F(MachineTest, AClipWithLockrootIsRootToTheCodeInside) {
    FakeClip* game = host.root.add("game");
    FakeClip* board = game->add("board");
    Asm before;
    before.get("_lockroot").trace().get("_root").trace();
    EXPECT_EQ(run(before, board), (Lines{"false", "_level0"}));
    Asm lock;
    lock.push({"game"}).op(GetVariable).push({"_lockroot", true}).op(SetMember);
    lock.push({"game.v", 3.0}).op(SetVariable);
    EXPECT_EQ(run(lock), Lines{});
    Asm inside;
    inside.get("_root").trace().get("_root.v").trace();
    inside.push({"this"}).op(GetVariable).push({"_root"}).op(GetMember).trace();
    EXPECT_EQ(run(inside, board), (Lines{"_level0.game", "3", "_level0.game"}));
    // Code outside the locked clip still sees the level's root.
    Asm outside;
    outside.get("_root").trace();
    EXPECT_EQ(run(outside), (Lines{"_level0"}));
}

TEST_F(MachineTest, VariablePathsNameTheMemberAfterTheLastColonOrDot) {
    FakeClip* a = host.root.add("a");
    a->add("b")->add("c");
    Asm code;
    code.push({"a:b.c:v", 1.0}).op(SetVariable);   // ':' and '.' both part names before a '/'
    code.push({"a.b.c/.w", 2.0}).op(SetVariable);  // a '/' then '.' opens the member
    code.push({"a.b.w", 4.0}).op(SetVariable);
    code.push({"a/b:c.v"}).op(GetVariable).trace();
    code.push({"a.b.c/v"}).op(GetVariable).trace();      // member "c/v" of a.b: none
    code.push({"a/b.c:v"}).op(GetVariable).trace();      // after '/', "b.c" is one name
    code.push({"a:b:c::w"}).op(GetVariable).trace();     // colons opening a name are passed over
    code.push({"a:b:c:::w"}).op(GetVariable).trace();    // ...but "c::" ends on an empty name
    code.push({"a:b:c:...w"}).op(GetVariable).trace();   // ".." at the end of the target is b
    code.push({"a:b:c...w"}).op(GetVariable).trace();    // ...while "c.." ends on an empty name
    code.push({"a/b/c/..:w"}).op(GetVariable).trace();
    code.push({"a/b/c:"}).op(GetVariable).trace();       // an empty member reads nothing
    code.push({"a/b/c"}).op(GetVariable).trace();        // slashes alone lead to the clip
    code.push({"q/r", 3.0}).op(SetVariable);             // ...or, assigned to, make a name
    code.push({"q/r"}).op(GetVariable).trace();
    code.push({"_root"}).op(GetVariable).push({"q/r"}).op(GetMember).trace();
    EXPECT_EQ(run(code), (Lines{"1", "undefined", "undefined", "2", "undefined", "4", "undefined", "4",
                                "undefined", "_level0.a.b.c", "3", "3"}));
}

TEST_F(MachineTest, TargetPathsKnowNoVariablePathForms) {
    FakeClip* a = host.root.add("a");
    FakeClip* b = a->add("b");
    auto tellTargetStop = [](Asm& code, const std::string& path) {
        std::vector<uint8_t> bytes(path.begin(), path.end());
        bytes.push_back(0);
        code.record(0x8B, bytes).op(Stop).record(0x8B, {0});
    };
    Asm code;
    for (const char* path : {"this.a", "a/b.", "a:b::", "a/b/...", "a.b..b", "a/b/:"}) tellTargetStop(code, path);
    run(code);
    EXPECT_TRUE(a->playing);
    EXPECT_TRUE(b->playing);
    Asm found;
    tellTargetStop(found, "::a.:::b/");
    run(found);
    EXPECT_FALSE(b->playing);
    EXPECT_TRUE(a->playing);
}

TEST_F(MachineTest, TimelineActionsAndMethods) {
    FakeClip* clip = host.root.add("mc");
    Asm a;
    a.record(0x81, {4, 0});                                                 // gotoFrame 5
    a.record(0x8C, {'e', 'n', 'd', 0});                                     // gotoLabel
    a.push({3.0, 1}).push({"mc"}).op(GetVariable).push({"gotoAndStop"}).op(CallMethod).op(Pop);
    a.push({"intro", 1}).push({"mc"}).op(GetVariable).push({"gotoAndPlay"}).op(CallMethod).op(Pop);
    a.push({"mc"}).op(GetVariable).push({"_currentframe"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"3"}));
    EXPECT_EQ(host.root.log, (Lines{"goto 5", "label end"}));
    EXPECT_EQ(clip->log, (Lines{"goto 3", "label intro"}));
    EXPECT_TRUE(clip->playing);
}

TEST_F(MachineTest, GotoMethodsTakeFrameNumbersAsWrappingIntegers) {
    // Frame 0, a negative frame and one that wraps below 1 leave the clip alone; 2^32 + 2 is frame 2;
    // 2^31 wraps round to the end (the clip clamps it to its last frame); numeric text counts too.
    FakeClip* clip = host.root.add("mc");
    Asm a;
    for (double f : {0.0, -99.0, -2147483647.0, 4294967298.0, 2147483648.0, -2147483648.0, 2.9})
        a.push({f, 1}).push({"mc"}).op(GetVariable).push({"gotoAndStop"}).op(CallMethod).op(Pop);
    a.push({"0", 1}).push({"mc"}).op(GetVariable).push({"gotoAndPlay"}).op(CallMethod).op(Pop);
    a.push({"7", 1}).push({"mc"}).op(GetVariable).push({"gotoAndPlay"}).op(CallMethod).op(Pop);
    run(a);
    EXPECT_EQ(clip->log, (Lines{"goto 2", "goto 2147483647", "goto 2147483647", "goto 2", "goto 7"}));
    EXPECT_TRUE(clip->playing);
}

TEST_F(MachineTest, DisplayListMethodsAndClipEvents) {
    FakeClip* mc = host.root.add("mc", 1);
    Asm a;
    a.push({5.0, "copy", 2}).push({"mc"}).op(GetVariable).push({"duplicateMovieClip"}).op(CallMethod).trace();
    a.push({10.0, "fresh", 2}).push({"_root"}).op(GetVariable).push({"createEmptyMovieClip"}).op(CallMethod).trace();
    a.push({0}).push({"copy"}).op(GetVariable).push({"getDepth"}).op(CallMethod).trace();
    a.push({4.0, 4.0, 2}).push({"mc"}).op(GetVariable).push({"hitTest"}).op(CallMethod).trace();
    a.push({"copy", 1}).push({"mc"}).op(GetVariable).push({"swapDepths"}).op(CallMethod).op(Pop);
    a.push({0}).push({"mc"}).op(GetVariable).push({"getDepth"}).op(CallMethod).trace();
    // mc.onEnterFrame = function () { trace(this._name + " entered"); }
    Asm handler;
    handler.push({"this"}).op(GetVariable).push({"_name"}).op(GetMember).push({" entered"}).op(Add2).trace();
    a.push({"mc"}).op(GetVariable).push({"onEnterFrame"}).function("", {}, handler).op(SetMember);
    auto lines = run(a);
    EXPECT_EQ(lines, (Lines{"_level0.copy", "_level0.fresh", "5", "true", "5"}));
    host.lines.clear();
    EXPECT_TRUE(machine->callClipMethod(mc, "onEnterFrame"));
    EXPECT_FALSE(machine->callClipMethod(mc, "onLoad"));
    EXPECT_EQ(host.lines, (Lines{"mc entered"}));
    // A removed clip's script object no longer reaches the clip.
    Asm remove;
    remove.push({0}).push({"mc"}).op(GetVariable).push({"removeMovieClip"}).op(CallMethod).op(Pop);
    run(remove);
    EXPECT_TRUE(mc->removed);
}

TEST_F(MachineTest, DrawingApiReachesTheClip) {
    Asm a;
    a.push({100.0, 0xff0000, 2.0, 3}).push({"_root"}).op(GetVariable).push({"lineStyle"}).op(CallMethod).op(Pop);
    a.push({50.0, 0x00ff00, 2}).push({"_root"}).op(GetVariable).push({"beginFill"}).op(CallMethod).op(Pop);
    a.push({0.0, 0.0, 2}).push({"_root"}).op(GetVariable).push({"moveTo"}).op(CallMethod).op(Pop);
    a.push({0.0, 10.0, 2}).push({"_root"}).op(GetVariable).push({"lineTo"}).op(CallMethod).op(Pop);
    a.push({10.0, 10.0, 5.0, 5.0, 4}).push({"_root"}).op(GetVariable).push({"curveTo"}).op(CallMethod).op(Pop);
    a.push({0}).push({"_root"}).op(GetVariable).push({"endFill"}).op(CallMethod).op(Pop);
    // beginGradientFill("linear", [0, 0xffffff], [100, 100], [0, 255], {matrixType: "box", x: 0, y: 0, w: 100, h: 50, r: 0})
    a.push({"matrixType", "box", "x", 0.0, "y", 0.0, "w", 100.0, "h", 50.0, "r", 0.0, 6}).op(InitObject);
    a.push({255.0, 0.0, 2}).op(InitArray).push({100.0, 100.0, 2}).op(InitArray).push({0xffffff, 0.0, 2}).op(InitArray);
    a.push({"linear", 5}).push({"_root"}).op(GetVariable).push({"beginGradientFill"}).op(CallMethod).op(Pop);
    run(a);
    EXPECT_EQ(host.root.log, (Lines{"lineStyle 2 16711680 100", "beginFill 65280 50", "moveTo 0 0", "lineTo 10 0",
                                    "curveTo 10 10", "endFill", "linear 2 50.000000 0,255"}));
}

TEST_F(MachineTest, GradientFillsThatCannotBeMadeAreIgnoredAndNoTypeEndsTheFill) {
    // beginGradientFill(type, [0, 0xffffff], [100, 100], [first, second], {}, then `extra` arguments)
    auto call = [](Asm& a, PushItem type, PushItem first, PushItem second, int extra = 0) {
        for (int i = 0; i < extra; ++i) a.push({"pad"});
        a.push({0}).op(InitObject);
        a.push({second, first, 2}).op(InitArray).push({100.0, 100.0, 2}).op(InitArray).push({0xffffff, 0.0, 2}).op(InitArray);
        a.push({type, 5 + extra}).push({"_root"}).op(GetVariable).push({"beginGradientFill"}).op(CallMethod).op(Pop);
    };
    Asm a;
    call(a, "radial", -0.99, 255.9);      // fractions are dropped: 0 and 255
    call(a, "linear", "NaN", 200.0);      // a ratio that is no number counts as 0
    call(a, "linear", -1.0, 255.0);       // out of range: ignored
    call(a, "linear", 0.0, 256.0);        // out of range: ignored
    call(a, "LINEAR", 0.0, 255.0);        // types are case-sensitive: ignored
    call(a, "linear", 0.0, 255.0, 4);     // nine arguments: ignored
    call(a, "linear", 0.0, 255.0, 3);     // eight (spread, interpolation, focal point) are fine
    call(a, Null{}, 0.0, 255.0);          // null type: ignored
    call(a, Undef{}, 0.0, 255.0);         // no type: the fill ends
    run(a);
    EXPECT_EQ(host.root.log, (Lines{"radial 2 0.000000 0,255", "linear 2 0.000000 0,200", "linear 2 0.000000 0,255", "endFill"}));
}

TEST_F(MachineTest, ColorObjectSetsTheTransform) {
    FakeClip* mc = host.root.add("mc");
    Asm a;
    a.push({"c"}).push({"mc"}).op(GetVariable).push({1, "Color"}).op(NewObject).op(SetVariable);
    a.push({0x336699, 1}).get("c").push({"setRGB"}).op(CallMethod).op(Pop);
    a.push({0}).get("c").push({"getRGB"}).op(CallMethod).trace();
    a.push({"aa", 50.0, 1}).op(InitObject).push({1}).get("c").push({"setTransform"}).op(CallMethod).op(Pop);
    EXPECT_EQ(run(a), (Lines{"3368601"}));
    EXPECT_EQ(mc->color.rb, 0x33);
    EXPECT_EQ(mc->color.ra, 0);
    EXPECT_EQ(mc->color.aa, 50);
}

TEST_F(MachineTest, FsCommandAndGetUrl) {
    Asm a;
    a.push({"FSCommand:quit", "true"}).record(0x9A, {0});
    a.record(0x83, {'h', 't', 't', 'p', ':', '/', '/', 'x', 0, '_', 'b', 'l', 'a', 'n', 'k', 0});
    run(a);
    EXPECT_EQ(host.commands, (Lines{"quit(true)"}));
    EXPECT_EQ(host.urls, (Lines{"http://x"}));
}

}  // namespace swf::avm1::test
