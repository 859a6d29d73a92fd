// Redrawing only where a frame changed must give the picture drawing it whole gives.
#include <gtest/gtest.h>

#include <algorithm>

#include <functional>

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

constexpr int kWidth = 96, kHeight = 80;
using Scene = std::function<void(Renderer&)>;

std::vector<PaintCall> record(const Scene& scene, const std::vector<PaintCall>* earlier = nullptr) {
    PaintRecording rec(kWidth, kHeight, earlier);
    rec.beginFrame({20, 30, 40, 255});
    scene(rec);
    rec.endFrame();
    return rec.takeCalls();
}

ShapePaths square(double x, double y, double size, Rgba color) {
    return filledRect(x * kTwipsPerPixel, y * kTwipsPerPixel, (x + size) * kTwipsPerPixel, (y + size) * kTwipsPerPixel,
                      color);
}

// Draws `first`, then `second` piece by piece where it changed, and compares with `second` drawn
// whole. Returns the changed rectangles.
std::vector<IntRect> expectBandedRedrawEqualsWhole(const Scene& first, const Scene& second) {
    const IntRect frame{0, 0, kWidth, kHeight};
    RgbaImage banded(kWidth, kHeight), whole(kWidth, kHeight);
    SoftwareRenderer bandedRenderer(banded), wholeRenderer(whole);
    // The second frame is recorded as a player records it, sharing what it can with the first.
    std::vector<PaintCall> before = record(first), after = record(second, &before);
    replay(before, bandedRenderer);
    std::vector<IntRect> changes = frameChanges(before, after, frame);
    for (const IntRect& area : separateRects(changes, frame)) {
        bandedRenderer.limitTo(area);
        replay(after, bandedRenderer);
    }
    replay(after, wholeRenderer);
    EXPECT_EQ(banded.pixels, whole.pixels);
    return changes;
}

bool covers(const std::vector<IntRect>& rects, int x, int y) {
    for (const IntRect& r : rects)
        if (x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1) return true;
    return false;
}

TEST(FrameChanges, SameFrameChangesNothingAndMovedShapeChangesBothPlaces) {
    Scene still = [](Renderer& r) { r.drawShape(square(10, 10, 8, kRed), kTwipsToPixels, {}); };
    EXPECT_TRUE(frameChanges(record(still), record(still), {0, 0, kWidth, kHeight}).empty());

    Scene moved = [](Renderer& r) { r.drawShape(square(60, 50, 8, kRed), kTwipsToPixels, {}); };
    auto changes = expectBandedRedrawEqualsWhole(still, moved);
    EXPECT_TRUE(covers(changes, 14, 14));
    EXPECT_TRUE(covers(changes, 64, 54));
    EXPECT_FALSE(covers(changes, 40, 70));
}

TEST(FrameChanges, AFrameSharesThePathsItDrawsAgainAndSeesThoseThatChanged) {
    const ShapePaths red = square(10, 10, 8, kRed), blue = square(40, 10, 8, kBlue);
    std::vector<PaintCall> first = record([&](Renderer& r) {
        r.drawShape(red, kTwipsToPixels, {});
        r.drawShape(blue, kTwipsToPixels, {});
    });
    ShapePaths bluer = blue;
    bluer.layers[0].fills[0].style.color.b = 200;  // the same outline, another colour
    ShapePaths added = square(70, 50, 4, kRed);
    std::vector<PaintCall> second = record([&](Renderer& r) {
        r.drawShape(added, kTwipsToPixels, {});        // a new call in front shifts the others
        r.drawShape(red, Matrix::translate(3, 0) * kTwipsToPixels, {});  // moved, same paths
        r.drawShape(bluer, kTwipsToPixels, {});
    }, &first);
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(second[2].shape, first[1].shape);
    EXPECT_NE(second[2].reach, first[1].reach);
    EXPECT_NE(second[3].shape, first[2].shape);
    EXPECT_EQ(*second[3].shape, bluer);
    EXPECT_EQ(*second[1].shape, added);

    auto changes = frameChanges(first, second, {0, 0, kWidth, kHeight});
    EXPECT_TRUE(covers(changes, 44, 14));  // recoloured in place
    EXPECT_TRUE(covers(changes, 10, 14));  // moved away from here
    EXPECT_TRUE(covers(changes, 72, 52));  // added
}

TEST(FrameChanges, SwappedDrawingOrderChangesTheOverlap) {
    Scene redOnTop = [](Renderer& r) {
        r.drawShape(square(10, 10, 20, kBlue), kTwipsToPixels, {});
        r.drawShape(square(20, 20, 20, kRed), kTwipsToPixels, {});
        r.drawShape(square(70, 60, 5, kBlue), kTwipsToPixels, {});
    };
    Scene blueOnTop = [](Renderer& r) {
        r.drawShape(square(20, 20, 20, kRed), kTwipsToPixels, {});
        r.drawShape(square(10, 10, 20, kBlue), kTwipsToPixels, {});
        r.drawShape(square(70, 60, 5, kBlue), kTwipsToPixels, {});
    };
    auto changes = expectBandedRedrawEqualsWhole(redOnTop, blueOnTop);
    EXPECT_TRUE(covers(changes, 25, 25));
    EXPECT_FALSE(covers(changes, 72, 62));
}

TEST(FrameChanges, FiltersAndMasksSpreadTheChange) {
    auto blurred = [](double x) {
        return [x](Renderer& r) {
            r.drawShape(square(5, 5, 80, kBlue), kTwipsToPixels, {});
            Filter blur;
            blur.kind = Filter::Kind::Blur;
            blur.blur.blurX = blur.blur.blurY = 9;
            blur.blur.passes = 2;
            r.pushLayer(BlendMode::Normal, {blur});
            r.drawShape(square(x, 30, 10, kRed), kTwipsToPixels, {});
            r.popLayer();
            r.beginMask();
            r.drawShape(square(50, 40, 30, kRed), kTwipsToPixels, {});
            r.endMask();
            r.drawShape(square(x + 20, 45, 20, kRed), kTwipsToPixels, {});
            r.popMask();
        };
    };
    auto changes = expectBandedRedrawEqualsWhole(blurred(20), blurred(26));
    // The blur carries the small square's change well beyond its outline.
    EXPECT_TRUE(covers(changes, 24, 22));
    expectBandedRedrawEqualsWhole(blurred(26), [](Renderer& r) { r.drawShape(square(0, 0, 4, kRed), kTwipsToPixels, {}); });
}

TEST(FrameChanges, ManyChangesAreTheWholeFrame) {
    Scene many = [](Renderer& r) {
        for (int i = 0; i < 900; ++i) r.drawShape(square(i % 90, i % 70, 2, kRed), kTwipsToPixels, {});
    };
    Scene none = [](Renderer&) {};
    const IntRect frame{0, 0, kWidth, kHeight};
    auto changes = frameChanges(record(none), record(many), frame);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], frame);

}

TEST(FrameChanges, SeparateRectsCoverTheSamePixelsWithoutOverlap) {
    const IntRect frame{0, 0, kWidth, kHeight};
    // A cross, a rectangle inside another, one touching another's side, one partly off the frame,
    // and an empty one.
    const std::vector<IntRect> rects{{10, 20, 60, 26}, {30, 5, 36, 50}, {70, 52, 90, 58}, {75, 54, 80, 56},
                                     {60, 60, 70, 70}, {70, 60, 75, 70}, {-5, 72, 4, 90}, {50, 50, 50, 60}};
    const std::vector<IntRect> separate = separateRects(rects, frame);
    for (int y = -2; y < kHeight + 2; ++y)
        for (int x = -6; x < kWidth + 2; ++x) {
            int count = 0;
            for (const IntRect& r : separate) count += x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
            const bool wanted = x >= 0 && y >= 0 && x < kWidth && y < kHeight && covers(rects, x, y);
            ASSERT_EQ(count, wanted ? 1 : 0) << x << "," << y;
        }
    for (size_t i = 1; i < separate.size(); ++i) EXPECT_LE(separate[i - 1].y0, separate[i].y0);
    // Bands alike are joined: the rectangle inside another adds nothing; the two side by side become one.
    EXPECT_EQ(std::count(separate.begin(), separate.end(), IntRect{70, 52, 90, 58}), 1);
    EXPECT_EQ(std::count(separate.begin(), separate.end(), IntRect{60, 60, 75, 70}), 1);
    EXPECT_TRUE(separateRects({}, frame).empty());
}

}  // namespace
}  // namespace swf::render
