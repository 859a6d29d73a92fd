// The display classes of ActionScript 3 (flash.display, flash.events) over the engine's display
// list: every script display object stands for one engine display object, so what scripts build and
// draw is what the renderer paints. Events with their phases, frame scripts, class-linked symbols.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/avm1/bitmap_data.h"
#include "engine/core/as3_native.h"
#include "engine/core/character_library.h"
#include "engine/core/display_object.h"
#include "engine/core/player.h"
#include "engine/fonts/text_field_settings.h"
#include "engine/render/int_rect.h"

namespace swf {

class As3Display;
class BitmapDataObject;
class MovieSound;
class TimelinePlayer;

// The script face of a display object: of `node`, or of the main movie's clip for the root (and of
// nothing for the stage). A script-made object owns its node while it is on no display list.
class As3DisplayObject : public avm2::Object {
public:
    As3DisplayObject() : avm2::Object(avm2::ObjectType::Display) {}
    ~As3DisplayObject() override;
    void trace(std::vector<avm2::Object*>& out) override;
    struct Listener {
        avm2::Value fn;
        bool capture = false;
        int priority = 0;
    };
    std::map<avm2::String, std::vector<Listener>> listeners;
    std::map<int, avm2::Value> frameScripts;  // MovieClip: frame index -> function
    As3Display* display = nullptr;            // null for plain event dispatchers
    DisplayObject* node = nullptr;
    std::unique_ptr<DisplayObject> detached;  // the node, while it is on no list
    avm2::Object* graphics = nullptr;         // made on first use
    avm2::String name;                        // the name of objects without a node
    std::map<avm2::String, avm2::Value> stored;  // settings kept for scripts to read back
    bool constructed = false;
    bool broadcastListener = false;
    std::vector<BitmapDataObject*> filterMaps;  // the map bitmaps of the displacement filters set last
    uint64_t shownVersion = 0;  // Bitmap: the version of its BitmapData it shows  // in its display's list of enterFrame (and such) listeners
};

As3DisplayObject* asDisplayObject(avm2::Machine& m, const avm2::Value& v);

// A BitmapData: its pixels, and a picture of them for the renderer, made again after each change.
class BitmapDataObject : public avm2::Object {
public:
    BitmapDataObject() : avm2::Object(avm2::ObjectType::Other) {}
    avm1::BitmapPixels pixels;
    uint64_t version = 1;  // moved on by every change of the pixels
    // The pixels, or the player's error for a disposed BitmapData.
    avm1::BitmapPixels& live(avm2::Machine& m);
    BitmapRef image();
    void fillFrom(const RgbaImage& img);

private:
    BitmapRef picture;
    uint64_t pictureVersion = 0;
};

BitmapDataObject* asBitmapData(avm2::Machine& m, const avm2::Value& v);

// Sends `e` to `target` through the capture, target and bubble phases; false when a listener
// prevented its default. `formerParent`: for an object already gone, where its events still travel.
bool dispatchEventObject(avm2::Machine& m, As3DisplayObject* target, EventObject* e, As3DisplayObject* formerParent = nullptr);

// A flash.text.TextFormat: the format it holds.
class TextFormatObject : public avm2::Object {
public:
    TextFormatObject() : avm2::Object(avm2::ObjectType::Other) {}
    TextFormat format;
};

// A number a script gives TextFormat's size, margins, indents, leading or tab stops, as kept.
double wholeFormatNumber(double v);

class As3Display {
public:
    As3Display(avm2::Machine& m, Clip& root, TimelinePlayer& timeline, CharacterLibrary& library,
               const std::vector<std::pair<uint16_t, std::string>>& symbolClasses, int totalFrames, double frameRate,
               double stageWidth, double stageHeight);
    ~As3Display();
    // Makes the root's script object as an instance of `cls` (or MovieClip): the objects its first
    // frame placed are made and named first, then its constructor runs.
    void constructRoot(avm2::ClassObject* cls);
    As3DisplayObject* root() const { return root_; }
    // Dispatches a broadcast event (enterFrame, frameConstructed, exitFrame) to every listener.
    void broadcast(const avm2::String& type);
    // A clip's frame was built: objects it placed get their script objects, its frame script is due.
    void frameReached(Clip& clip, int frameIndex);
    // Runs the constructors of objects the timeline placed since the last call.
    void constructPlaced();
    void runQueuedScripts();
    std::vector<avm2::Object*> roots() const;
    // Finds a class by its qualified name ("pkg.Name" or "Name") in the loaded scripts.
    avm2::ClassObject* findClass(const std::string& qualified);

    // The display tree as scripts see it.
    As3DisplayObject* wrap(DisplayObject* node);  // the node's script object, made when first asked
    As3DisplayObject* wrapperOf(Clip* clip);      // the script object whose children `clip` holds
    Clip* containerClip(As3DisplayObject* o);     // the list holding `o`'s children, or null
    As3DisplayObject* parentOf(As3DisplayObject* o);
    std::vector<As3DisplayObject*> childrenOf(As3DisplayObject* o);
    bool onStage(As3DisplayObject* o);
    Matrix& matrixOf(As3DisplayObject* o);
    // The object's space to the stage's, twips.
    Matrix worldMatrixOf(As3DisplayObject* o);
    // Bounds of the object's content in its own space, twips.
    Rect localBounds(As3DisplayObject* o);
    // Moves `child` to `index` among `parent`'s children, with the added events.
    void insertChild(As3DisplayObject* parent, As3DisplayObject* child, size_t index);
    // Takes `child` off its parent's list, with the removed events; it keeps its node.
    void detach(As3DisplayObject* child, bool events = true);
    // Sends an event of `type` to `target` (through its parents when it bubbles).
    bool dispatch(As3DisplayObject* target, const avm2::String& type, bool bubbles, As3DisplayObject* formerParent = nullptr);
    // enterFrame to every listener: what the new frames placed is not built yet, so their
    // containers do not list it.
    void broadcastEnterFrame();
    // Set while input is handled, between two frames.
    void setBetweenFrames(bool between) { betweenFrames_ = between; }
    // A goto between frames plays out the rest of a frame at once: frameConstructed, the frame
    // scripts, exitFrame.
    void finishFrameAfterGoto();
    // The removed events of objects the timeline took away since the last call.
    void dispatchTimelineRemovals();
    // The frame scripts see `clip` at (0-based): while a removal by the timeline is heard, the one
    // it showed then.
    int frameShown(const Clip& clip) const;
    // While the player takes its display list down, nothing is reported.
    void setTearingDown() { tearingDown_ = true; }
    // The movie's sound, which flash.media plays through (none: sounds are silent).
    void setSound(MovieSound* sound) { sound_ = sound; }
    // Where the movie came from, as LoaderInfo.url tells scripts.
    void setMovieUrl(const std::string& url) { movieUrl_ = url; }
    // The movie is loaded whole: its LoaderInfo sends init and complete.
    void rootLoaded();
    // Sound channels whose voices played to their end: each sends soundComplete.
    void soundsCompleted(const std::vector<uint64_t>& voices);
    // The screen the movie is shown on, pixels (Capabilities.screenResolutionX and Y).
    void setScreen(double width, double height) { screenWidth_ = width, screenHeight_ = height; }
    // addedToStage / removedFromStage to the object and everything in it.
    void dispatchStageEvent(As3DisplayObject* o, const avm2::String& type);
    // The pointer and keys (stage twips), as the host passes them in: the mouse, keyboard and
    // focus events they cause. Each returns whether a listener ran.
    bool pointerMoved(Point stage);
    bool pointerPressed(Point stage);
    bool pointerReleased(Point stage);
    bool wheelTurned(Point stage, int lines);
    bool keyChanged(int keyCode, int charCode, bool down);
    // Text typed into the field with the focus: a textInput event first, which may refuse it, then
    // what the field's restrict and maxChars admit in place of its selection, and a change event.
    bool textTyped(const std::u32string& text);
    // An editing command on the field with the focus; copying and cutting fill `clipboard`,
    // pasting reads it. False when the field takes no such command.
    bool textEdited(TextCommand command, std::string& clipboard);
    Point pointer() const { return pointer_; }
    // The interactive object the mouse would reach at a stage point (the stage when none).
    As3DisplayObject* objectUnder(Point stage);
    As3DisplayObject* stage() const { return stage_; }
    // A fresh node for a script-made display object.
    std::unique_ptr<DisplayObject> newNode(DisplayObject::Kind kind);
    int nestingOf(Clip* clip);
    int nestingOf(As3DisplayObject* o);
    TimelinePlayer& timeline() { return timeline_; }
    CharacterLibrary& library() { return library_; }
    avm2::Machine& machine() { return m_; }
    // The library symbol linked to `cls` or the nearest of its base classes; 0 for none.
    uint16_t symbolOf(avm2::ClassObject* cls);
    // Gives `o` (made by a script, without a node yet) an instance of library symbol `id`: its
    // children are built and constructed now, its first frame script is queued.
    void buildFromSymbol(As3DisplayObject* o, uint16_t id);
    // BitmapData.draw: `source` (a display object or BitmapData) painted into `target` through
    // `toPixels` (from the source's twips), limited to `clip` when given.
    void drawInto(BitmapDataObject& target, const avm2::Value& source, const Matrix& toPixels, const ColorTransform& cx,
                  std::optional<BlendMode> mode, std::optional<render::IntRect> clip, bool smoothing);
    // Bitmaps whose BitmapData changed since they were drawn are drawn again.
    void refreshBitmaps();
    // Clips made from symbols by scripts play on while on no display list, as the player's do.
    void advanceOrphans();
    // Takes `o` off the broadcast list when it has no enterFrame (or other broadcast) listener left,
    // or always when it is going.
    void dropBroadcastListener(As3DisplayObject* o, bool going);
    // Called when a node goes for good.
    void forget(DisplayObject* node, bool removedByTimeline);
    As3DisplayObject* find(DisplayObject* node) const;  // its script object, if it has one

    avm2::ClassObject *eventClass = nullptr, *dispatcherClass = nullptr, *displayObjectClass = nullptr,
                      *interactiveClass = nullptr, *containerClass = nullptr, *spriteClass = nullptr,
                      *movieClipClass = nullptr, *shapeClass = nullptr, *stageClass = nullptr, *graphicsClass = nullptr,
                      *simpleButtonClass = nullptr, *morphShapeClass = nullptr, *staticTextClass = nullptr,
                      *textFieldClass = nullptr, *pointClass = nullptr, *rectangleClass = nullptr, *matrixClass = nullptr,
                      *frameLabelClass = nullptr, *textFormatClass = nullptr, *mouseEventClass = nullptr,
                      *keyboardEventClass = nullptr, *focusEventClass = nullptr, *sceneClass = nullptr,
                      *bitmapClass = nullptr, *bitmapDataClass = nullptr, *videoClass = nullptr,
                      *colorTransformClass = nullptr, *transformClass = nullptr, *fontClass = nullptr,
                      *textLineMetricsClass = nullptr, *styleSheetClass = nullptr, *textEventClass = nullptr,
                      *soundClass = nullptr, *ioErrorEventClass = nullptr,
                      *vector3DClass = nullptr;

private:
    void install();
    void installDisplayObject();
    void installContainer();
    void installMovieClip();
    void installGraphics();
    void installGeometry();
    void installVector3D();
    void installTransform();
    void installTextField();
    void installFont();
    void installTextFieldLines();
    void installStyleSheet();
    std::optional<TextStyles> styleSheetFormats(As3DisplayObject* field);
    void installVideo();
    void installInputEvents();
    void installBitmap();
    void installBitmapMethods();
    void installFilters();
    void installSystem();
    void installCapabilities();
    void installSound();
    void installNet();
    void installUserInterface();
    // The address a URLRequest (or a plain string) names.
    avm2::String urlOfRequest(const avm2::Value& request);
    // Sends `event` to `target` with the next frame's timers, after the call that caused it.
    void dispatchLater(const avm2::Value& target, const avm2::Value& event);
    // A load a saver cannot do: `target` hears ioError with `text` at the next frame.
    void failLoadLater(const avm2::Value& target, int errorId, const avm2::String& text);
    void netStatusLater(const avm2::Value& target, const avm2::String& code, const avm2::String& level);
    avm2::Object* rootLoaderInfo();
    void showBitmap(As3DisplayObject* o);
    // The image of the library symbol linked to `cls`, into `into` (or a new BitmapData); null when
    // the class stands for no image.
    BitmapDataObject* bitmapDataFromSymbol(avm2::ClassObject* cls, BitmapDataObject* into);
    void inheritAccessors();
    // The display object setters the stage refuses (after the accessors are handed down).
    void installStageRefusals();
    void adopt(As3DisplayObject* o, DisplayObject* node);
    avm2::ClassObject* classForNode(const DisplayObject& node);
    void gatherPlaced(Clip& clip, int nesting);
    void collectWrappers(Clip& clip, std::vector<avm2::Object*>& out, int nesting) const;
    struct Pick;
    Pick pick(DisplayObject& node, Point stage, int nesting);
    Pick pickAmong(Clip& clip, Point stage, int nesting);
    bool mouseEvent(As3DisplayObject* target, const avm2::String& type, bool bubbles, As3DisplayObject* related = nullptr,
                    int delta = 0);
    void moveHover(As3DisplayObject* to);
    // The text field with the stage's focus, or null.
    As3DisplayObject* focusedField();
    // A caret key on the field with the focus moves its caret (the shift key held: its selection's
    // end). False when no field takes the key.
    bool caretKeyPressed(int keyCode);
    void announceChange(As3DisplayObject* field);
    // A click on `target`: the link event of an "event:" link under the pointer.
    void followLink(As3DisplayObject* target);
    // A press on a field that can be edited or selected gives it the focus and puts its caret at
    // the pointer; while the button stays down, the selection's end follows the pointer.
    void pressText(As3DisplayObject* target);
    void dragText();

    avm2::Machine& m_;
    std::array<avm2::ClassObject*, 9> filterClasses_{};  // by avm1::FilterClass
    bool useCodePage_ = false;                           // System.useCodePage, kept for scripts
    double screenWidth_ = 0, screenHeight_ = 0;          // pixels, as the host reports; 0: the stage's
    Clip& rootClip_;
    TimelinePlayer& timeline_;
    CharacterLibrary& library_;
    std::map<uint16_t, std::string> symbolClasses_;
    std::map<uint16_t, avm2::ClassObject*> resolvedClasses_;
    int totalFrames_;
    double frameRate_, stageWidth_, stageHeight_;
    As3DisplayObject* root_ = nullptr;
    As3DisplayObject* stage_ = nullptr;
    int scriptInstances_ = 0;
    Clip stageClip_;  // what scripts add to the stage beside the root
    std::unordered_map<DisplayObject*, As3DisplayObject*> wrappers_;
    std::vector<As3DisplayObject*> toConstruct_;
    struct TimelineRemoval {
        As3DisplayObject* child;
        As3DisplayObject* parent;  // the former one
        // The frames the clips above it showed as it went: its removal is heard before they move on.
        std::vector<std::pair<const Clip*, int>> frames;
    };
    std::vector<TimelineRemoval> removedByTimeline_;
    std::unordered_set<const As3DisplayObject*> unbuilt_;  // placed objects hidden while enterFrame is heard
    const std::vector<std::pair<const Clip*, int>>* removalFrames_ = nullptr;  // while one is heard
    bool tearingDown_ = false;
    bool betweenFrames_ = false, finishingFrame_ = false;
    std::vector<std::pair<As3DisplayObject*, int>> queued_;
    std::vector<As3DisplayObject*> broadcastListeners_;
    std::vector<As3DisplayObject*> bitmaps_;        // every Bitmap with a node
    std::vector<As3DisplayObject*> orphans_;        // script-made clips with timelines, in order made
    As3DisplayObject* building_ = nullptr;          // the object buildFromSymbol is making a node for
    Point pointer_{};
    MovieSound* sound_ = nullptr;
    std::map<uint64_t, avm2::Object*> playingChannels_;  // by voice: kept while they play
    avm2::Object* movieTransform_ = nullptr;            // SoundMixer.soundTransform, as last set
    int mixerBufferTime_ = 0;
    avm2::String mouseCursor_ = u"auto";
    avm2::FunctionObject* dispatchLater_ = nullptr;
    avm2::ClassObject *netStatusEventClass_ = nullptr, *loaderInfoClass_ = nullptr;
    avm2::Object* loaderInfo_ = nullptr;        // the movie's, made when first asked for
    avm2::Object* loaderParameters_ = nullptr;  // LoaderInfo.parameters: a saver passes none
    std::string movieUrl_ = "file:///movie.swf";
    bool buttonDown_ = false;
    bool shiftDown_ = false;
    bool selectingText_ = false;  // the press was on a field whose selection follows the pointer
    As3DisplayObject* hovered_ = nullptr;  // the object the pointer is over
    As3DisplayObject* pressed_ = nullptr;  // where the button went down
    friend class As3Runner;
};

}  // namespace swf
