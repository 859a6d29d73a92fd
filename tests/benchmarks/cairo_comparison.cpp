// Our software rasterizer against cairo's image backend on the same frames at 1920x1080, one core,
// in one run: every case is drawn by both, timed per frame, and summarised as ours/cairo at the end,
// beside how far the two pictures lie apart (showing both did the same work). The summary uses
// processor time, which a busy machine disturbs less than wall time. Prints figures only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

#include "tests/benchmarks/image_difference.h"
#include "tests/benchmarks/ratio_table.h"
#include "tests/benchmarks/scene_drawing.h"

namespace swf::bench {
namespace {

void drawOurs(benchmark::State& state, const Scene& scene) {
    RgbaImage target(kFrameWidth, kFrameHeight);
    SoftwareRenderer renderer(target);
    for (auto _ : state) {
        drawScene(renderer, scene);
        benchmark::DoNotOptimize(target.pixels.data());
        benchmark::ClobberMemory();
    }
}

void drawCairo(benchmark::State& state, const Scene& scene) {
    CairoPainter painter(kFrameWidth, kFrameHeight);
    for (auto _ : state) {
        drawScene(painter, scene);
        benchmark::ClobberMemory();
    }
}

// The console output as usual, and every per-frame processor time kept for the summary.
class TableReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that output kept in a file stays plain text.
    explicit TableReporter(RatioTable& table)
        : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular), table_(table) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            const std::string& name = run.run_name.function_name;  // "<side>/<case>"
            const size_t slash = name.find('/');
            if (slash == std::string::npos) continue;
            const double ms = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
            table_.recordTime(name.substr(slash + 1),
                              name.compare(0, slash, "ours") == 0 ? RatioTable::Side::Ours : RatioTable::Side::Cairo,
                              ms);
        }
    }

private:
    RatioTable& table_;
};

}  // namespace
}  // namespace swf::bench

int main(int argc, char** argv) {
    using namespace swf::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    static const std::vector<Scene> scenes = comparisonScenes();
    RatioTable table;
    for (const Scene& scene : scenes) {
        table.recordDifference(scene.name, compareImages(drawnByUs(scene), drawnByCairo(scene)));
        benchmark::RegisterBenchmark(("ours/" + scene.name).c_str(), drawOurs, scene)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("cairo/" + scene.name).c_str(), drawCairo, scene)
            ->Unit(benchmark::kMillisecond);
    }
    TableReporter reporter(table);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    table.print(std::cout);
    return 0;
}
