#include "engine/core/movie_player.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "engine/core/stage_painter.h"
#include "engine/render/frame_changes.h"
#include "engine/parse/parser.h"

namespace swf {

std::unique_ptr<Player> Player::load(std::vector<uint8_t> bytes, std::string& error) {
    try {
        auto movie = std::make_shared<Movie>(parseMovie(bytes));
        return std::make_unique<MoviePlayer>(std::move(movie));
    } catch (const ParseError& e) {
        error = e.what();
    } catch (const std::bad_alloc&) {
        error = "the movie needs more memory than is available";
    } catch (const std::exception& e) {
        error = std::string("the movie cannot be read: ") + e.what();
    }
    return nullptr;
}

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie, TimelineLimits limits)
    : movie_(std::move(movie)), library_(movie_), sound_(movie_, frameRate()), timeline_(library_, limits) {
    for (const std::string& w : movie_->warnings) library_.warn(w);
    Rect stage = movie_->header.stageRect;
    viewportWidth_ = static_cast<int>(std::lround(stage.width() / kTwipsPerPixel));
    viewportHeight_ = static_cast<int>(std::lround(stage.height() / kTwipsPerPixel));
    scripts_ = std::make_unique<ScriptRunner>(library_, timeline_, root_, frameRate());
    scripts_->setStageMetrics(stageMetrics());
    scripts_->setStageLayoutHandler([this](const std::string& scaleMode, const std::string& align) {
        view_.scaleMode = scaleMode == "noScale" ? ScaleMode::NoScale : scaleMode == "exactFit" ? ScaleMode::ExactFit
                        : scaleMode == "noBorder" ? ScaleMode::NoBorder : ScaleMode::ShowAll;
        auto has = [&](char c) { return align.find(c) != std::string::npos; };
        view_.align = Alignment{has('L'), has('R'), has('T'), has('B')};
    });
    scripts_->setSound(&sound_);
    timeline_.setSounds(&sound_);
    if (movie_->runsActionScript3()) {
        as3_ = std::make_unique<As3Runner>(movie_, timeline_, library_, root_, frameRate());
        as3_->setScreen(viewportWidth_, viewportHeight_);
        as3_->setSound(&sound_);
        timeline_.setScripts(as3_.get());
    } else {
        timeline_.setScripts(scripts_.get());
    }
    timeline_.start(root_, movie_->timeline);
    applyBackgroundTags(0);
}

// The first frame's scripts wait for the first use of the player, so that the host's trace and
// fscommand handlers are in place when they run.
void MoviePlayer::start() {
    if (started_) return;
    started_ = true;
    if (as3_) as3_->start();
    else scripts_->firstFrame();
}

MoviePlayer::~MoviePlayer() {
    // The display list goes first, while the scripts that watch it are still there.
    if (as3_) as3_->stopReporting();
    root_.children.clear();
    timeline_.setScripts(nullptr);
    timeline_.setSounds(nullptr);
    as3_.reset();
    scripts_.reset();
}

double MoviePlayer::frameRate() const {
    double rate = movie_->header.frameRate;
    return rate > 0 && std::isfinite(rate) ? rate : 12.0;  // a rate of 0 plays at the default speed
}

int MoviePlayer::frameCount() const { return std::max<int>(1, static_cast<int>(movie_->timeline.frames.size())); }

// The first SetBackgroundColor of the movie sets the colour for good: players ignore later ones.
void MoviePlayer::applyBackgroundTags(int frameIndex) {
    if (backgroundSet_) return;
    for (int f = 0; f <= frameIndex && f < static_cast<int>(movie_->timeline.frames.size()); ++f)
        for (const ControlTag& tag : movie_->timeline.frames[f].tags)
            if (const auto* bg = std::get_if<SetBackgroundColor>(&tag)) {
                background_ = bg->color;
                background_.a = 255;
                backgroundSet_ = true;
                return;
            }
}

void MoviePlayer::rewind() {
    start();
    timeline_.gotoFrame(root_, 0);
    root_.playing = false;
    scripts_->runPending();
}

void MoviePlayer::gotoFrame(int frame) {
    start();
    timeline_.gotoFrame(root_, frame - 1);
    applyBackgroundTags(root_.frame);
    scripts_->runPending();
}

void MoviePlayer::nextFrame() {
    start();
    timeline_.gotoFrame(root_, root_.frame + 1);
    applyBackgroundTags(root_.frame);
    root_.playing = false;
    scripts_->runPending();
}

void MoviePlayer::previousFrame() {
    start();
    timeline_.gotoFrame(root_, root_.frame - 1);
    root_.playing = false;
    scripts_->runPending();
}

void MoviePlayer::tick() {
    start();
    if (as3_) as3_->frame([this] { timeline_.advance(root_, loop_); });
    else scripts_->frame(loop_);
    applyBackgroundTags(root_.frame);
    sound_.update();
    if (!audioPulledByHost_) {
        // A frame lasts at most a few seconds of sound: a movie that claims a tiny frame rate
        // would otherwise have every tick mix minutes of silence.
        silentMixDue_ += std::min(kMixRate / frameRate(), 4.0 * kMixRate);
        auto frames = static_cast<size_t>(silentMixDue_);
        silentMixDue_ -= static_cast<double>(frames);
        // With no voice the mix is silence and moves nothing on: it is left out.
        if (sound_.mixer()->voiceCount() > 0) {
            silentMix_.resize(frames * 2);
            sound_.mixer()->mix(silentMix_.data(), frames);
        }
    }
}

Point MoviePlayer::viewportToStage(double x, double y) const {
    Matrix m = stageToPixels();
    return m.invertible() ? m.inverted().apply(Point{x, y}) : Point{};
}

bool MoviePlayer::mouseMove(double x, double y) {
    start();
    if (as3_) return as3_->mouseMove(viewportToStage(x, y));
    return scripts_->mouseMove(viewportToStage(x, y));
}

bool MoviePlayer::mouseDown(double x, double y, MouseButton button) {
    start();
    if (as3_) return button == MouseButton::Left ? as3_->mouseButton(viewportToStage(x, y), true) : as3_->mouseMove(viewportToStage(x, y));
    return scripts_->mouseDown(viewportToStage(x, y), button);
}

bool MoviePlayer::mouseUp(double x, double y, MouseButton button) {
    start();
    if (as3_) return button == MouseButton::Left ? as3_->mouseButton(viewportToStage(x, y), false) : as3_->mouseMove(viewportToStage(x, y));
    return scripts_->mouseUp(viewportToStage(x, y), button);
}

bool MoviePlayer::mouseWheel(double x, double y, int lines) {
    start();
    if (as3_) return as3_->mouseWheel(viewportToStage(x, y), lines);
    return scripts_->mouseWheel(viewportToStage(x, y), lines);
}

bool MoviePlayer::keyDown(int keyCode, int charCode) {
    start();
    if (as3_) return as3_->key(keyCode, charCode, true);
    return scripts_->keyDown(keyCode, charCode);
}

bool MoviePlayer::keyUp(int keyCode, int charCode) {
    start();
    if (as3_) return as3_->key(keyCode, charCode, false);
    return scripts_->keyUp(keyCode, charCode);
}

bool MoviePlayer::textInput(char32_t character) {
    start();
    if (as3_) return as3_->textInput(character);
    return scripts_->textInput(character);
}

bool MoviePlayer::textCommand(TextCommand command) {
    start();
    if (as3_) {
        std::string clipboard = scripts_->clipboardText();
        bool taken = as3_->textCommand(command, clipboard);
        scripts_->setClipboardText(clipboard);
        return taken;
    }
    return scripts_->textCommand(command);
}

void MoviePlayer::setClipboardText(const std::string& utf8) { scripts_->setClipboardText(utf8); }

std::string MoviePlayer::clipboardText() const { return scripts_->clipboardText(); }

void MoviePlayer::setFsCommandHandler(std::function<void(const std::string&, const std::string&)> h) {
    scripts_->setFsCommandHandler(std::move(h));
}

void MoviePlayer::setTraceHandler(std::function<void(const std::string&)> h) {
    if (as3_) as3_->setTraceHandler(h);
    scripts_->setTraceHandler(std::move(h));
}

void MoviePlayer::setScriptErrorHandler(std::function<void(const std::string&)> h) {
    if (as3_) as3_->setErrorHandler(std::move(h));
}

void MoviePlayer::setViewport(int width, int height, const ViewOptions& options) {
    viewportWidth_ = std::max(0, width);
    viewportHeight_ = std::max(0, height);
    // The host's quality is the movie's until a script changes it; a later change by the host wins
    // again, but a viewport that only changes size keeps what the script chose.
    if (options.quality != view_.quality) scripts_->setQuality(options.quality);
    view_ = options;
    scripts_->setStageMetrics(stageMetrics());
    if (as3_) as3_->setScreen(viewportWidth_, viewportHeight_);
}

// The window is taken for the screen: full screen, it is.
avm1::StageMetrics MoviePlayer::stageMetrics() const {
    avm1::StageMetrics m;
    m.movieWidth = std::lround(movie_->header.stageRect.width() / kTwipsPerPixel);
    m.movieHeight = std::lround(movie_->header.stageRect.height() / kTwipsPerPixel);
    m.viewWidth = m.screenWidth = viewportWidth_;
    m.viewHeight = m.screenHeight = viewportHeight_;
    return m;
}

Matrix MoviePlayer::stageToPixels() const {
    return viewTransform(movie_->header.stageRect, viewportWidth_, viewportHeight_, view_);
}

void MoviePlayer::render(RgbaImage& target) {
    if (target.width != viewportWidth_ || target.height != viewportHeight_) {
        target = RgbaImage(viewportWidth_, viewportHeight_);
        targetHoldsFrame_ = false;
    }
    if (rendererTarget_ != &target) {
        renderer_.reset();
        workers_.reset();
        rendererTarget_ = &target;
        targetHoldsFrame_ = false;
    }
    const render::IntRect frame{0, 0, target.width, target.height};
    if (!partialRedraw_) {
        if (!renderer_) renderer_ = std::make_unique<SoftwareRenderer>(target);
        render(*renderer_);
        changedArea_.clear();
        if (!frame.empty()) changedArea_.push_back(frame);
        drawnCalls_.clear();
        layerCache_.clear();
        targetHoldsFrame_ = false;
        return;
    }
    render::PaintRecording recording(target.width, target.height, &drawnCalls_);
    render(recording);
    changedArea_.clear();
    if (targetHoldsFrame_) changedArea_ = render::frameChanges(drawnCalls_, recording.calls(), frame);
    else if (!frame.empty()) changedArea_.push_back(frame);
    // Only the pixels that changed are drawn again, exactly as the whole frame would draw them.
    const int threads = drawingThreads_ > 0 ? std::min(drawingThreads_, render::kMaxDrawingThreads)
                                            : render::defaultDrawingThreads();
    if (!workers_ || workers_->requestedThreads() != threads) workers_ = std::make_unique<render::BandWorkers>(target, threads);
    const std::vector<render::IntRect> pieces = render::separateRects(changedArea_, frame);
    if (!targetHoldsFrame_) layerCache_.clear();
    layerCache_.prepare(recording.calls(), frame, pieces);
    workers_->draw(recording.calls(), pieces, &layerCache_);
    drawnCalls_ = recording.takeCalls();
    targetHoldsFrame_ = true;
}

void MoviePlayer::render(Renderer& renderer) {
    start();
    Rgba bg = view_.background.value_or(background_);
    bg.a = 255;
    renderer.setQuality(scripts_->quality());
    renderer.beginFrame(bg);
    Matrix m = stageToPixels();
    StagePainter painter(library_, renderer);
    painter.setFilterScale(std::hypot(m.a, m.b) * kTwipsPerPixel, std::hypot(m.c, m.d) * kTwipsPerPixel);
    painter.paintClip(root_, m, ColorTransform{});
    renderer.endFrame();
}

void MoviePlayer::setMovieUrl(const std::string& url) {
    scripts_->setMovieUrl(url);
    if (as3_) as3_->setMovieUrl(url);
}

void MoviePlayer::setVariable(const std::string& name, const std::string& value) {
    start();
    scripts_->setVariable(name, value);
}

std::string MoviePlayer::getVariable(const std::string& name) {
    start();
    return scripts_->getVariable(name);
}

void MoviePlayer::setFontSource(std::shared_ptr<FontSource> source) {
    library_.deviceFonts().setSource(std::move(source));
}

std::vector<std::string> MoviePlayer::takeWarnings() {
    std::vector<std::string> out = library_.takeWarnings();
    for (std::string& w : scripts_->takeWarnings()) out.push_back(std::move(w));
    for (std::string& w : sound_.takeWarnings()) out.push_back(std::move(w));
    return out;
}

}  // namespace swf
