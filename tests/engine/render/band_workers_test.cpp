// Frames drawn by several threads, each on its own rows, must equal the frame drawn whole by one
// renderer, whatever the number of threads and however the rows are cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/render/band_workers.h"
#include "engine/render/frame_changes.h"
#include "engine/render/paint_recording.h"
#include "engine/render/software_renderer.h"
#include "tests/engine/render/test_shapes.h"

namespace swf::render {
namespace {

using swf::test::filledRect;
using swf::test::kBlue;
using swf::test::kRed;
using swf::test::kTwipsToPixels;

constexpr int kWidth = 160, kHeight = 150;

ShapePaths square(double x, double y, double size, Rgba color) {
    return filledRect(x * kTwipsPerPixel, y * kTwipsPerPixel, (x + size) * kTwipsPerPixel, (y + size) * kTwipsPerPixel,
                      color);
}

// A frame with what crosses rows in every way a band can cut it: a rotated shape, a blurred layer
// (whose content reaches across band edges), a mask, and a multiply layer over the others.
std::vector<PaintCall> scene(double shift) {
    PaintRecording rec(kWidth, kHeight);
    Renderer& r = rec;
    r.beginFrame({20, 30, 40, 255});
    r.drawShape(square(-10, -10, 20, kRed), Matrix::translate(60 + shift, 50) * Matrix::scale(2, 2) *
                                                  Matrix{0.8, 0.6, -0.6, 0.8, 0, 0} * kTwipsToPixels, {});
    Filter blur;
    blur.kind = Filter::Kind::Blur;
    blur.blur.blurX = blur.blur.blurY = 12;
    blur.blur.passes = 3;
    r.pushLayer(BlendMode::Normal, {blur});
    r.drawShape(square(30 + shift, 70, 40, kBlue), kTwipsToPixels, {});
    r.popLayer();
    r.beginMask();
    r.drawShape(square(10, 20 + shift, 90, {255, 255, 255, 255}), kTwipsToPixels, {});
    r.endMask();
    r.drawShape(square(0, 0, 160, {0, 200, 0, 128}), kTwipsToPixels, {});
    r.popMask();
    r.pushLayer(BlendMode::Multiply, {});
    r.drawShape(square(80, 40 + shift, 60, {200, 100, 250, 255}), kTwipsToPixels, {});
    r.popLayer();
    r.endFrame();
    return rec.takeCalls();
}

RgbaImage drawnWhole(const std::vector<PaintCall>& calls) {
    RgbaImage image(kWidth, kHeight);
    SoftwareRenderer renderer(image);
    replay(calls, renderer);
    return image;
}

TEST(BandWorkers, EveryThreadCountDrawsTheFrameAsOneRendererDoes) {
    const std::vector<PaintCall> first = scene(0), second = scene(7);
    const IntRect frame{0, 0, kWidth, kHeight};
    const RgbaImage expected = drawnWhole(second);
    for (int threads = 1; threads <= kMaxDrawingThreads; ++threads) {
        SCOPED_TRACE(threads);
        RgbaImage target(kWidth, kHeight);
        BandWorkers workers(target, threads);
        EXPECT_EQ(workers.threads(), threads);
        workers.draw(first, {frame});
        EXPECT_EQ(target.pixels, drawnWhole(first).pixels);
        // Then only where the second frame differs, onto the first.
        std::vector<IntRect> areas = separateRects(frameChanges(first, second, frame), frame);
        ASSERT_FALSE(areas.empty());
        workers.draw(second, areas);
        EXPECT_EQ(target.pixels, expected.pixels);
        // The same workers again, many times over: the hand-over between threads holds up.
        for (int i = 0; i < 20; ++i) workers.draw(i % 2 ? second : first, {frame});
        EXPECT_EQ(target.pixels, expected.pixels);
    }
}

TEST(BandWorkers, PixelsOutsideTheAreasAreLeftAndTinyAreasStillDraw) {
    const std::vector<PaintCall> calls = scene(3);
    const RgbaImage whole = drawnWhole(calls);
    RgbaImage target(kWidth, kHeight);
    std::fill(target.pixels.begin(), target.pixels.end(), uint8_t{7});
    BandWorkers workers(target, kMaxDrawingThreads);
    // A single row, a single pixel, a column, a piece at the bottom corner and an empty area: fewer
    // rows than threads.
    const std::vector<IntRect> areas{{0, 5, kWidth, 6}, {17, 60, 18, 61}, {40, 20, 41, 50}, {40, 70, 60, 70},
                                     {kWidth - 9, kHeight - 1, kWidth, kHeight}};
    workers.draw(calls, areas);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            bool drawn = false;
            for (const IntRect& a : areas) drawn |= x >= a.x0 && x < a.x1 && y >= a.y0 && y < a.y1;
            const uint8_t* got = target.at(x, y);
            if (drawn) ASSERT_EQ(std::memcmp(got, whole.at(x, y), 4), 0) << x << "," << y;
            else ASSERT_EQ(got[0], 7) << x << "," << y;
        }
    // Nothing to draw is nothing done.
    workers.draw(calls, {});
}

// Each small tile drawn alone, with only the shapes whose reach covers it, comes out as in the whole
// frame: the blurred layer's content must still be drawn for pixels its blur reaches, on every side.
TEST(BandWorkers, ShapesLeftOutOfATileDoNotChangeIt) {
    const std::vector<PaintCall> calls = scene(0);
    const RgbaImage whole = drawnWhole(calls);
    RgbaImage target(kWidth, kHeight);
    SoftwareRenderer renderer(target);
    int skippedSomewhere = 0;
    for (int y = 0; y < kHeight; y += 3)
        for (int x = 0; x < kWidth; x += 7) {
            const IntRect tile = IntRect{x, y, x + 7, y + 3}.intersected({0, 0, kWidth, kHeight});
            for (const PaintCall& c : calls)
                if (c.kind == PaintCall::Kind::Shape && c.reach.intersected(tile).empty()) ++skippedSomewhere;
            renderer.limitTo(tile);
            replayArea(calls, renderer, tile);
            for (int row = tile.y0; row < tile.y1; ++row)
                ASSERT_EQ(std::memcmp(target.at(tile.x0, row), whole.at(tile.x0, row), size_t(tile.width()) * 4), 0)
                    << "tile at " << x << "," << row;
        }
    EXPECT_GT(skippedSomewhere, 0);
}

TEST(BandWorkers, ThreadCountsAreKeptWithinTheLimit) {
    RgbaImage target(8, 8);
    EXPECT_EQ(BandWorkers(target, 99).requestedThreads(), kMaxDrawingThreads);
    EXPECT_EQ(BandWorkers(target, 0).requestedThreads(), defaultDrawingThreads());
    EXPECT_GE(defaultDrawingThreads(), 1);
    EXPECT_LE(defaultDrawingThreads(), kMaxDrawingThreads);
}

}  // namespace
}  // namespace swf::render
