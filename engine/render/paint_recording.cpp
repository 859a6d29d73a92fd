#include "engine/render/paint_recording.h"

#include <algorithm>
#include <cmath>

#include "engine/render/layer_cache.h"
#include "engine/render/layer_filters.h"

namespace swf::render {

namespace {

// Beyond the outline: half a pixel of anti-aliasing either way, and rounding to whole pixels.
constexpr int kEdgeMargin = 2;

// How far a stroke's ink reaches beyond its centre line, in target pixels. Strokes that scale are
// widened in shape space and then transformed, so the matrix's largest stretch bounds them; the
// others are at least a pixel wide. Miter joins reach out to the miter limit in half-widths.
double strokeReach(const LineStyle& style, const Matrix& toPixels) {
    const double width = std::max(style.width, 0.0);
    const double scale = std::sqrt(std::fabs(toPixels.determinant()));
    const double stretch = std::sqrt(toPixels.a * toPixels.a + toPixels.b * toPixels.b + toPixels.c * toPixels.c +
                                     toPixels.d * toPixels.d);
    double half = std::max(width * stretch, width / kTwipsPerPixel) / 2;
    half = std::max({half, width * scale / 2, 0.5});
    double joinFactor = 1.5;  // square caps reach sqrt(2) half-widths
    if (style.join == JoinStyle::Miter) joinFactor = std::max(joinFactor, std::clamp(style.miterLimit, 1.0, 1000.0));
    return half * joinFactor;
}

}  // namespace

IntRect shapeReach(const ShapePaths& shape, const Matrix& toPixels, const IntRect& frame) {
    IntRect out;
    auto addContours = [&](const std::vector<Contour>& contours, double margin) -> bool {
        Rect r;
        for (const Contour& c : contours) {
            r.include(toPixels.apply(c.start));
            for (const PathSegment& s : c.segments) {
                // A quadratic curve stays inside the triangle of its ends and control point.
                r.include(toPixels.apply(s.control));
                r.include(toPixels.apply(s.end));
            }
        }
        if (r.empty()) return true;
        if (!std::isfinite(r.xMin) || !std::isfinite(r.yMin) || !std::isfinite(r.xMax) || !std::isfinite(r.yMax) ||
            !std::isfinite(margin))
            return false;
        double m = margin + kEdgeMargin;
        out = out.united(IntRect::covering({r.xMin - m, r.yMin - m, r.xMax + m, r.yMax + m}, frame));
        return true;
    };
    for (const PathLayer& layer : shape.layers) {
        for (const FillPath& fill : layer.fills)
            if (!addContours(fill.contours, 0)) return frame;
        for (const StrokePath& stroke : layer.strokes)
            if (!addContours(stroke.contours, strokeReach(stroke.style, toPixels))) return frame;
    }
    return out;
}

bool PaintCall::operator==(const PaintCall& o) const {
    // The paths last: they are the costly part, and shared paths compare by pointer.
    return kind == o.kind && toPixels == o.toPixels && cxform == o.cxform && mode == o.mode &&
           layerTransform == o.layerTransform && background == o.background && quality == o.quality &&
           reach == o.reach && shapeReach == o.shapeReach && filters == o.filters &&
           (shape == o.shape || (shape && o.shape && *shape == *o.shape));
}

// The earlier frame's shape call drawing the same paths. Looked for first where the calls so far
// left off (the frame goes on as the last one did) and at the same position, then among the
// earlier calls whose paths have the same bounds.
const PaintCall* PaintRecording::earlierShape(const ShapePaths& shape) {
    if (!earlier_) return nullptr;
    auto sameAt = [&](size_t at) {
        if (at >= earlier_->size()) return false;
        const PaintCall& c = (*earlier_)[at];
        return c.kind == PaintCall::Kind::Shape && c.shape && *c.shape == shape;
    };
    auto found = [&](size_t at) {
        earlierNext_ = at + 1;
        return &(*earlier_)[at];
    };
    if (sameAt(earlierNext_)) return found(earlierNext_);
    if (sameAt(calls_.size() - 1)) return found(calls_.size() - 1);
    if (!earlierIndexed_) {
        earlierIndexed_ = true;
        for (size_t i = 0; i < earlier_->size(); ++i) {
            const PaintCall& c = (*earlier_)[i];
            if (c.kind != PaintCall::Kind::Shape || !c.shape) continue;
            const Rect& b = c.shape->bounds;
            earlierByBounds_[{b.xMin, b.yMin, b.xMax, b.yMax}].push_back(i);
        }
    }
    const Rect& b = shape.bounds;
    auto it = earlierByBounds_.find({b.xMin, b.yMin, b.xMax, b.yMax});
    if (it == earlierByBounds_.end()) return nullptr;
    // Paths drawn many times (a glyph, a tile) all match the first; a few tries are enough.
    constexpr size_t kMaxTries = 4;
    for (size_t k = 0; k < it->second.size() && k < kMaxTries; ++k)
        if (sameAt(it->second[k])) return found(it->second[k]);
    return nullptr;
}

IntRect PaintRecording::spread(const IntRect& r) const {
    if (groups_.empty() || r.empty()) return r;
    const Group& g = groups_.back();
    return r.inflated(g.reachX, g.reachY).intersected(frame_);
}

PaintCall& PaintRecording::add(PaintCall::Kind kind, const IntRect& reach) {
    PaintCall& call = calls_.emplace_back();
    call.kind = kind;
    call.reach = reach;
    if (!groups_.empty()) groups_.back().changed = groups_.back().changed.united(reach);
    return call;
}

// A recording holds one frame; what was set before it began (the quality) belongs to it too.
void PaintRecording::beginFrame(Rgba background) {
    groups_.clear();
    add(PaintCall::Kind::Background, frame_).background = background;
}

void PaintRecording::endFrame() {
    // Groups left open draw nothing; whatever they were meant to change is taken as changed.
    for (const Group& g : groups_) calls_[g.opening].reach = frame_;
    groups_.clear();
}

void PaintRecording::setQuality(Quality quality) { add(PaintCall::Kind::Quality, frame_).quality = quality; }

void PaintRecording::drawShape(const ShapePaths& shape, const Matrix& toPixels, const ColorTransform& cxform) {
    PaintCall& call = add(PaintCall::Kind::Shape, {});
    const PaintCall* before = earlierShape(shape);
    call.shape = before ? before->shape : std::make_shared<const ShapePaths>(shape);
    call.toPixels = toPixels;
    call.cxform = cxform;
    call.shapeReach = before && before->toPixels == toPixels ? before->shapeReach : shapeReach(shape, toPixels, frame_);
    call.reach = spread(call.shapeReach);
    if (!groups_.empty()) groups_.back().changed = groups_.back().changed.united(call.reach);
}

void PaintRecording::beginMask() {
    Group g;
    g.opening = calls_.size();
    if (!groups_.empty()) {
        g.reachX = groups_.back().reachX;
        g.reachY = groups_.back().reachY;
    }
    add(PaintCall::Kind::BeginMask, {});
    groups_.push_back(g);
}

void PaintRecording::endMask() {
    if (!groups_.empty() && !groups_.back().layer && groups_.back().maskEnd == 0) groups_.back().maskEnd = calls_.size();
    add(PaintCall::Kind::EndMask, {});
}

void PaintRecording::pushLayer(BlendMode mode, const std::vector<Filter>& filters,
                               const ColorTransform& layerTransform) {
    Group g;
    g.layer = true;
    g.opening = calls_.size();
    FilterReach r = layerFilterReach(filters);
    const int limit = std::max(frame_.width(), frame_.height());
    g.reachX = std::clamp(r.x, 0, limit);
    g.reachY = std::clamp(r.y, 0, limit);
    if (!groups_.empty()) {
        g.reachX = std::min(g.reachX + groups_.back().reachX, limit);
        g.reachY = std::min(g.reachY + groups_.back().reachY, limit);
    }
    PaintCall& call = add(PaintCall::Kind::PushLayer, {});
    call.mode = mode;
    call.filters = filters;
    call.layerTransform = layerTransform;
    groups_.push_back(g);
}

void PaintRecording::popMask() { closeGroup(false); }
void PaintRecording::popLayer() { closeGroup(true); }

// Closing a group gives its opening and closing calls (and a mask's end) the reach of the whole
// group: adding, removing or changing any of them changes what the group shows wherever it shows.
void PaintRecording::closeGroup(bool layer) {
    const PaintCall::Kind closing = layer ? PaintCall::Kind::PopLayer : PaintCall::Kind::PopMask;
    // A renderer closes inner groups of the other kind on the way out, as the software one does.
    size_t k = groups_.size();
    while (k > 0 && groups_[k - 1].layer != layer) --k;
    if (k == 0) {
        // Nothing to close: the call does nothing, but counts as a change everywhere.
        calls_.emplace_back().kind = closing;
        calls_.back().reach = frame_;
        return;
    }
    IntRect changed;
    while (groups_.size() >= k) {
        Group g = groups_.back();
        groups_.pop_back();
        // The calls inside were spread by this group's filters already.
        changed = changed.united(g.changed);
        calls_[g.opening].reach = calls_[g.opening].reach.united(changed);
        if (g.maskEnd != 0) calls_[g.maskEnd].reach = calls_[g.maskEnd].reach.united(changed);
    }
    PaintCall& call = calls_.emplace_back();
    call.kind = closing;
    call.reach = changed;
    if (!groups_.empty()) groups_.back().changed = groups_.back().changed.united(changed);
}

namespace {

void issue(const PaintCall& c, Renderer& renderer) {
    switch (c.kind) {
        case PaintCall::Kind::Background: renderer.beginFrame(c.background); break;
        case PaintCall::Kind::Quality: renderer.setQuality(c.quality); break;
        case PaintCall::Kind::Shape:
            if (c.shape) renderer.drawShape(*c.shape, c.toPixels, c.cxform);
            break;
        case PaintCall::Kind::BeginMask: renderer.beginMask(); break;
        case PaintCall::Kind::EndMask: renderer.endMask(); break;
        case PaintCall::Kind::PopMask: renderer.popMask(); break;
        case PaintCall::Kind::PushLayer: renderer.pushLayer(c.mode, c.filters, c.layerTransform); break;
        case PaintCall::Kind::PopLayer: renderer.popLayer(); break;
    }
}

}  // namespace

void replay(const std::vector<PaintCall>& calls, Renderer& renderer) {
    for (const PaintCall& c : calls) issue(c, renderer);
    renderer.endFrame();
}

void replayArea(const std::vector<PaintCall>& calls, Renderer& renderer, const IntRect& area,
                const LayerCache* layers) {
    for (size_t i = 0; i < calls.size(); ++i) {
        const PaintCall& c = calls[i];
        // Only shapes are left out: the other calls open and close groups or set state.
        if (c.kind == PaintCall::Kind::Shape && c.reach.intersected(area).empty()) continue;
        if (c.kind == PaintCall::Kind::PushLayer && layers) {
            const FinishedLayer* finished = layers->finished(i);
            if (finished && finished->closing > i && finished->closing < calls.size() &&
                (c.reach.intersected(area).empty() ||
                 renderer.drawFinishedLayer(*finished->pixels, finished->x, finished->y, c.mode, c.layerTransform))) {
                i = finished->closing;
                continue;
            }
        }
        issue(c, renderer);
    }
    renderer.endFrame();
}

}  // namespace swf::render
