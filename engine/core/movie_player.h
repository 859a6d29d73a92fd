// The Player over a parsed movie: the main timeline, its display list, and rendering at the viewport.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/as3_runner.h"
#include "engine/core/character_library.h"
#include "engine/core/display_object.h"
#include "engine/core/movie_sound.h"
#include "engine/core/player.h"
#include "engine/core/script_runner.h"
#include "engine/core/timeline_player.h"
#include "engine/render/paint_recording.h"
#include "engine/render/band_workers.h"
#include "engine/render/layer_cache.h"
#include "engine/render/software_renderer.h"

namespace swf {

class MoviePlayer final : public Player {
public:
    explicit MoviePlayer(std::shared_ptr<const Movie> movie, TimelineLimits limits = {});
    ~MoviePlayer() override;

    int swfVersion() const override { return movie_->header.version; }
    double frameRate() const override;
    int frameCount() const override;
    int currentFrame() const override { return root_.frame + 1; }
    Rect stageRect() const override { return movie_->header.stageRect; }
    Rgba backgroundColor() const override { return background_; }

    bool isPlaying() const override { return root_.playing; }
    void play() override { root_.playing = true; }
    void stop() override { root_.playing = false; }
    void setLoop(bool loop) override { loop_ = loop; }
    bool loop() const override { return loop_; }
    void rewind() override;
    void gotoFrame(int frame) override;
    void nextFrame() override;
    void previousFrame() override;
    void tick() override;

    void setViewport(int width, int height, const ViewOptions& options) override;
    void render(RgbaImage& target) override;
    void render(Renderer& renderer) override;
    std::vector<render::IntRect> changedArea() const override { return changedArea_; }
    void setPartialRedraw(bool on) override { partialRedraw_ = on; }
    void setDrawingThreads(int count) override { drawingThreads_ = count; }

    bool mouseMove(double x, double y) override;
    bool mouseDown(double x, double y, MouseButton button = MouseButton::Left) override;
    bool mouseUp(double x, double y, MouseButton button = MouseButton::Left) override;
    bool mouseWheel(double x, double y, int lines) override;
    bool keyDown(int keyCode, int charCode) override;
    bool keyUp(int keyCode, int charCode) override;
    bool textInput(char32_t character) override;
    bool textCommand(TextCommand command) override;
    void setClipboardText(const std::string& utf8) override;
    std::string clipboardText() const override;

    void setFsCommandHandler(std::function<void(const std::string&, const std::string&)> h) override;
    void setTraceHandler(std::function<void(const std::string&)> h) override;
    void setScriptErrorHandler(std::function<void(const std::string&)> h) override;
    void setVariable(const std::string& name, const std::string& value) override;
    void setMovieUrl(const std::string& url) override;
    std::string getVariable(const std::string& name) override;

    void setFontSource(std::shared_ptr<FontSource> source) override;
    std::shared_ptr<AudioMixer> audioMixer() override { return sound_.mixer(); }
    void setAudioPulledByHost(bool pulled) override { audioPulledByHost_ = pulled; }
    std::vector<std::string> takeWarnings() override;

    // For the scripting layer and tests.
    Clip& root() { return root_; }
    const Clip& root() const { return root_; }
    TimelinePlayer& timeline() { return timeline_; }
    ScriptRunner& scripts() { return *scripts_; }
    CharacterLibrary& library() { return library_; }
    Matrix stageToPixels() const;

private:
    void applyBackgroundTags(int frameIndex);
    void start();
    Point viewportToStage(double x, double y) const;

    std::shared_ptr<const Movie> movie_;
    CharacterLibrary library_;
    MovieSound sound_;
    TimelinePlayer timeline_;
    // Before root_: the display list is torn down while the scripts can still hear of it.
    std::unique_ptr<ScriptRunner> scripts_;
    // Set when the movie's root is ActionScript 3: that machine runs, the other one stays idle.
    std::unique_ptr<As3Runner> as3_;
    Clip root_;
    bool loop_ = true;
    bool audioPulledByHost_ = false;
    double silentMixDue_ = 0;  // frames of the mix owed to silent play
    std::vector<int16_t> silentMix_;
    bool started_ = false;
    Rgba background_{255, 255, 255, 255};
    bool backgroundSet_ = false;

    avm1::StageMetrics stageMetrics() const;
    int viewportWidth_ = 0, viewportHeight_ = 0;
    ViewOptions view_;

    // Frames drawn whole go through renderer_; frames drawn where they changed through the workers.
    RgbaImage* rendererTarget_ = nullptr;
    std::unique_ptr<SoftwareRenderer> renderer_;
    std::unique_ptr<render::BandWorkers> workers_;
    bool partialRedraw_ = true;
    int drawingThreads_ = 0;
    // The calls the target's picture was drawn from, to compare the next frame with; none while the
    // target holds no whole frame of ours.
    std::vector<render::PaintCall> drawnCalls_;
    bool targetHoldsFrame_ = false;
    std::vector<render::IntRect> changedArea_;
    // Filtered layers' pixels, kept while they draw the same from frame to frame.
    render::LayerCache layerCache_;

};

}  // namespace swf
