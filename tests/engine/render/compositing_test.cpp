// Masks, layers with blend modes, and filters, through the renderer's interface.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/render/layer_filters.h"
#include "engine/render/software_renderer.h"
#include "tests/engine/render/test_shapes.h"

namespace swf {
namespace {

using test::filledRect;

using test::kBlue;
using test::kRed;
using test::kTwipsToPixels;
using test::kWhite;
using test::pixel;
const Matrix kPixels = kTwipsToPixels;
ShapePaths rectPx(double x0, double y0, double x1, double y1, Rgba c) {
    return filledRect(x0 * 20, y0 * 20, x1 * 20, y1 * 20, c);
}
void expectNear(Rgba actual, Rgba expected, int tolerance, const char* what) {
    EXPECT_LE(std::abs(actual.r - expected.r), tolerance) << what << " r " << int(actual.r);
    EXPECT_LE(std::abs(actual.g - expected.g), tolerance) << what << " g " << int(actual.g);
    EXPECT_LE(std::abs(actual.b - expected.b), tolerance) << what << " b " << int(actual.b);
    EXPECT_LE(std::abs(actual.a - expected.a), tolerance) << what << " a " << int(actual.a);
}

TEST(Masks, ClipDrawsAndNestedMasksIntersect) {
    RgbaImage target(20, 20);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    r.beginMask();
    r.drawShape(rectPx(0, 0, 10, 20, {0, 0, 0, 0}), kPixels, {});  // alpha does not matter in a mask
    r.endMask();
    r.beginMask();
    r.drawShape(rectPx(5, 0, 20, 10, kRed), kPixels, {});
    r.endMask();
    r.drawShape(rectPx(0, 0, 20, 20, kRed), kPixels, {});
    r.popMask();
    // Inside only the first mask now.
    r.drawShape(rectPx(0, 15, 20, 20, Rgba{0, 0, 255, 255}), kPixels, {});
    r.popMask();
    r.drawShape(rectPx(18, 18, 20, 20, Rgba{0, 255, 0, 255}), kPixels, {});
    r.endFrame();
    EXPECT_EQ(pixel(target, 7, 5), kRed);    // in both masks
    EXPECT_EQ(pixel(target, 2, 5), kWhite);  // in the first only
    EXPECT_EQ(pixel(target, 12, 5), kWhite); // in the second only
    EXPECT_EQ(pixel(target, 5, 17), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixel(target, 12, 17), kWhite);
    EXPECT_EQ(pixel(target, 19, 19), (Rgba{0, 255, 0, 255}));  // no mask left
}

TEST(Masks, DisjointNestedMasksShowNothingAndUnbalancedCallsEndWithTheFrame) {
    RgbaImage target(10, 10);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    r.beginMask();
    r.drawShape(rectPx(0, 0, 3, 3, kRed), kPixels, {});
    r.endMask();
    r.beginMask();
    r.drawShape(rectPx(6, 6, 9, 9, kRed), kPixels, {});
    r.endMask();
    r.drawShape(rectPx(0, 0, 10, 10, kRed), kPixels, {});
    r.endFrame();  // masks left open
    EXPECT_EQ(pixel(target, 1, 1), kWhite);
    EXPECT_EQ(pixel(target, 7, 7), kWhite);
    r.beginFrame(kWhite);
    r.popMask();  // nothing to pop
    r.popLayer();
    r.drawShape(rectPx(0, 0, 10, 10, kRed), kPixels, {});
    EXPECT_EQ(pixel(target, 5, 5), kRed);
}

TEST(Layers, BlendModesOnKnownPixels) {
    const Rgba below{200, 100, 50, 255};
    const Rgba above{100, 150, 250, 255};
    struct Case {
        BlendMode mode;
        Rgba expected;
    } cases[] = {
        {BlendMode::Normal, above},
        {BlendMode::Layer, above},
        {BlendMode::Multiply, {78, 59, 49, 255}},
        {BlendMode::Screen, {222, 191, 251, 255}},
        {BlendMode::Lighten, {200, 150, 250, 255}},
        {BlendMode::Darken, {100, 100, 50, 255}},
        {BlendMode::Difference, {100, 50, 200, 255}},
        {BlendMode::Add, {255, 250, 255, 255}},
        {BlendMode::Subtract, {100, 0, 0, 255}},
        {BlendMode::Invert, {55, 155, 205, 255}},
        {BlendMode::Overlay, {188, 118, 98, 255}},
        {BlendMode::HardLight, {157, 127, 247, 255}},
        {BlendMode::Alpha, below},  // the stage is opaque: nothing for them to act on
        {BlendMode::Erase, below},
    };
    for (const Case& c : cases) {
        RgbaImage target(8, 8);
        SoftwareRenderer r(target);
        r.beginFrame(below);
        r.pushLayer(c.mode, {});
        r.drawShape(rectPx(2, 2, 6, 6, above), kPixels, {});
        r.popLayer();
        r.endFrame();
        expectNear(pixel(target, 3, 3), c.expected, 1, "inside");
        EXPECT_EQ(pixel(target, 0, 0), below) << int(c.mode);  // outside the layer's content
    }
}

TEST(Layers, AlphaAndEraseActOnTheLayerTheyAreDrawnInto) {
    for (BlendMode mode : {BlendMode::Alpha, BlendMode::Erase}) {
        RgbaImage target(8, 8);
        SoftwareRenderer r(target);
        r.beginFrame(kWhite);
        r.pushLayer(BlendMode::Layer, {});
        r.drawShape(rectPx(0, 0, 8, 8, kRed), kPixels, {});
        r.pushLayer(mode, {});
        r.drawShape(rectPx(0, 0, 4, 8, Rgba{0, 0, 0, 255}), kPixels, {});
        r.drawShape(rectPx(4, 0, 8, 2, Rgba{0, 0, 0, 128}), kPixels, {});
        r.popLayer();
        r.popLayer();
        r.endFrame();
        Rgba left = pixel(target, 1, 1), right = pixel(target, 6, 6);
        if (mode == BlendMode::Alpha) {
            expectNear(left, kRed, 0, "opaque alpha shape keeps the layer");
            EXPECT_EQ(right, kRed);  // where there is no alpha shape, nothing changes
            expectNear(pixel(target, 6, 1), {255, 127, 127, 255}, 1, "half alpha");
        } else {
            EXPECT_EQ(left, kWhite);  // erased
            EXPECT_EQ(right, kRed);
            expectNear(pixel(target, 6, 1), {255, 128, 128, 255}, 1, "half erased");
        }
    }
}

TEST(Layers, LayerTransformFadesTheGroupAsOne) {
    // Two overlapping opaque squares faded to half as a group: the overlap is no darker than the rest.
    RgbaImage target(12, 12);
    SoftwareRenderer r(target);
    ColorTransform half;
    half.aMul = 0.5;
    r.beginFrame(kWhite);
    r.pushLayer(BlendMode::Layer, {}, half);
    r.drawShape(rectPx(0, 0, 8, 8, kRed), kPixels, {});
    r.drawShape(rectPx(4, 4, 12, 12, kRed), kPixels, {});
    r.popLayer();
    expectNear(pixel(target, 2, 2), {255, 128, 128, 255}, 1, "single");
    expectNear(pixel(target, 6, 6), {255, 128, 128, 255}, 1, "overlap");
    EXPECT_EQ(pixel(target, 10, 1), kWhite);
}

TEST(Layers, MaskedLayerIsClippedOnceNotTwice) {
    RgbaImage target(10, 10);
    SoftwareRenderer r(target);
    r.beginFrame(kWhite);
    r.beginMask();
    r.drawShape(rectPx(0, 0, 4.5, 10, kRed), kPixels, {});
    r.endMask();
    r.pushLayer(BlendMode::Multiply, {});
    r.drawShape(rectPx(0, 0, 10, 10, Rgba{0, 0, 0, 255}), kPixels, {});
    r.popLayer();
    r.popMask();
    EXPECT_EQ(pixel(target, 2, 2), (Rgba{0, 0, 0, 255}));
    expectNear(pixel(target, 4, 2), {128, 128, 128, 255}, 2, "mask edge at half coverage");
    EXPECT_EQ(pixel(target, 6, 2), kWhite);
}

long alphaSum(const RgbaImage& img) {
    long s = 0;
    for (size_t i = 3; i < img.pixels.size(); i += 4) s += img.pixels[i];
    return s;
}

TEST(Filters, BlurSpreadsContentButKeepsItsTotalAlpha) {
    for (int passes : {1, 2, 3}) {
        RgbaImage layer(64, 64);
        for (int y = 20; y < 30; ++y)
            for (int x = 24; x < 34; ++x) {
                uint8_t* p = layer.at(x, y);
                p[0] = 255;
                p[3] = 255;
            }
        Filter f;
        f.kind = Filter::Kind::Blur;
        f.blur.blurX = 8;
        f.blur.blurY = 5;
        f.blur.passes = passes;
        render::FilterScratch scratch;
        long before = alphaSum(layer);
        render::IntRect area = render::applyLayerFilters(layer, {24, 20, 34, 30}, {f}, scratch);
        EXPECT_NEAR(double(alphaSum(layer)), double(before), before * 0.01) << passes;
        EXPECT_LT(layer.at(24, 20)[3], 128);  // the corner thinned out
        EXPECT_GT(layer.at(22, 25)[3], 0);    // and spread sideways
        EXPECT_LE(area.x0, 24 - 4);
        EXPECT_EQ(layer.at(28, 25)[0], layer.at(28, 25)[3]);  // still premultiplied red
    }
}

TEST(Filters, DropShadowGlowAndColourMatrix) {
    RgbaImage target(40, 40);
    SoftwareRenderer r(target);
    Filter shadow;
    shadow.kind = Filter::Kind::DropShadow;
    shadow.dropShadow.color = {0, 0, 0, 255};
    shadow.dropShadow.blurX = shadow.dropShadow.blurY = 1;  // hard shadow
    shadow.dropShadow.distance = 5;
    shadow.dropShadow.angle = 0;  // to the right
    r.beginFrame(kWhite);
    r.pushLayer(BlendMode::Normal, {shadow});
    r.drawShape(rectPx(10, 10, 20, 20, kRed), kPixels, {});
    r.popLayer();
    EXPECT_EQ(pixel(target, 15, 15), kRed);                   // the object stays on top
    EXPECT_EQ(pixel(target, 22, 15), (Rgba{0, 0, 0, 255}));   // its shadow shows beside it
    EXPECT_EQ(pixel(target, 8, 15), kWhite);

    Filter glow;
    glow.kind = Filter::Kind::Glow;
    glow.glow.color = {0, 255, 0, 255};
    glow.glow.blurX = glow.glow.blurY = 6;
    glow.glow.knockout = true;
    r.beginFrame(kWhite);
    r.pushLayer(BlendMode::Normal, {glow});
    r.drawShape(rectPx(10, 10, 20, 20, kRed), kPixels, {});
    r.popLayer();
    EXPECT_EQ(pixel(target, 15, 15), kWhite);  // knocked out
    Rgba halo = pixel(target, 8, 15);
    EXPECT_LT(halo.r, 255);
    EXPECT_EQ(halo.g, 255);

    Filter gray;
    gray.kind = Filter::Kind::ColorMatrix;
    gray.colorMatrix.matrix = {0.3f, 0.59f, 0.11f, 0, 0, 0.3f, 0.59f, 0.11f, 0, 0,
                               0.3f, 0.59f, 0.11f, 0, 0, 0, 0, 0, 1, 0};
    r.beginFrame(kWhite);
    r.pushLayer(BlendMode::Normal, {gray});
    r.drawShape(rectPx(10, 10, 20, 20, kRed), kPixels, {});
    r.popLayer();
    expectNear(pixel(target, 15, 15), {77, 77, 77, 255}, 1, "grey");
}

TEST(Filters, ConvolutionAndGradientGlow) {
    RgbaImage target(30, 30);
    SoftwareRenderer r(target);
    // A kernel that takes the right-hand neighbour shifts the picture, alpha too, one pixel left.
    Filter shift;
    shift.kind = Filter::Kind::Convolution;
    shift.convolution.matrixX = 3;
    shift.convolution.matrixY = 1;
    shift.convolution.matrix = {0, 0, 1};
    shift.convolution.preserveAlpha = false;
    r.beginFrame(kWhite);
    r.pushLayer(BlendMode::Normal, {shift});
    r.drawShape(rectPx(10, 10, 20, 20, kRed), kPixels, {});
    r.popLayer();
    EXPECT_EQ(pixel(target, 9, 15), kRed);
    EXPECT_EQ(pixel(target, 19, 15), kWhite);

    // Gradient glow: transparent where the glow is faint, blue where it is strong.
    Filter glow;
    glow.kind = Filter::Kind::GradientGlow;
    glow.gradient.stops = {{0, {0, 0, 255, 0}}, {255, {0, 0, 255, 255}}};
    glow.gradient.blurX = glow.gradient.blurY = 4;
    glow.gradient.distance = 0;
    r.beginFrame(kWhite);
    r.pushLayer(BlendMode::Normal, {glow});
    r.drawShape(rectPx(10, 10, 20, 20, kRed), kPixels, {});
    r.popLayer();
    EXPECT_EQ(pixel(target, 15, 15), kRed);
    Rgba near = pixel(target, 9, 15), far = pixel(target, 3, 15);
    EXPECT_LT(near.r, 200);
    EXPECT_EQ(near.b, 255);
    EXPECT_EQ(far, kWhite);
}

}  // namespace
}  // namespace swf
