// The software renderer: draws the Renderer calls into an RgbaImage (premultiplied RGBA) with
// exact-area anti-aliasing. Masks and layers live on a stack of target-sized planes that are reused
// from frame to frame and only cleared where they were drawn, so keep one renderer for a whole run
// of frames rather than making one per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/base/image.h"
#include "engine/render/coverage_rasterizer.h"
#include "engine/render/int_rect.h"
#include "engine/render/layer_filters.h"
#include "engine/render/paint.h"
#include "engine/render/path_flattener.h"
#include "engine/render/polygon.h"
#include "engine/render/renderer.h"

namespace swf {

class SoftwareRenderer final : public Renderer {
public:
    // Masks and layers nested deeper than this are left out.
    static constexpr int kMaxPlanes = 24;

    // Draws into `target`, which must outlive the renderer; its size may change between frames.
    explicit SoftwareRenderer(RgbaImage& target);
    ~SoftwareRenderer() override;

    void beginFrame(Rgba background) override;
    void endFrame() override;
    void drawShape(const ShapePaths& shape, const Matrix& toPixels, const ColorTransform& cxform) override;
    void beginMask() override;
    void endMask() override;
    void popMask() override;
    void pushLayer(BlendMode mode, const std::vector<Filter>& filters,
                   const ColorTransform& layerTransform = {}) override;
    void popLayer() override;
    bool drawFinishedLayer(const RgbaImage& pixels, int x, int y, BlendMode mode,
                           const ColorTransform& layerTransform) override;
    void setQuality(Quality quality) override;

    // Limits the frames that follow to the target pixels in `area`: beginFrame() fills only those,
    // and draws change nothing outside them. They come out exactly as in a frame drawn whole, so a
    // frame can be redrawn piece by piece where it changed. drawWholeFrames() lifts the limit.
    void limitTo(const render::IntRect& area);
    void drawWholeFrames();
    // Whether the target has an alpha of its own (a script's bitmap) rather than being the opaque
    // stage: alpha and erase layers then act on it.
    void setTransparentTarget(bool transparent) { transparentTarget_ = transparent; }

private:
    struct Entry;  // a mask being collected, an active mask, or a layer
    struct Destination;

    Destination destination();
    int planeCount() const;
    bool fitsTarget(const Destination& d) const;
    void fillPolygon(render::FillRule rule, const Destination& dest);
    void drawStroke(const StrokePath& stroke, const Matrix& toPixels, const ColorTransform& cxform,
                    const Destination& dest);
    std::unique_ptr<Entry> takeEntry();
    void releaseEntry(std::unique_ptr<Entry> entry);
    void popTopEntry();
    render::IntRect targetRect() const { return {0, 0, target_.width, target_.height}; }
    render::IntRect drawArea() const;

    bool limited_ = false;
    bool transparentTarget_ = false;
    render::IntRect limit_;

    RgbaImage& target_;
    std::vector<std::unique_ptr<Entry>> stack_;
    std::vector<std::unique_ptr<Entry>> spare_;  // planes kept for reuse, clear

    render::CoverageRasterizer rasterizer_;
    render::Polygon polygon_;
    render::Polyline polyline_;
    render::Paint paint_;
    bool antialias_ = true;  // false at low quality: edges are either in or out
    std::vector<uint32_t> spanPixels_;
    std::vector<uint8_t> spanCoverage_;
    render::FilterScratch filterScratch_;
    RgbaImage shapeScratch_;        // the fills of one shape layer, summed before blending
    render::IntRect scratchDirty_;
    std::vector<std::pair<int, int>> scratchRows_;  // per row, the columns the scratch was drawn in
};

}  // namespace swf
