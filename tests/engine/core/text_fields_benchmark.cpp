// Prints what 50 dynamic text fields in device fonts cost a frame at 1920x1080: a clock face of
// counters whose text a script changes every frame. Figures: text layout alone, the whole frame
// (scripts, layout, glyphs, the rest of the picture), and how many glyph outlines the font source
// was asked for in the first frame and in all frames after it (outlines are kept per face).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/player.h"
#include "tests/benchmarks/timing.h"
#include "engine/core/text_layout.h"
#include "tests/engine/avm1/assembler.h"
#include "tools/fonts/freetype_font_source.h"
#include "tools/swfwriter/swf_writer.h"

namespace {

constexpr int kFields = 50;

// Passes everything on to the system's source and counts the outlines asked for.
class CountingSource : public swf::FontSource {
public:
    explicit CountingSource(std::shared_ptr<swf::FontSource> inner) : inner_(std::move(inner)) {}
    std::unique_ptr<swf::FontFace> open(const std::string& family, bool bold, bool italic) override {
        auto face = inner_->open(family, bold, italic);
        return face ? std::make_unique<CountingFace>(std::move(face), outlines) : nullptr;
    }
    std::vector<std::string> families() override { return inner_->families(); }
    std::shared_ptr<long> outlines = std::make_shared<long>(0);

private:
    class CountingFace : public swf::FontFace {
    public:
        CountingFace(std::unique_ptr<swf::FontFace> f, std::shared_ptr<long> n) : f_(std::move(f)), n_(std::move(n)) {}
        const std::string& family() const override { return f_->family(); }
        swf::FaceMetrics metrics() override { return f_->metrics(); }
        uint32_t glyphIndex(uint32_t c) override { return f_->glyphIndex(c); }
        double advance(uint32_t g) override { return f_->advance(g); }
        double kerning(uint32_t l, uint32_t r) override { return f_->kerning(l, r); }
        std::vector<swf::ShapeRecord> outline(uint32_t g) override {
            ++*n_;
            return f_->outline(g);
        }

    private:
        std::unique_ptr<swf::FontFace> f_;
        std::shared_ptr<long> n_;
    };
    std::shared_ptr<swf::FontSource> inner_;
};

swf::EditText counterField(uint16_t fontId, int i) {
    swf::EditText t;
    t.bounds = {0, 0, 150 * 20, 22 * 20};
    t.fontId = fontId;
    t.fontHeight = (12 + i % 4 * 3) * 20;
    t.color = swf::Rgba{uint8_t(40 + i * 4), 60, 120, 255};
    t.readOnly = t.noSelect = true;
    t.variableName = "v" + std::to_string(i);
    t.initialText = "00:00:00";
    return t;
}

// Two frames: the first starts a count once, the second runs a script that counts on and writes each field's time as text.
std::vector<uint8_t> clockMovie() {
    swfw::SwfWriter w(8, {0, 0, 800 * 20, 600 * 20}, 24);
    w.setBackgroundColor({250, 250, 245, 255});
    swf::Font font;
    font.version = 2;
    font.name = "_sans";
    w.defineFont(1, font);
    for (int i = 0; i < kFields; ++i) {
        w.defineEditText(uint16_t(10 + i), counterField(1, i));
        swf::PlaceObject p;
        p.version = 2;
        p.depth = uint16_t(1 + i);
        p.characterId = uint16_t(10 + i);
        p.matrix = swf::Matrix::translate((i % 5) * 160 * 20.0, (i / 5) * 58 * 20.0 + 200);
        w.placeObject(p);
    }
    // if (!started) { t = 0; started = true; }   (frame 1 runs again at every loop)
    using namespace swf::avm1::test;
    Asm start;
    start.get("started").ifTrue("skip").push({"t", 0}).op(SetVariable).push({"started", true}).op(SetVariable);
    start.label("skip");
    w.doAction(start.bytes(true));
    w.showFrame();
    // t = t + 1; vI = (t * (I + 1)) + " s";   (the field shows the variable's text)
    Asm a;
    a.push({"t"}).get("t").push({1}).op(Add2).op(SetVariable);
    for (int i = 0; i < kFields; ++i)
        a.push({"v" + std::to_string(i)}).get("t").push({double(i + 1)}).op(Multiply).push({" s"}).op(Add2).op(SetVariable);
    w.doAction(a.bytes(true));
    w.showFrame();
    return w.finish();
}

using benchtiming::median;
using benchtiming::msSince;

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) {  // writes the movie instead, to look at
        auto bytes = clockMovie();
        std::FILE* f = std::fopen(argv[1], "wb");
        if (!f) return 1;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        return std::fclose(f) == 0 ? 0 : 1;
    }
    auto system = fonts::makeFreeTypeFontSource();
    if (!system) {
        std::fprintf(stderr, "text_fields_benchmark: no system fonts\n");
        return 1;
    }
    auto source = std::make_shared<CountingSource>(system);

    // Layout alone: the 50 fields' texts change every round.
    swf::Movie movie;
    swf::Font font;
    font.version = 2;
    font.name = "_sans";
    movie.characters[1] = swf::Character{1, 48, font};
    swf::DeviceFonts fonts;
    fonts.setSource(source);
    std::vector<double> layoutMs;
    size_t glyphs = 0;
    for (int round = 0; round < 300; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFields; ++i) {
            swf::EditText t = counterField(1, i);
            t.initialText = std::to_string(round * (i + 1)) + " s";
            glyphs += swf::layoutEditText(t, movie, &fonts).size();
        }
        layoutMs.push_back(msSince(start));
    }

    // Whole frames through the player.
    std::string error;
    auto player = swf::Player::load(clockMovie(), error);
    if (!player) {
        std::fprintf(stderr, "text_fields_benchmark: %s\n", error.c_str());
        return 1;
    }
    auto playerSource = std::make_shared<CountingSource>(system);
    player->setFontSource(playerSource);
    player->setViewport(1920, 1080, {});
    swf::RgbaImage image;
    player->play();
    player->render(image);
    player->tick();
    player->render(image);
    long firstOutlines = *playerSource->outlines;
    std::vector<double> frameMs;
    for (int f = 0; f < 240; ++f) {
        auto start = std::chrono::steady_clock::now();
        player->tick();
        player->render(image);
        frameMs.push_back(msSince(start));
    }
    std::printf("50 dynamic text fields in device fonts, 1920x1080\n");
    std::printf("  text layout alone:  median %.3f ms per frame (%zu glyphs placed per frame)\n", median(layoutMs),
                glyphs / layoutMs.size());
    std::printf("  whole frame:        median %.2f ms (scripts, layout, glyphs and the stage)\n", median(frameMs));
    std::printf("  outlines asked of the font source: %ld in the first frames, %ld in the %zu frames after\n",
                firstOutlines, *playerSource->outlines - firstOutlines, frameMs.size());
    return 0;
}
