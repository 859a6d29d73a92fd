#include "engine/core/drawing.h"

#include <cmath>

namespace swf {

namespace {

Point twips(double x, double y) {
    // Non-finite input (NaN from a script) draws at the origin rather than poisoning the bounds.
    auto t = [](double v) { return std::isfinite(v) ? std::clamp(v, -1e7, 1e7) * kTwipsPerPixel : 0.0; };
    return {t(x), t(y)};
}

bool same(Point a, Point b) { return a.x == b.x && a.y == b.y; }

void includeContour(Rect& r, const Contour& c, double pad) {
    auto add = [&](Point p) {
        r.include(Point{p.x - pad, p.y - pad});
        r.include(Point{p.x + pad, p.y + pad});
    };
    add(c.start);
    for (const PathSegment& s : c.segments) {
        if (s.curved) add(s.control);
        add(s.end);
    }
}

}  // namespace

void Drawing::clear() {
    *this = Drawing();
}

void Drawing::lineStyle(std::optional<LineStyle> style) {
    flushStroke();
    line_ = std::move(style);
    cacheValid_ = false;
}

void Drawing::beginFill(const FillStyle& fill) {
    if (fill_) flushFill();
    // Lines drawn before this fill stay under it.
    flushStroke();
    if (!stroke_.empty()) {
        layers_.push_back(PathLayer{{}, std::move(stroke_)});
        stroke_.clear();
    }
    fill_ = FillPath{fill, {}, false};
    if (fill.bitmapSource) hasSourcedFill_ = true;
    fillContourOpen_ = false;
    cacheValid_ = false;
}

void Drawing::endFill() {
    if (fill_) flushFill();
    cacheValid_ = false;
}

void Drawing::fillWinding(bool nonZero) {
    if (!fill_ || fill_->nonZero == nonZero) return;
    fill_->nonZero = nonZero;
    cacheValid_ = false;
}

void Drawing::moveTo(double x, double y) {
    closeFillContour();
    flushStroke();
    pen_ = twips(x, y);
    cacheValid_ = false;
}

void Drawing::lineTo(double x, double y) {
    Point p = twips(x, y);
    segment(p, p, false);
}

void Drawing::curveTo(double cx, double cy, double x, double y) {
    segment(twips(cx, cy), twips(x, y), true);
}

void Drawing::segment(Point control, Point end, bool curved) {
    if (segments_ >= kMaxSegments) {
        overflowed_ = true;
        pen_ = end;
        return;
    }
    ++segments_;
    if (fill_) {
        if (!fillContourOpen_) {
            fillContour_ = Contour{pen_, {}, true};
            fillContourOpen_ = true;
        }
        fillContour_.segments.push_back(PathSegment{control, end, curved});
    }
    if (line_) {
        if (!strokeContourOpen_) {
            strokeContour_ = Contour{pen_, {}, false};
            strokeContourOpen_ = true;
        }
        strokeContour_.segments.push_back(PathSegment{control, end, curved});
    }
    pen_ = end;
    cacheValid_ = false;
}

void Drawing::flushStroke() {
    if (!strokeContourOpen_) return;
    strokeContourOpen_ = false;
    if (strokeContour_.segments.empty() || !line_) return;
    if (stroke_.empty() || !(stroke_.back().style.color == line_->color) ||
        stroke_.back().style.width != line_->width)
        stroke_.push_back(StrokePath{*line_, {}});
    stroke_.back().contours.push_back(std::move(strokeContour_));
}

void Drawing::closeFillContour() {
    if (!fillContourOpen_) return;
    fillContourOpen_ = false;
    if (!fill_ || fillContour_.segments.empty()) return;
    Point last = fillContour_.segments.back().end;
    if (!same(last, fillContour_.start))
        fillContour_.segments.push_back(PathSegment{fillContour_.start, fillContour_.start, false});
    fill_->contours.push_back(std::move(fillContour_));
}

void Drawing::flushFill() {
    closeFillContour();
    flushStroke();
    PathLayer layer;
    if (!fill_->contours.empty()) layer.fills.push_back(std::move(*fill_));
    layer.strokes = std::move(stroke_);
    stroke_.clear();
    fill_.reset();
    if (!layer.fills.empty() || !layer.strokes.empty()) layers_.push_back(std::move(layer));
}

const ShapePaths& Drawing::paths() const {
    if (cacheValid_) {
        if (hasSourcedFill_)
            for (PathLayer& l : cache_.layers)
                for (FillPath& f : l.fills)
                    if (f.style.bitmapSource) f.style.bitmap = f.style.bitmapSource->image();
        return cache_;
    }
    cache_.layers = layers_;
    PathLayer open;
    if (fill_) {
        FillPath f = *fill_;
        if (fillContourOpen_ && !fillContour_.segments.empty()) {
            Contour c = fillContour_;
            if (!same(c.segments.back().end, c.start)) c.segments.push_back(PathSegment{c.start, c.start, false});
            f.contours.push_back(std::move(c));
        }
        if (!f.contours.empty()) open.fills.push_back(std::move(f));
    }
    open.strokes = stroke_;
    if (strokeContourOpen_ && line_ && !strokeContour_.segments.empty()) {
        open.strokes.push_back(StrokePath{*line_, {strokeContour_}});
    }
    if (!open.fills.empty() || !open.strokes.empty()) cache_.layers.push_back(std::move(open));
    Rect bounds;
    for (const PathLayer& l : cache_.layers) {
        for (const FillPath& f : l.fills)
            for (const Contour& c : f.contours) includeContour(bounds, c, 0);
        for (const StrokePath& s : l.strokes)
            for (const Contour& c : s.contours) includeContour(bounds, c, s.style.width / 2);
    }
    cache_.bounds = bounds;
    cacheValid_ = true;
    return hasSourcedFill_ ? paths() : cache_;
}

}  // namespace swf
