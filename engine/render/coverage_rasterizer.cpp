#include "engine/render/coverage_rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace swf::render {

bool CoverageRasterizer::prepare(const Polygon& polygon, const IntRect& clip, int rowBegin, int rowEnd) {
    if (polygon.points.size() < 3) return false;
    box_ = IntRect::covering(polygon.bounds(), clip);
    if (box_.empty()) return false;
    firstRow_ = std::clamp(rowBegin, box_.y0, box_.y1) - box_.y0;
    endRow_ = std::clamp(rowEnd, box_.y0, box_.y1) - box_.y0;
    if (endRow_ <= firstRow_) return false;
    stride_ = box_.width() + 1;
    const size_t rows = static_cast<size_t>(endRow_ - firstRow_);
    size_t cellCount = static_cast<size_t>(stride_) * rows;
    if (cells_.size() < cellCount) cells_.resize(cellCount, 0.0f);
    rowMin_.assign(rows, std::numeric_limits<int>::max());
    rowMax_.assign(rows, -1);
    if (coverage_.size() < static_cast<size_t>(stride_)) coverage_.resize(static_cast<size_t>(stride_));

    uint32_t begin = 0;
    for (uint32_t end : polygon.contourEnds) {
        if (end > polygon.points.size() || end < begin) break;
        for (uint32_t i = begin; i < end; ++i) {
            uint32_t next = (i + 1 < end) ? i + 1 : begin;
            addEdge(polygon.points[i], polygon.points[next]);
        }
        begin = end;
    }
    return true;
}

// Clips the edge to the box's rows and splits it where it leaves the box sideways: parts left of the
// box become vertical edges on its left border (they still change the winding of everything to their
// right), parts right of it vanish into the spare cell past the right border.
void CoverageRasterizer::addEdge(Point a, Point b) {
    // Far beyond any target, coordinates only need to stay far: bringing them within 1e12 keeps
    // every difference and product below finite.
    constexpr double kFar = 1e12;
    if (!(a.x == a.x && a.y == a.y && b.x == b.x && b.y == b.y)) return;
    a = {std::clamp(a.x, -kFar, kFar), std::clamp(a.y, -kFar, kFar)};
    b = {std::clamp(b.x, -kFar, kFar), std::clamp(b.y, -kFar, kFar)};
    double top = box_.y0, bottom = box_.y1;
    if (a.y == b.y) return;
    if ((a.y <= top && b.y <= top) || (a.y >= bottom && b.y >= bottom)) return;
    auto xAtY = [&](double y) { return a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y); };
    Point p = a, q = b;
    if (p.y < top) p = {xAtY(top), top};
    if (p.y > bottom) p = {xAtY(bottom), bottom};
    if (q.y < top) q = {xAtY(top), top};
    if (q.y > bottom) q = {xAtY(bottom), bottom};

    double left = box_.x0, right = box_.x1;
    auto yAtX = [&](double x) { return p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x); };
    // Split at the left and right borders so every piece is either inside or wholly to one side.
    Point pts[4] = {p};
    int n = 1;
    double splits[2];
    int ns = 0;
    if ((p.x < left) != (q.x < left) && p.x != q.x) splits[ns++] = left;
    if ((p.x > right) != (q.x > right) && p.x != q.x) splits[ns++] = right;
    if (ns == 2 && ((p.x < q.x) != (splits[0] < splits[1]))) std::swap(splits[0], splits[1]);
    for (int i = 0; i < ns; ++i) pts[n++] = {splits[i], yAtX(splits[i])};
    pts[n++] = q;
    for (int i = 0; i + 1 < n; ++i) {
        Point s = pts[i], e = pts[i + 1];
        s.x = std::clamp(s.x, left, right);
        e.x = std::clamp(e.x, left, right);
        addClippedEdge({s.x - box_.x0, s.y - box_.y0}, {e.x - box_.x0, e.y - box_.y0});
    }
}

void CoverageRasterizer::addClippedEdge(Point a, Point b) {
    if (a.y == b.y) return;
    // Downward edges add winding, upward ones remove it.
    double dir = 1;
    if (a.y > b.y) {
        std::swap(a, b);
        dir = -1;
    }
    double dxdy = (b.x - a.x) / (b.y - a.y);
    int rowEnd = std::min(static_cast<int>(std::ceil(b.y)), box_.height());
    double x = a.x;
    rowEnd = std::min(rowEnd, endRow_);  // rows past the band are not needed, those before it are
    for (int row = std::max(static_cast<int>(std::floor(a.y)), 0); row < rowEnd; ++row) {
        double yTop = std::max(double(row), a.y);
        double yBottom = std::min(double(row + 1), b.y);
        double dy = yBottom - yTop;
        if (dy <= 0) continue;
        double xNext = x + dxdy * dy;
        // Rows outside the band still advance x, so the rows inside see the same values.
        if (row >= firstRow_ && row < endRow_) depositRow(row - firstRow_, x, xNext, dy * dir);
        x = xNext;
    }
}

// Adds one row's piece of an edge that runs from xa to xb while covering `delta` of the row's height
// (signed by direction). The edge winds a point at x in proportion to h(x), the height of the part of
// the edge left of x; pixel c therefore gets the integral of h over [c, c+1]. Cells hold differences
// of those integrals, so the running sum along the row rebuilds them and carries the full delta on
// to every pixel right of the edge.
void CoverageRasterizer::depositRow(int row, double xa, double xb, double delta) {
    float* cells = cells_.data() + static_cast<size_t>(row) * static_cast<size_t>(stride_);
    const double maxX = stride_ - 1;
    xa = std::clamp(xa, 0.0, maxX);
    xb = std::clamp(xb, 0.0, maxX);
    if (xa > xb) std::swap(xa, xb);
    int first = static_cast<int>(xa);
    int end = std::max(static_cast<int>(std::ceil(xb)), first + 1);  // one past the last cell entered
    double width = xb - xa;
    double slope = width > 0 ? delta / width : 0;
    // H(x): integral of h from the left; a parabola over the edge, a straight line past its end.
    auto integral = [&](double x) {
        if (x <= xa) return 0.0;
        if (x >= xb) return 0.5 * delta * width + delta * (x - xb);
        double t = x - xa;
        return 0.5 * slope * t * t;
    };
    double previous = 0;
    double lower = integral(first);
    for (int c = first; c < end; ++c) {
        double upper = integral(c + 1);
        double area = upper - lower;
        cells[c] += static_cast<float>(area - previous);
        previous = area;
        lower = upper;
    }
    if (end < stride_) cells[end] += static_cast<float>(delta - previous);
    int& lo = rowMin_[static_cast<size_t>(row)];
    int& hi = rowMax_[static_cast<size_t>(row)];
    lo = std::min(lo, first);
    hi = std::max(hi, std::min(end, stride_ - 1));
}

namespace {

// The first cell at or after `x` (and before `end`) that holds anything. Cells are tested four at a
// time by their bits: rows are mostly long empty stretches between a few edges.
int nextEdgeCell(const float* cells, int x, int end) {
    while (x + 4 <= end) {
        uint64_t pair[2];
        std::memcpy(pair, cells + x, sizeof pair);
        if ((pair[0] | pair[1]) != 0) break;
        x += 4;
    }
    while (x < end && cells[x] == 0) ++x;
    return x;
}

}  // namespace

const uint8_t* CoverageRasterizer::resolveRow(int boxRow, FillRule rule, int& x0, int& x1) {
    const size_t row = static_cast<size_t>(boxRow - firstRow_);
    int lo = rowMin_[row];
    int hi = rowMax_[row];
    if (hi < lo) return nullptr;
    float* cells = cells_.data() + row * static_cast<size_t>(stride_);
    int end = std::min(hi + 1, stride_ - 1);  // the spare cell is cleared but never drawn
    float sum = 0;
    uint8_t c = 0;
    bool any = false;
    int x = lo;
    while (x < end) {
        // Cells without an edge keep the coverage of the pixel before: only edge cells recompute.
        int edge = nextEdgeCell(cells, x, end);
        std::memset(coverage_.data() + (x - lo), c, static_cast<size_t>(edge - x));
        if (edge == end) break;
        sum += cells[edge];
        cells[edge] = 0;
        float w = std::fabs(sum);
        if (w > 1) {
            if (rule == FillRule::EvenOdd) {
                w -= 2 * std::floor(w * 0.5f);
                if (w > 1) w = 2 - w;
            } else {
                w = 1;
            }
        }
        c = static_cast<uint8_t>(w * 255.0f + 0.5f);
        any |= c != 0;
        coverage_[static_cast<size_t>(edge - lo)] = c;
        x = edge + 1;
    }
    for (int k = end; k <= hi; ++k) cells[k] = 0;
    if (!any) return nullptr;
    x0 = box_.x0 + lo;
    x1 = box_.x0 + end;
    return coverage_.data();
}

}  // namespace swf::render
