// Prints how fast the ActionScript 3 machine runs byte code, in millions of ABC instructions a
// second. The movie's document class runs a tight loop on every enterFrame; the loop's
// instructions are counted as they are assembled, so the figure is instructions executed over the
// frame's time. Four loops: arithmetic on locals, a property of `this` read and written by name,
// a method of `this` called, and all three together. Each loop traces its result, which is checked
// against the same sum worked out here: a loop that stopped early would not give a figure.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/player.h"
#include "tests/benchmarks/timing.h"
#include "tests/engine/avm2/as3_class_builder.h"

namespace {

using namespace avm2test;

enum Part : unsigned { kArithmeticPart = 1, kPropertyPart = 2, kCallPart = 4 };

// Counts the instructions one pass of the loop executes while writing them.
struct CountingCode {
    AbcCode& code;
    int count = 0;
    CountingCode& op(uint8_t o) { ++count; code.op(o); return *this; }
    CountingCode& op(uint8_t o, uint32_t a) { ++count; code.op(o, a); return *this; }
    CountingCode& op(uint8_t o, uint32_t a, uint32_t b) { ++count; code.op(o, a, b); return *this; }
    CountingCode& branch(uint8_t o, const std::string& label) { ++count; code.branch(o, label); return *this; }
};

struct LoopMovie {
    std::vector<uint8_t> bytes;
    int opsPerIteration = 0;
};

// class Main extends MovieClip {
//   var count;
//   function Main() { count = 0; addEventListener("enterFrame", onFrame); }
//   function step(x) { return x & 7; }
//   function onFrame(e) { run(iterations); }
//   function run(n) {
//     var acc = 0;
//     for (var i = 0; i < n; i = i + 1) {
//       acc = acc + i * 3 - (i >> 1);      // arithmetic
//       count = count + 1;                 // property
//       acc = acc + step(i);               // call
//     }
//     trace(acc, count);
//   }
// }
LoopMovie loopMovie(unsigned parts, int iterations) {
    LoopMovie movie;
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t count = w.publicName("count"), step = w.publicName("step"), run = w.publicName("run");
    main.slot("count");
    // step's body: the builder's getlocal0, pushscope, then these four.
    main.method("step", [&](AbcCode& c) { c.op(kGetLocal1).op(kPushByte, 7).op(kBitAnd).op(kReturnValue); });
    const int stepOps = 6;
    main.method("onFrame", [&](AbcCode& c) {
        c.op(kGetLocal0).op(kPushInt, w.integer(iterations)).op(kCallPropVoid, run, 1);
    });
    main.method("run", [&](AbcCode& body) {
        // Locals: 1 n, 2 i, 3 acc.
        body.op(kPushByte, 0).op(kSetLocal, 3).op(kPushByte, 0).op(kSetLocal2);
        body.label("top");
        CountingCode c{body};
        c.op(kGetLocal2).op(kGetLocal1).branch(kIfNlt, "end");
        if (parts & kArithmeticPart) {
            c.op(kGetLocal, 3).op(kGetLocal2).op(kPushByte, 3).op(kMultiply).op(kAdd);
            c.op(kGetLocal2).op(kPushByte, 1).op(kRShift).op(kSubtract).op(kSetLocal, 3);
        }
        if (parts & kPropertyPart) {
            c.op(kGetLocal0).op(kGetLocal0).op(kGetProperty, count).op(kPushByte, 1).op(kAdd).op(kSetProperty, count);
        }
        if (parts & kCallPart) {
            c.op(kGetLocal, 3).op(kGetLocal0).op(kGetLocal2).op(kCallProperty, step, 1).op(kAdd).op(kSetLocal, 3);
            c.count += stepOps;
        }
        c.op(kGetLocal2).op(kIncrementI).op(kSetLocal2).branch(kJump, "top");
        movie.opsPerIteration = c.count;
        body.label("end");
        t.begin(body).op(kGetLocal, 3).op(kGetLocal0).op(kGetProperty, count);
        t.end(body, 2);
    });
    main.finish([&](AbcCode& c) {
        setNumber(w, c, 0, "count", 0);
        listen(w, c, 0, "enterFrame", "onFrame");
    });
    movie.bytes = swfw::abcMovie(w.bytes(), "Main", 2);
    return movie;
}

// What run() traces after `frames` frames: acc of one frame, and count over all of them.
std::string expectedTrace(unsigned parts, int iterations, int frames) {
    double acc = 0;
    for (int i = 0; i < iterations; ++i) {
        if (parts & kArithmeticPart) acc = acc + i * 3.0 - (i >> 1);
        if (parts & kCallPart) acc += i & 7;
    }
    double count = (parts & kPropertyPart) ? static_cast<double>(iterations) * frames : 0;
    char text[80];
    std::snprintf(text, sizeof text, "%.0f %.0f", acc, count);
    return text;
}

struct Figure {
    double mips = 0;
    double frameMs = 0;
    bool ok = false;
};

Figure measure(unsigned parts, int iterations, int frames) {
    LoopMovie movie = loopMovie(parts, iterations);
    std::string error;
    auto player = swf::Player::load(movie.bytes, error);
    Figure figure;
    if (!player) {
        std::fprintf(stderr, "as3_interpreter_benchmark: %s\n", error.c_str());
        return figure;
    }
    std::string last, errors;
    player->setTraceHandler([&](const std::string& s) { last = s; });
    player->setScriptErrorHandler([&](const std::string& s) { errors += s + "\n"; });
    player->setViewport(32, 32, {});
    swf::RgbaImage image;
    player->render(image);  // constructs the document class
    std::vector<double> ms;
    for (int f = 0; f < frames; ++f) {
        auto start = std::chrono::steady_clock::now();
        player->tick();
        ms.push_back(benchtiming::msSince(start));
    }
    std::string expected = expectedTrace(parts, iterations, frames);
    figure.ok = errors.empty() && last == expected;
    if (!figure.ok)
        std::fprintf(stderr, "as3_interpreter_benchmark: the loop traced '%s' (expected '%s') %s\n", last.c_str(),
                     expected.c_str(), errors.c_str());
    figure.frameMs = benchtiming::median(ms);
    double ops = static_cast<double>(movie.opsPerIteration) * iterations;
    figure.mips = ops / (figure.frameMs / 1000.0) / 1e6;
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    // An optional argument scales the work (1 is the default: 200 000 passes of each loop a frame).
    double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    if (!(scale > 0)) scale = 1.0;
    int iterations = static_cast<int>(200'000 * scale);
    const int frames = 5;
    struct Case {
        const char* name;
        unsigned parts;
    } cases[] = {
        {"arithmetic on locals", kArithmeticPart},
        {"property of this, by name", kPropertyPart},
        {"method call", kCallPart},
        {"all three (the figure)", kArithmeticPart | kPropertyPart | kCallPart},
    };
    std::printf("ActionScript 3 byte code, %d passes of each loop a frame, median of %d frames\n", iterations, frames);
    bool ok = true;
    for (const Case& c : cases) {
        Figure f = measure(c.parts, iterations, frames);
        ok = ok && f.ok;
        std::printf("  %-28s %8.1f ms a frame  %7.2f M instructions/s%s\n", c.name, f.frameMs, f.mips,
                    f.ok ? "" : "  (wrong result)");
    }
    return ok ? 0 : 1;
}
