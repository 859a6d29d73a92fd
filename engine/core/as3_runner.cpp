#include "engine/core/as3_runner.h"

#include <algorithm>

#include "engine/core/as3_display.h"
#include "engine/core/movie_sound.h"
#include "engine/core/text_document.h"

namespace swf {

using namespace avm2;

As3Runner::As3Runner(std::shared_ptr<const Movie> movie, TimelinePlayer& timeline, CharacterLibrary& library, Clip& root,
                     double frameRate)
    : movie_(std::move(movie)), timeline_(timeline), root_(root), frameRate_(frameRate), machine_(std::make_unique<Machine>()) {
    Rect stage = movie_->header.stageRect;
    machine_->swfVersion = movie_->header.version;
    display_ = std::make_unique<As3Display>(*machine_, root_, timeline_, library, movie_->symbolClasses,
                                            std::max<int>(1, static_cast<int>(movie_->timeline.frames.size())), frameRate_,
                                            stage.width() / 20.0, stage.height() / 20.0);
    machine_->errorHandler = [this](const std::string& text) {
        if (error_) error_(text);
    };
}

As3Runner::~As3Runner() = default;

void As3Runner::stopReporting() {
    if (display_) display_->setTearingDown();
}

void As3Runner::setTraceHandler(std::function<void(const std::string&)> h) { machine_->traceHandler = std::move(h); }

void As3Runner::setErrorHandler(std::function<void(const std::string&)> h) { error_ = std::move(h); }

void As3Runner::setScreen(double width, double height) { display_->setScreen(width, height); }

void As3Runner::start() {
    if (started_) return;
    started_ = true;
    for (const Movie::AbcBlock& block : movie_->abcBlocks) {
        if (block.frame > 0) continue;  // later frames' code loads when those frames come (not yet)
        machine_->scriptStart = std::chrono::steady_clock::now();
        machine_->timing = true;
        machine_->loadAbc(block.bytes, block.flags & 1);
        machine_->timing = false;
    }
    // The document class, by its qualified name.
    ClassObject* docClass = nullptr;
    for (const auto& [id, name] : movie_->symbolClasses)
        if (id == 0) docClass = display_->findClass(name);
    machine_->scriptStart = std::chrono::steady_clock::now();
    machine_->timing = true;
    machine_->guarded([&] { display_->constructRoot(docClass); });
    // The first frame has no enterFrame: the root was not there to hear it.
    display_->frameReached(root_, root_.frame);
    display_->broadcast(u"frameConstructed");
    display_->runQueuedScripts();
    display_->broadcast(u"exitFrame");
    display_->rootLoaded();
    runTimers();
    display_->refreshBitmaps();
    machine_->timing = false;
}

void As3Runner::setSound(MovieSound* sound) {
    sound_ = sound;
    display_->setSound(sound);
}

void As3Runner::setMovieUrl(const std::string& url) { display_->setMovieUrl(url); }

void As3Runner::runTimers() {
    // A frame stays on screen for its share of a second: the timers due in that time run after it.
    machine_->clockMs += 1000.0 / std::max(frameRate_, 0.01);
    machine_->timers.run(*machine_, machine_->clockMs);
}

void As3Runner::frameBuilt(DisplayObject* owner, Clip& clip, int frameIndex) {
    (void)owner;
    if (!started_) return;
    display_->frameReached(clip, frameIndex);
}

void As3Runner::runScripts() {
    machine_->scriptStart = std::chrono::steady_clock::now();
    machine_->timing = true;
    display_->runQueuedScripts();
    machine_->timing = false;
}

void As3Runner::runPending() { runScripts(); }

void As3Runner::frame(const std::function<void()>& advance) {
    start();
    machine_->scriptStart = std::chrono::steady_clock::now();
    machine_->timing = true;
    // The playheads move first (what leaves the frame is gone when enterFrame comes); objects the
    // new frames placed are built after it.
    advance();
    display_->advanceOrphans();
    display_->dispatchTimelineRemovals();
    display_->broadcastEnterFrame();
    display_->constructPlaced();
    display_->broadcast(u"frameConstructed");
    display_->runQueuedScripts();
    display_->broadcast(u"exitFrame");
    runTimers();
    if (sound_) display_->soundsCompleted(sound_->takeCompletedVoices());
    display_->refreshBitmaps();
    machine_->timing = false;
    collectIfDue();
}

bool As3Runner::input(const std::function<bool()>& send) {
    start();
    machine_->scriptStart = std::chrono::steady_clock::now();
    machine_->timing = true;
    display_->setBetweenFrames(true);
    bool changed = send();
    display_->setBetweenFrames(false);
    display_->runQueuedScripts();
    machine_->timing = false;
    return changed;
}

bool As3Runner::mouseMove(Point stage) {
    return input([&] { return display_->pointerMoved(stage); });
}

bool As3Runner::mouseButton(Point stage, bool down) {
    return input([&] { return down ? display_->pointerPressed(stage) : display_->pointerReleased(stage); });
}

bool As3Runner::mouseWheel(Point stage, int lines) {
    return input([&] { return display_->wheelTurned(stage, lines); });
}

bool As3Runner::key(int keyCode, int charCode, bool down) {
    return input([&] { return display_->keyChanged(keyCode, charCode, down); });
}

bool As3Runner::textInput(char32_t character) {
    if (character < 32 || character == 127) return false;  // control characters come as keys and text commands
    return input([&] { return display_->textTyped(std::u32string(1, character)); });
}

bool As3Runner::textCommand(TextCommand command, std::string& clipboard) {
    return input([&] { return display_->textEdited(command, clipboard); });
}

void As3Runner::collectIfDue() {
    // A full collection every few frames keeps a movie that allocates each frame at a steady size.
    if (++framesSinceCollection_ < 30 && machine_->objectCount() < 200'000) return;
    framesSinceCollection_ = 0;
    machine_->collectGarbage(display_->roots());
}

}  // namespace swf
