// Timelines and the display list: placing, moving, replacing and removing, nested clips, the end of
// the main timeline, and jumps backwards.
#include <gtest/gtest.h>

#include "tests/engine/core/movie_builder.h"

using namespace coretest;
using swf::Rgba;

namespace {

int spriteFrame(swf::MoviePlayer& p, int depth) {
    auto it = p.root().children.find(depth);
    if (it == p.root().children.end() || !it->second->clip) return -1;
    return it->second->clip->frame;
}

}  // namespace

TEST(Timeline, PlaceMoveReplaceAndRemoveFollowTheFrames) {
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    b.rect(2, 0, 0, 10, 10, kBlue);
    b.main() = timeline({{place(1, 1, 0, 0)}, {moveTo(1, 50, 50)}, {replace(1, 2)}, {removeAt(1)}});
    auto p = b.player();
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed);
    p->tick();
    EXPECT_EQ(pixelAt(*p, 5, 5), kWhite);
    EXPECT_EQ(pixelAt(*p, 55, 55), kRed);
    p->tick();
    EXPECT_EQ(pixelAt(*p, 55, 55), kBlue) << "the replacement keeps the moved matrix";
    p->tick();
    EXPECT_EQ(pixelAt(*p, 55, 55), kWhite);
    EXPECT_TRUE(p->root().children.empty());
}

TEST(Timeline, ReplacingAShapeWithAShapeKeepsTheObjectAndGoingBackMakesItAgain) {
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    b.rect(2, 0, 0, 10, 10, kBlue);
    b.sprite(10, timeline({{}}));
    b.main() = timeline({{place(1, 1), place(2, 1, 50, 50)}, {replace(1, 2), replace(2, 10)}, {}});
    auto p = b.player();
    const swf::DisplayObject* shape = p->root().children.at(1).get();
    p->tick();
    EXPECT_EQ(pixelAt(*p, 5, 5), kBlue);
    EXPECT_EQ(p->root().children.at(1).get(), shape) << "a shape swapped for a shape stays the same object";
    EXPECT_EQ(p->root().children.at(2)->kind, swf::DisplayObject::Kind::Sprite) << "a shape gives way to a clip";
    p->gotoFrame(1);
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed) << "going back shows the first character again";
}

TEST(Timeline, Actionscript3MoviesNameEveryPlacedObjectActionscript1OnlyItsClips) {
    for (bool as3 : {false, true}) {
        MovieBuilder b;
        b.rect(1, 0, 0, 10, 10, kRed);
        b.sprite(10, timeline({{}}));
        b.movie->attributes.present = true;
        b.movie->attributes.actionScript3 = as3;
        b.main() = timeline({{place(1, 1), place(2, 10)}});
        auto p = b.player();
        EXPECT_EQ(p->root().children.at(1)->name, as3 ? "instance1" : "");
        EXPECT_EQ(p->root().children.at(2)->name, as3 ? "instance2" : "instance1");
    }
}

TEST(Timeline, PlacingOnATakenDepthIsIgnoredAndMissingCharactersWarn) {
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    b.rect(2, 0, 0, 10, 10, kBlue);
    b.main() = timeline({{place(1, 1), place(1, 2), place(2, 99)}});
    auto p = b.player();
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed);
    auto warnings = p->takeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("99"), std::string::npos);
    EXPECT_TRUE(p->takeWarnings().empty());
}

TEST(Timeline, NestedSpritesAdvanceEveryFrameAndLoop) {
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    b.rect(2, 0, 0, 10, 10, kBlue);
    b.rect(3, 0, 0, 10, 10, kGreen);
    b.sprite(10, timeline({{place(1, 1)}, {replace(1, 2)}, {replace(1, 3)}}));
    b.main() = timeline({{}, {place(1, 10)}, {}, {}, {}});
    auto p = b.player();
    p->tick();
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed) << "a newly placed clip shows its first frame";
    p->tick();
    EXPECT_EQ(pixelAt(*p, 5, 5), kBlue);
    p->tick();
    EXPECT_EQ(pixelAt(*p, 5, 5), kGreen);
    p->tick();
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed) << "sprites loop";
    EXPECT_EQ(p->currentFrame(), 5);
}

TEST(Timeline, MainTimelineLoopsOrStopsAtItsEnd) {
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    b.main() = timeline({{place(1, 1)}, {removeAt(1)}, {}});
    auto looping = b.player();
    for (int i = 0; i < 3; ++i) looping->tick();
    EXPECT_EQ(looping->currentFrame(), 1);
    EXPECT_TRUE(looping->isPlaying());
    EXPECT_EQ(pixelAt(*looping, 5, 5), kRed) << "frame 1 is built again after the loop";

    auto once = b.player();
    once->setLoop(false);
    for (int i = 0; i < 5; ++i) once->tick();
    EXPECT_EQ(once->currentFrame(), 3);
    EXPECT_FALSE(once->isPlaying());
}

TEST(Timeline, GoingBackwardsRebuildsWhatPlayingWouldHaveShown) {
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    b.rect(2, 0, 0, 10, 10, kBlue);
    b.sprite(10, timeline({{}, {}, {}, {}, {}, {}, {}}));
    b.main() = timeline({{place(1, 1), place(5, 10)},
                         {moveTo(1, 50, 0), place(2, 2, 0, 50)},
                         {removeAt(1)},
                         {place(1, 2, 80, 80)}});
    auto p = b.player();
    for (int i = 0; i < 3; ++i) p->tick();
    EXPECT_EQ(spriteFrame(*p, 5), 3);
    p->gotoFrame(2);
    EXPECT_EQ(p->currentFrame(), 2);
    EXPECT_EQ(pixelAt(*p, 55, 5), kRed);
    EXPECT_EQ(pixelAt(*p, 5, 55), kBlue);
    EXPECT_EQ(pixelAt(*p, 85, 85), kWhite);
    EXPECT_EQ(spriteFrame(*p, 5), 3) << "a clip placed before the target frame lives on";
    p->gotoFrame(1);
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed);
    EXPECT_EQ(pixelAt(*p, 5, 55), kWhite);
    EXPECT_EQ(p->root().children.size(), 2u);

    // An object placed again at a depth in a later frame is a new object after a jump back.
    p->gotoFrame(4);
    EXPECT_EQ(pixelAt(*p, 85, 85), kBlue);
    p->rewind();
    EXPECT_FALSE(p->isPlaying());
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed);
    EXPECT_EQ(pixelAt(*p, 85, 85), kWhite);
}

TEST(Timeline, LimitsStopTheClipNotThePlayer) {
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    // A sprite that places itself nests without end.
    b.sprite(10, timeline({{place(1, 1), place(2, 10)}}));
    b.main() = timeline({{place(1, 10), place(2, 1), place(3, 1), place(4, 1)}});
    swf::TimelineLimits limits;
    limits.maxClipNesting = 5;
    limits.maxObjectsPerClip = 3;
    auto p = b.player(limits);
    EXPECT_EQ(p->root().children.size(), 3u);
    int depth = 0;
    for (const swf::Clip* c = &p->root(); c;) {
        auto it = c->children.find(c == &p->root() ? 1 : 2);
        c = it != c->children.end() && it->second->clip ? it->second->clip.get() : nullptr;
        if (c) ++depth;
    }
    EXPECT_EQ(depth, 5);
    auto warnings = p->takeWarnings();
    ASSERT_EQ(warnings.size(), 2u);
    p->tick();
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed);
}

TEST(Timeline, DisplayObjectsOfTheWholeMovieHaveALimit) {
    // Ten clips of ten clips of ten shapes: 1110 objects, though no clip holds more than ten.
    MovieBuilder b;
    b.rect(1, 0, 0, 10, 10, kRed);
    auto tenOf = [](uint16_t id) {
        std::vector<swf::ControlTag> tags(10);
        for (uint16_t depth = 1; depth <= 10; ++depth) tags[depth - 1] = place(depth, id);
        return tags;
    };
    b.sprite(10, timeline({tenOf(1)}));
    b.sprite(11, timeline({tenOf(10)}));
    std::vector<swf::ControlTag> removeAll(10);
    for (uint16_t depth = 1; depth <= 10; ++depth) removeAll[depth - 1] = removeAt(depth);
    // Frame 1 builds them, frame 2 drops them, frame 3 places one shape.
    b.main() = timeline({tenOf(11), removeAll, {place(1, 1)}});

    swf::TimelineLimits limits;
    limits.maxObjects = 200;
    auto p = b.player(limits);
    EXPECT_EQ(p->timeline().liveObjects(), 200u);
    bool named = false;
    for (const std::string& w : p->takeWarnings()) named = named || w.find("more than 200 display objects") != std::string::npos;
    EXPECT_TRUE(named);
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed);

    // What goes away is counted off: the movie can place again afterwards.
    p->tick();
    EXPECT_EQ(p->timeline().liveObjects(), 0u);
    p->tick();
    EXPECT_EQ(p->timeline().liveObjects(), 1u);
    EXPECT_EQ(pixelAt(*p, 5, 5), kRed);
    // Going back rebuilds frame 1 within the limit again.
    p->gotoFrame(1);
    EXPECT_EQ(p->timeline().liveObjects(), 200u);

    swf::TimelineLimits roomy;
    EXPECT_EQ(b.player(roomy)->timeline().liveObjects(), 1110u);
}
