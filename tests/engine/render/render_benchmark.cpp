// Frame times of the software renderer at 1920x1080 on one core: large and small fills, gradients,
// bitmaps, strokes, and a typical animation frame mixing them. Prints figures; asserts nothing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/render/frame_changes.h"
#include "engine/render/layer_cache.h"
#include "engine/render/paint_recording.h"
#include "engine/render/software_renderer.h"
#include "engine/render/span_blend_kernels.h"
#include "tests/engine/render/test_shapes.h"

namespace swf {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;
const Matrix kPixels = Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);

// A circle of four quadratic arcs per quadrant... eight 45-degree arcs, in twips.
Contour circle(double cx, double cy, double r) {
    Contour c;
    c.start = {cx + r, cy};
    const double k = r / std::cos(std::numbers::pi / 8);
    for (int i = 1; i <= 8; ++i) {
        double mid = (i - 0.5) * std::numbers::pi / 4, end = i * std::numbers::pi / 4;
        c.segments.push_back({{cx + k * std::cos(mid), cy + k * std::sin(mid)},
                              {cx + r * std::cos(end), cy + r * std::sin(end)}, true});
    }
    return c;
}

FillStyle gradientFill(FillStyle::Kind kind, double cx, double cy, double size) {
    FillStyle f;
    f.kind = kind;
    f.gradient.matrix = {size / 32768, 0, 0, size / 32768, cx, cy};
    f.gradient.stops = {{0, {255, 200, 0, 255}}, {128, {200, 30, 90, 255}}, {255, {20, 40, 200, 255}}};
    return f;
}

ShapePaths oneFill(FillStyle style, Contour contour) {
    FillPath f;
    f.style = std::move(style);
    f.contours.push_back(std::move(contour));
    return test::shapeWithFill(std::move(f));
}

void renderLoop(benchmark::State& state, const std::vector<ShapePaths>& shapes) {
    RgbaImage target(kWidth, kHeight);
    SoftwareRenderer r(target);
    for (auto _ : state) {
        r.beginFrame({255, 255, 255, 255});
        for (const ShapePaths& s : shapes) r.drawShape(s, kPixels, {});
        r.endFrame();
        benchmark::DoNotOptimize(target.pixels.data());
    }
}

void BM_LargeSolidCircle(benchmark::State& state) {
    renderLoop(state, {oneFill(test::solidFill({40, 120, 200, 255}), circle(960 * 20, 540 * 20, 520 * 20))});
}

void BM_SmallSolidShapes(benchmark::State& state) {
    std::vector<ShapePaths> shapes;
    for (int i = 0; i < 1000; ++i) {
        double x = (i * 97 % 1900) * 20.0, y = (i * 61 % 1060) * 20.0;
        shapes.push_back(oneFill(test::solidFill({uint8_t(i), uint8_t(i * 3), 200, 200}), circle(x, y, 200)));
    }
    renderLoop(state, shapes);
}

void BM_FullScreenLinearGradient(benchmark::State& state) {
    renderLoop(state, {oneFill(gradientFill(FillStyle::Kind::LinearGradient, 960 * 20, 540 * 20, 1920 * 20),
                               test::rectContour(0, 0, kWidth * 20, kHeight * 20))});
}

void BM_FullScreenRadialGradient(benchmark::State& state) {
    renderLoop(state, {oneFill(gradientFill(FillStyle::Kind::RadialGradient, 960 * 20, 540 * 20, 1200 * 20),
                               test::rectContour(0, 0, kWidth * 20, kHeight * 20))});
}

void BM_BitmapFill(benchmark::State& state) {
    auto bitmap = std::make_shared<RgbaImage>(256, 256);
    for (size_t i = 0; i < bitmap->pixels.size(); ++i) bitmap->pixels[i] = (i % 4 == 3) ? 255 : uint8_t(i * 7);
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmap = bitmap;
    f.bitmapSmoothed = state.range(0) != 0;
    f.bitmapMatrix = {20 * 3.1, 0.4, -0.4, 20 * 3.1, 100, 100};  // scaled and slightly rotated
    renderLoop(state, {oneFill(f, test::rectContour(200 * 20, 100 * 20, 1700 * 20, 1000 * 20))});
}

void BM_Strokes(benchmark::State& state) {
    std::vector<ShapePaths> shapes;
    for (int i = 0; i < 300; ++i) {
        ShapePaths s;
        s.layers.emplace_back();
        StrokePath stroke;
        stroke.style.width = 20.0 * (1 + i % 6);
        stroke.style.color = {uint8_t(i), 60, 90, 255};
        Contour c = circle((i * 131 % 1800 + 60) * 20.0, (i * 71 % 960 + 60) * 20.0, 50 * 20.0);
        c.closed = true;
        stroke.contours.push_back(c);
        s.layers.back().strokes.push_back(stroke);
        shapes.push_back(std::move(s));
    }
    renderLoop(state, shapes);
}

// A typical screen-saver frame: a full-screen gradient backdrop, a few large translucent shapes, a
// hundred small ones, some outlines, and one masked and one filtered group.
void BM_TypicalFrame(benchmark::State& state) {
    std::vector<ShapePaths> shapes;
    shapes.push_back(oneFill(gradientFill(FillStyle::Kind::LinearGradient, 960 * 20, 540 * 20, 1920 * 20),
                             test::rectContour(0, 0, kWidth * 20, kHeight * 20)));
    for (int i = 0; i < 5; ++i)
        shapes.push_back(oneFill(gradientFill(FillStyle::Kind::RadialGradient, (300 + i * 330) * 20.0, 540 * 20, 500 * 20),
                                 circle((300 + i * 330) * 20.0, 540 * 20, 250 * 20)));
    for (int i = 0; i < 100; ++i)
        shapes.push_back(oneFill(test::solidFill({uint8_t(i * 2), 180, 90, 160}),
                                 circle((i * 97 % 1900) * 20.0, (i * 61 % 1060) * 20.0, 600)));
    for (int i = 0; i < 20; ++i) {
        ShapePaths s;
        s.layers.emplace_back();
        StrokePath stroke;
        stroke.style.width = 60;
        stroke.style.color = {0, 0, 0, 255};
        stroke.contours.push_back(circle((i * 91 % 1800 + 60) * 20.0, (i * 53 % 960 + 60) * 20.0, 80 * 20.0));
        s.layers.back().strokes.push_back(stroke);
        shapes.push_back(std::move(s));
    }
    RgbaImage target(kWidth, kHeight);
    SoftwareRenderer r(target);
    Filter glow;
    glow.kind = Filter::Kind::Glow;
    glow.glow.color = {255, 255, 0, 255};
    ShapePaths maskShape = oneFill(test::solidFill({0, 0, 0, 255}), circle(960 * 20, 540 * 20, 300 * 20));
    for (auto _ : state) {
        r.beginFrame({255, 255, 255, 255});
        for (const ShapePaths& s : shapes) r.drawShape(s, kPixels, {});
        r.beginMask();
        r.drawShape(maskShape, kPixels, {});
        r.endMask();
        r.drawShape(shapes[1], kPixels, {});
        r.popMask();
        r.pushLayer(BlendMode::Normal, {glow});
        r.drawShape(shapes[10], kPixels, {});
        r.drawShape(shapes[11], kPixels, {});
        r.popLayer();
        r.endFrame();
        benchmark::DoNotOptimize(target.pixels.data());
    }
}

// A full-screen picture drawn through one filter: what a filtered backdrop costs a frame. The
// argument is the filter's quality (passes).
void filteredFullScreen(benchmark::State& state, const Filter& filter) {
    std::vector<ShapePaths> shapes;
    shapes.push_back(oneFill(gradientFill(FillStyle::Kind::RadialGradient, 960 * 20, 540 * 20, 1100 * 20),
                             circle(960 * 20, 540 * 20, 1000 * 20)));
    for (int i = 0; i < 12; ++i)
        shapes.push_back(oneFill(test::solidFill({uint8_t(i * 20), 80, 160, 255}),
                                 circle((i * 157 % 1800 + 60) * 20.0, (i * 97 % 960 + 60) * 20.0, 90 * 20.0)));
    RgbaImage target(kWidth, kHeight);
    SoftwareRenderer r(target);
    for (auto _ : state) {
        r.beginFrame({255, 255, 255, 255});
        r.pushLayer(BlendMode::Normal, {filter});
        for (const ShapePaths& s : shapes) r.drawShape(s, kPixels, {});
        r.popLayer();
        r.endFrame();
        benchmark::DoNotOptimize(target.pixels.data());
    }
}

void BM_FullScreenBlur(benchmark::State& state) {
    Filter blur;
    blur.kind = Filter::Kind::Blur;
    blur.blur.blurX = blur.blur.blurY = 16;
    blur.blur.passes = static_cast<int>(state.range(0));
    filteredFullScreen(state, blur);
}

void BM_FullScreenGlow(benchmark::State& state) {
    Filter glow;
    glow.kind = Filter::Kind::Glow;
    glow.glow.color = {255, 255, 0, 255};
    glow.glow.blurX = glow.glow.blurY = 16;
    glow.glow.strength = 2;
    glow.glow.passes = static_cast<int>(state.range(0));
    filteredFullScreen(state, glow);
}

// A glowing emblem (a dozen shapes, 700 pixels across) gliding by 3 pixels a frame over a still
// backdrop, played as the player plays frames: each drawn only where it changed. With the argument 1
// the emblem's filtered pixels are kept from frame to frame, with 0 it is drawn and filtered anew.
void BM_MovingGlowingEmblem(benchmark::State& state) {
    const bool cached = state.range(0) != 0;
    std::vector<ShapePaths> emblem;
    emblem.push_back(oneFill(gradientFill(FillStyle::Kind::RadialGradient, 0, 0, 350 * 20), circle(0, 0, 330 * 20)));
    for (int i = 0; i < 12; ++i) {
        const double angle = i * std::numbers::pi / 6;
        emblem.push_back(oneFill(test::solidFill({uint8_t(i * 20), 200, 120, 255}),
                                 circle(std::cos(angle) * 250 * 20, std::sin(angle) * 250 * 20, 50 * 20.0)));
    }
    ShapePaths backdrop = oneFill(gradientFill(FillStyle::Kind::LinearGradient, 960 * 20, 540 * 20, 1920 * 20),
                                  circle(960 * 20, 540 * 20, 1200 * 20));
    Filter glow;
    glow.kind = Filter::Kind::Glow;
    glow.glow.color = {255, 255, 0, 255};
    glow.glow.blurX = glow.glow.blurY = 16;
    glow.glow.passes = 2;
    RgbaImage target(kWidth, kHeight);
    SoftwareRenderer r(target);
    render::LayerCache cache;
    std::vector<render::PaintCall> before;
    const render::IntRect frame{0, 0, kWidth, kHeight};
    int step = 0;
    for (auto _ : state) {
        const int travel = step++ % 200;
        const double x = 450 + 3 * (travel < 100 ? travel : 200 - travel);
        render::PaintRecording rec(kWidth, kHeight, &before);
        rec.beginFrame({255, 255, 255, 255});
        rec.drawShape(backdrop, kPixels, {});
        rec.pushLayer(BlendMode::Normal, {glow}, {});
        for (const ShapePaths& s : emblem) rec.drawShape(s, Matrix::translate(x, 540) * kPixels, {});
        rec.popLayer();
        rec.endFrame();
        std::vector<render::PaintCall> calls = rec.takeCalls();
        std::vector<render::IntRect> areas =
            before.empty() ? std::vector<render::IntRect>{frame} : render::frameChanges(before, calls, frame);
        areas = render::separateRects(areas, frame);
        if (cached) cache.prepare(calls, frame, areas);
        for (const render::IntRect& area : areas) {
            r.limitTo(area);
            render::replayArea(calls, r, area, cached ? &cache : nullptr);
        }
        before = std::move(calls);
        benchmark::DoNotOptimize(target.pixels.data());
    }
}

// A full-screen ripple: every pixel looked up through a map bitmap of half the screen's size.
void BM_FullScreenDisplacementMap(benchmark::State& state) {
    auto map = std::make_shared<RgbaImage>(kWidth / 2, kHeight / 2);
    for (int y = 0; y < map->height; ++y)
        for (int x = 0; x < map->width; ++x) {
            uint8_t* p = map->at(x, y);
            p[0] = uint8_t(x * 7), p[1] = uint8_t(y * 5), p[3] = 255;
        }
    Filter ripple;
    ripple.kind = Filter::Kind::DisplacementMap;
    ripple.displacement.map = map;
    ripple.displacement.componentX = DisplacementMapFilter::Red;
    ripple.displacement.componentY = DisplacementMapFilter::Green;
    ripple.displacement.scaleX = ripple.displacement.scaleY = 30;
    ripple.displacement.mapScaleX = ripple.displacement.mapScaleY = 2;
    ripple.displacement.objectX1 = kWidth, ripple.displacement.objectY1 = kHeight;
    filteredFullScreen(state, ripple);
}

// One 1920-pixel row of translucent paint blended by each kernel the processor runs (0: scalar, then
// the vector ones): the inside of a shape is fully covered, its edges partly.
void BM_BlendSpanKernel(benchmark::State& state) {
    const auto kernels = render::availableBlendKernels();
    if (static_cast<size_t>(state.range(0)) >= kernels.size()) {
        state.SkipWithError("the processor lacks this kernel");
        return;
    }
    const render::NamedBlendKernel& kernel = kernels[static_cast<size_t>(state.range(0))];
    state.SetLabel(kernel.name);
    std::vector<uint32_t> paint(kWidth);
    std::vector<uint8_t> coverage(kWidth, 255), row(kWidth * 4, 90);
    for (int i = 0; i < kWidth; ++i) {
        const uint32_t a = 64 + static_cast<uint32_t>(i) % 128;
        paint[static_cast<size_t>(i)] = a << 24 | (a / 2) << 16 | (a / 3) << 8 | a / 4;
        if (i % 64 < 2) coverage[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 37);
    }
    for (auto _ : state) {
        kernel.blend(row.data(), paint.data(), coverage.data(), kWidth, false);
        benchmark::DoNotOptimize(row.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth);
}

BENCHMARK(BM_BlendSpanKernel)->DenseRange(0, 2);
BENCHMARK(BM_LargeSolidCircle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenBlur)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenGlow)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovingGlowingEmblem)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenDisplacementMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmallSolidShapes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenLinearGradient)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenRadialGradient)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BitmapFill)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Strokes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypicalFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace swf

BENCHMARK_MAIN();
