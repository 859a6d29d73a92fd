// Runs a movie whose root is ActionScript 3: loads its ABC blocks, constructs the document class
// on the root, gives scripts the display API over the engine's display list, and drives the frame
// life cycle (enterFrame, frame construction, frame scripts, exitFrame) with its events.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/avm2/machine.h"
#include "engine/core/character_library.h"
#include "engine/core/player.h"
#include "engine/core/timeline_player.h"
#include "engine/parse/movie.h"

namespace swf {

class As3Display;
class MovieSound;

class As3Runner final : public FrameScripts {
public:
    As3Runner(std::shared_ptr<const Movie> movie, TimelinePlayer& timeline, CharacterLibrary& library, Clip& root,
              double frameRate);
    ~As3Runner() override;

    // Loads the byte code and builds the document object; the first frame's scripts run.
    void start();
    // One frame: enterFrame, the timelines move (`advance`), frameConstructed, frame scripts, exitFrame.
    void frame(const std::function<void()>& advance);
    // After a goto from outside: the frame scripts that are due.
    void runPending();

    // Input, in stage twips: the mouse and keyboard events it causes run at once, and the frame
    // scripts a goto in them made due.
    bool mouseMove(Point stage);
    bool mouseButton(Point stage, bool down);
    bool mouseWheel(Point stage, int lines);
    bool key(int keyCode, int charCode, bool down);
    bool textInput(char32_t character);
    // An editing command on the focused field, with the player's clipboard.
    bool textCommand(TextCommand command, std::string& clipboard);

    // The player is going: objects leaving the display list now send no events.
    void stopReporting();
    void setTraceHandler(std::function<void(const std::string&)> h);
    void setErrorHandler(std::function<void(const std::string&)> h);
    avm2::Machine& machine() { return *machine_; }
    // The screen the movie is shown on, pixels.
    void setScreen(double width, double height);
    // The movie's sound, which flash.media plays through.
    void setSound(MovieSound* sound);
    void setMovieUrl(const std::string& url);

    // FrameScripts
    void frameBuilt(DisplayObject* owner, Clip& clip, int frameIndex) override;

private:
    void runScripts();
    void collectIfDue();
    void runTimers();
    bool input(const std::function<bool()>& send);

    std::shared_ptr<const Movie> movie_;
    TimelinePlayer& timeline_;
    Clip& root_;
    double frameRate_;
    std::unique_ptr<avm2::Machine> machine_;
    std::unique_ptr<As3Display> display_;
    bool started_ = false;
    int framesSinceCollection_ = 0;
    MovieSound* sound_ = nullptr;
    std::function<void(const std::string&)> error_;
};

}  // namespace swf
