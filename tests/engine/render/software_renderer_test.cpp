#include "engine/render/software_renderer.h"

#include <gtest/gtest.h>

#include "tests/engine/render/test_shapes.h"

namespace swf {
namespace {

using test::filledRect;

const Rgba kWhite{255, 255, 255, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Matrix kTwipsToPixels = Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);

Rgba pixel(const RgbaImage& img, int x, int y) {
    const uint8_t* p = img.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// Twips of a pixel coordinate.
double tw(double px) { return px * kTwipsPerPixel; }

TEST(SoftwareRenderer, SolidFillsPaintInOrderOverTheBackground) {
    RgbaImage target(16, 16);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    r.drawShape(filledRect(tw(2), tw(2), tw(10), tw(10), kRed), kTwipsToPixels, {});
    r.drawShape(filledRect(tw(6), tw(6), tw(14), tw(14), kBlue), kTwipsToPixels, {});
    r.endFrame();
    EXPECT_EQ(pixel(target, 0, 0), kWhite);
    EXPECT_EQ(pixel(target, 3, 3), kRed);
    EXPECT_EQ(pixel(target, 7, 7), kBlue);
    EXPECT_EQ(pixel(target, 13, 13), kBlue);
    EXPECT_EQ(pixel(target, 14, 14), kWhite);
}

TEST(SoftwareRenderer, EdgesAndTranslucentFillsBlendWithWhatIsBelow) {
    RgbaImage target(8, 8);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    // Half a pixel of red over white at x = 2; a half-transparent blue square elsewhere.
    r.drawShape(filledRect(tw(2.5), 0, tw(4), tw(8), kRed), kTwipsToPixels, {});
    r.drawShape(filledRect(tw(5), 0, tw(8), tw(8), Rgba{0, 0, 255, 128}), kTwipsToPixels, {});
    Rgba edge = pixel(target, 2, 4);
    EXPECT_EQ(edge.r, 255);
    EXPECT_NEAR(edge.g, 128, 1);
    EXPECT_EQ(edge.a, 255);
    Rgba glass = pixel(target, 6, 4);
    EXPECT_NEAR(glass.r, 127, 1);
    EXPECT_NEAR(glass.b, 255, 1);
    EXPECT_EQ(glass.a, 255);
}

}  // namespace
}  // namespace swf
