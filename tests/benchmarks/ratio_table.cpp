#include "tests/benchmarks/ratio_table.h"

#include <cmath>
#include <cstdio>
#include <ostream>

namespace swf::bench {

RatioTable::Row& RatioTable::row(const std::string& scene) {
    for (Row& r : rows_)
        if (r.scene == scene) return r;
    rows_.push_back({scene, {}, {}, {}});
    return rows_.back();
}

void RatioTable::recordTime(const std::string& scene, Side side, double ms) {
    Row& r = row(scene);
    (side == Side::Ours ? r.oursMs : r.cairoMs) = ms;
}

void RatioTable::recordDifference(const std::string& scene, const ImageDifference& difference) {
    row(scene).difference = difference;
}

void RatioTable::print(std::ostream& out) const {
    out << "\n| case | ours ms | cairo ms | ours/cairo | mean channel diff | pixels off by >"
        << ImageDifference::kFar << " |\n|---|---:|---:|---:|---:|---:|\n";
    double logSum = 0;
    int count = 0;
    char line[256];
    for (const Row& r : rows_) {
        if (!r.oursMs || !r.cairoMs || *r.cairoMs <= 0) continue;
        const double ratio = *r.oursMs / *r.cairoMs;
        logSum += std::log(ratio);
        ++count;
        if (r.difference && r.difference->sameSize)
            std::snprintf(line, sizeof line, "| %s | %.2f | %.2f | %.2f | %.2f | %.3f%% |\n", r.scene.c_str(),
                          *r.oursMs, *r.cairoMs, ratio, r.difference->meanChannel, 100 * r.difference->farShare);
        else
            std::snprintf(line, sizeof line, "| %s | %.2f | %.2f | %.2f | - | - |\n", r.scene.c_str(), *r.oursMs,
                          *r.cairoMs, ratio);
        out << line;
    }
    if (count > 0) {
        std::snprintf(line, sizeof line, "| geometric mean | | | %.2f | | |\n", std::exp(logSum / count));
        out << line;
    }
    out << "\nours/cairo below 1 means our rasterizer is faster.\n";
}

}  // namespace swf::bench
