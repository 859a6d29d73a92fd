#include "engine/render/software_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

#include "engine/render/layer_compositor.h"
#include "engine/render/layer_filters.h"
#include "engine/render/pixel_math.h"
#include "engine/render/span_compositor.h"
#include "engine/render/stroker.h"

namespace swf {

using render::IntRect;

// Nesting deeper than this gets no planes of its own, so that a movie cannot make the renderer
// allocate without bound: an extra layer draws straight into what lies below (without its blend
// mode and filters), an extra mask's content is discarded and it clips nothing more.

struct SoftwareRenderer::Entry {
    // Skipped* kinds stand for the masks and layers beyond kMaxPlanes.
    enum class Kind : uint8_t { CollectingMask, Mask, Layer, SkippedCollectingMask, SkippedMask, SkippedLayer };
    Kind kind = Kind::Layer;
    std::vector<uint8_t> plane;  // masks: one coverage byte per target pixel
    int planeWidth = 0, planeHeight = 0;
    RgbaImage image;             // layers
    IntRect bounds;              // where plane or image may be non-zero
    IntRect area;                // the pixels drawn into it
    BlendMode mode = BlendMode::Normal;
    std::vector<Filter> filters;
    ColorTransform layerTransform;
};

// Where draws go now: a picture (the target or a layer) or a mask being collected, and the mask
// that clips them, if any.
struct SoftwareRenderer::Destination {
    RgbaImage* image = nullptr;
    uint8_t* maskPlane = nullptr;
    IntRect* dirty = nullptr;
    const uint8_t* clip = nullptr;
    IntRect clipBounds;
    IntRect area;             // the pixels that draws may change
    bool isTarget = false;
    bool discard = false;     // content of a mask beyond the nesting limit
    bool accumulate = false;  // image is the shape scratch: add coverage-weighted paint, don't blend
};

SoftwareRenderer::SoftwareRenderer(RgbaImage& target) : target_(target) {}
SoftwareRenderer::~SoftwareRenderer() = default;

void SoftwareRenderer::limitTo(const IntRect& area) {
    limited_ = true;
    limit_ = area;
}

void SoftwareRenderer::drawWholeFrames() { limited_ = false; }

IntRect SoftwareRenderer::drawArea() const {
    const IntRect whole{0, 0, std::max(target_.width, 0), std::max(target_.height, 0)};
    if (!limited_) return whole;
    const IntRect area = limit_.intersected(whole);
    return area.empty() ? IntRect{} : area;
}

void SoftwareRenderer::beginFrame(Rgba background) {
    while (!stack_.empty()) popTopEntry();
    if (target_.pixels.size() != size_t(std::max(target_.width, 0)) * size_t(std::max(target_.height, 0)) * 4)
        target_ = RgbaImage(std::max(target_.width, 0), std::max(target_.height, 0));
    uint32_t bg = render::packPixel(background.r, background.g, background.b, 255);
    const IntRect area = drawArea();
    if (!target_.empty() && !area.empty()) {
        // One row by pixels, the rest by copying that row.
        for (int x = area.x0; x < area.x1; ++x) std::memcpy(target_.at(x, area.y0), &bg, 4);
        for (int y = area.y0 + 1; y < area.y1; ++y)
            std::memcpy(target_.at(area.x0, y), target_.at(area.x0, area.y0), size_t(area.width()) * 4);
    }
    spanPixels_.resize(size_t(std::max(target_.width, 0)) + 1);
    spanCoverage_.resize(size_t(std::max(target_.width, 0)) + 1);
}

void SoftwareRenderer::endFrame() {
    // Unbalanced mask or layer calls must not leak into the next frame.
    while (!stack_.empty()) popTopEntry();
}

SoftwareRenderer::Destination SoftwareRenderer::destination() {
    Destination d;
    bool haveClip = false;
    for (size_t i = stack_.size(); i > 0; --i) {
        Entry& e = *stack_[i - 1];
        switch (e.kind) {
            case Entry::Kind::SkippedMask:
            case Entry::Kind::SkippedLayer:
                continue;
            case Entry::Kind::Mask:
                // The topmost active mask already holds the intersection with those below it.
                if (!haveClip) {
                    d.clip = e.plane.data();
                    d.clipBounds = e.bounds;
                    haveClip = true;
                }
                continue;
            case Entry::Kind::SkippedCollectingMask:
                d.discard = true;
                return d;
            case Entry::Kind::CollectingMask:
                d.maskPlane = e.plane.data();
                d.dirty = &e.bounds;
                d.area = e.area;
                return d;
            case Entry::Kind::Layer:
                d.image = &e.image;
                d.dirty = &e.bounds;
                d.area = e.area;
                return d;
        }
    }
    d.image = &target_;
    d.isTarget = true;
    d.area = drawArea();
    return d;
}

// Planes are made at the target's size; a target resized in the middle of a frame (against the
// interface's rules) must not let a draw run past the end of one.
bool SoftwareRenderer::fitsTarget(const Destination& d) const {
    size_t pixels = static_cast<size_t>(std::max(target_.width, 0)) * static_cast<size_t>(std::max(target_.height, 0));
    if (target_.pixels.size() != pixels * 4 || spanPixels_.size() < static_cast<size_t>(target_.width)) return false;
    for (const auto& e : stack_) {
        if ((e->kind == Entry::Kind::CollectingMask || e->kind == Entry::Kind::Mask) &&
            (e->planeWidth != target_.width || e->planeHeight != target_.height))
            return false;
        if (e->kind == Entry::Kind::Layer && (e->image.width != target_.width || e->image.height != target_.height))
            return false;
    }
    return d.image || d.maskPlane || d.discard;
}

int SoftwareRenderer::planeCount() const {
    int n = 0;
    for (const auto& e : stack_)
        if (e->kind == Entry::Kind::CollectingMask || e->kind == Entry::Kind::Mask || e->kind == Entry::Kind::Layer) ++n;
    return n;
}

void SoftwareRenderer::drawShape(const ShapePaths& shape, const Matrix& toPixels, const ColorTransform& cxform) {
    if (target_.empty()) return;
    Destination dest = destination();
    if (!fitsTarget(dest)) return;
    if (dest.discard || (dest.clip && dest.clipBounds.empty())) return;  // nothing of it can show
    for (const PathLayer& layer : shape.layers) {
        // The fills of one layer tile the plane without overlapping. Blending them one by one would let
        // the background show through where two meet along an anti-aliased edge; adding them up first
        // and blending the sum once keeps shared edges seamless.
        const bool merge = !dest.maskPlane && layer.fills.size() > 1;
        Destination fillDest = dest;
        if (merge) {
            if (shapeScratch_.width != target_.width || shapeScratch_.height != target_.height)
                shapeScratch_ = RgbaImage(target_.width, target_.height);
            scratchDirty_ = {};
            scratchRows_.assign(static_cast<size_t>(target_.height), {target_.width, 0});
            fillDest.image = &shapeScratch_;
            fillDest.dirty = &scratchDirty_;
            fillDest.accumulate = true;
        }
        for (const FillPath& fill : layer.fills) {
            if (!dest.maskPlane) {
                paint_.setFill(fill.style, toPixels, cxform);
                if (!paint_.visible()) continue;
            }
            polygon_.clear();
            render::flattenContours(fill.contours, toPixels, render::kFlatnessTolerance, polygon_);
            fillPolygon(fill.nonZero ? render::FillRule::NonZero : render::FillRule::EvenOdd, fillDest);
        }
        if (merge && !scratchDirty_.empty()) {
            // Row by row over what the fills touched: fills far apart do not make a large box's worth
            // of work.
            for (int y = scratchDirty_.y0; y < scratchDirty_.y1; ++y) {
                auto [x0, x1] = scratchRows_[static_cast<size_t>(y)];
                if (x1 <= x0) continue;
                render::compositeLayer(shapeScratch_, *dest.image, {x0, y, x1, y + 1}, BlendMode::Normal, nullptr);
                std::memset(shapeScratch_.at(x0, y), 0, static_cast<size_t>(x1 - x0) * 4);
            }
            if (dest.dirty) *dest.dirty = dest.dirty->united(scratchDirty_);
        }
        for (const StrokePath& stroke : layer.strokes) drawStroke(stroke, toPixels, cxform, dest);
    }
}

void SoftwareRenderer::drawStroke(const StrokePath& stroke, const Matrix& toPixels, const ColorTransform& cxform,
                                  const Destination& dest) {
    const LineStyle& style = stroke.style;
    if (!dest.maskPlane) {
        if (style.fill) paint_.setFill(*style.fill, toPixels, cxform);
        else paint_.setSolid(style.color, cxform);
        if (!paint_.visible()) return;
    }
    double scale = std::sqrt(std::fabs(toPixels.determinant()));
    if (!std::isfinite(scale) || !std::isfinite(style.width)) return;
    bool noScale = style.noHScale || style.noVScale;
    double width = std::max(style.width, 0.0);
    // A stroke that may not scale on one axis still follows the scale of the other.
    double scaleX = std::hypot(toPixels.a, toPixels.b), scaleY = std::hypot(toPixels.c, toPixels.d);
    double pixelWidth = width * scale;
    if (style.noHScale && style.noVScale) pixelWidth = width / kTwipsPerPixel;
    else if (style.noHScale) pixelWidth = width * scaleY;
    else if (style.noVScale) pixelWidth = width * scaleX;
    polygon_.clear();
    render::StrokeGeometry geometry;
    geometry.startCap = style.startCap;
    geometry.endCap = style.endCap;
    geometry.join = style.join;
    geometry.miterLimit = style.miterLimit;
    if (!noScale && pixelWidth >= 1 && scale > 0) {
        // Stroke in the shape's own space so that a stretched shape stretches its strokes too.
        geometry.halfWidth = width / 2;
        geometry.tolerance = render::kFlatnessTolerance / scale;
        for (const Contour& contour : stroke.contours) {
            render::flattenContour(contour, Matrix{}, geometry.tolerance, polyline_);
            render::strokePolyline(polyline_, geometry, polygon_);
        }
        for (Point& p : polygon_.points) {
            p = toPixels.apply(p);
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
        }
    } else {
        // Hairlines and lines thinner than a pixel are drawn one pixel wide.
        geometry.halfWidth = std::max(pixelWidth, 1.0) / 2;
        geometry.tolerance = render::kFlatnessTolerance;
        for (const Contour& contour : stroke.contours) {
            render::flattenContour(contour, toPixels, geometry.tolerance, polyline_);
            render::strokePolyline(polyline_, geometry, polygon_);
        }
    }
    fillPolygon(render::FillRule::NonZero, dest);
}

void SoftwareRenderer::setQuality(Quality quality) {
    antialias_ = quality != Quality::Low;
    paint_.setSmoothing(antialias_);
}

void SoftwareRenderer::fillPolygon(render::FillRule rule, const Destination& dest) {
    if (polygon_.empty()) return;
    // The geometry is bounded by the target alone, never by the drawing area or a mask's bounds, so
    // that every pixel comes out the same however the frame is divided; those only choose the rows
    // produced and the part of each span that is painted.
    if (dest.area.empty()) return;
    int firstRow = dest.area.y0, endRow = dest.area.y1;
    if (dest.clip) {
        firstRow = std::max(firstRow, dest.clipBounds.y0);
        endRow = std::min(endRow, dest.clipBounds.y1);
    }
    const size_t width = static_cast<size_t>(target_.width);
    IntRect drawn;
    const bool uniform = paint_.rowUniform();
    const bool opaque = paint_.opaque();
    rasterizer_.rasterize(polygon_, rule, targetRect(), firstRow, endRow, [&](int y, int x0, int x1, const uint8_t* coverage) {
        // A span wholly outside the mask shows nothing; one that enters it is shaded whole, as it
        // would be without the mask's bounds.
        if (dest.clip && (x1 <= dest.clipBounds.x0 || x0 >= dest.clipBounds.x1)) return;
        if (x0 < dest.area.x0) {
            coverage += dest.area.x0 - x0;
            x0 = dest.area.x0;
        }
        x1 = std::min(x1, dest.area.x1);
        if (x1 <= x0) return;
        int length = x1 - x0;
        size_t offset = static_cast<size_t>(y) * width + static_cast<size_t>(x0);
        if (!antialias_) {
            // A pixel is painted when the shape covers at least half of it.
            for (int i = 0; i < length; ++i) spanCoverage_[static_cast<size_t>(i)] = coverage[i] >= 128 ? 255 : 0;
            coverage = spanCoverage_.data();
        }
        if (dest.clip) {
            if (coverage != spanCoverage_.data()) std::memcpy(spanCoverage_.data(), coverage, static_cast<size_t>(length));
            render::applyMaskSpan(spanCoverage_.data(), dest.clip + offset, length);
            coverage = spanCoverage_.data();
        }
        uint32_t rowPixel = 0;
        if (uniform && !dest.maskPlane) paint_.shadeSpan(x0, y, 1, &rowPixel);
        if (dest.maskPlane) {
            render::uniteMaskSpan(dest.maskPlane + offset, coverage, length);
        } else if (dest.accumulate) {
            if (uniform) std::fill_n(spanPixels_.data(), length, rowPixel);
            else paint_.shadeSpan(x0, y, length, spanPixels_.data());
            render::addSpan(dest.image->at(x0, y), spanPixels_.data(), coverage, length);
            auto& row = scratchRows_[static_cast<size_t>(y)];
            row = {std::min(row.first, x0), std::max(row.second, x1)};
        } else if (uniform) {
            render::blendSolidSpan(dest.image->at(x0, y), rowPixel, coverage, length);
        } else {
            paint_.shadeSpan(x0, y, length, spanPixels_.data());
            render::blendSpan(dest.image->at(x0, y), spanPixels_.data(), coverage, length, opaque);
        }
        drawn = drawn.united({x0, y, x1, y + 1});
    });
    if (dest.dirty) *dest.dirty = dest.dirty->united(drawn);
}

std::unique_ptr<SoftwareRenderer::Entry> SoftwareRenderer::takeEntry() {
    std::unique_ptr<Entry> e;
    if (!spare_.empty()) {
        e = std::move(spare_.back());
        spare_.pop_back();
    } else {
        e = std::make_unique<Entry>();
    }
    e->bounds = {};
    e->filters.clear();
    return e;
}

void SoftwareRenderer::releaseEntry(std::unique_ptr<Entry> e) {
    // Clear only what was drawn, so the plane can be reused without wiping it whole.
    IntRect r = e->bounds.intersected({0, 0, e->image.width, e->image.height});
    for (int y = r.y0; y < r.y1; ++y) std::memset(e->image.at(r.x0, y), 0, static_cast<size_t>(r.width()) * 4);
    if (!e->plane.empty()) {
        IntRect m = e->bounds.intersected({0, 0, e->planeWidth, e->planeHeight});
        size_t w = static_cast<size_t>(e->planeWidth);
        for (int y = m.y0; y < m.y1; ++y)
            std::memset(e->plane.data() + static_cast<size_t>(y) * w + static_cast<size_t>(m.x0), 0,
                        static_cast<size_t>(m.width()));
    }
    e->bounds = {};
    spare_.push_back(std::move(e));
}

void SoftwareRenderer::popTopEntry() {
    if (stack_.empty()) return;
    std::unique_ptr<Entry> e = std::move(stack_.back());
    stack_.pop_back();
    releaseEntry(std::move(e));
}

void SoftwareRenderer::beginMask() {
    std::unique_ptr<Entry> e = takeEntry();
    if (planeCount() >= kMaxPlanes) {
        e->kind = Entry::Kind::SkippedCollectingMask;
        stack_.push_back(std::move(e));
        return;
    }
    e->kind = Entry::Kind::CollectingMask;
    // The mask is needed where what it masks is drawn: the rows of the destination below it.
    e->area = destination().area;
    if (e->planeWidth != target_.width || e->planeHeight != target_.height) {
        e->planeWidth = std::max(target_.width, 0);
        e->planeHeight = std::max(target_.height, 0);
        e->plane.assign(static_cast<size_t>(e->planeWidth) * static_cast<size_t>(e->planeHeight), 0);
    }
    stack_.push_back(std::move(e));
}

void SoftwareRenderer::endMask() {
    size_t k = stack_.size();
    while (k > 0 && stack_[k - 1]->kind != Entry::Kind::CollectingMask &&
           stack_[k - 1]->kind != Entry::Kind::SkippedCollectingMask)
        --k;
    if (k == 0) return;
    while (stack_.size() > k) popTopEntry();
    Entry& mask = *stack_.back();
    if (mask.kind == Entry::Kind::SkippedCollectingMask) {
        mask.kind = Entry::Kind::SkippedMask;
        return;
    }
    mask.kind = Entry::Kind::Mask;
    // The active mask below, if it applies here (no layer or mask content in between).
    const Entry* outer = nullptr;
    for (size_t i = k - 1; i > 0; --i) {
        Entry::Kind kind = stack_[i - 1]->kind;
        if (kind == Entry::Kind::SkippedMask || kind == Entry::Kind::SkippedLayer) continue;
        if (kind == Entry::Kind::Mask) outer = stack_[i - 1].get();
        break;
    }
    if (outer) {
        // Nested masks: what shows must lie inside both.
        size_t w = static_cast<size_t>(target_.width);
        for (int y = mask.bounds.y0; y < mask.bounds.y1; ++y) {
            size_t offset = static_cast<size_t>(y) * w + static_cast<size_t>(mask.bounds.x0);
            render::applyMaskSpan(mask.plane.data() + offset, outer->plane.data() + offset, mask.bounds.width());
        }
        // The plane is now zero outside the intersection, so the smaller bounds still cover all of it.
        IntRect inside = mask.bounds.intersected(outer->bounds);
        mask.bounds = inside.empty() ? IntRect{} : inside;
    }
}

void SoftwareRenderer::popMask() {
    if (stack_.empty()) return;
    Entry::Kind kind = stack_.back()->kind;
    if (kind == Entry::Kind::Mask || kind == Entry::Kind::CollectingMask || kind == Entry::Kind::SkippedMask ||
        kind == Entry::Kind::SkippedCollectingMask)
        popTopEntry();
}

void SoftwareRenderer::pushLayer(BlendMode mode, const std::vector<Filter>& filters,
                                 const ColorTransform& layerTransform) {
    std::unique_ptr<Entry> e = takeEntry();
    if (planeCount() >= kMaxPlanes) {
        e->kind = Entry::Kind::SkippedLayer;
        stack_.push_back(std::move(e));
        return;
    }
    e->kind = Entry::Kind::Layer;
    // Filters carry content across pixels: a layer is drawn as far beyond the area below it as they
    // reach.
    const IntRect below = destination().area;
    const auto reach = render::layerFilterReach(filters);
    const int reachX = std::clamp(reach.x, 0, std::max(target_.width, 0));
    const int reachY = std::clamp(reach.y, 0, std::max(target_.height, 0));
    e->area = below.empty() ? IntRect{} : below.inflated(reachX, reachY).intersected(targetRect());
    e->mode = mode;
    e->filters = filters;
    e->layerTransform = layerTransform;
    if (e->image.width != target_.width || e->image.height != target_.height)
        e->image = RgbaImage(std::max(target_.width, 0), std::max(target_.height, 0));
    stack_.push_back(std::move(e));
}

void SoftwareRenderer::popLayer() {
    size_t k = stack_.size();
    while (k > 0 && stack_[k - 1]->kind != Entry::Kind::Layer && stack_[k - 1]->kind != Entry::Kind::SkippedLayer) --k;
    if (k == 0) return;
    while (stack_.size() > k) popTopEntry();
    if (stack_.back()->kind == Entry::Kind::SkippedLayer) {
        popTopEntry();
        return;
    }
    std::unique_ptr<Entry> layer = std::move(stack_.back());
    stack_.pop_back();
    Destination dest = destination();
    if (!fitsTarget(dest)) {
        releaseEntry(std::move(layer));
        return;
    }
    IntRect area = render::applyLayerFilters(layer->image, layer->bounds, layer->filters, filterScratch_);
    layer->bounds = layer->bounds.united(area);
    if (!layer->layerTransform.isIdentity()) render::transformArea(layer->image, area, layer->layerTransform);
    bool stageBelow = dest.isTarget && !transparentTarget_;
    bool alphaOnly = layer->mode == BlendMode::Alpha || layer->mode == BlendMode::Erase;
    if (dest.clip) area = area.intersected(dest.clipBounds);
    area = area.intersected(dest.area);
    if (dest.discard) {
        // Inside the content of a mask beyond the nesting limit: nothing to add to.
    } else if (dest.maskPlane) {
        render::uniteLayerIntoMask(layer->image, dest.maskPlane, target_.width, area, dest.clip);
    } else if (!(alphaOnly && stageBelow)) {
        // Alpha and erase change the alpha of the layer they are drawn into; the stage itself is
        // always opaque, so there they have nothing to act on.
        render::compositeLayer(layer->image, *dest.image, area, layer->mode, dest.clip);
    }
    if (dest.dirty) *dest.dirty = dest.dirty->united(area);
    releaseEntry(std::move(layer));
}

bool SoftwareRenderer::drawFinishedLayer(const RgbaImage& pixels, int x, int y, BlendMode mode,
                                         const ColorTransform& layerTransform) {
    pushLayer(mode, {}, layerTransform);
    Entry& layer = *stack_.back();
    if (layer.kind == Entry::Kind::Layer) {
        const IntRect r = layer.area.intersected({x, y, x + pixels.width, y + pixels.height}).intersected(targetRect());
        for (int row = r.y0; row < r.y1; ++row)
            std::memcpy(layer.image.at(r.x0, row), pixels.at(r.x0 - x, row - y), static_cast<size_t>(r.width()) * 4);
        if (!r.empty()) layer.bounds = r;
    }
    popLayer();
    return true;
}

}  // namespace swf
