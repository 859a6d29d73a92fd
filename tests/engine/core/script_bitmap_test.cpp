// Scripts' BitmapData on the stage: attached to a clip at a depth, or filling what a clip draws,
// shown as the pixels are at each frame, with the bounds they give their clip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/core/script_movie.h"

namespace {

using namespace coretest;

// bmp = new flash.display.BitmapData(w, h, false, rgb)
void newOpaqueBitmap(Asm& a, const std::string& name, int w, int h, double rgb) {
    a.push({name, rgb, false, h, w, 4}).get("flash").push({"display"}).op(op::GetMember);
    a.push({"BitmapData"}).op(op::NewMethod).op(op::SetVariable);
}

// mc = _root.createEmptyMovieClip(name, depth)
void newClip(Asm& a, const std::string& name, int depth) {
    a.push({depth, name, 2}).get("_root").push({"createEmptyMovieClip"}).op(op::CallMethod).op(op::Pop);
}

bool same(swf::Rgba a, swf::Rgba b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

class ScriptBitmapTest : public ::testing::Test {
protected:
    ScriptBitmapTest() { b.movie->header.version = 8; }

    void start() {
        player = b.player();
        player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    }

    MovieBuilder b;
    std::unique_ptr<swf::MoviePlayer> player;
    Lines lines;
};

TEST_F(ScriptBitmapTest, AttachedBitmapShowsItsPixelsAsTheyChangeAndGivesItsClipASize) {
    Asm first;
    newClip(first, "mc", 1);
    newOpaqueBitmap(first, "bmp", 10, 10, double(0xFF0000));
    first.push({1, "bmp"}).op(op::GetVariable).push({2}).get("mc").push({"attachBitmap"}).op(op::CallMethod).op(op::Pop);
    first.push({"mc._x", 20}).op(op::SetVariable);
    first.get("mc").push({"_width"}).op(op::GetMember).push({"x"}).op(op::Add2);
    first.get("mc").push({"_height"}).op(op::GetMember).op(op::Add2).trace();
    // Frame 2: one pixel turns blue; frame 3: the bitmap is disposed of.
    Asm second;
    second.push({double(0x0000FF), 5, 5, 3}).get("bmp").push({"setPixel"}).op(op::CallMethod).op(op::Pop);
    Asm third;
    third.push({0}).get("bmp").push({"dispose"}).op(op::CallMethod).op(op::Pop);
    third.get("mc").push({"_width"}).op(op::GetMember).trace().op(op::Stop);
    b.main() = timeline({{action(first)}, {action(second)}, {action(third)}});
    start();

    EXPECT_TRUE(same(pixelAt(*player, 22, 2), kRed));
    EXPECT_TRUE(same(pixelAt(*player, 25, 5), kRed));
    EXPECT_TRUE(same(pixelAt(*player, 12, 2), kWhite));  // left of the clip
    EXPECT_TRUE(same(pixelAt(*player, 22, 12), kWhite));  // below the bitmap
    player->tick();
    EXPECT_TRUE(same(pixelAt(*player, 25, 5), kBlue));
    EXPECT_TRUE(same(pixelAt(*player, 24, 5), kRed));
    player->tick();
    EXPECT_TRUE(same(pixelAt(*player, 22, 2), kWhite));
    EXPECT_EQ(lines, (Lines{"10x10", "0"}));
}

TEST_F(ScriptBitmapTest, AttachBitmapReplacesWhatIsAtTheDepth) {
    Asm a;
    newClip(a, "mc", 1);
    newOpaqueBitmap(a, "red", 10, 10, double(0xFF0000));
    newOpaqueBitmap(a, "blue", 4, 4, double(0x0000FF));
    a.push({7, "red"}).op(op::GetVariable).push({2}).get("mc").push({"attachBitmap"}).op(op::CallMethod).op(op::Pop);
    a.push({7, "blue"}).op(op::GetVariable).push({2}).get("mc").push({"attachBitmap"}).op(op::CallMethod).op(op::Pop);
    a.get("mc").push({"_width"}).op(op::GetMember).trace();
    // Anything but a BitmapData attaches nothing.
    a.push({8, "mc"}).op(op::GetVariable).push({2}).get("mc").push({"attachBitmap"}).op(op::CallMethod).op(op::Pop);
    a.get("mc").push({"_width"}).op(op::GetMember).trace().op(op::Stop);
    b.main() = timeline({{action(a)}});
    start();
    EXPECT_TRUE(same(pixelAt(*player, 2, 2), kBlue));
    EXPECT_TRUE(same(pixelAt(*player, 6, 6), kWhite));
    EXPECT_EQ(lines, (Lines{"4", "4"}));
}

TEST_F(ScriptBitmapTest, BitmapFillTilesThePixelsUnderItsMatrixAndFollowsTheirChanges) {
    // A 2x2 bitmap, left column red and right column blue, scaled 5 times: a 10-pixel tile.
    Asm a;
    newClip(a, "mc", 1);
    newOpaqueBitmap(a, "bmp", 2, 2, double(0xFF0000));
    for (int y : {0, 1}) a.push({double(0x0000FF), y, 1, 3}).get("bmp").push({"setPixel"}).op(op::CallMethod).op(op::Pop);
    // m = new flash.geom.Matrix(5, 0, 0, 5, 0, 0)
    a.push({"m", 0, 0, 5, 0, 0, 5, 6}).get("flash").push({"geom"}).op(op::GetMember);
    a.push({"Matrix"}).op(op::NewMethod).op(op::SetVariable);
    a.push({true, "m"}).op(op::GetVariable).push({"bmp"}).op(op::GetVariable).push({3}).get("mc");
    a.push({"beginBitmapFill"}).op(op::CallMethod).op(op::Pop);
    auto call = [&](const char* method, std::initializer_list<op::PushItem> args) {
        a.push(args).get("mc").push({method}).op(op::CallMethod).op(op::Pop);
    };
    call("moveTo", {0, 0, 2});
    call("lineTo", {0, 40, 2});
    call("lineTo", {40, 40, 2});
    call("lineTo", {40, 0, 2});
    call("endFill", {0});
    Asm later;
    later.push({double(0x00FF00), 0, 0, 3}).get("bmp").push({"setPixel"}).op(op::CallMethod).op(op::Pop);
    b.main() = timeline({{action(a)}, {action(later)}});
    start();
    EXPECT_TRUE(same(pixelAt(*player, 2, 2), kRed));
    EXPECT_TRUE(same(pixelAt(*player, 7, 7), kBlue));
    EXPECT_TRUE(same(pixelAt(*player, 12, 2), kRed));  // the next tile
    EXPECT_TRUE(same(pixelAt(*player, 37, 7), kBlue));
    EXPECT_TRUE(same(pixelAt(*player, 45, 5), kWhite));  // outside the drawing
    player->tick();
    EXPECT_TRUE(same(pixelAt(*player, 2, 2), kGreen));
    EXPECT_TRUE(same(pixelAt(*player, 12, 2), kGreen));
    EXPECT_TRUE(same(pixelAt(*player, 2, 7), kRed));
}

}  // namespace
