#include "engine/render/frame_changes.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace swf::render {

namespace {

// Beyond this many differing calls a frame is simply drawn whole: comparing further costs more than
// it could save.
constexpr int kMaxEdits = 400;

int64_t area(const IntRect& r) { return int64_t(r.width()) * int64_t(r.height()); }

// Marks the calls of `a` and `b` that are not in a longest common subsequence of the two (Myers'
// greedy difference algorithm). Calls in the common subsequence keep their order relative to each
// other, so every pixel whose calls changed in set or order is reached by a marked one. Returns false
// when the two differ in more than kMaxEdits calls.
bool markDifferences(const PaintCall* a, int n, const PaintCall* b, int m, std::vector<bool>& aMarked,
                     std::vector<bool>& bMarked) {
    const int maxD = std::min(n + m, kMaxEdits);
    const int offset = maxD + 1;
    std::vector<int> v(static_cast<size_t>(2 * maxD + 3), 0);
    std::vector<std::vector<int>> trace;
    int found = -1;
    for (int d = 0; d <= maxD && found < 0; ++d) {
        trace.push_back(v);
        for (int k = -d; k <= d; k += 2) {
            int x;
            if (k == -d || (k != d && v[size_t(offset + k - 1)] < v[size_t(offset + k + 1)])) x = v[size_t(offset + k + 1)];
            else x = v[size_t(offset + k - 1)] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y]) ++x, ++y;
            v[size_t(offset + k)] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) return false;
    // Walk back from the end: each step of d came by one deletion from a or one insertion from b.
    int x = n, y = m;
    for (int d = found; d > 0; --d) {
        const std::vector<int>& pv = trace[size_t(d)];
        int k = x - y;
        int prevK;
        if (k == -d || (k != d && pv[size_t(offset + k - 1)] < pv[size_t(offset + k + 1)])) prevK = k + 1;
        else prevK = k - 1;
        int prevX = pv[size_t(offset + prevK)];
        int prevY = prevX - prevK;
        while (x > prevX && y > prevY) --x, --y;  // the matching run after the edit
        if (prevK == k + 1) bMarked[size_t(y - 1)] = true;  // inserted from b
        else aMarked[size_t(x - 1)] = true;                  // deleted from a
        x = prevX;
        y = prevY;
    }
    return true;
}

// Merges rectangles until at most `maxRects` remain, each time the pair whose union adds the least
// area; overlapping ones merge whatever the count.
void mergeRects(std::vector<IntRect>& rects, size_t maxRects) {
    maxRects = std::max<size_t>(maxRects, 1);
    if (rects.size() > 256) {
        // Too many to pair up: one rectangle around them all.
        IntRect all;
        for (const IntRect& r : rects) all = all.united(r);
        rects.assign(1, all);
        return;
    }
    while (rects.size() > 1) {
        size_t bestI = 0, bestJ = 1;
        int64_t bestCost = std::numeric_limits<int64_t>::max();
        for (size_t i = 0; i < rects.size(); ++i)
            for (size_t j = i + 1; j < rects.size(); ++j) {
                int64_t cost = area(rects[i].united(rects[j])) - area(rects[i]) - area(rects[j]);
                if (cost < bestCost) {
                    bestCost = cost;
                    bestI = i;
                    bestJ = j;
                }
            }
        // Overlapping pairs cost less than their own areas together; past the limit, any pair merges.
        const bool overlapping = !rects[bestI].intersected(rects[bestJ]).empty();
        if (rects.size() <= maxRects && !overlapping) break;
        rects[bestI] = rects[bestI].united(rects[bestJ]);
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(bestJ));
    }
}

}  // namespace

std::vector<IntRect> frameChanges(const std::vector<PaintCall>& before, const std::vector<PaintCall>& after,
                                  const IntRect& frame, size_t maxRects) {
    if (frame.empty()) return {};
    const std::vector<IntRect> whole{frame};
    // The common beginning and end are compared first: most frames differ only in a few calls.
    size_t start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start]) ++start;
    size_t endBefore = before.size(), endAfter = after.size();
    while (endBefore > start && endAfter > start && before[endBefore - 1] == after[endAfter - 1]) --endBefore, --endAfter;
    const int n = static_cast<int>(endBefore - start), m = static_cast<int>(endAfter - start);
    if (n == 0 && m == 0) return {};
    if (n + m > 4 * kMaxEdits) return whole;
    std::vector<bool> beforeMarked(size_t(n), false), afterMarked(size_t(m), false);
    if (!markDifferences(before.data() + start, n, after.data() + start, m, beforeMarked, afterMarked)) return whole;
    std::vector<IntRect> rects;
    auto take = [&](const PaintCall& c) {
        IntRect r = c.reach.intersected(frame);
        if (!r.empty()) rects.push_back(r);
    };
    for (int i = 0; i < n; ++i)
        if (beforeMarked[size_t(i)]) take(before[start + size_t(i)]);
    for (int j = 0; j < m; ++j)
        if (afterMarked[size_t(j)]) take(after[start + size_t(j)]);
    mergeRects(rects, maxRects);
    return rects;
}

std::vector<IntRect> separateRects(const std::vector<IntRect>& rects, const IntRect& frame) {
    std::vector<IntRect> inside;
    std::vector<int> edges;
    for (const IntRect& r : rects) {
        const IntRect c = r.intersected(frame);
        if (c.empty()) continue;
        inside.push_back(c);
        edges.push_back(c.y0);
        edges.push_back(c.y1);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    // Between two neighbouring edges every rectangle covers all rows or none: there the pixels are a
    // few separate runs of columns. A band whose runs match the band above extends its rectangles.
    std::vector<IntRect> out;
    std::vector<std::pair<int, int>> runs, above;
    int aboveEnd = 0;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const int y0 = edges[i], y1 = edges[i + 1];
        runs.clear();
        for (const IntRect& r : inside)
            if (r.y0 <= y0 && r.y1 >= y1) runs.push_back({r.x0, r.x1});
        std::sort(runs.begin(), runs.end());
        size_t kept = 0;
        for (const auto& run : runs) {
            if (kept > 0 && run.first <= runs[kept - 1].second) runs[kept - 1].second = std::max(runs[kept - 1].second, run.second);
            else runs[kept++] = run;
        }
        runs.resize(kept);
        if (!runs.empty() && runs == above && aboveEnd == y0) {
            for (size_t k = out.size() - runs.size(); k < out.size(); ++k) out[k].y1 = y1;
        } else {
            for (const auto& [x0, x1] : runs) out.push_back({x0, y0, x1, y1});
        }
        above = runs;
        aboveEnd = y1;
    }
    return out;
}

}  // namespace swf::render
