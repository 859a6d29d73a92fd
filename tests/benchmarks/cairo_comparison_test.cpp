// The comparison is only fair if cairo paints what our renderer paints: every scene must come out
// nearly the same from both, and the difference and summary figures must be computed right.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/benchmarks/image_difference.h"
#include "tests/benchmarks/ratio_table.h"
#include "tests/benchmarks/scene_drawing.h"

namespace swf::bench {
namespace {

TEST(CairoComparison, BothRasterizersPaintTheSamePictureForEveryScene) {
    for (const Scene& scene : comparisonScenes()) {
        SCOPED_TRACE(scene.name);
        RgbaImage ours = drawnByUs(scene), theirs = drawnByCairo(scene);
        // Something was drawn: the frame is not just its background.
        CairoPainter clear(kFrameWidth, kFrameHeight);
        clear.beginFrame(scene.background);
        EXPECT_GT(compareImages(ours, clear.snapshot()).farShare, 0.002);
        // Anti-aliasing differs only along edges; a wrong paint, matrix or fill rule moves far more.
        ImageDifference d = compareImages(ours, theirs);
        ASSERT_TRUE(d.sameSize);
        EXPECT_LT(d.meanChannel, 1.5);
        EXPECT_LT(d.farShare, 0.01);
    }
}

TEST(CairoComparison, FillRuleAndPaintMismatchesShowAsDifferences) {
    std::vector<Scene> scenes = comparisonScenes();
    Scene& stars = scenes.front();  // ellipses and pentagrams, some of them even-odd
    Scene flipped = stars;
    for (ShapePaths& s : flipped.shapes)
        for (FillPath& f : s.layers.front().fills) f.nonZero = !f.nonZero;
    EXPECT_GT(compareImages(drawnByUs(stars), drawnByCairo(flipped)).farShare, 0.002);

    Scene& gradient = scenes[2];
    Scene shifted = gradient;
    shifted.shapes.front().layers.front().fills.front().style.gradient.matrix.tx += 200 * kTwipsPerPixel;
    EXPECT_GT(compareImages(drawnByUs(gradient), drawnByCairo(shifted)).meanChannel, 5);
}

TEST(CairoComparison, ImageDifferenceFigures) {
    RgbaImage a(4, 2), b(4, 2);
    EXPECT_EQ(compareImages(a, b).meanChannel, 0);
    b.at(1, 1)[0] = 200;  // one channel of one pixel far off
    b.at(2, 0)[3] = 10;   // one near
    ImageDifference d = compareImages(a, b);
    EXPECT_DOUBLE_EQ(d.meanChannel, 210.0 / 32);
    EXPECT_DOUBLE_EQ(d.farShare, 1.0 / 8);
    EXPECT_FALSE(compareImages(a, RgbaImage(2, 4)).sameSize);
}

TEST(CairoComparison, SummaryRatiosAndTheirMean) {
    RatioTable table;
    table.recordTime("a", RatioTable::Side::Ours, 10);
    table.recordTime("a", RatioTable::Side::Cairo, 20);
    table.recordTime("b", RatioTable::Side::Ours, 30);
    table.recordTime("b", RatioTable::Side::Ours, 40);  // the median of repetitions replaces single runs
    table.recordTime("b", RatioTable::Side::Cairo, 20);
    table.recordTime("c", RatioTable::Side::Ours, 5);  // never timed on cairo's side: left out
    std::ostringstream out;
    table.print(out);
    const std::string text = out.str();
    EXPECT_NE(text.find("| a | 10.00 | 20.00 | 0.50 |"), std::string::npos) << text;
    EXPECT_NE(text.find("| b | 40.00 | 20.00 | 2.00 |"), std::string::npos) << text;
    EXPECT_EQ(text.find("| c |"), std::string::npos) << text;
    EXPECT_NE(text.find("| geometric mean | | | 1.00 |"), std::string::npos) << text;
}

}  // namespace
}  // namespace swf::bench
