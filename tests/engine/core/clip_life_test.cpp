// The life of movie clips under scripts: the order in which clips run their frames and events, gotos
// in both directions, removed clips and the names that pointed at them, depths and levels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/core/script_movie.h"

namespace {

using namespace coretest;

// trace(this + suffix): which clip runs the frame, and which frame.
swf::DoAction tracedHere(const std::string& suffix, bool stop = false) {
    Asm a;
    a.get("this").push({suffix}).op(op::Add2).trace();
    if (stop) a.op(op::Stop);
    return action(a);
}

swf::DoAction traced(const std::string& text) { return action(std::move(Asm().push({text}).trace())); }

swf::PlaceObject named(swf::PlaceObject p, const std::string& name) {
    p.name = name;
    return p;
}

swf::DoAction gotoFrame(uint16_t index) {
    Asm a;
    a.record(0x81, {uint8_t(index & 0xFF), uint8_t(index >> 8)});
    return action(a);
}

class ClipLifeTest : public ::testing::Test {
protected:
    ClipLifeTest() { b.movie->header.version = 8; }

    Lines play(int frames) {
        if (!player) {
            player = b.player();
            player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
        }
        player->render(image);
        for (int f = 1; f < frames; ++f) player->tick();
        return lines;
    }

    MovieBuilder b;
    std::unique_ptr<swf::MoviePlayer> player;
    Lines lines;
    swf::RgbaImage image;
};

TEST_F(ClipLifeTest, ClipsRunTheirFramesNewestFirstAndTheMainMovieLast) {
    b.rect(1, 0, 0, 10, 10, kRed);
    b.sprite(2, timeline({{tracedHere(": 1"), place(1, 1)}, {tracedHere(": 2")}, {tracedHere(": 3", true)}}));
    // Sprite 3 places a sprite 2 in its second frame: that child is then the newest clip of all.
    b.sprite(3, timeline({{tracedHere(": 1"), place(1, 1)},
                          {tracedHere(": 2"), named(place(2, 2), "child")},
                          {tracedHere(": 3", true)}}));
    b.main() = timeline({{tracedHere(": 1"), named(place(1, 3), "clip1"), named(place(4, 2), "clip2")},
                         {tracedHere(": 2")},
                         {tracedHere(": 3", true)}});
    EXPECT_EQ(play(4), (Lines{"_level0: 1", "_level0.clip1: 1", "_level0.clip2: 1",
                              "_level0.clip2: 2", "_level0.clip1: 2", "_level0.clip1.child: 1", "_level0: 2",
                              "_level0.clip1.child: 2", "_level0.clip2: 3", "_level0.clip1: 3", "_level0: 3",
                              "_level0.clip1.child: 3"}));
}

TEST_F(ClipLifeTest, ForwardGotoStartsTheClipsOfSkippedFramesBeforeTheTargetFrameRuns) {
    b.rect(1, 0, 0, 10, 10, kRed);
    b.sprite(2, timeline({{traced("placed in frame 3"), place(1, 1)}}));
    b.sprite(3, timeline({{traced("placed in frame 4"), place(1, 1)}}));
    // Frame 2 jumps to frame 4: frame 3's clip (at the higher depth) starts first, then frame 4's
    // clip, then frame 4's own actions.
    b.main() = timeline({{},
                         {gotoFrame(3), traced("after the goto")},
                         {place(3, 2)},
                         {place(1, 3), traced("frame 4"), action(std::move(Asm().op(op::Stop)))}});
    EXPECT_EQ(play(2), (Lines{"after the goto", "placed in frame 3", "placed in frame 4", "frame 4"}));
}

TEST_F(ClipLifeTest, RemovedClipsRunTheirUnloadHandlersInnermostFirstUnderTheirOldPaths) {
    Asm a;
    a.push({1, "p", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::Pop);
    a.push({1, "c", 2}).get("p").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::Pop);
    Asm unload;
    unload.push({"unload "}).get("this").op(op::Add2).trace();
    a.get("p").push({"c"}).op(op::GetMember).push({"onUnload"}).function("", {}, unload).op(op::SetMember);
    a.get("p").push({"onUnload"}).function("", {}, unload).op(op::SetMember);
    a.push({0}).get("p").push({"removeMovieClip"}).op(op::CallMethod).op(op::Pop);
    a.push({"removed"}).trace();
    a.get("p").trace();
    b.main() = timeline({{action(a), action(std::move(Asm().op(op::Stop)))}});
    EXPECT_EQ(play(2), (Lines{"removed", "undefined", "unload _level0.p.c", "unload _level0.p"}));
}

TEST_F(ClipLifeTest, AClipTheTimelineRemovesWaitsBelowItsDepthsForItsUnloadHandlersUntilTheFrameEnds) {
    b.sprite(2, timeline({{}}));
    Asm setUp;
    Asm unload;
    unload.push({"unload "}).get("this").op(op::Add2).trace();
    setUp.get("a").push({"onUnload"}).function("", {}, unload).op(op::SetMember);
    Asm during;
    during.get("a").trace();
    during.push({0}).get("a").push({"getDepth"}).op(op::CallMethod).trace();
    during.get("b").trace();  // no unload handler: gone at once
    during.get("a").push({"_x"}).op(op::GetMember).trace();  // the first "a" in depth order
    Asm after;
    after.get("a").push({"_x"}).op(op::GetMember).trace();
    after.push({0}).get("a").push({"getDepth"}).op(op::CallMethod).trace().op(op::Stop);
    // The unload handler runs where the removal stands among the frame's tags; a new "a" takes the
    // freed depth at once.
    b.main() = timeline({{named(place(1, 2), "a"), named(place(2, 2), "b"), action(setUp)},
                         {traced("frame 2"), removeAt(1), removeAt(2), action(during),
                          named(place(1, 2, 30, 0), "a")},
                         {action(after)}});
    EXPECT_EQ(play(3), (Lines{"frame 2", "unload _level0.a", "_level0.a", "-16386", "undefined", "0", "30",
                              "-16383"}));
}

TEST_F(ClipLifeTest, AScriptWhoseTargetOrOwnClipIsRemovedFallsBackToItsClipThenTheRoot) {
    b.sprite(2, timeline({{}}));
    Asm a;
    a.push({"v", "root"}).op(op::SetVariable);
    a.push({"t", 1, "t", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::SetVariable);
    a.get("t").push({"v", "t"}).op(op::SetMember);
    a.push({2, "s", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::Pop);
    b.main() = timeline({{action(a)}, {action(std::move(Asm().op(op::Stop)))}});
    // The script of clip "s": tellTarget("/t"), remove t, read v (s's own); then remove s itself and
    // assign: the root takes it.
    Asm inS;
    inS.push({"v", "s"}).op(op::SetVariable);
    inS.record(0x8B, {'/', 't', 0});
    inS.get("v").trace();
    inS.push({"/t"}).op(0x25);
    inS.get("v").trace();
    inS.record(0x8B, {0});
    inS.get("this").op(0x25);
    inS.push({"w", "set"}).op(op::SetVariable);
    inS.get("v").trace();
    inS.get("_root").push({"w"}).op(op::GetMember).trace();
    play(1);
    lines.clear();
    swf::avm1::Machine& m = player->scripts().machine();
    swf::avm1::Clip* s = m.resolveTarget("/s", nullptr);
    ASSERT_NE(s, nullptr);
    m.runActions(inS.shared(), s);
    EXPECT_EQ(lines, (Lines{"t", "s", "root", "set"}));
}

TEST_F(ClipLifeTest, AClipThatDrawsNothingHasTheLargestTwipsValueForBounds) {
    for (int version : {8, 10}) {
        SCOPED_TRACE(version);
        MovieBuilder movie;
        movie.movie->header.version = uint8_t(version);
        Asm a;
        a.push({1, "e", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::Pop);
        a.get("_root").push({1}).get("e").push({"getBounds"}).op(op::CallMethod).push({"xMax"}).op(op::GetMember).trace();
        a.get("e").push({1}).get("e").push({"getBounds"}).op(op::CallMethod).push({"xMax"}).op(op::GetMember).trace();
        // ...and no pixels at all.
        a.get("e").push({"transform"}).op(op::GetMember).push({"pixelBounds"}).op(op::GetMember).trace();
        movie.main() = timeline({{action(a), action(std::move(Asm().op(op::Stop)))}});
        Lines out;
        auto p = movie.player();
        p->setTraceHandler([&](const std::string& line) { out.push_back(line); });
        p->render(image);
        // In another clip's space it is the single-precision value; in its own, the exact one.
        EXPECT_EQ(out, (Lines{"6710886.4", "6710886.35", "(x=0, y=0, w=0, h=0)"}));
    }
}

// A button holding a sprite whose first frame reports where it is.
void buttonWithSprite(MovieBuilder& b) {
    b.rect(1, 0, 0, 10, 10, kRed);
    Asm report;
    report.get("this").trace().get("_parent").trace().get("_parent").op(op::TypeOf).trace();
    b.sprite(2, timeline({{action(report), place(1, 1)}}));
    swf::Button button;
    button.version = 2;
    swf::ButtonRecord r;
    r.characterId = 2;
    r.depth = 1;
    r.up = r.over = r.down = r.hitTest = true;
    button.records = {r};
    swf::Character c;
    c.id = 3;
    c.tagCode = 34;
    c.definition = button;
    b.movie->characters[3] = std::move(c);
    Asm root;
    root.get("_root").push({"instance1"}).op(op::GetMember).op(op::TypeOf).trace();
    b.main() = timeline({{place(1, 3), action(root)}});
}

TEST_F(ClipLifeTest, ButtonsAreObjectsFromSwf6AndTakeTheirNameBeforeWhatTheyHold) {
    buttonWithSprite(b);
    EXPECT_EQ(play(1), (Lines{"_level0.instance1.instance2", "_level0.instance1", "object", "object"}));
}

TEST_F(ClipLifeTest, BeforeSwf6WhatAButtonHoldsBelongsToTheClipAroundIt) {
    b.movie->header.version = 5;
    buttonWithSprite(b);
    EXPECT_EQ(play(1), (Lines{"_level0.instance1.instance2", "_level0", "movieclip", "movieclip"}));
}

TEST_F(ClipLifeTest, AReferenceToARemovedClipReachesTheClipMadeAgainAtItsPath) {
    Asm first;
    first.push({"ref", 1, "a", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::SetVariable);
    first.get("ref").push({"tag", "first"}).op(op::SetMember);
    first.push({0}).get("ref").push({"removeMovieClip"}).op(op::CallMethod).op(op::Pop);
    Asm second;
    second.push({2, "a", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::Pop);
    second.get("ref").push({"_x", 7}).op(op::SetMember);  // lands on the new clip
    second.get("ref").push({"tag", "second"}).op(op::SetMember);
    second.get("a").push({"_x"}).op(op::GetMember).trace();
    second.get("a").push({"tag"}).op(op::GetMember).trace();
    second.get("ref").trace();
    second.push({0}).get("ref").push({"getDepth"}).op(op::CallMethod).trace();
    second.push({0}).get("a").push({"removeMovieClip"}).op(op::CallMethod).op(op::Pop);
    // Gone again, and nothing at the path: the reference leads nowhere.
    Asm third;
    third.get("ref").push({"_x"}).op(op::GetMember).trace().op(op::Stop);
    b.main() = timeline({{action(first)}, {action(second)}, {action(third)}});
    EXPECT_EQ(play(3), (Lines{"7", "second", "_level0.a", "2", "undefined"}));
}

TEST_F(ClipLifeTest, TellTargetOfAClipGoesByItsPathToTheFirstClipOfThatName) {
    // Two clips named "c": a reference to the second still sends tellTarget to the first.
    Asm a;
    a.push({"first", 1, "c", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::SetVariable);
    a.push({"second", 2, "c", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::SetVariable);
    a.get("first").push({"who", "first"}).op(op::SetMember);
    a.get("second").push({"who", "second"}).op(op::SetMember);
    a.get("second").op(0x20);  // SetTarget2
    a.get("who").trace();
    a.record(0x8B, {0});
    a.get("second").push({"who"}).op(op::GetMember).trace();
    b.main() = timeline({{action(a), action(std::move(Asm().op(op::Stop)))}});
    EXPECT_EQ(play(1), (Lines{"first", "second"}));
}

TEST_F(ClipLifeTest, SizingAClipWithNothingInItCollapsesItOnBothAxes) {
    Asm a;
    a.push({1, "mc", 2}).get("this").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::Pop);
    a.push({"mc._width", 30}).op(op::SetVariable);
    a.push({"mc._xscale"}).op(op::GetVariable).trace();
    a.push({"mc._yscale"}).op(op::GetVariable).trace();
    // What is drawn in it later shows no size until its scales are set again.
    a.push({double(0xFF0000), 1}).get("mc").push({"beginFill"}).op(op::CallMethod).op(op::Pop);
    a.push({10, 10, 2}).get("mc").push({"lineTo"}).op(op::CallMethod).op(op::Pop);
    a.push({0, 10, 2}).get("mc").push({"lineTo"}).op(op::CallMethod).op(op::Pop);
    a.push({"mc._height"}).op(op::GetVariable).trace();
    a.push({"mc._xscale", 100}).op(op::SetVariable).push({"mc._yscale", 100}).op(op::SetVariable);
    a.push({"mc._height"}).op(op::GetVariable).trace();
    b.main() = timeline({{action(a), action(std::move(Asm().op(op::Stop)))}});
    EXPECT_EQ(play(1), (Lines{"0", "0", "0", "10"}));
}

}  // namespace
