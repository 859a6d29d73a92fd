// The component's movie: the file's bytes, the engine's player and the frame last drawn. It
// outlives the component's window, so that closing and re-activating the component keeps the
// movie, its position and its settings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/core/player.h"
#include "flash/component/wave_audio_output.h"

namespace flash {

class MoviePlayback {
public:
    MoviePlayback();
    ~MoviePlayback();

    // Reads the whole file at `path` and closes it at once; any failure leaves no movie (the
    // background shows). Returns true when a movie plays.
    bool load(const std::wstring& path);
    bool hasMovie() const { return player_ != nullptr; }

    // Called by the movie's fscommand() actions.
    std::function<void(const std::string& command, const std::string& args)> onFsCommand;

    // Playback controls; they work on the stored state when there is no movie.
    void play();
    void stop();
    void rewind();
    void back();
    void forward();
    void gotoFrame(long frame);  // 0-based, as the control's interface counts
    bool playing() const;
    void setPlaying(bool playing);
    bool loop() const { return loop_; }
    void setLoop(bool loop);
    long totalFrames() const;
    long frameNumber() const;  // 0-based
    double frameRate() const;  // frames per second; 12 without a movie

    // 0x00RRGGBB; the movie's own background until one is set.
    long backgroundColor() const;
    void setBackgroundColor(long rgb);
    int scaleMode() const { return scaleMode_; }
    void setScaleMode(int mode);
    int alignMode() const { return alignMode_; }
    void setAlignMode(int mode);
    int quality() const { return quality_; }
    void setQuality(int quality);

    void setVariable(const std::string& name, const std::string& value);
    std::string variable(const std::string& name);

    // Runs one frame. Returns true when the picture may have changed.
    bool tick();
    // Input in pixels of the last drawn size; true when the picture may have changed.
    bool mouseMove(int x, int y);
    bool mouseDown(int x, int y);
    bool mouseUp(int x, int y);

    // Draws the current frame stretched to `bounds` on `dc` (the background alone without a movie).
    void draw(HDC dc, const RECT& bounds);
    // Forgets the drawn frame, so that the next draw renders afresh.
    void invalidateFrame() { frameValid_ = false; }

    // Sends the movie's sound to the audio output while `wanted` (the output opens on the first
    // call that wants it), or lets the engine play it silently. A machine without a usable output
    // is tried once only and stays silent.
    void setAudioWanted(bool wanted);

private:
    // Runs a step of the engine; a failure in it (out of memory) ends the movie, not the process.
    template <typename Step>
    bool guarded(Step step);
    swf::ViewOptions viewOptions() const;
    void renderFrame(int width, int height);
    COLORREF backgroundColorRef() const;

    std::unique_ptr<swf::Player> player_;
    bool playing_ = false;  // kept here too, for when there is no movie
    bool loop_ = true;
    std::optional<long> background_;
    int scaleMode_ = 0;  // 0 showAll, 1 noBorder, 2 exactFit, 3 noScale
    int alignMode_ = 0;  // bits: 1 left, 2 right, 4 top, 8 bottom
    int quality_ = 1;    // 0 low, 1 high, 2 autolow, 3 autohigh
    int viewWidth_ = 0, viewHeight_ = 0;

    // The frame as a top-down 32-bit DIB section.
    HBITMAP frameBitmap_ = nullptr;
    void* frameBits_ = nullptr;
    int frameWidth_ = 0, frameHeight_ = 0;
    bool frameValid_ = false;
    swf::RgbaImage image_;

    // Declared last: the feed stops before the player goes.
    bool audioUnavailable_ = false;
    std::unique_ptr<WaveAudioOutput> audio_;
};

}  // namespace flash
