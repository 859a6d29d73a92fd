// Plays an ActionScript 3 movie for many frames and prints the process's resident memory as it
// goes, so that memory the machine or the player keeps for what scripts dropped shows as growth.
// Every frame the document class makes and drops an object, strings, an array, a closure, a sprite
// with a drawn shape on the display list (the one from the frame before is taken off), and event
// listeners (one on the new sprite, one added to and removed from the document).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/core/player.h"
#include "tests/benchmarks/timing.h"
#include "tests/engine/avm2/as3_class_builder.h"

namespace {

using namespace avm2test;

// class Main extends MovieClip {
//   var last, n;
//   function Main() { n = 0; addEventListener("enterFrame", onFrame); }
//   function onFrame(e) {
//     n = n + 1;
//     var o = {a: n, b: "s" + n};
//     var a = [o, String(n) + "x", n]; a.push(o.b + a.length);
//     var f = function (e) {};
//     f(o);
//     var s = new Sprite();
//     s.graphics.beginFill(0x3366CC); s.graphics.drawRect(0, 0, 20, 20);
//     s.x = n % 300;
//     s.addEventListener("enterFrame", f);
//     addChild(s);
//     addEventListener("ping", f); removeEventListener("ping", f);
//     if (last != null) removeChild(last);
//     last = s;
//     if (n % 5000 == 0) trace(n);
//   }
// }
std::vector<uint8_t> soakMovie() {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t n = w.publicName("n"), last = w.publicName("last");
    main.slot("last");
    main.slot("n");
    uint32_t closure = w.method({0});
    w.body(closure, AbcCode().op(kReturnVoid), 2, 2);
    uint32_t stringClass = w.publicName("String");
    main.method("onFrame", [&](AbcCode& c) {
        // Locals: 1 the event, 2 o, 3 a, 4 f, 5 s.
        c.op(kGetLocal0).op(kGetLocal0).op(kGetProperty, n).op(kIncrement).op(kSetProperty, n);
        c.op(kPushString, w.string("a")).op(kGetLocal0).op(kGetProperty, n);
        c.op(kPushString, w.string("b")).op(kPushString, w.string("s")).op(kGetLocal0).op(kGetProperty, n).op(kAdd);
        c.op(kNewObject, 2).op(kSetLocal2);
        c.op(kGetLocal2).op(kFindPropStrict, stringClass).op(kGetLocal0).op(kGetProperty, n)
            .op(kCallProperty, stringClass, 1).op(kPushString, w.string("x")).op(kAdd);
        c.op(kGetLocal0).op(kGetProperty, n).op(kNewArray, 3).op(kSetLocal, 3);
        c.op(kGetLocal, 3).op(kGetLocal2).op(kGetProperty, w.publicName("b")).op(kGetLocal, 3)
            .op(kGetProperty, w.publicName("length")).op(kAdd).op(kCallPropVoid, w.publicName("push"), 1);
        c.op(kNewFunction, closure).op(kSetLocal, 4);
        c.op(kGetLocal, 4).op(kPushNull).op(kGetLocal2).op(kCall, 1).op(kPop);
        newDisplayObject(w, c, "Sprite", 5);
        graphicsCall(w, c, 5, "beginFill", {0x3366CC});
        graphicsCall(w, c, 5, "drawRect", {0, 0, 20, 20});
        c.op(kGetLocal, 5).op(kGetLocal0).op(kGetProperty, n).op(kPushShort, 300).op(kModulo)
            .op(kSetProperty, w.publicName("x"));
        c.op(kGetLocal, 5).op(kPushString, w.string("enterFrame")).op(kGetLocal, 4)
            .op(kCallPropVoid, w.publicName("addEventListener"), 2);
        callWith(w, c, 0, "addChild", {5});
        c.op(kGetLocal0).op(kPushString, w.string("ping")).op(kGetLocal, 4)
            .op(kCallPropVoid, w.publicName("addEventListener"), 2);
        c.op(kGetLocal0).op(kPushString, w.string("ping")).op(kGetLocal, 4)
            .op(kCallPropVoid, w.publicName("removeEventListener"), 2);
        c.op(kGetLocal0).op(kGetProperty, last).op(kPushNull).branch(kIfEq, "kept");
        c.op(kGetLocal0).op(kGetLocal0).op(kGetProperty, last).op(kCallPropVoid, w.publicName("removeChild"), 1);
        c.label("kept");
        c.op(kGetLocal0).op(kGetLocal, 5).op(kSetProperty, last);
        c.op(kGetLocal0).op(kGetProperty, n).op(kPushShort, 5000).op(kModulo).op(kPushByte, 0).branch(kIfNe, "quiet");
        t.begin(c).op(kGetLocal0).op(kGetProperty, n);
        t.end(c);
        c.label("quiet");
    });
    main.finish([&](AbcCode& c) {
        setNumber(w, c, 0, "n", 0);
        listen(w, c, 0, "enterFrame", "onFrame");
    });
    return swfw::abcMovie(w.bytes(), "Main", 2);
}

double residentMb() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    long size = 0, resident = 0;
    int read = std::fscanf(f, "%ld %ld", &size, &resident);
    std::fclose(f);
    if (read != 2) return 0;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 20'000;
    if (frames <= 0) frames = 20'000;
    const int every = frames >= 10 ? frames / 10 : 1;
    std::string error, errors, lastTrace;
    auto player = swf::Player::load(soakMovie(), error);
    if (!player) {
        std::fprintf(stderr, "as3_soak_benchmark: %s\n", error.c_str());
        return 1;
    }
    player->setTraceHandler([&](const std::string& s) { lastTrace = s; });
    player->setScriptErrorHandler([&](const std::string& s) {
        if (errors.size() < 4000) errors += s + "\n";
    });
    player->setViewport(320, 240, {});
    swf::RgbaImage image;
    player->render(image);
    std::printf("ActionScript 3 soak: %d frames, each making and dropping objects, strings, arrays, closures,\n"
                "a sprite on the display list and event listeners; drawn at 320x240\n", frames);
    double start = residentMb();
    std::printf("  frame %6d  resident %7.1f MB\n", 0, start);
    auto began = std::chrono::steady_clock::now();
    double at10 = 0;
    for (int f = 1; f <= frames; ++f) {
        player->tick();
        player->render(image);
        if (f % every == 0) {
            double mb = residentMb();
            if (f == every) at10 = mb;
            std::printf("  frame %6d  resident %7.1f MB\n", f, mb);
        }
    }
    double seconds = benchtiming::msSince(began) / 1000.0;
    double end = residentMb();
    std::printf("  %.3f ms a frame; resident %.1f MB at the start, %.1f MB after a tenth of the frames, %.1f MB at the end\n",
                seconds * 1000.0 / frames, start, at10, end);
    std::printf("  growth after the first tenth: %.1f MB (%.2f KB a frame)\n", end - at10,
                (end - at10) * 1024.0 / std::max(1, frames - every));
    bool ran = errors.empty() && (frames < 5000 || !lastTrace.empty());
    if (!ran) std::fprintf(stderr, "as3_soak_benchmark: the movie did not run as written: %s (last trace '%s')\n",
                           errors.c_str(), lastTrace.c_str());
    return ran ? 0 : 1;
}
