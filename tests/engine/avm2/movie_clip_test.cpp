// MovieClip's play control in scenes: frame numbers and labels counted within a scene, gotos into a
// named scene, the next and previous scene, and the error for a scene that is not there.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

// Scenes "A" (frames 1-3) and "B" (frames 4-6), each with a label "mid" on its second frame; B's
// third frame is labelled "1.5".
std::vector<uint8_t> sceneMovie(const std::vector<uint8_t>& abc) {
    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(86, {2, 0, 'A', 0, 3, 'B', 0, 2, 1, 'm', 'i', 'd', 0, 4, 'm', 'i', 'd', 0});
    movie.tag(swfw::kDoAbc, abcTag(abc));
    movie.tag(76, symbolClassTag({{0, "Main"}}));
    for (int f = 0; f < 6; ++f) {
        if (f == 1 || f == 4) movie.frameLabel("mid");
        if (f == 5) movie.frameLabel("1.5");
        movie.showFrame();
    }
    return movie.finish();
}

}  // namespace

TEST(Avm2MovieClip, ScenesCountFramesAndFindLabelsFromTheirStart) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.method("where", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal0).op(kGetProperty, w.publicName("currentScene")).op(kGetProperty, w.publicName("name"))
            .op(kGetLocal0).op(kGetProperty, w.publicName("currentFrame")).op(kGetLocal0)
            .op(kGetProperty, w.publicName("currentLabels")).op(kGetProperty, w.publicName("length"));
        t.end(c, 3);
    }, 0);
    main.finish([&](AbcCode& c) {
        auto where = [&] { c.op(kGetLocal0).op(kCallPropVoid, w.publicName("where"), 0); };
        auto go = [&](uint32_t pushFrame, bool withScene) {
            c.op(kGetLocal0);
            c.op(kPushString, pushFrame);
            if (withScene) c.op(kPushString, w.string("B"));
            c.op(kCallPropVoid, w.publicName("gotoAndStop"), withScene ? 2 : 1);
        };
        c.op(kGetLocal0).op(kCallPropVoid, w.publicName("stop"), 0);
        where();
        go(w.string("2"), true);  // frame 2 of B
        where();
        go(w.string("mid"), false);  // B's own "mid", not A's
        where();
        c.op(kGetLocal0).op(kCallPropVoid, w.publicName("prevScene"), 0);
        where();
        c.op(kGetLocal0).op(kPushByte, 2).op(kCallPropVoid, w.publicName("gotoAndStop"), 1);
        c.op(kGetLocal0).op(kCallPropVoid, w.publicName("prevScene"), 0);  // in the first scene: to its start
        where();
        c.op(kGetLocal0).op(kPushByte, 5).op(kCallPropVoid, w.publicName("gotoAndStop"), 1);  // past A's end, into B
        where();
        c.op(kGetLocal0).op(kCallPropVoid, w.publicName("nextScene"), 0);  // B is the last: no move
        where();
        // A fraction is no frame number: it names a label.
        c.op(kGetLocal0).op(kPushDouble, w.number(1.5)).op(kCallPropVoid, w.publicName("gotoAndStop"), 1);
        where();
        t.begin(c).op(kGetLocal0).op(kGetProperty, w.publicName("scenes")).op(kGetProperty, w.publicName("length"))
            .op(kGetLocal0).op(kGetProperty, w.publicName("scenes")).op(kCallProperty, w.publicName("pop"), 0)
            .op(kGetProperty, w.publicName("numFrames"));
        t.end(c, 2);
        c.op(kGetLocal0).op(kPushByte, 1).op(kPushString, w.string("C")).op(kCallPropVoid, w.publicName("gotoAndStop"), 2);
    });
    Played p = play(sceneMovie(w.bytes()), 0);
    EXPECT_EQ(p.lines, (Lines{"A 1 1", "B 2 2", "B 2 2", "A 1 1", "A 1 1", "B 2 2", "B 2 2", "B 3 2", "2 3"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_NE(p.errors[0].find("Error #2108: Scene C was not found."), std::string::npos) << p.errors[0];
}
