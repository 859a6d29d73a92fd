#include "engine/paths/shape_paths.h"

#include <cmath>
#include <map>
#include <unordered_map>

namespace swf {

namespace {

struct Edge {
    Point from, control, to;
    bool curved = false;
};

// Points in shape records are whole twips, so exact keys join contours reliably.
struct PointKey {
    int64_t x, y;
    bool operator==(const PointKey&) const = default;
};
struct PointKeyHash {
    size_t operator()(const PointKey& k) const { return std::hash<int64_t>()(k.x * 73856093 ^ k.y * 19349663); }
};
PointKey keyOf(Point p) { return {std::llround(p.x * 16), std::llround(p.y * 16)}; }

// Joins the edges of one fill style into contours, following each edge's end to an unused edge
// that starts there.
std::vector<Contour> joinContours(const std::vector<Edge>& edges) {
    std::unordered_multimap<PointKey, size_t, PointKeyHash> byStart;
    byStart.reserve(edges.size());
    for (size_t i = 0; i < edges.size(); ++i) byStart.emplace(keyOf(edges[i].from), i);
    std::vector<bool> used(edges.size(), false);
    std::vector<Contour> contours;
    for (size_t first = 0; first < edges.size(); ++first) {
        if (used[first]) continue;
        Contour c;
        c.start = edges[first].from;
        size_t current = first;
        for (;;) {
            used[current] = true;
            const Edge& e = edges[current];
            c.segments.push_back({e.control, e.to, e.curved});
            PointKey end = keyOf(e.to);
            if (end == keyOf(c.start)) break;
            auto [lo, hi] = byStart.equal_range(end);
            size_t next = edges.size();
            for (auto it = lo; it != hi; ++it) {
                if (!used[it->second]) {
                    next = it->second;
                    break;
                }
            }
            if (next == edges.size()) break;  // an open contour: the renderer closes it
            current = next;
        }
        c.closed = true;
        contours.push_back(std::move(c));
    }
    return contours;
}

class Builder {
public:
    explicit Builder(const Shape& shape) : nonZero_(shape.nonZeroWinding) {
        startGroup(shape.fillStyles, shape.lineStyles);
    }

    void run(const std::vector<ShapeRecord>& records) {
        Point pen{0, 0};
        for (const auto& rec : records) {
            switch (rec.type) {
            case ShapeRecord::Type::StyleChange:
                if (rec.hasNewStyles) {
                    flushGroup();
                    startGroup(rec.newFillStyles, rec.newLineStyles);
                    fill0_ = fill1_ = line_ = 0;
                }
                if (rec.hasFill0) fill0_ = rec.fill0;
                if (rec.hasFill1) fill1_ = rec.fill1;
                if (rec.hasLine) {
                    line_ = rec.line;
                    strokeOpen_ = false;
                }
                if (rec.hasMove) {
                    pen = rec.moveTo;
                    strokeOpen_ = false;
                }
                break;
            case ShapeRecord::Type::Line: {
                Point to{pen.x + rec.delta.x, pen.y + rec.delta.y};
                addEdge({pen, to, to, false});
                pen = to;
                break;
            }
            case ShapeRecord::Type::Curve: {
                Point control{pen.x + rec.control.x, pen.y + rec.control.y};
                Point to{control.x + rec.delta.x, control.y + rec.delta.y};
                addEdge({pen, control, to, true});
                pen = to;
                break;
            }
            }
        }
        flushGroup();
    }

    ShapePaths take() { return std::move(result_); }

private:
    void startGroup(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines) {
        fills_ = fills;
        lines_ = lines;
        fillEdges_.assign(fills.size(), {});
        strokes_.assign(lines.size(), {});
        strokeOpen_ = false;
    }

    void addEdge(const Edge& e) {
        result_.bounds.include(e.from);
        result_.bounds.include(e.to);
        if (e.curved) result_.bounds.include(e.control);
        if (fill1_ >= 1 && fill1_ <= fillEdges_.size()) fillEdges_[fill1_ - 1].push_back(e);
        if (fill0_ >= 1 && fill0_ <= fillEdges_.size()) fillEdges_[fill0_ - 1].push_back({e.to, e.control, e.from, e.curved});
        if (line_ >= 1 && line_ <= strokes_.size()) {
            auto& contours = strokes_[line_ - 1];
            if (!strokeOpen_ || contours.empty() || strokeLine_ != line_) {
                Contour c;
                c.start = e.from;
                c.closed = false;
                contours.push_back(std::move(c));
                strokeOpen_ = true;
                strokeLine_ = line_;
            }
            contours.back().segments.push_back({e.control, e.to, e.curved});
        } else {
            strokeOpen_ = false;
        }
    }

    void flushGroup() {
        PathLayer layer;
        for (size_t i = 0; i < fills_.size(); ++i) {
            if (fillEdges_[i].empty()) continue;
            FillPath fp;
            fp.style = fills_[i];
            fp.nonZero = nonZero_;
            fp.contours = joinContours(fillEdges_[i]);
            layer.fills.push_back(std::move(fp));
        }
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (strokes_[i].empty()) continue;
            StrokePath sp;
            sp.style = lines_[i];
            for (auto& c : strokes_[i]) {
                if (!c.segments.empty()) {
                    const Point& end = c.segments.back().end;
                    c.closed = !sp.style.noClose && end.x == c.start.x && end.y == c.start.y;
                }
            }
            sp.contours = std::move(strokes_[i]);
            layer.strokes.push_back(std::move(sp));
        }
        if (!layer.fills.empty() || !layer.strokes.empty()) result_.layers.push_back(std::move(layer));
        for (auto& e : fillEdges_) e.clear();
        for (auto& s : strokes_) s.clear();
    }

    bool nonZero_;
    std::vector<FillStyle> fills_;
    std::vector<LineStyle> lines_;
    std::vector<std::vector<Edge>> fillEdges_;
    std::vector<std::vector<Contour>> strokes_;
    uint32_t fill0_ = 0, fill1_ = 0, line_ = 0;
    bool strokeOpen_ = false;
    uint32_t strokeLine_ = 0;
    ShapePaths result_;
};

}  // namespace

ShapePaths buildShapePaths(const Shape& shape) {
    Builder builder(shape);
    builder.run(shape.records);
    return builder.take();
}

}  // namespace swf
