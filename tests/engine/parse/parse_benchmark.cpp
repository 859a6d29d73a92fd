// Parsing speed: the demo movie, a movie of many detailed shapes, and one with a large bitmap, each
// compressed as movies usually are. Prints figures (time and bytes per second); asserts nothing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "engine/parse/bitmap_decoder.h"
#include "engine/parse/parser.h"
#include "tools/demo/demo_movie.h"
#include "tools/swfwriter/swf_writer.h"

namespace {

// Curved and straight edges around a wobbly ring: what traced artwork looks like to the parser.
swf::Shape detailedShape(int edges, int seed) {
    swf::Shape s;
    s.bounds = {-4000, -4000, 4000, 4000};
    s.edgeBounds = s.bounds;
    swf::FillStyle fill;
    fill.color = {static_cast<uint8_t>(seed * 37), 120, 200, 255};
    s.fillStyles.push_back(fill);
    swf::ShapeRecord start;
    start.hasMove = true;
    start.moveTo = {3000, 0};
    start.hasFill1 = true;
    start.fill1 = 1;
    s.records.push_back(start);
    swf::Point at = start.moveTo;
    for (int i = 1; i <= edges; ++i) {
        const double angle = 2 * std::numbers::pi * i / edges;
        const double radius = 3000 + 400 * std::sin(angle * (7 + seed % 5));
        const swf::Point to{std::round(radius * std::cos(angle)), std::round(radius * std::sin(angle))};
        swf::ShapeRecord edge;
        edge.type = i % 2 ? swf::ShapeRecord::Type::Curve : swf::ShapeRecord::Type::Line;
        if (edge.type == swf::ShapeRecord::Type::Curve) {
            const swf::Point control{std::round((at.x + to.x) * 0.55), std::round((at.y + to.y) * 0.55)};
            edge.control = {control.x - at.x, control.y - at.y};
            edge.delta = {to.x - control.x, to.y - control.y};
        } else {
            edge.delta = {to.x - at.x, to.y - at.y};
        }
        s.records.push_back(edge);
        at = to;
    }
    return s;
}

void parseBench(benchmark::State& state, const std::vector<uint8_t>& file) {
    for (auto _ : state) {
        swf::Movie movie = swf::parseMovie(file);
        benchmark::DoNotOptimize(movie);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
    state.counters["file_kB"] = static_cast<double>(file.size()) / 1024;
}

void BM_ParseDemoMovie(benchmark::State& state) {
    static const std::vector<uint8_t> file = demo::writeDemoMovie();
    parseBench(state, file);
}
BENCHMARK(BM_ParseDemoMovie)->Unit(benchmark::kMicrosecond);

void BM_ParseManyDetailedShapes(benchmark::State& state) {
    static const std::vector<uint8_t> file = [] {
        swfw::SwfWriter w;
        for (uint16_t id = 1; id <= 500; ++id) w.defineShape(id, detailedShape(400, id), 3);
        w.showFrame();
        return w.finish(true);
    }();
    parseBench(state, file);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 500 * 401);  // shape records
}
BENCHMARK(BM_ParseManyDetailedShapes)->Unit(benchmark::kMillisecond);

// Parsing keeps the bitmap encoded; decoding, which the player does once per bitmap, is here too.
void BM_ParseAndDecodeLargeBitmap(benchmark::State& state) {
    static const std::vector<uint8_t> file = [] {
        swf::RgbaImage image(1024, 1024);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                uint8_t* p = image.at(x, y);
                p[0] = static_cast<uint8_t>(x ^ y), p[1] = static_cast<uint8_t>(x + y), p[2] = static_cast<uint8_t>(y), p[3] = 255;
            }
        swfw::SwfWriter w;
        w.defineBitsLossless(1, image);
        w.showFrame();
        return w.finish(true);
    }();
    for (auto _ : state) {
        swf::Movie movie = swf::parseMovie(file);
        std::string error;
        auto decoded = swf::decodeBitmap(*movie.findAs<swf::EncodedBitmap>(1), movie.jpegTables, error);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1024 * 1024 * 4);
}
BENCHMARK(BM_ParseAndDecodeLargeBitmap)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
