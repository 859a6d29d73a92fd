// How clips are drawn beyond matrix and colour: scroll windows, opaque backgrounds, bitmap caching
// and blend modes, set by the timeline and by scripts, checked on the pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/avm1/assembler.h"
#include "tests/engine/core/movie_builder.h"

namespace {

using namespace coretest;
using swf::avm1::test::Asm;
using Lines = std::vector<std::string>;
namespace op = swf::avm1::test;

class ClipDrawingTest : public ::testing::Test {
protected:
    ClipDrawingTest() {
        b.movie->header.version = 8;
        b.rect(1, 0, 0, 40, 40, kRed);
        b.rect(2, 40, 0, 40, 40, kBlue);
        swf::PlaceObject left = place(1, 1), right = place(2, 2);
        b.sprite(10, timeline({{left, right}}));
    }
    // Shows the first frame and returns what the script traced.
    Lines show(const Asm& script) {
        b.main().frames[0].tags.push_back(swf::DoAction{script.bytes()});
        player = b.player();
        player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
        player->render(image);
        return lines;
    }
    swf::Rgba at(int x, int y) { return pixelAt(*player, x, y); }

    MovieBuilder b;
    std::unique_ptr<swf::MoviePlayer> player;
    Lines lines;
    swf::RgbaImage image;
};

swf::PlaceObject named(swf::PlaceObject p, const std::string& name) {
    p.name = name;
    return p;
}

// mc.scrollRect = new flash.geom.Rectangle(x, y, w, h)
Asm& setScrollRect(Asm& a, double x, double y, double w, double h) {
    a.get("mc").push({"scrollRect"});
    a.push({h, w, y, x, 4}).get("flash").push({"geom"}).op(op::GetMember).push({"Rectangle"}).op(op::NewMethod);
    return a.op(op::SetMember);
}

TEST_F(ClipDrawingTest, ScrollRectShowsItsWindowAtTheClipsOrigin) {
    b.main() = timeline({{named(place(1, 10, 10, 10), "mc")}});
    Asm a;
    setScrollRect(a, 30, 0, 20, 20);
    a.get("mc").push({"scrollRect"}).op(op::GetMember).push({"x"}).op(op::GetMember).trace();
    a.get("mc").push({"scrollRect"}).op(op::GetMember).push({"width"}).op(op::GetMember).trace();
    EXPECT_EQ(show(a), (Lines{"30", "20"}));
    // Content x 30..50 shows at stage x 10..30: red up to content x 40, blue after.
    EXPECT_EQ(at(12, 15), kRed);
    EXPECT_EQ(at(27, 15), kBlue);
    EXPECT_EQ(at(35, 15), kWhite);  // past the window, though the clip draws there
    EXPECT_EQ(at(15, 35), kWhite);  // below it
    EXPECT_EQ(at(5, 15), kWhite);   // content left of the window is not shifted into view
}

TEST_F(ClipDrawingTest, ScrollRectIsTheClipsSizeBoundsAndHitArea) {
    b.main() = timeline({{named(place(1, 10, 10, 10), "mc")}});
    Asm a;
    auto hit = [&](double x, double y) {
        a.push({true, y, x, 3}).get("mc").push({"hitTest"}).op(op::CallMethod).trace();
    };
    a.get("mc").push({"_width"}).op(op::GetMember).trace();
    hit(55, 15);
    setScrollRect(a, 30, 5, 20, 25);
    a.get("mc").push({"_width"}).op(op::GetMember).trace();
    a.get("mc").push({"_height"}).op(op::GetMember).trace();
    a.push({"b"}).get("_root").push({1}).get("mc").push({"getBounds"}).op(op::CallMethod).op(op::SetVariable);
    for (const char* edge : {"xMin", "yMin", "xMax", "yMax"}) a.get("b").push({edge}).op(op::GetMember).trace();
    hit(12, 15);  // content x 32: red, inside the window
    hit(27, 32);  // content x 47, y 27: blue, inside the window
    hit(55, 15);  // blue content beyond the window
    hit(5, 15);   // left of the window
    hit(12, 36);  // below it: content y 31 is past the window's 25
    EXPECT_EQ(show(a), (Lines{"80", "true", "20", "25", "10", "10", "30", "35", "true", "true", "false", "false", "false"}));
}

TEST_F(ClipDrawingTest, DisplacementMapMovesTheClipsPixelsByItsBitmap) {
    b.main() = timeline({{named(place(1, 10, 10, 10), "mc")}});
    Asm a;
    // m = new BitmapData(80, 40, false, 0xFF0000): full red, which moves lookups to the right.
    a.push({"m", double(0xFF0000), false, 40, 80, 4}).get("flash").push({"display"}).op(op::GetMember);
    a.push({"BitmapData"}).op(op::NewMethod).op(op::SetVariable);
    // mc.filters = [new DisplacementMapFilter(m, null, 1, 1, scale, 0, "clamp")], 20 pixels right.
    a.get("mc").push({"filters"});
    a.push({"clamp", 0, 20.0 * 256 / 127, 1, 1, swf::avm1::test::Null{}}).get("m");
    a.push({7}).get("flash").push({"filters"}).op(op::GetMember).push({"DisplacementMapFilter"}).op(op::NewMethod);
    a.push({1}).op(op::InitArray).op(op::SetMember);
    show(a);
    EXPECT_EQ(at(15, 20), kRed);   // content x 5 shows content x 25
    EXPECT_EQ(at(35, 20), kBlue);  // content x 25 shows content x 45
    EXPECT_EQ(at(85, 20), kBlue);  // content x 75 reads past the edge: clamped to it
    EXPECT_EQ(at(95, 20), kWhite);
}

TEST_F(ClipDrawingTest, ScrollRectGoesWithNullAndReadsUndefinedWithoutOne) {
    b.main() = timeline({{named(place(1, 10, 0, 0), "mc")}});
    Asm a;
    a.get("mc").push({"scrollRect"}).op(op::GetMember).trace();
    setScrollRect(a, 0, 0, 10, 10);
    a.get("mc").push({"scrollRect"}).push({swf::avm1::test::Null{}}).op(op::SetMember);
    a.get("mc").push({"scrollRect"}).op(op::GetMember).trace();
    EXPECT_EQ(show(a), (Lines{"undefined", "undefined"}));
    EXPECT_EQ(at(60, 20), kBlue);
}

TEST_F(ClipDrawingTest, OpaqueBackgroundFillsTheBoundsBeneathTheContent) {
    b.rect(3, 10, 10, 10, 10, kBlue);
    b.rect(4, 30, 10, 10, 10, kBlue);
    b.sprite(11, timeline({{place(1, 3), place(2, 4)}}));
    b.main() = timeline({{named(place(1, 11, 0, 0), "mc")}});
    Asm a;
    a.get("mc").push({"opaqueBackground"}).op(op::GetMember).trace();
    a.get("mc").push({"opaqueBackground"}).push({0x00FF00}).op(op::SetMember);
    a.get("mc").push({"opaqueBackground"}).op(op::GetMember).trace();
    EXPECT_EQ(show(a), (Lines{"undefined", "65280"}));
    EXPECT_EQ(at(15, 15), kBlue);   // the content stays on top
    EXPECT_EQ(at(25, 15), kGreen);  // the background fills the gap within the bounds
    EXPECT_EQ(at(5, 15), kWhite);   // and covers the bounds only
    EXPECT_EQ(at(25, 25), kWhite);
}

TEST_F(ClipDrawingTest, TimelineOpaqueBackgroundAndVisibility) {
    b.rect(3, 10, 10, 20, 20, kBlue);
    swf::PlaceObject shown = place(1, 10, 0, 50), hidden = place(2, 3, 50, 0);
    shown.version = hidden.version = 3;
    shown.opaqueBackground = kGreen;
    hidden.visible = false;
    b.main() = timeline({{shown, hidden}});
    player = b.player();
    player->render(image);
    EXPECT_EQ(at(20, 70), kRed);
    EXPECT_EQ(at(70, 20), kWhite);
}

TEST_F(ClipDrawingTest, BlendModeByNameOrNumberAndCacheAsBitmap) {
    b.rect(3, 0, 0, 100, 100, swf::Rgba{0, 255, 255, 255});
    b.main() = timeline({{place(1, 3), named(place(2, 10, 0, 50), "mc")}});
    Asm a;
    a.get("mc").push({"blendMode"}).op(op::GetMember).trace();
    a.get("mc").push({"blendMode"}).push({"multiply"}).op(op::SetMember);
    a.get("mc").push({"blendMode"}).op(op::GetMember).trace();
    a.get("mc").push({"blendMode"}).push({"no such mode"}).op(op::SetMember);
    a.get("mc").push({"blendMode"}).op(op::GetMember).trace();
    a.get("mc").push({"cacheAsBitmap"}).push({1}).op(op::SetMember);
    a.get("mc").push({"cacheAsBitmap"}).op(op::GetMember).trace();
    EXPECT_EQ(show(a), (Lines{"normal", "multiply", "multiply", "true"}));
    EXPECT_EQ(at(20, 70), (swf::Rgba{0, 0, 0, 255}));  // red times cyan
    EXPECT_EQ(at(60, 70), (swf::Rgba{0, 0, 255, 255}));  // blue times cyan
}

TEST_F(ClipDrawingTest, BlendModeNumberSetsThatMode) {
    b.rect(3, 0, 0, 100, 100, swf::Rgba{0, 255, 255, 255});
    b.main() = timeline({{place(1, 3), named(place(2, 10, 0, 50), "mc")}});
    Asm a;
    a.get("mc").push({"blendMode"}).push({8}).op(op::SetMember);  // add
    a.get("mc").push({"blendMode"}).op(op::GetMember).trace();
    EXPECT_EQ(show(a), (Lines{"add"}));
    EXPECT_EQ(at(20, 70), kWhite);
}

}  // namespace
