// The display classes of ActionScript 3 (flash.display, flash.events) over the engine's display
// list: script objects for the root and the clips, events with their phases, frame scripts.
#pragma once

#include <map>
#include <vector>

#include "engine/avm2/machine.h"
#include "engine/core/display_object.h"

namespace swf {

// The script face of a display object (or of the main movie's clip, when `node` is null).
class As3DisplayObject : public avm2::Object {
public:
    As3DisplayObject() : avm2::Object(avm2::ObjectType::Display) {}
    void trace(std::vector<avm2::Object*>& out) override;
    struct Listener {
        avm2::Value fn;
        bool capture = false;
        int priority = 0;
    };
    std::map<avm2::String, std::vector<Listener>> listeners;
    std::map<int, avm2::Value> frameScripts;  // MovieClip: frame index -> function
    std::vector<As3DisplayObject*> children;   // script-made children, in order
    As3DisplayObject* parent = nullptr;
    Clip* clip = nullptr;                       // a timeline, for movie clips
    DisplayObject* node = nullptr;
    avm2::String name;
    double x = 0, y = 0, scaleX = 1, scaleY = 1, rotation = 0, alpha = 1;
    bool visible = true;
};

class As3Display {
public:
    As3Display(avm2::Machine& m, Clip& root, int totalFrames, double frameRate, double stageWidth, double stageHeight);
    // Makes the root's script object as an instance of `cls` (or MovieClip) and runs its constructor.
    void constructRoot(avm2::ClassObject* cls);
    As3DisplayObject* root() const { return root_; }
    // Dispatches a broadcast event (enterFrame, frameConstructed, exitFrame) to every listener.
    void broadcast(const avm2::String& type);
    // Frame scripts of `clip` for its current frame, queued.
    void frameReached(Clip& clip, int frameIndex);
    void runQueuedScripts();
    std::vector<avm2::Object*> roots() const;

    avm2::ClassObject *eventClass = nullptr, *dispatcherClass = nullptr, *displayObjectClass = nullptr,
                      *interactiveClass = nullptr, *containerClass = nullptr, *spriteClass = nullptr,
                      *movieClipClass = nullptr, *shapeClass = nullptr, *stageClass = nullptr;

private:
    void install();
    avm2::Machine& m_;
    Clip& rootClip_;
    int totalFrames_;
    double frameRate_, stageWidth_, stageHeight_;
    As3DisplayObject* root_ = nullptr;
    As3DisplayObject* stage_ = nullptr;
    std::vector<std::pair<As3DisplayObject*, int>> queued_;
    std::vector<As3DisplayObject*> broadcastListeners_;
    friend class As3Runner;
};

}  // namespace swf
