// Timing helpers the benchmarks share: elapsed milliseconds and the middle of several runs, which
// one slow run (another process taking the processor) does not move.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace benchtiming {

inline double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace benchtiming
