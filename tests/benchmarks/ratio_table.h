// The comparison's summary: per case, our time, cairo's time, their ratio and how far the two
// pictures lie apart, printed as a Markdown table once every case has run.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tests/benchmarks/image_difference.h"

namespace swf::bench {

class RatioTable {
public:
    enum class Side { Ours, Cairo };

    // A time in milliseconds per frame; a later time for the same case and side replaces an earlier one,
    // so that a median of repetitions overrides the single runs it summarises.
    void recordTime(const std::string& scene, Side side, double ms);
    void recordDifference(const std::string& scene, const ImageDifference& difference);

    // Cases with both times, in the order they were first recorded, and the geometric mean of the ratios.
    void print(std::ostream& out) const;

    struct Row {
        std::string scene;
        std::optional<double> oursMs, cairoMs;
        std::optional<ImageDifference> difference;
    };
    const std::vector<Row>& rows() const { return rows_; }

private:
    Row& row(const std::string& scene);
    std::vector<Row> rows_;
};

}  // namespace swf::bench
