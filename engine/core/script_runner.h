// Runs a movie's ActionScript 1 and 2 against its display list: frame actions after a frame is
// built and init actions before them, clip events (load, enterFrame, mouse and key events) in
// display order, button actions from mouse input, intervals; trace and fscommand out to the host.
// Scripts are queued while timelines move and run once the display list is settled.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/avm1/machine.h"
#include "engine/core/character_library.h"
#include "engine/core/player.h"
#include "engine/core/script_clip.h"
#include "engine/core/timeline_player.h"
#include "engine/render/renderer.h"

namespace swf {

class ScriptRunner final : public FrameScripts, public avm1::Host {
public:
    // A frame that queues more scripts than this (a goto loop) drops the rest with a warning.
    static constexpr size_t kMaxJobsPerFrame = 100'000;
    static constexpr size_t kMaxChildrenPerClip = 16384;
    // Scripts of one frame together may run this long; what is still queued then is skipped (each
    // script alone is stopped sooner, by the machine's limits).
    static constexpr double kMaxSecondsPerFrame = 6.0;

    ScriptRunner(CharacterLibrary& library, TimelinePlayer& timeline, swf::Clip& root, double frameRate);
    ~ScriptRunner() override;

    // One frame: every clip, newest first, queues its enterFrame event and moves its own timeline
    // on (the main movie's loops at its end when `loopMain` is set); then what was queued runs, and
    // the intervals that are due.
    void frame(bool loopMain);
    // The movie's first frame, built already: its scripts, then the end-of-frame work every frame has.
    void firstFrame();
    // Runs what is queued (after a goto from outside the movie).
    void runPending();

    // Input, in the main movie's twips. True when a script ran or a button changed its look.
    bool mouseMove(Point stage);
    bool mouseDown(Point stage, MouseButton button = MouseButton::Left);
    bool mouseUp(Point stage, MouseButton button = MouseButton::Left);
    bool mouseWheel(Point stage, int lines);
    bool keyDown(int keyCode, int charCode);
    bool keyUp(int keyCode, int charCode);
    bool textInput(char32_t character);
    bool textCommand(TextCommand command);
    void setClipboardText(const std::string& utf8) { clipboard_ = utf8; }
    const std::string& clipboardText() const { return clipboard_; }

    void setTraceHandler(std::function<void(const std::string&)> h) { trace_ = std::move(h); }
    void setFsCommandHandler(std::function<void(const std::string&, const std::string&)> h) { fsCommand_ = std::move(h); }
    void setLimits(const avm1::Limits& limits) { machine_.setLimits(limits); }
    std::vector<std::string> takeWarnings();
    avm1::Machine& machine() { return machine_; }
    // The movie's sound, for the Sound object; its voices that end reach their onSoundComplete.
    void setSound(avm1::SoundControl* sound) { sound_ = sound; }
    avm1::SoundControl* sound() override { return sound_; }
    // A text field's variable, set from the field's text (path relative to the field's parent).
    void setBoundVariable(ScriptClip& field, const std::string& path, const std::string& text);
    // The variable's value as text; false when it is not set (or, with `clipMembersOnly`, when
    // it belongs to an object that is not a clip: such a binding is read once a frame).
    bool boundVariable(ScriptClip& field, const std::string& path, std::string& text, bool clipMembersOnly = false);
    // Variables of the main timeline, as text (the host's SetVariable and GetVariable).
    void setVariable(const std::string& name, const std::string& value);
    std::string getVariable(const std::string& name);

    // FrameScripts
    void frameBuilt(DisplayObject* owner, swf::Clip& clip, int frameIndex) override;
    bool keepsForUnload(DisplayObject& obj) override;

    // avm1::Host
    void trace(const std::string& line) override;
    void fsCommand(const std::string& command, const std::string& args) override;
    void getUrl(const std::string& url, const std::string& target) override;
    void warning(const std::string& message) override;
    avm1::Clip* level(int n) override;
    double timeMs() override { return timeMs_; }
    bool keyIsDown(int keyCode) override { return keysDown_.count(keyCode) > 0; }
    int lastKeyCode() override { return lastKey_; }
    int lastKeyAscii() override { return lastAscii_; }
    bool keyIsToggled(int keyCode) override { return keysToggled_.count(keyCode) > 0; }
    avm1::Clip* focus() override;
    bool setFocus(avm1::Clip* target) override;
    void selection(int& begin, int& end, int& caret) override;
    void setSelection(int begin, int end) override;
    avm1::StageMetrics stageMetrics() override { return stage_; }
    bool movieMayUseNetwork() override { return library_.movie().attributes.useNetwork; }
    void setStageLayout(const std::string& scaleMode, const std::string& align) override;

    // The movie's and the window's size; a new window size is a resize to scripts when the stage
    // follows the window (noScale).
    void setStageMetrics(const avm1::StageMetrics& metrics);
    // Where scripts' Stage.scaleMode and Stage.align go.
    void setStageLayoutHandler(std::function<void(const std::string&, const std::string&)> h) { stageLayout_ = std::move(h); }

    // For ScriptClip.
    ScriptClip* scriptClip(swf::Clip& clip);
    ScriptClip* scriptClip(DisplayObject& obj) { return obj.clip ? scriptClip(*obj.clip) : nullptr; }
    avm1::TextExtentValues measureText(const TextFormat& format, const std::string& text, double wrapWidth) override;
    std::vector<std::string> fontFamilies() override;
    CharacterLibrary& library() { return library_; }
    TimelinePlayer& timeline() { return timeline_; }
    Point mouse() const { return mouse_; }

    // The movie's address, read by scripts as _url.
    const std::string& movieUrl() const { return movieUrl_; }
    void setMovieUrl(const std::string& url) { movieUrl_ = url; }

    // The movie's drawing quality: the host sets it, and so may scripts (_quality, _highquality).
    Quality quality() const { return quality_; }
    void setQuality(Quality q) { quality_ = q; }

    // _soundbuftime: the seconds of streaming sound a player gathers before it starts one. The
    // whole movie is here before it plays, so nothing waits on it; scripts read back what they set.
    int soundBufferSeconds() const { return soundBufferSeconds_; }
    void setSoundBufferSeconds(int seconds) { soundBufferSeconds_ = seconds; }

private:
    struct Job {
        ScriptClip* clip = nullptr;
        avm1::ActionCode code;  // actions to run, when `code.bytes` is set
        uint32_t events = 0;    // else: clip event handlers with these bits
        std::string method;     // and this method of the clip's object
        bool load = false;
        bool construct = false;  // give the clip its registered class
        bool unload = false;     // the clip has left: its unload handlers run, then it is let go
        std::function<void()> call = nullptr;  // else, when set: a script call made from outside (listeners)
    };

    // The first-frame scripts of a new clip, waiting for the frame that places it.
    struct Pending {
        ScriptClip* clip;
        std::vector<Job> jobs;
    };

    bool queue(Job job, bool init = false);
    void composeFrame(ScriptClip& sc, int frameIndex, std::vector<Job>& out);
    void takeBlockOf(DisplayObject& obj, std::vector<Job>& out);
    void queuePending();
    void runQueue();
    void runJob(const Job& job);
    void readHandlers(ScriptClip& sc);
    const std::string* linkageOf(uint16_t characterId);
    bool hasHandler(ScriptClip& sc, uint32_t events, const char* method);
    void objectGone(DisplayObject& obj);
    // A leaving clip's unload handlers, those of the clips inside it first.
    void runUnloadHandlers(ScriptClip& sc, int nesting);
    // Queues the unload of clips leaving `parent` from `depth` (any depth: -1) not queued yet.
    void takeLeaving(swf::Clip* parent, int depth, std::vector<Job>& out);
    // Clips that waited for their unload handlers leave the display list for good.
    void finishLeaving();
    void endFrame();
    void sweep();
    // Text fields show their variables: every frame, each field takes its variable's value (a
    // variable not set yet takes the field's text first).
    void syncTextFields(swf::Clip& clip, int nesting);
    bool splitVariable(ScriptClip& field, const std::string& path, avm1::Object*& owner, std::string& name);
    // Clips (and the main movie) in the order their events run: children before their parent,
    // the topmost child first.
    void collectClips(swf::Clip& clip, std::vector<ScriptClip*>& out, int nesting);
    // Sends a clip event (with its method) to every loaded clip, in event order.
    bool broadcast(uint32_t events, const char* method);
    bool broadcastMouse(uint32_t event, const char* handler);
    // The button or clip with button handlers under the pointer, topmost first.
    ScriptClip* interactiveAt(swf::Clip& clip, Point local, int nesting);
    bool updatePointer();
    bool buttonTransition(ScriptClip& sc, avm1::ButtonCondition c);
    // Input (script_runner_input.cpp).
    void queueCall(std::function<void()> call);
    void queueBroadcast(const char* objectName, const char* message, std::vector<avm1::Value> args = {});
    bool queueMethod(ScriptClip* sc, const char* method, std::vector<avm1::Value> args = {});
    bool keyPressButtons(int code);
    bool hasKeyPressButton(int code);
    ScriptClip* nextTabTarget(bool backwards);
    bool enabled(ScriptClip& sc);
    bool actsAsButton(ScriptClip& sc);
    bool editableField(ScriptClip& sc);
    // Replaces the focused field's selected characters with `utf8Text` and tells its listeners.
    // Puts text in place of the focused field's selection. What the user types or pastes (`typed`)
    // keeps to the field's restrict pattern and maxChars.
    void replaceSelection(ScriptClip& field, const std::string& utf8Text, bool typed = false);
    // Moves the focus to `target` (null: none): the old owner's onKillFocus, the new one's
    // onSetFocus, Selection's listeners. With `highlight`, a button or clip given the focus from
    // the keyboard also shows as rolled over.
    // From a script (`fromScript`), the handlers run at once.
    bool moveFocus(ScriptClip* target, bool highlight, bool fromScript = false);
    bool focusable(ScriptClip& sc, bool byTab);
    void collectTabbable(swf::Clip& clip, std::vector<ScriptClip*>& out, int nesting);
    // The link of the text under the pointer, in the topmost field there ("" for none), and the field.
    std::string linkAt(swf::Clip& clip, ScriptClip*& field, int nesting);
    // Follows a text link: an "asfunction:name,argument" link calls the function `name` (a path
    // from the field's timeline, else a global function) with the text after the first comma.
    void followLink(ScriptClip& field, const std::string& url);
    avm1::Value focusValue(ScriptClip* sc);
    const std::vector<std::shared_ptr<const std::vector<uint8_t>>>& buttonActions(uint16_t characterId);

    CharacterLibrary& library_;
    avm1::SoundControl* sound_ = nullptr;
    TimelinePlayer& timeline_;
    swf::Clip& root_;
    double frameMs_;
    avm1::Machine machine_;
    std::unordered_map<swf::Clip*, std::unique_ptr<ScriptClip>> clips_;
    std::vector<std::unique_ptr<ScriptClip>> graveyard_;  // removed, perhaps still named by scripts
    std::deque<Job> initQueue_, queue_;
    std::vector<Pending> pending_;
    struct Leaving {
        ScriptClip* clip;
        swf::Clip* parent;
        int depth;  // the one it left
        bool queued;
    };
    std::vector<Leaving> leaving_;
    size_t jobsThisFrame_ = 0;
    std::chrono::steady_clock::time_point frameStart_ = std::chrono::steady_clock::now();
    bool dropped_ = false;
    bool destroying_ = false;
    std::set<uint16_t> initDone_;
    std::multimap<uint16_t, std::string> linkages_;  // character id -> export name
    std::map<uint16_t, std::vector<std::shared_ptr<const std::vector<uint8_t>>>> buttonActions_;
    std::map<const void*, std::shared_ptr<const std::vector<uint8_t>>> actionBytes_;  // by tag

    double timeMs_ = 0;
    int framesSinceCollect_ = 0;
    size_t heapAfterCollect_ = 0;
    Point mouse_;
    Quality quality_ = Quality::High;
    std::string movieUrl_ = "file:///movie.swf";  // until the host says where the movie came from
    int soundBufferSeconds_ = 5;
    bool mouseIsDown_ = false;
    ScriptClip* pointerTarget_ = nullptr;
    std::set<int> keysDown_;
    std::set<int> keysToggled_;
    int lastKey_ = 0;
    int lastAscii_ = 0;
    bool mouseKnown_ = false;  // a pointer position has been given
    ScriptClip* focus_ = nullptr;
    int selBegin_ = 0, selEnd_ = 0;  // the focused field's selection, in characters
    std::string clipboard_;

    std::function<void(const std::string&)> trace_;
    std::function<void(const std::string&, const std::string&)> fsCommand_;
    std::function<void(const std::string&, const std::string&)> stageLayout_;
    avm1::StageMetrics stage_;
    bool stageFollowsWindow_ = false;
    std::vector<std::string> warnings_;
    bool warningsCut_ = false;
};

}  // namespace swf
