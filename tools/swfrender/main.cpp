// swfrender MOVIE.swf --frames N --out OUT.png: the stage after N frames, as a PNG; with
// --audio OUT.wav, the sound of those N frames too.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/core/movie_url.h"
#include "engine/core/player.h"
#include "engine/render/band_workers.h"
#include "engine/render/software_renderer.h"
#include "tools/fonts/freetype_font_source.h"
#include "tools/swfrender/input_script.h"
#include "tools/swfrender/png_output.h"
#include "tools/swfrender/render_options.h"
#include "tools/swfrender/wav_output.h"

namespace {

constexpr std::streamoff kMaxMovieFileBytes = 256ll * 1024 * 1024;
constexpr std::streamoff kMaxEventFileBytes = 64ll * 1024 * 1024;

int failWith(const std::string& message) {
    std::fprintf(stderr, "swfrender: %s\n", message.c_str());
    return 1;
}

bool readFile(const std::string& path, std::vector<uint8_t>& out, std::string& error,
              std::streamoff limit = kMaxMovieFileBytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::streamoff size = in.tellg();
    if (size < 0 || size > limit) {
        error = path + " is not a file of a usable size";
        return false;
    }
    out.resize(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(out.data()), size)) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

// Plays the first `frames` frames over and over, timing each frame (advance and render), and prints
// the median and the process's peak memory.
void bench(swf::Player& player, int frames, int threads) {
    swf::RgbaImage image;
    std::vector<double> ms;
    int rounds = std::max(1, 240 / frames);
    for (int r = 0; r < rounds; ++r) {
        player.gotoFrame(1);
        for (int f = 0; f < frames; ++f) {
            auto start = std::chrono::steady_clock::now();
            if (f > 0) player.tick();
            player.render(image);
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(ms.begin(), ms.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    if (threads <= 0) threads = swf::render::defaultDrawingThreads();
    std::fprintf(stderr, "%dx%d: median %.2f ms per frame over %zu frames, %d drawing thread%s, peak memory %.1f MB\n",
                 image.width, image.height, ms[ms.size() / 2], ms.size(), threads, threads == 1 ? "" : "s",
                 usage.ru_maxrss / 1024.0);
}

// Compares each frame drawn where it changed (onto the frame before) with the frame drawn whole;
// `frameShown` is called after each frame has run. Prints the share of pixels redrawn.
class RedrawCheck {
public:
    explicit RedrawCheck(swf::Player* player) : player_(player), wholeRenderer_(whole_) {}
    // Returns false (and reports) at the first frame that differs.
    bool frameShown() {
        if (!player_ || failed_) return !failed_;
        ++frame_;
        player_->render(partial_);
        if (whole_.width != partial_.width || whole_.height != partial_.height)
            whole_ = swf::RgbaImage(partial_.width, partial_.height);
        player_->render(wholeRenderer_);
        for (const swf::render::IntRect& r : player_->changedArea()) changedPixels_ += double(r.width()) * r.height();
        totalPixels_ += double(partial_.width) * partial_.height;
        for (int y = 0; y < partial_.height; ++y)
            for (int x = 0; x < partial_.width; ++x)
                if (std::memcmp(partial_.at(x, y), whole_.at(x, y), 4) != 0) {
                    std::fprintf(stderr, "swfrender: frame %d drawn where it changed differs from it drawn whole at %d,%d\n",
                                 frame_, x, y);
                    failed_ = true;
                    return false;
                }
        return true;
    }
    bool passed() const { return !failed_; }
    void report() const {
        if (!player_ || failed_ || totalPixels_ <= 0) return;
        std::fprintf(stderr, "swfrender: %d frames drawn where they changed equal them drawn whole; %.1f%% of pixels redrawn\n",
                     frame_, 100.0 * changedPixels_ / totalPixels_);
    }

private:
    swf::Player* player_;
    swf::RgbaImage partial_, whole_;
    swf::SoftwareRenderer wholeRenderer_;
    int frame_ = 0;
    double changedPixels_ = 0, totalPixels_ = 0;
    bool failed_ = false;
};

// Plays the movie with the event file's input: the first frame, then before each further frame the
// events up to the next Wait; the events after the last frame's Wait come after that frame.
// Collects the mix frame by frame: each frame's share of the movie's time at its rate.
class AudioRecorder {
public:
    AudioRecorder(swf::Player& player, bool enabled) : player_(player), enabled_(enabled) {
        if (enabled) player.setAudioPulledByHost(true);
    }
    void frameShown() {
        if (!enabled_) return;
        ++frames_;
        auto end = static_cast<size_t>(std::llround(frames_ * double(swf::kMixRate) / player_.frameRate()));
        size_t have = samples_.size() / 2;
        if (end <= have) return;
        samples_.resize(end * 2);
        player_.audioMixer()->mix(samples_.data() + have * 2, end - have);
    }
    const std::vector<int16_t>& samples() const { return samples_; }

private:
    swf::Player& player_;
    bool enabled_;
    int64_t frames_ = 0;
    std::vector<int16_t> samples_;
};

void playWithInput(swf::Player& player, const swfrender::InputScript& script, int frames, const swf::Matrix& stageToView,
                   swf::Point stageCorner, AudioRecorder& audio, RedrawCheck& check) {
    size_t next = 0;
    auto sendUntilWait = [&] {
        for (; next < script.events.size(); ++next) {
            swfrender::InputEvent e = script.events[next];
            if (e.type == swfrender::InputEvent::Type::Wait) {
                ++next;
                return;
            }
            // Positions count from the stage's visible corner, wherever the movie's frame starts.
            swf::Point p = stageToView.apply(
                swf::Point{stageCorner.x + e.x * swf::kTwipsPerPixel, stageCorner.y + e.y * swf::kTwipsPerPixel});
            e.x = p.x;
            e.y = p.y;
            swfrender::sendInput(player, e);
        }
    };
    // The first frame has run by the first event: the player starts at its first use.
    for (int f = 1; f < frames; ++f) {
        sendUntilWait();
        if (f == 1) {
            audio.frameShown();
            check.frameShown();
        }
        player.tick();
        audio.frameShown();
        check.frameShown();
    }
    sendUntilWait();
    if (frames == 1) {
        audio.frameShown();
        check.frameShown();
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto options = swfrender::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "swfrender: %s\n%s\n", error.c_str(), swfrender::kUsage);
        return 2;
    }
    std::optional<swfrender::InputScript> input;
    if (!options->input.empty()) {
        std::vector<uint8_t> text;
        if (!readFile(options->input, text, error, kMaxEventFileBytes)) return failWith(error);
        input = swfrender::readInputScript(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), error);
        if (!input) return failWith(options->input + ": " + error);
        for (const std::string& s : input->skipped) std::fprintf(stderr, "swfrender: %s: %s\n", options->input.c_str(), s.c_str());
    }
    std::vector<uint8_t> bytes;
    if (!readFile(options->movie, bytes, error)) return failWith(error);
    auto player = swf::Player::load(std::move(bytes), error);
    if (!player) return failWith(options->movie + ": " + error);
    // The movie is shown at the root of the file system, so that what its scripts print does not
    // depend on the folder it was read from.
    player->setMovieUrl(swf::fileUrlOf("/" + std::filesystem::path(options->movie).filename().string()));
    if (auto fonts = fonts::makeFreeTypeFontSource()) player->setFontSource(std::move(fonts));
    else std::fprintf(stderr, "swfrender: no system fonts (fontconfig or FreeType failed): device text uses the block font\n");
    // The movie's trace lines and the errors its scripts leave uncaught are the only things written
    // to standard output, in the order they come, as a debugging player logs them; a carriage return
    // (the player's line break inside text) is written as a line break, as the reference does.
    player->setTraceHandler([](const std::string& line) {
        for (char c : line) std::fputc(c == '\r' ? '\n' : c, stdout);
        std::fputc('\n', stdout);
    });
    player->setScriptErrorHandler([](const std::string& text) {
        for (char c : text) std::fputc(c == '\r' ? '\n' : c, stdout);
        std::fputc('\n', stdout);
    });

    swf::Rect stage = player->stageRect();
    int width = options->width.value_or(std::max(1, static_cast<int>(std::lround(stage.width() / swf::kTwipsPerPixel))));
    int height = options->height.value_or(std::max(1, static_cast<int>(std::lround(stage.height() / swf::kTwipsPerPixel))));
    width = std::min(width, 16384);
    height = std::min(height, 16384);
    swf::ViewOptions view;
    view.scaleMode = options->scaleMode;
    view.quality = options->quality;
    player->setViewport(width, height, view);
    player->setDrawingThreads(options->threads);

    if (options->bench) {
        bench(*player, options->frames, options->threads);
        if (options->out.empty()) return 0;
        player->gotoFrame(1);
    }
    AudioRecorder audio(*player, !options->audio.empty());
    RedrawCheck check(options->checkRedraw ? player.get() : nullptr);
    if (input) {
        swf::Point corner = stage.empty() ? swf::Point{0, 0} : swf::Point{double(stage.xMin), double(stage.yMin)};
        playWithInput(*player, *input, options->frames, swf::viewTransform(stage, width, height, view), corner, audio, check);
    } else {
        // The first frame's scripts run at the player's first use: before its sound is taken.
        if (!options->audio.empty()) player->gotoFrame(1);
        audio.frameShown();
        check.frameShown();
        for (int f = 1; f < options->frames && check.passed(); ++f) {
            player->tick();
            audio.frameShown();
            check.frameShown();
        }
    }
    if (!check.passed()) return 1;
    check.report();
    if (!options->out.empty()) {
        swf::RgbaImage image;
        player->render(image);
        if (!swfrender::writePng(image, options->out, error)) return failWith(error);
    }
    for (const std::string& w : player->takeWarnings()) std::fprintf(stderr, "swfrender: warning: %s\n", w.c_str());
    if (!options->audio.empty() && !swfrender::writeWav(audio.samples(), swf::kMixRate, options->audio, error))
        return failWith(error);
    return 0;
}
