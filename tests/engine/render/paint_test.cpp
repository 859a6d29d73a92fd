#include "engine/render/paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/render/pixel_math.h"

namespace swf::render {
namespace {

Gradient blackToWhite(SpreadMode spread) {
    Gradient g;
    g.spread = spread;
    g.stops = {{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
    return g;
}

// A paint's pixel at the centre of pixel (x, y).
uint32_t shade(const Paint& p, int x, int y) {
    uint32_t out = 0;
    p.shadeSpan(x, y, 1, &out);
    return out;
}

TEST(Paint, LinearGradientRunsAcrossItsSquareAndSpreadsBeyond) {
    // Gradient square scaled to 100 px wide, centred at x = 50 px: ratio 0 at x = 0, 255 at x = 100.
    FillStyle f;
    f.kind = FillStyle::Kind::LinearGradient;
    f.gradient = blackToWhite(SpreadMode::Pad);
    f.gradient.matrix = Matrix{100.0 * 20 / 32768, 0, 0, 1, 50 * 20, 0};
    Matrix toPixels = Matrix::scale(1 / 20.0, 1 / 20.0);
    Paint p;
    p.setFill(f, toPixels, {});
    EXPECT_NEAR(pixelR(shade(p, 0, 0)), 1, 2);
    EXPECT_NEAR(pixelR(shade(p, 49, 0)), 126, 2);
    EXPECT_NEAR(pixelR(shade(p, 99, 0)), 254, 2);
    EXPECT_EQ(pixelR(shade(p, 150, 0)), 255);  // pad: past the end keeps the last colour
    EXPECT_EQ(pixelR(shade(p, -50, 0)), 0);
    EXPECT_TRUE(p.opaque());

    f.gradient.spread = SpreadMode::Repeat;
    p.setFill(f, toPixels, {});
    EXPECT_NEAR(pixelR(shade(p, 125, 0)), 64, 3);  // a quarter into the second period
    f.gradient.spread = SpreadMode::Reflect;
    p.setFill(f, toPixels, {});
    EXPECT_NEAR(pixelR(shade(p, 125, 0)), 191, 3);  // a quarter back down
}

TEST(Paint, OnlyAGradientRunningStraightDownIsOneColourPerRow) {
    // A gradient turned a quarter turn runs down the screen: a row is one colour, the one the
    // pixel-by-pixel walk gives everywhere along it.
    FillStyle f;
    f.kind = FillStyle::Kind::LinearGradient;
    f.gradient = blackToWhite(SpreadMode::Pad);
    const double s = 1080.0 * 20 / 32768, turn = std::numbers::pi / 2;
    f.gradient.matrix = Matrix{std::cos(turn) * s, std::sin(turn) * s, -std::sin(turn) * s, std::cos(turn) * s, 960 * 20, 540 * 20};
    Matrix toPixels = Matrix::scale(1 / 20.0, 1 / 20.0);
    Paint p;
    p.setFill(f, toPixels, {});
    EXPECT_TRUE(p.rowUniform());
    for (int y : {0, 300, 700, 1079}) {
        std::vector<uint32_t> row(1920);
        p.shadeSpan(0, y, 1920, row.data());
        EXPECT_EQ(std::count(row.begin(), row.end(), row[0]), 1920) << y;
    }
    EXPECT_LT(pixelR(shade(p, 5, 100)), pixelR(shade(p, 5, 900)));

    // Turned a little less, the colour drifts across a 1920-pixel row: not uniform.
    const double slant = turn - 0.01;
    f.gradient.matrix = Matrix{std::cos(slant) * s, std::sin(slant) * s, -std::sin(slant) * s, std::cos(slant) * s, 960 * 20, 540 * 20};
    p.setFill(f, toPixels, {});
    EXPECT_FALSE(p.rowUniform());
    EXPECT_NE(shade(p, 0, 540), shade(p, 1919, 540));

    // Solids are uniform; a later fill of another kind does not inherit the flag.
    p.setSolid({1, 2, 3, 255}, {});
    EXPECT_TRUE(p.rowUniform());
    f.kind = FillStyle::Kind::RadialGradient;
    p.setFill(f, toPixels, {});
    EXPECT_FALSE(p.rowUniform());
}

TEST(Paint, RadialAndFocalGradientsMeasureFromTheirCentres) {
    FillStyle f;
    f.kind = FillStyle::Kind::RadialGradient;
    f.gradient = blackToWhite(SpreadMode::Pad);
    // Radius 50 px, centre at (50, 50) px.
    f.gradient.matrix = Matrix{50.0 * 20 / 16384, 0, 0, 50.0 * 20 / 16384, 1000, 1000};
    Matrix toPixels = Matrix::scale(1 / 20.0, 1 / 20.0);
    Paint p;
    p.setFill(f, toPixels, {});
    EXPECT_LE(pixelR(shade(p, 50, 50)), 3);
    EXPECT_NEAR(pixelR(shade(p, 75, 50)), 128, 4);  // half the radius
    EXPECT_NEAR(pixelR(shade(p, 50, 25)), 128, 4);
    EXPECT_EQ(pixelR(shade(p, 0, 0)), 255);

    // Focal point at 0.5: the colour starts at the focus, and the circle's edge still ends it.
    f.kind = FillStyle::Kind::FocalGradient;
    f.gradient.focalPoint = 0.5;
    p.setFill(f, toPixels, {});
    EXPECT_LE(pixelR(shade(p, 75, 50)), 7);  // its centre lies half a pixel past the focus
    EXPECT_GE(pixelR(shade(p, 99, 50)), 248);
    EXPECT_GE(pixelR(shade(p, 1, 50)), 248);
    // Halfway from the focus (x = 75) to either edge.
    EXPECT_NEAR(pixelR(shade(p, 87, 50)), 124, 6);
    EXPECT_NEAR(pixelR(shade(p, 37, 50)), 128, 6);
}

TEST(Paint, GradientInterpolationModesAndColourTransform) {
    Gradient g = blackToWhite(SpreadMode::Pad);
    g.stops[0].color = {255, 0, 0, 255};
    g.stops[1].color = {0, 0, 255, 255};
    GradientTable rgb, linear;
    rgb.build(g, {});
    g.interpolation = InterpolationMode::LinearRgb;
    linear.build(g, {});
    // Halfway: plain RGB mixes to 128, linear RGB mixes light, which is brighter when encoded.
    EXPECT_NEAR(pixelR(rgb.at(128)), 127, 2);
    EXPECT_NEAR(pixelR(linear.at(128)), 187, 3);
    EXPECT_NEAR(pixelB(linear.at(128)), 188, 3);

    ColorTransform halfAlpha;
    halfAlpha.aMul = 0.5;
    GradientTable faded;
    faded.build(g, halfAlpha);
    EXPECT_NEAR(pixelA(faded.at(0)), 127, 1);
    EXPECT_NEAR(pixelR(faded.at(0)), 127, 1);  // premultiplied after the transform
    EXPECT_FALSE(faded.opaque());
}

TEST(Paint, StopsSharingARatioShowAsBandsOneEntryWide) {
    const Rgba a{230, 82, 88, 255}, b{2, 128, 205, 255}, c{252, 77, 77, 255}, d{0, 82, 155, 255};
    auto opaque = [](Rgba x) { return packPixel(x.r, x.g, x.b, 255); };
    Gradient g;
    g.stops = {{70, a}, {70, b}, {140, c}, {140, d}};
    GradientTable table;
    table.build(g, {});
    // The first of a pair takes the entry at the ratio; the ramp after it starts from the second as
    // though it began at the ratio itself, and the band of the next pair lies on its end.
    EXPECT_EQ(table.at(69), opaque(a));
    EXPECT_EQ(table.at(70), opaque(a));
    EXPECT_NEAR(pixelB(table.at(71)), b.b - (b.b - c.b) / 70.0, 1);
    EXPECT_NEAR(pixelB(table.at(105)), (b.b + c.b) / 2.0, 1);
    EXPECT_EQ(table.at(140), opaque(c));
    EXPECT_EQ(table.at(141), opaque(d));
    EXPECT_EQ(table.at(255), opaque(d));

    // Three stops at one ratio make two bands; a group at the very end has room for its first only.
    const Rgba black{0, 0, 0, 255}, white{255, 255, 255, 255};
    g.stops = {{0, black}, {100, a}, {100, b}, {100, c}, {255, white}, {255, d}};
    table.build(g, {});
    EXPECT_EQ(table.at(100), opaque(a));
    EXPECT_EQ(table.at(101), opaque(b));
    EXPECT_NEAR(pixelG(table.at(102)), c.g + (255 - c.g) * 2 / 155.0, 1);
    EXPECT_EQ(table.at(255), opaque(white));
}

TEST(Paint, SolidColourTransformAppliesToStraightColourThenPremultiplies) {
    ColorTransform cx;
    cx.rMul = 0.5;
    cx.gAdd = 100;
    cx.aMul = 0.5;
    Paint p;
    p.setSolid({200, 50, 0, 255}, cx);
    uint32_t px = p.solidPixel();
    EXPECT_EQ(pixelA(px), 127);
    EXPECT_NEAR(pixelR(px), 100 * 127 / 255, 1);
    EXPECT_NEAR(pixelG(px), 150 * 127 / 255, 1);
    p.setSolid({200, 50, 0, 255}, ColorTransform{1, 1, 1, 0, 0, 0, 0, 0});
    EXPECT_FALSE(p.visible());
}

std::shared_ptr<RgbaImage> checker2x2() {
    auto img = std::make_shared<RgbaImage>(2, 2);
    const uint8_t colors[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {0, 0, 0, 0}};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 4; ++c) img->pixels[static_cast<size_t>(i * 4 + c)] = colors[i][c];
    return img;
}

TEST(Paint, BitmapsSampleNearestOrBilinearClippedOrRepeating) {
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmap = checker2x2();
    // Each bitmap pixel becomes 10x10 target pixels (bitmap pixels are 20 twips; scale 10).
    f.bitmapMatrix = Matrix::scale(200, 200);
    f.bitmapSmoothed = false;
    f.bitmapRepeating = false;
    Matrix toPixels = Matrix::scale(1 / 20.0, 1 / 20.0);
    Paint p;
    p.setFill(f, toPixels, {});
    EXPECT_EQ(shade(p, 5, 5), packPixel(255, 0, 0, 255));
    EXPECT_EQ(shade(p, 15, 5), packPixel(0, 255, 0, 255));
    EXPECT_EQ(shade(p, 5, 15), packPixel(0, 0, 255, 255));
    EXPECT_EQ(shade(p, 15, 15), 0u);
    EXPECT_EQ(shade(p, 45, 5), packPixel(0, 255, 0, 255));  // clipped: the edge pixel extends
    f.bitmapRepeating = true;
    p.setFill(f, toPixels, {});
    EXPECT_EQ(shade(p, 25, 5), packPixel(255, 0, 0, 255));  // repeating: the bitmap tiles
    EXPECT_EQ(shade(p, -5, -5), 0u);

    f.bitmapSmoothed = true;
    f.bitmapRepeating = false;
    p.setFill(f, toPixels, {});
    // On the boundary between red and green, half of each.
    uint32_t mid = shade(p, 10, 2);
    EXPECT_NEAR(pixelR(mid), 127, 14);
    EXPECT_NEAR(pixelG(mid), 127, 14);
    EXPECT_EQ(pixelA(mid), 255);

    ColorTransform invertRed{-1, 1, 1, 1, 255, 0, 0, 0};
    f.bitmapSmoothed = false;
    p.setFill(f, toPixels, invertRed);
    EXPECT_EQ(shade(p, 15, 5), packPixel(255, 255, 0, 255));

    // Opacity comes from what the library learnt of the bitmap and from the transform's alpha.
    EXPECT_FALSE(p.opaque());
    f.bitmapOpaque = true;
    p.setFill(f, toPixels, {});
    EXPECT_TRUE(p.opaque());
    p.setFill(f, toPixels, ColorTransform{1, 1, 1, 0.5f, 0, 0, 0, 0});
    EXPECT_FALSE(p.opaque());

    f.bitmap = nullptr;  // an id that names no bitmap paints nothing
    p.setFill(f, toPixels, {});
    EXPECT_FALSE(p.visible());
}

TEST(Paint, LongSpansMatchPixelByPixelSampling) {
    // Spans walk their paint incrementally; across tiles, spread periods and rotations the walk must
    // land where sampling each pixel on its own does.
    FillStyle bitmap;
    bitmap.kind = FillStyle::Kind::Bitmap;
    bitmap.bitmap = checker2x2();
    bitmap.bitmapMatrix = Matrix{20 * 1.7, 20 * 0.4, -20 * 0.4, 20 * 1.7, -333, 77};
    FillStyle gradient;
    gradient.kind = FillStyle::Kind::RadialGradient;
    gradient.gradient = blackToWhite(SpreadMode::Reflect);
    gradient.gradient.matrix = Matrix{0.02, 0.01, -0.01, 0.02, 100, 50};
    Matrix toPixels = Matrix::scale(1 / 20.0, 1 / 20.0);
    for (bool repeating : {true, false})
        for (bool smoothed : {true, false}) {
            bitmap.bitmapRepeating = repeating;
            bitmap.bitmapSmoothed = smoothed;
            for (const FillStyle* fill : {&bitmap, &gradient}) {
                Paint p;
                p.setFill(*fill, toPixels, {});
                uint32_t span[300];
                p.shadeSpan(-50, 7, 300, span);
                // Fixed-point steps may move a bilinear weight by a step of 1/256: allow a unit or two.
                for (int i = 0; i < 300; ++i) {
                    uint32_t alone = shade(p, -50 + i, 7);
                    ASSERT_LE(std::abs(int(pixelR(span[i])) - int(pixelR(alone))), 2) << i;
                    ASSERT_LE(std::abs(int(pixelG(span[i])) - int(pixelG(alone))), 2) << i << " rep " << repeating << " sm " << smoothed << " bmp " << (fill == &bitmap);
                    ASSERT_LE(std::abs(int(pixelA(span[i])) - int(pixelA(alone))), 2) << i;
                }
            }
        }
}

TEST(Paint, SpansCutAnywhereShadeAsTheWholeRow) {
    // A frame redrawn only where it changed cuts rows into other spans than the whole frame did:
    // each pixel must come out the same, to the bit.
    FillStyle bitmap;
    bitmap.kind = FillStyle::Kind::Bitmap;
    bitmap.bitmap = checker2x2();
    bitmap.bitmapMatrix = Matrix{20 * 1.3, 20 * 0.7, -20 * 0.7, 20 * 1.3, -151, 33};
    std::vector<FillStyle> fills;
    for (bool repeating : {true, false})
        for (bool smoothed : {true, false}) {
            bitmap.bitmapRepeating = repeating;
            bitmap.bitmapSmoothed = smoothed;
            fills.push_back(bitmap);
        }
    for (FillStyle::Kind kind :
         {FillStyle::Kind::LinearGradient, FillStyle::Kind::RadialGradient, FillStyle::Kind::FocalGradient}) {
        FillStyle gradient;
        gradient.kind = kind;
        gradient.gradient = blackToWhite(SpreadMode::Repeat);
        gradient.gradient.focalPoint = 0.6;
        gradient.gradient.matrix = Matrix{0.037, 0.011, -0.013, 0.029, 1000, 900};
        fills.push_back(gradient);
    }
    const Matrix toPixels = Matrix::scale(1 / 20.0, 1 / 20.0);
    for (size_t f = 0; f < fills.size(); ++f) {
        Paint p;
        p.setFill(fills[f], toPixels, {});
        for (int y : {0, 13, 170}) {
            // As wide as a large screen: the walk to a far pixel is long.
            constexpr int kRow = 3000;
            std::vector<uint32_t> whole(kRow), pieces(kRow);
            p.shadeSpan(0, y, kRow, whole.data());
            const int lengths[] = {1, 2, 7, 33, 64, 3, 90, 200};
            for (int x = 0, k = 0; x < kRow; ++k) {
                const int n = std::min(lengths[k % 8], kRow - x);
                p.shadeSpan(x, y, n, pieces.data() + x);
                x += n;
            }
            for (int i = 0; i < kRow; ++i) ASSERT_EQ(pieces[i], whole[i]) << "fill " << f << " row " << y << " x " << i;
        }
    }
}

TEST(Paint, SmoothedBitmapsWeighTheFourTexelsAcrossThenDown) {
    // Every pixel of a smoothed bitmap, inside and at its edges, as the 8.8 weights of the texels
    // around it give it: across first, then down, each step truncated.
    auto image = std::make_shared<RgbaImage>(7, 5);
    uint32_t seed = 12345;
    for (uint8_t& c : image->pixels) c = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmap = image;
    f.bitmapSmoothed = true;
    f.bitmapRepeating = false;
    // 37 target pixels per 10 texels: weights of every kind, and texel centres between pixels.
    f.bitmapMatrix = Matrix::scale(20 * 3.7, 20 * 3.7);
    Paint p;
    p.setFill(f, Matrix::scale(1 / 20.0, 1 / 20.0), {});
    auto lerp = [](uint32_t a, uint32_t b, uint32_t t) {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8)
            out |= ((((a >> shift) & 255) * (256 - t) + ((b >> shift) & 255) * t) >> 8) << shift;
        return out;
    };
    auto texel = [&](int x, int y) {
        const uint8_t* t = image->at(std::clamp(x, 0, 6), std::clamp(y, 0, 4));
        return packPixel(t[0], t[1], t[2], t[3]);
    };
    for (int y = 0; y < 18; ++y) {
        uint32_t row[26];
        p.shadeSpan(0, y, 26, row);
        for (int x = 0; x < 26; ++x) {
            // The pixel's centre in texels, less the half texel to the texel centres.
            double u = (x + 0.5) / 3.7 - 0.5, v = (y + 0.5) / 3.7 - 0.5;
            int ix = static_cast<int>(std::floor(u)), iy = static_cast<int>(std::floor(v));
            uint32_t wx = static_cast<uint32_t>(std::floor((u - ix) * 256)), wy = static_cast<uint32_t>(std::floor((v - iy) * 256));
            uint32_t expected = lerp(lerp(texel(ix, iy), texel(ix + 1, iy), wx), lerp(texel(ix, iy + 1), texel(ix + 1, iy + 1), wx), wy);
            // Spans walk in fixed point from the row's start, whatever pixel they begin at; a walk
            // may land a weight one step off.
            ASSERT_EQ(shade(p, x, y), row[x]) << x << "," << y;
            for (int shift = 0; shift < 32; shift += 8)
                ASSERT_LE(std::abs(int((row[x] >> shift) & 255) - int((expected >> shift) & 255)), 2) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace swf::render
