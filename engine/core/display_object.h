// Display objects: what a timeline has placed at its depths. A sprite instance (movie clip) owns its
// own timeline position and display list; a button owns the objects of its current state.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/effects.h"
#include "engine/base/geometry.h"
#include "engine/base/pixel_source.h"
#include "engine/core/live_count.h"
#include "engine/parse/characters.h"
#include "engine/parse/timeline.h"

namespace swf {

struct DisplayObject;
class Drawing;
struct ClipSound;

// Depth -> object, painted in ascending depth order.
using DisplayList = std::map<int, std::unique_ptr<DisplayObject>>;

// A timeline being played: the main movie's or a sprite instance's.
struct Clip {
    const Timeline* timeline = nullptr;
    int frame = 0;          // 0-based index of the frame shown; -1 before the first is built
    bool playing = true;
    DisplayList children;
    DisplayObject* owner = nullptr;    // the sprite or button instance; null for the main movie
    Matrix rootMatrix;                 // the main movie's own place (scripts may move _root)
    std::shared_ptr<Drawing> drawing;  // what scripts drew with the drawing methods, under the children
    // When the timeline was started, counting up over the movie's life: scripted movies advance their
    // clips newest first.
    uint64_t sequence = 0;
    std::shared_ptr<ClipSound> sound;  // its streaming sound and sound transform, once it has either
};

// Depths as scripts number them: timeline depth 1 is script depth -16383.
constexpr int kScriptDepthOffset = 16384;

struct TextFieldState;

// What scripts changed of a video object. Until a script attaches a stream to it, a video shows
// its embedded frames at the timeline's ratio.
struct VideoSettings {
    std::optional<bool> smoothing;  // unset: the stream's own flag
    std::optional<int> deblocking;  // unset: the stream's own flag
    bool attached = false;          // a script attached a stream (or nothing): the embedded frames are gone
    bool cleared = false;           // clear() hides the picture until the frame shown changes
    uint16_t clearedRatio = 0;
};

struct DisplayObject {
    enum class Kind : uint8_t { Shape, MorphShape, StaticText, EditText, Button, Sprite, Video, Bitmap, Unknown };
    Kind kind = Kind::Unknown;
    uint16_t characterId = 0;
    int depth = 0;

    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;
    std::string name;        // instance name, for scripts
    int clipDepth = 0;       // > 0: this object masks the depths above it up to clipDepth
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool visible = true;
    // Drawn through a cached bitmap: the player snaps it to whole pixels of the stage.
    bool cacheAsBitmap = false;
    // A colour filling the object's bounds beneath its content.
    std::optional<Rgba> opaqueBackground;
    // Only this rectangle of the object's space shows (twips), its corner at the object's origin.
    std::optional<Rect> scrollRect;

    // The frame (0-based) of the parent's timeline whose PlaceObject created this instance, and
    // whether the timeline placed it at all (objects made by scripts are left alone by the timeline).
    int placeFrame = 0;
    bool fromTimeline = true;

    // A scripted object stops following its timeline's matrix and colour changes.
    bool scriptTransformed = false;

    // Sprites: their own timeline. Buttons: the records of the up state as `clip->children`.
    std::unique_ptr<Clip> clip;

    // Called once per frame before the clip's own timeline advances (the scripting layer sets it).
    std::function<void(DisplayObject&)> onEnterFrame;

    // The clip whose display list holds this object.
    Clip* parent = nullptr;
    // The PlaceObject's clip event handlers (CLIPACTIONS as stored), shared by duplicates.
    std::shared_ptr<const std::vector<uint8_t>> clipActions;
    // Edit texts: their text and settings (made from the record when first needed), the
    // definition of a field a script made, and the variable the field shows (a script may rebind it).
    std::shared_ptr<TextFieldState> field;
    std::shared_ptr<const EditText> fieldDefinition;
    std::optional<std::string> variable;
    // Whether the field has reached its variable's owner once: its own text seeds an unset
    // variable only then, never again after the owner goes and comes back.
    bool variableMet = false;
    // Videos: what scripts changed (absent while nothing was).
    std::shared_ptr<VideoSettings> video;
    // Bitmaps (a script's pixels attached to a clip): what they show, one pixel to a pixel of the
    // object's space, and whether scaling smooths them.
    std::shared_ptr<PixelSource> bitmap;
    bool bitmapSmoothing = false;
    // Buttons: the state shown (0 up, 1 over, 2 down).
    int buttonState = 0;
    // A mask set by a script: `maskedBy` is drawn only as the mask of this object, and the mask
    // itself is not painted. Each side forgets the other when it goes.
    DisplayObject* maskedBy = nullptr;
    DisplayObject* masking = nullptr;
    // Told when the object leaves for good (the scripting layer lets go of its script face).
    std::function<void(DisplayObject&)> onDestroy;
    // The player's tally of display objects, which bounds how many a movie can make.
    LiveCount live;
    // Edit texts: the player's tally of them, so that a frame with none skips the search for
    // fields bound to variables.
    LiveCount liveField;

    DisplayObject() = default;
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;
    DisplayObject(DisplayObject&&) = default;
    DisplayObject& operator=(DisplayObject&&) = default;
    ~DisplayObject() {
        if (maskedBy) maskedBy->masking = nullptr;
        if (masking) masking->maskedBy = nullptr;
        if (onDestroy) onDestroy(*this);
    }
};

}  // namespace swf
