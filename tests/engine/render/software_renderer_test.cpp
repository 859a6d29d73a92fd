#include "engine/render/software_renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tests/engine/render/test_shapes.h"

namespace swf {
namespace {

using test::filledRect;

using test::kBlue;
using test::kRed;
using test::kTwipsToPixels;
using test::kWhite;
using test::pixel;

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

TEST(SoftwareRenderer, LowQualityDrawsWholePixelsAndUnsmoothedBitmaps) {
    RgbaImage target(8, 8);
    SoftwareRenderer r(target);
    // Pixel 2 is 70% covered, pixel 5 30%: at low quality the first is painted whole, the second not.
    r.setQuality(Quality::Low);
    r.beginFrame(kWhite);
    r.drawShape(filledRect(tw(2.3), 0, tw(5.3), tw(8), kRed), kTwipsToPixels, {});
    EXPECT_EQ(pixel(target, 2, 4), kRed);
    EXPECT_EQ(pixel(target, 4, 4), kRed);
    EXPECT_EQ(pixel(target, 5, 4), kWhite);
    EXPECT_EQ(pixel(target, 1, 4), kWhite);
    // A smoothed bitmap fill (black and white texels, 4 pixels each) shows no grey between them.
    auto bitmap = std::make_shared<RgbaImage>(2, 1);
    bitmap->pixels = {0, 0, 0, 255, 255, 255, 255, 255};
    FillPath f;
    f.style.kind = FillStyle::Kind::Bitmap;
    f.style.bitmap = bitmap;
    f.style.bitmapOpaque = true;
    f.style.bitmapSmoothed = true;
    f.style.bitmapRepeating = false;
    f.style.bitmapMatrix = Matrix::scale(4 * kTwipsPerPixel, 4 * kTwipsPerPixel);
    f.contours.push_back(test::rectContour(0, 0, tw(8), tw(8)));
    ShapePaths picture = test::shapeWithFill(f);
    auto grey = [&] {
        int n = 0;
        for (int x = 0; x < 8; ++x) n += pixel(target, x, 2).r != 0 && pixel(target, x, 2).r != 255;
        return n;
    };
    r.drawShape(picture, kTwipsToPixels, {});
    EXPECT_EQ(grey(), 0);
    // Back at high quality the same fill blends across the texel edge, and edges are smooth again.
    r.setQuality(Quality::High);
    r.beginFrame(kWhite);
    r.drawShape(picture, kTwipsToPixels, {});
    EXPECT_GT(grey(), 0);
    r.beginFrame(kWhite);
    r.drawShape(filledRect(tw(2.3), 0, tw(5.3), tw(8), kRed), kTwipsToPixels, {});
    EXPECT_NEAR(pixel(target, 2, 4).g, 0.3 * 255, 2);
}

TEST(SoftwareRenderer, FillsOfOneLayerMeetWithoutASeam) {
    // Red and blue share an edge through the middle of pixel column 4, drawn as two fills of one layer.
    ShapePaths shape = filledRect(0, 0, tw(4.5), tw(8), kRed);
    FillPath blue;
    blue.style = test::solidFill(kBlue);
    blue.contours.push_back(test::rectContour(tw(4.5), 0, tw(8), tw(8)));
    shape.layers[0].fills.push_back(blue);
    RgbaImage target(8, 8);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    r.drawShape(shape, kTwipsToPixels, {});
    Rgba edge = pixel(target, 4, 3);
    EXPECT_NEAR(edge.r, 128, 1);  // half red, half blue, and none of the white behind
    EXPECT_EQ(edge.g, 0);
    EXPECT_NEAR(edge.b, 127, 1);
    EXPECT_EQ(pixel(target, 2, 3), kRed);
    EXPECT_EQ(pixel(target, 6, 3), kBlue);
    // The same two fills in separate layers are blended one after the other.
    ShapePaths layered = filledRect(0, 0, tw(4.5), tw(8), kRed);
    layered.layers.emplace_back();
    layered.layers[1].fills.push_back(blue);
    r.beginFrame(kWhite);
    r.drawShape(layered, kTwipsToPixels, {});
    EXPECT_NEAR(pixel(target, 4, 3).g, 64, 1);
}

}  // namespace
}  // namespace swf

namespace swf {
namespace {

TEST(SoftwareRenderer, MalformedShapesAndTransformsDrawNothingWrongAndNeverCrash) {
    RgbaImage target(32, 32);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    const double nan = std::nan("");
    ShapePaths square = filledRect(0, 0, 400, 400, kRed);
    r.drawShape(square, Matrix{nan, 0, 0, 1, 0, 0}, {});
    r.drawShape(square, Matrix{1e300, 0, 0, 1e300, -1e300, 0}, {});
    r.drawShape(square, Matrix{0, 0, 0, 0, 5, 5}, {});  // squashed to a point
    ColorTransform wild{nan, 1e30f, -1e30f, 1, nan, 0, 0, 0};
    r.drawShape(square, kTwipsToPixels, wild);

    // Gradients with no stops, out-of-order stops and a singular matrix; a bitmap whose pixel
    // buffer is shorter than its size says.
    ShapePaths gradient = filledRect(0, 0, 640, 640, kRed);
    FillStyle& g = gradient.layers[0].fills[0].style;
    g.kind = FillStyle::Kind::FocalGradient;
    g.gradient.focalPoint = 7;
    r.drawShape(gradient, kTwipsToPixels, {});
    g.gradient.stops = {{200, kRed}, {10, kBlue}, {10, kWhite}};
    g.gradient.matrix = Matrix{0, 0, 0, 0, 0, 0};
    r.drawShape(gradient, kTwipsToPixels, {});
    auto shortBitmap = std::make_shared<RgbaImage>();
    shortBitmap->width = 1000;
    shortBitmap->height = 1000;
    g.kind = FillStyle::Kind::Bitmap;
    g.bitmap = shortBitmap;
    r.drawShape(gradient, kTwipsToPixels, {});

    // Strokes of absurd widths and contours without segments.
    ShapePaths strokes;
    strokes.layers.emplace_back();
    for (double width : {nan, -5.0, 1e30, 0.0}) {
        StrokePath s;
        s.style.width = width;
        s.style.miterLimit = nan;
        s.style.join = JoinStyle::Miter;
        Contour c;
        c.start = {10, 10};
        c.segments.push_back({{nan, 10}, {600, 600}, true});
        s.contours.push_back(c);
        s.contours.push_back(Contour{});
        strokes.layers[0].strokes.push_back(s);
    }
    r.drawShape(strokes, kTwipsToPixels, {});

    // Filters with extreme parameters.
    Filter blur;
    blur.kind = Filter::Kind::Blur;
    blur.blur.blurX = 1e9;
    blur.blur.blurY = nan;
    blur.blur.passes = 1000;
    Filter shadow;
    shadow.kind = Filter::Kind::DropShadow;
    shadow.dropShadow.distance = 1e12;
    shadow.dropShadow.angle = nan;
    shadow.dropShadow.strength = 1e9;
    r.pushLayer(BlendMode(200), {blur, shadow});
    r.drawShape(filledRect(100, 100, 300, 300, kBlue), kTwipsToPixels, {});
    r.popLayer();
    r.endFrame();

    // The target keeps its size and stays opaque, as a frame of the stage must.
    EXPECT_EQ(target.pixels.size(), size_t(32 * 32 * 4));
    for (size_t i = 3; i < target.pixels.size(); i += 4) ASSERT_EQ(target.pixels[i], 255);
}

TEST(SoftwareRenderer, DeepNestingIsBoundedAndStaysBalanced) {
    RgbaImage target(16, 16);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    // A hundred nested masked layers: those beyond the limit get no planes, yet every pop matches
    // its push and drawing after them is unaffected.
    for (int i = 0; i < 100; ++i) {
        r.beginMask();
        r.drawShape(filledRect(0, 0, tw(16 - i * 0.1), tw(16), kRed), kTwipsToPixels, {});
        r.endMask();
        r.pushLayer(BlendMode::Multiply, {});
    }
    r.drawShape(filledRect(0, 0, tw(8), tw(8), kBlue), kTwipsToPixels, {});
    for (int i = 0; i < 100; ++i) {
        r.popLayer();
        r.popMask();
    }
    EXPECT_EQ(pixel(target, 2, 2), kBlue);  // the innermost content still reached the stage
    r.drawShape(filledRect(tw(12), tw(12), tw(16), tw(16), kRed), kTwipsToPixels, {});
    EXPECT_EQ(pixel(target, 14, 14), kRed);  // no mask left behind
    // A target resized in the middle of a frame stops drawing instead of overrunning a plane.
    r.pushLayer(BlendMode::Normal, {});
    target = RgbaImage(64, 64);
    r.drawShape(filledRect(0, 0, tw(64), tw(64), kRed), kTwipsToPixels, {});
    r.popLayer();
    r.endFrame();
}

TEST(SoftwareRenderer, TargetSizeMayChangeBetweenFrames) {
    RgbaImage target(8, 8);
    SoftwareRenderer r(target);
    for (int size : {8, 40, 3, 0, 17}) {
        target = RgbaImage(size, size);
        r.beginFrame(kWhite);
        r.beginMask();
        r.drawShape(filledRect(0, 0, 10000, 10000, kRed), kTwipsToPixels, {});
        r.endMask();
        r.pushLayer(BlendMode::Multiply, {});
        r.drawShape(filledRect(0, 0, 10000, 10000, kBlue), kTwipsToPixels, {});
        r.popLayer();
        r.popMask();
        r.endFrame();
        if (size > 0) {
            EXPECT_EQ(pixel(target, size - 1, size - 1), kBlue) << size;
        }
    }
}

}  // namespace
}  // namespace swf
