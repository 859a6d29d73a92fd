// One scene drawn by each rasterizer onto a reused target: the loop body the benchmark times and
// the single frames the picture comparison looks at.
#pragma once

#include "engine/render/software_renderer.h"
#include "tests/benchmarks/cairo_painter.h"
#include "tests/benchmarks/comparison_scenes.h"

namespace swf::bench {

inline void drawScene(SoftwareRenderer& renderer, const Scene& scene) {
    renderer.beginFrame(scene.background);
    for (const ShapePaths& s : scene.shapes) renderer.drawShape(s, scene.toPixels, {});
    renderer.endFrame();
}

inline void drawScene(CairoPainter& painter, const Scene& scene) {
    painter.beginFrame(scene.background);
    for (const ShapePaths& s : scene.shapes) painter.drawShape(s, scene.toPixels);
    painter.endFrame();
}

inline RgbaImage drawnByUs(const Scene& scene) {
    RgbaImage target(kFrameWidth, kFrameHeight);
    SoftwareRenderer renderer(target);
    drawScene(renderer, scene);
    return target;
}

inline RgbaImage drawnByCairo(const Scene& scene) {
    CairoPainter painter(kFrameWidth, kFrameHeight);
    drawScene(painter, scene);
    return painter.snapshot();
}

}  // namespace swf::bench
