// Filtered layers drawn from kept pixels must look exactly as drawn anew, and be kept only while
// they draw the same.
#include <gtest/gtest.h>

#include <functional>

#include "engine/render/frame_changes.h"
#include "engine/render/layer_cache.h"
#include "engine/render/paint_recording.h"
#include "engine/render/software_renderer.h"
#include "tests/engine/render/test_shapes.h"

namespace swf::render {
namespace {

using swf::test::filledRect;
using swf::test::kBlue;
using swf::test::kRed;
using swf::test::kTwipsToPixels;
using swf::test::polygonContour;

constexpr int kWidth = 120, kHeight = 90;
const IntRect kFrame{0, 0, kWidth, kHeight};
using Scene = std::function<void(Renderer&)>;

Filter glow(Rgba color) {
    Filter f;
    f.kind = Filter::Kind::Glow;
    f.glow.color = color;
    f.glow.blurX = f.glow.blurY = 5;
    f.glow.passes = 2;
    return f;
}

Filter blur() {
    Filter f;
    f.kind = Filter::Kind::Blur;
    f.blur.blurX = f.blur.blurY = 3;
    return f;
}

ShapePaths star(Rgba color) {
    FillPath f;
    f.style = swf::test::solidFill(color);
    f.contours.push_back(polygonContour({{0, -300}, {90, -90}, {300, -60}, {120, 60}, {180, 300}, {0, 150},
                                         {-180, 300}, {-120, 60}, {-300, -60}, {-90, -90}}));
    return swf::test::shapeWithFill(std::move(f));
}

// A glowing star at (x, y) pixels, blurred inside, and a square that moves behind it.
struct Picture {
    double x = 40.25, y = 35.5;
    int squareX = 5;
    Rgba starColor = kRed;
    BlendMode mode = BlendMode::Normal;
    ColorTransform fade;
    bool nested = true;

    void operator()(Renderer& r) const {
        r.drawShape(filledRect(squareX * 20.0, 400, (squareX + 25) * 20.0, 1000, kBlue), kTwipsToPixels, {});
        r.pushLayer(mode, {glow({255, 255, 0, 255})}, fade);
        r.drawShape(star(starColor), Matrix::translate(x, y) * kTwipsToPixels, {});
        if (nested) {
            r.pushLayer(BlendMode::Normal, {blur()});
            r.drawShape(star(kBlue), Matrix::translate(x + 3, y + 2) * kTwipsToPixels * Matrix::scale(0.4, 0.4), {});
            r.popLayer();
        }
        r.popLayer();
    }
};

// Plays pictures as the player does: each recorded against the one before and drawn only where it
// changed, layers from the cache where it has them. Every frame is compared with the same picture
// drawn whole without a cache. Returns, per frame, whether the outer layer came from the cache.
std::vector<bool> playAndCompare(const std::vector<Picture>& pictures, LayerCache& cache) {
    RgbaImage played(kWidth, kHeight);
    SoftwareRenderer player(played);
    std::vector<PaintCall> before;
    std::vector<bool> fromCache;
    for (size_t n = 0; n < pictures.size(); ++n) {
        PaintRecording rec(kWidth, kHeight, &before);
        rec.beginFrame({20, 30, 40, 255});
        pictures[n](rec);
        rec.endFrame();
        std::vector<PaintCall> calls = rec.takeCalls();
        std::vector<IntRect> areas = n == 0 ? std::vector<IntRect>{kFrame} : frameChanges(before, calls, kFrame);
        areas = separateRects(areas, kFrame);
        cache.prepare(calls, kFrame, areas);
        for (const IntRect& area : areas) {
            player.limitTo(area);
            replayArea(calls, player, area, &cache);
        }
        bool outer = false;
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].kind == PaintCall::Kind::PushLayer) {
                outer = cache.finished(i) != nullptr;
                break;
            }
        fromCache.push_back(outer);

        RgbaImage whole(kWidth, kHeight);
        SoftwareRenderer fresh(whole);
        replay(calls, fresh);
        EXPECT_EQ(played.pixels, whole.pixels) << "frame " << n;
        before = std::move(calls);
    }
    return fromCache;
}

TEST(LayerCache, AFilteredLayerThatRepeatsIsDrawnFromItsPixelsWhereverItMoves) {
    Picture first;
    Picture behindMoved = first;
    behindMoved.squareX = 12;  // redraws part of the star, which has not changed
    Picture starMoved = behindMoved;
    starMoved.x += 7;
    starMoved.y -= 4;
    Picture faded = starMoved;
    faded.mode = BlendMode::Multiply;
    faded.fade.aMul = 0.5f;
    faded.fade.rAdd = 30;
    Picture recoloured = faded;
    recoloured.starColor = kBlue;
    Picture again = recoloured;
    again.squareX = 20;
    LayerCache cache;
    std::vector<bool> fromCache = playAndCompare({first, behindMoved, starMoved, faded, recoloured, again}, cache);
    // The first repeat draws the pixels to keep; a new colour inside draws anew, and is kept once it
    // repeats.
    EXPECT_EQ(fromCache, (std::vector<bool>{false, true, true, true, false, true}));
    EXPECT_GT(cache.keptBytes(), 0u);
}

TEST(LayerCache, LayersCutByTheFrameOrBeyondTheBudgetAreDrawnAnew) {
    Picture atEdge;
    atEdge.x = 3;  // the glow runs off the left edge: moved, more of it would show
    Picture atEdgeAgain = atEdge;
    atEdgeAgain.squareX = 14;
    LayerCache cache;
    EXPECT_EQ(playAndCompare({atEdge, atEdgeAgain}, cache), (std::vector<bool>{false, false}));

    Picture inside, insideAgain;
    insideAgain.squareX = 14;
    LayerCache tiny(1000);
    EXPECT_EQ(playAndCompare({inside, insideAgain, insideAgain}, tiny), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(tiny.keptBytes(), 0u);
}

TEST(LayerCache, AnInnerLayerIsKeptWhileTheLayerAroundItChanges) {
    Picture first, second;
    second.starColor = kBlue;  // the outer layer changes; the blurred inner star does not
    Picture third = second;
    third.starColor = {0, 200, 0, 255};
    LayerCache cache;
    playAndCompare({first, second, third}, cache);
    // The outer layer opens at the square's call + 1; the inner one after the star.
    PaintRecording rec(kWidth, kHeight);
    rec.beginFrame({20, 30, 40, 255});
    third(rec);
    rec.endFrame();
    size_t inner = 0, layers = 0;
    for (size_t i = 0; i < rec.calls().size(); ++i)
        if (rec.calls()[i].kind == PaintCall::Kind::PushLayer && ++layers == 2) inner = i;
    ASSERT_NE(inner, 0u);
    EXPECT_NE(cache.finished(inner), nullptr);
}

}  // namespace
}  // namespace swf::render
