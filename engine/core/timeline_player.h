// Plays timelines: applies a frame's placement tags to a clip's display list, advances clips frame by
// frame (nested sprites with them), and jumps to any frame, rebuilding the display list when going
// backwards so that it equals what playing from the start would have built.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/character_library.h"
#include "engine/core/display_object.h"

namespace swf {

// Where frame scripts run. The player calls these in the frame cycle; the defaults do nothing.
class FrameScripts {
public:
    virtual ~FrameScripts() = default;
    // A clip's frame has been built (its display list is complete): the frame's init actions and then
    // its actions run here.
    virtual void frameBuilt(DisplayObject* owner, Clip& clip, int frameIndex) {
        (void)owner, (void)clip, (void)frameIndex;
    }
    // The timeline takes `obj` off its depth. True when the scripts keep it a while (its unload
    // handlers have yet to run on it): it then waits below the timeline's depths instead of going.
    virtual bool keepsForUnload(DisplayObject& obj) {
        (void)obj;
        return false;
    }
};

// Where a clip that is leaving waits for its unload handlers, below every depth in use: timeline
// depth d goes to -d - 1 (script depth -32769 minus the one it had).
constexpr int leavingDepth(int depth) { return -depth - 1; }

// Where timelines meet sound: the player calls these as frames are shown and buttons change state.
class TimelineSounds {
public:
    virtual ~TimelineSounds() = default;
    // `frameIndex` of `clip` is shown; `inSequence` when it follows the frame shown before.
    virtual void frameShown(Clip& clip, int frameIndex, bool inSequence) = 0;
    // How many frames a playing clip moves on in this frame: 1 normally; more, or 0, to stay with
    // its streaming sound.
    virtual int framesToAdvance(const Clip& clip) = 0;
    virtual void buttonStateChanged(const DisplayObject& button, const Button& definition, int from, int to) = 0;
};

struct TimelineLimits {
    size_t maxObjectsPerClip = 16384;
    int maxClipNesting = 64;
    // All display objects alive at once: clips of clips multiply, and the two limits above alone
    // would let a small movie ask for billions.
    size_t maxObjects = 100'000;
};

class TimelinePlayer {
public:
    TimelinePlayer(CharacterLibrary& library, TimelineLimits limits = {});

    void setScripts(FrameScripts* scripts) { scripts_ = scripts; }
    void setSounds(TimelineSounds* sounds) { sounds_ = sounds; }

    // Builds frame 1 of a fresh clip.
    void start(Clip& clip, const Timeline& timeline, int nesting = 0, DisplayObject* owner = nullptr);

    // One frame of the movie for `clip` and everything inside it: nested clips advance first, then
    // the clip's own timeline (when playing) moves on, looping at the end when `loop` is set,
    // otherwise stopping there.
    void advance(Clip& clip, bool loop, int nesting = 0, DisplayObject* owner = nullptr);
    // The clip's own timeline only, one frame on (nested clips are left where they are).
    void advanceOwn(Clip& clip, bool loop, int nesting = 0, DisplayObject* owner = nullptr);

    // Shows `frameIndex` (0-based, clamped).
    void gotoFrame(Clip& clip, int frameIndex, int nesting = 0, DisplayObject* owner = nullptr);

    // A fresh instance of a character (a sprite starts at its first frame), for scripts that
    // attach or duplicate clips; null when it cannot be placed.
    std::unique_ptr<DisplayObject> create(uint16_t characterId, int depth, int nesting);
    // Shows a button's up (0), over (1) or down (2) state.
    void showButtonState(DisplayObject& button, int state, int nesting);
    // The next creation number, for clips made outside `start`.
    uint64_t nextSequence() { return ++sequence_; }
    // Display objects this player has made that are still alive.
    size_t liveObjects() const { return *liveObjects_; }
    // Counts an object made elsewhere (by scripts) toward the same limit; false, with a warning
    // naming `what`, when the movie already holds as many as it may.
    bool admit(DisplayObject& obj, const std::string& what);
    // Edit texts this player has made or admitted that are still alive.
    size_t liveEditTexts() const { return *liveEditTexts_; }

private:
    void showFrame(Clip& clip, int frameIndex, int nesting, DisplayObject* owner, bool inSequence);
    void applyFrame(Clip& clip, int frameIndex, int nesting);
    void place(Clip& clip, const PlaceObject& p, int frameIndex, int nesting);
    // `name`: the instance name the placement gives; null for one that scripts name afterwards; an
    // empty name takes the next "instanceN", before the object's own children are made.
    std::unique_ptr<DisplayObject> instantiate(uint16_t characterId, int depth, int nesting,
                                               const std::string* name);
    void rebuildTo(Clip& clip, int frameIndex, int nesting);
    // Takes an object the timeline removes: destroyed, unless the scripts keep it, when it moves
    // into `list` at its leaving depth.
    void removeObject(std::unique_ptr<DisplayObject> obj, DisplayList& list);
    void frameBuilt(DisplayObject* owner, Clip& clip);
    void nameInstance(DisplayObject& obj);
    bool swapGraphic(DisplayObject& obj, uint16_t characterId);
    void countEditText(DisplayObject& obj);
    void buildButtonState(DisplayObject& obj, const Button& button, int state, int nesting);
    std::shared_ptr<const std::vector<uint8_t>> clipActionsOf(const PlaceObject& p);

    CharacterLibrary& library_;
    TimelineLimits limits_;
    FrameScripts* scripts_ = nullptr;
    TimelineSounds* sounds_ = nullptr;
    int instanceCount_ = 0;
    uint64_t sequence_ = 0;
    std::map<const PlaceObject*, std::shared_ptr<const std::vector<uint8_t>>> clipActions_;
    std::shared_ptr<size_t> liveObjects_ = std::make_shared<size_t>(0);
    std::shared_ptr<size_t> liveEditTexts_ = std::make_shared<size_t>(0);
};

}  // namespace swf
