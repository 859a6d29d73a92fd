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
#include <vector>

#include "engine/core/player.h"
#include "flash/component/frame_pixels.h"
#include "flash/component/wave_audio_output.h"
#include "support/handles.h"

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

    // Draws the current frame stretched to `bounds` on `dc` (the background alone without a movie);
    // with `area`, only that part of the bounds is copied to the DC.
    void draw(HDC dc, const RECT& bounds, const RECT* area = nullptr);
    // Forgets the drawn frame, so that the next draw renders afresh.
    void invalidateFrame() { frameValid_ = false; }
    // Brings the kept picture up to the movie's current frame at the last drawn size, redrawing and
    // converting only what changed, and returns those rectangles in the pixels of that size (none
    // when nothing changed). Without a kept picture it returns nothing at all: the next draw()
    // renders the whole frame.
    std::optional<std::vector<RECT>> updateFrame();

    // Sends the movie's sound to the audio output while `wanted` (the output opens on the first
    // call that wants it), or lets the engine play it silently. A machine without a usable output
    // is tried once only and stays silent.
    void setAudioWanted(bool wanted);

private:
    // Runs a step of the engine; a failure in it (out of memory) ends the movie, not the process.
    template <typename Step>
    bool guarded(Step step);
    swf::ViewOptions viewOptions() const;
    // Renders the frame at this size into the bitmap; returns the areas that changed in it.
    std::vector<PixelArea> renderFrame(int width, int height);
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
    ui::UniqueBitmap frameBitmap_;
    void* frameBits_ = nullptr;
    int frameWidth_ = 0, frameHeight_ = 0;
    bool frameValid_ = false;  // the bitmap holds a frame at the current size and settings
    bool frameStale_ = false;  // the movie has moved on since the bitmap was made
    swf::RgbaImage image_;

    // Declared last: the feed stops before the player goes.
    bool audioUnavailable_ = false;
    std::unique_ptr<WaveAudioOutput> audio_;
};

}  // namespace flash
