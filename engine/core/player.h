// The engine's face to its hosts (the Flash component, swfrender): load a movie, drive its timeline,
// render frames at any size, and pass input in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/base/image.h"
#include "engine/fonts/font_source.h"
#include "engine/render/int_rect.h"
#include "engine/render/renderer.h"
#include "engine/sound/audio_mixer.h"

namespace swf {

// How the stage is fitted into the viewport (the Flash "scale" modes).
enum class ScaleMode : uint8_t { ShowAll, NoBorder, ExactFit, NoScale };

// Stage alignment inside the viewport (Flash "salign"): each flag pins the stage to that edge;
// with neither of a pair set the stage is centred on that axis.
struct Alignment {
    bool left = false, right = false, top = false, bottom = false;
};

// Mouse buttons; scripts see the left one as the button, the others only as keys (Key.isDown).
enum class MouseButton : uint8_t { Left, Right, Middle };

// Editing commands a host sends to the focused text field (the keys and menu items that edit).
enum class TextCommand : uint8_t { Enter, Backspace, Delete, SelectAll, Copy, Cut, Paste };

struct ViewOptions {
    ScaleMode scaleMode = ScaleMode::ShowAll;
    Alignment align;
    std::optional<Rgba> background;  // replaces the movie's own background colour when set
    Quality quality = Quality::High;
};

// Stage-to-viewport transform (stage twips to viewport pixels) for a stage of the given size in twips.
Matrix viewTransform(const Rect& stageTwips, int viewportWidth, int viewportHeight, const ViewOptions& options);

class Player {
public:
    virtual ~Player() = default;

    // Parses `bytes` (an FWS, CWS or ZWS file). On failure returns null and sets `error` to a one-line
    // message.
    static std::unique_ptr<Player> load(std::vector<uint8_t> bytes, std::string& error);

    virtual int swfVersion() const = 0;
    virtual double frameRate() const = 0;   // frames per second, > 0
    virtual int frameCount() const = 0;     // main timeline frames, >= 1
    virtual int currentFrame() const = 0;   // 1-based
    virtual Rect stageRect() const = 0;     // twips
    virtual Rgba backgroundColor() const = 0;

    virtual bool isPlaying() const = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void setLoop(bool loop) = 0;   // at the last frame: true goes back to frame 1, false stops
    virtual bool loop() const = 0;
    virtual void rewind() = 0;             // to frame 1, stopped
    virtual void gotoFrame(int frame) = 0; // 1-based, clamped; keeps the playing state
    virtual void nextFrame() = 0;          // one frame on, stopped
    virtual void previousFrame() = 0;      // one frame back, stopped

    // Runs one frame of the movie: advances the timelines that play (the main timeline only while
    // playing), runs what the frame runs.
    virtual void tick() = 0;

    // The viewport that render() and the mouse use.
    virtual void setViewport(int width, int height, const ViewOptions& options) = 0;
    // Draws the current frame into `target` (resized to the viewport when its size differs). With
    // partial redraw on, a target that holds the frame drawn into it last (left as it was) is drawn
    // again only where the picture changed; changedArea() tells where.
    virtual void render(RgbaImage& target) = 0;
    // Where the last render(RgbaImage&) changed the target: outside these rectangles it holds the
    // frame before, pixel for pixel. Empty when nothing changed; the whole target when drawn whole.
    virtual std::vector<render::IntRect> changedArea() const = 0;
    // On by default. Off, every frame is drawn whole.
    virtual void setPartialRedraw(bool on) = 0;
    // The threads that draw render(RgbaImage&)'s changed rows, each its own share of them; the picture
    // is the same for any count. 0 (the default): one per processor, up to a small limit.
    virtual void setDrawingThreads(int count) = 0;
    // Draws through any renderer (tests, other back ends) at the current viewport.
    virtual void render(Renderer& renderer) = 0;

    // Input, in viewport pixels. Returns true when what the movie shows may have changed.
    virtual bool mouseMove(double x, double y) = 0;
    virtual bool mouseDown(double x, double y, MouseButton button = MouseButton::Left) = 0;
    virtual bool mouseUp(double x, double y, MouseButton button = MouseButton::Left) = 0;
    // The wheel turned by `lines` (positive away from the user) with the pointer at x, y.
    virtual bool mouseWheel(double x, double y, int lines) = 0;
    // Keys by their Flash key code (the Windows virtual-key code); `charCode` is the character the
    // key types as scripts read it (Key.getAscii), 0 for none. What the key types reaches the
    // movie as textInput, as a window receives WM_KEYDOWN and then WM_CHAR.
    virtual bool keyDown(int keyCode, int charCode) = 0;
    virtual bool keyUp(int keyCode, int charCode) = 0;
    // A typed character (a Unicode code point): to the focused text field, or to the buttons that
    // wait for it.
    virtual bool textInput(char32_t character) = 0;
    virtual bool textCommand(TextCommand command) = 0;
    // The clipboard the text commands copy to and paste from (the host keeps the system's in step).
    virtual void setClipboardText(const std::string& utf8) = 0;
    virtual std::string clipboardText() const = 0;

    // Scripts: fscommand() calls and trace() lines, and variables of the root timeline.
    virtual void setFsCommandHandler(std::function<void(const std::string& command, const std::string& args)> h) = 0;
    virtual void setTraceHandler(std::function<void(const std::string& line)> h) = 0;
    // Errors a script did not catch, in the form the reference player prints them (the movie goes on).
    virtual void setScriptErrorHandler(std::function<void(const std::string& text)> h) { (void)h; }
    virtual void setVariable(const std::string& name, const std::string& value) = 0;
    // Where the movie came from, as scripts read it in _url (a file:/// address); set before the
    // first frame plays.
    virtual void setMovieUrl(const std::string& url) { (void)url; }
    virtual std::string getVariable(const std::string& name) = 0;

    // Where text in device fonts gets its faces. Without a source such text is drawn with a
    // built-in block font.
    virtual void setFontSource(std::shared_ptr<FontSource> source) = 0;

    // Sound. The mixer holds what plays; a host that sends it to an audio output pulls it (from
    // any thread) after setAudioPulledByHost(true). Otherwise each tick runs the mix on by one
    // frame's length and drops it: the movie plays silently, with its sounds' timing kept.
    virtual std::shared_ptr<AudioMixer> audioMixer() = 0;
    virtual void setAudioPulledByHost(bool pulled) = 0;

    // Messages about parts of the movie that could not be shown (a failed character, a stopped script).
    virtual std::vector<std::string> takeWarnings() = 0;
};

}  // namespace swf
