// Prints what 1000 scripted clips cost a frame at 1920x1080: each clip is moved and turned by its own
// onEnterFrame handler. Figures: the frame step alone (timeline and scripts), the same step for the
// same clips without handlers (so the difference is the scripts' share), and the whole frame with
// the picture drawn.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/player.h"
#include "tests/benchmarks/timing.h"
#include "tests/engine/avm1/assembler.h"
#include "tools/swfwriter/swf_writer.h"

namespace {

constexpr int kClips = 1000;

// Frame 1 attaches the clips ("box", a small square inside a sprite) and, when `scripted`, gives
// each the same onEnterFrame: this._x += 1; this._rotation += 3.
std::vector<uint8_t> clipsMovie(bool scripted) {
    using namespace swf::avm1::test;
    swfw::SwfWriter w(8, {0, 0, 1920 * 20, 1080 * 20}, 30);
    w.setBackgroundColor({245, 245, 250, 255});
    w.defineShape(1, swfw::rectangleShape({-200, -200, 200, 200}, swf::Rgba{200, 60, 40, 255}));
    swfw::SwfWriter box(8);
    swf::PlaceObject p;
    p.version = 2;
    p.depth = 1;
    p.characterId = 1;
    box.placeObject(p);
    box.showFrame();
    w.defineSprite(2, box);
    w.exportAssets({{2, "box"}});

    Asm step;
    step.get("this").push({"_x"}).get("this").push({"_x"}).op(GetMember).push({1}).op(Add2).op(SetMember);
    step.get("this").push({"_rotation"}).get("this").push({"_rotation"}).op(GetMember).push({3}).op(Add2)
        .op(SetMember);
    Asm a;
    a.push({"step"}).function("", {}, step).op(SetVariable);
    a.push({"i", 0}).op(SetVariable);
    a.label("top").get("i").push({kClips}).op(Less2).op(Not).ifTrue("end");
    // mc = this.attachMovie("box", "c" + i, i)
    a.push({"mc"}).get("i").push({"c"}).get("i").op(Add2).push({"box", 3}).get("this").push({"attachMovie"})
        .op(CallMethod).op(SetVariable);
    a.get("mc").push({"_x"}).get("i").push({40}).op(Modulo).push({48}).op(Multiply).op(SetMember);
    a.get("mc").push({"_y"}).get("i").push({1.08}).op(Multiply).op(SetMember);
    if (scripted) a.get("mc").push({"onEnterFrame"}).get("step").op(SetMember);
    a.push({"i"}).get("i").op(Increment).op(SetVariable).jump("top");
    a.label("end").op(Stop);
    w.doAction(a.bytes(true));
    w.showFrame();
    return w.finish();
}

using benchtiming::median;
using benchtiming::msSince;

std::unique_ptr<swf::Player> load(bool scripted) {
    std::string error;
    auto player = swf::Player::load(clipsMovie(scripted), error);
    if (!player) std::fprintf(stderr, "moving_clips_benchmark: %s\n", error.c_str());
    else player->setViewport(1920, 1080, {});
    return player;
}

// Median of `frames` frame steps (timeline and scripts), and with `image` of the whole frame.
double stepMs(swf::Player& player, int frames, swf::RgbaImage* image) {
    std::vector<double> ms;
    for (int f = 0; f < frames; ++f) {
        auto start = std::chrono::steady_clock::now();
        player.tick();
        if (image) player.render(*image);
        ms.push_back(msSince(start));
    }
    return median(ms);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) {  // writes the movie instead, to look at
        auto bytes = clipsMovie(true);
        std::FILE* f = std::fopen(argv[1], "wb");
        if (!f) return 1;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        return std::fclose(f) == 0 ? 0 : 1;
    }
    auto scripted = load(true), still = load(false);
    if (!scripted || !still) return 1;
    swf::RgbaImage image;
    scripted->render(image);
    still->render(image);
    double withScripts = stepMs(*scripted, 200, nullptr);
    double without = stepMs(*still, 200, nullptr);
    double whole = stepMs(*scripted, 100, &image);
    std::printf("%d clips, each moved and turned by its own onEnterFrame, 1920x1080\n", kClips);
    std::printf("  frame step (timeline + scripts): median %.3f ms\n", withScripts);
    std::printf("  the same clips without handlers: median %.3f ms\n", without);
    std::printf("  scripts' share:                  %.3f ms per frame\n", withScripts - without);
    std::printf("  whole frame (step and picture):  median %.2f ms\n", whole);
    return 0;
}
