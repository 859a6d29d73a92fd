// The control tags of a timeline (the main movie's or a sprite's), grouped into frames by ShowFrame.
// Plain data: the display list that acts on them lives in the core layer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/effects.h"
#include "engine/base/geometry.h"
#include "engine/parse/sound.h"

namespace swf {

// PlaceObject, PlaceObject2 and PlaceObject3. Absent optionals were not present in the tag.
struct PlaceObject {
    int version = 1;  // 1, 2 or 3
    uint16_t depth = 0;
    bool move = false;  // PlaceObject2/3 PlaceFlagMove: modify (or replace) what is at `depth`
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;  // with alpha for versions 2 and 3
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;  // stored value 0 is read as Normal
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;             // PlaceObject3 PlaceFlagHasVisible
    std::optional<Rgba> opaqueBackground;    // PlaceObject3 PlaceFlagOpaqueBackground
    std::optional<std::string> className;  // PlaceObject3 with PlaceFlagHasClassName
    bool hasImage = false;
    // CLIPACTIONS as stored (from the reserved word on); run by the script machine, not here.
    std::vector<uint8_t> clipActions;
};

// RemoveObject (with the character id) and RemoveObject2 (depth only).
struct RemoveObject {
    uint16_t depth = 0;
    std::optional<uint16_t> characterId;
};

struct FrameLabel {
    std::string name;
    bool namedAnchor = false;
};

// DoAction: ActionScript 1/2 byte code as stored, run when the frame is reached.
struct DoAction {
    std::vector<uint8_t> bytes;
};

// DoInitAction: byte code run once, before the frame's other actions, for the sprite it names.
struct DoInitAction {
    uint16_t spriteId = 0;
    std::vector<uint8_t> bytes;
};

struct SetBackgroundColor {
    Rgba color;
};

using ControlTag = std::variant<PlaceObject, RemoveObject, FrameLabel, DoAction, DoInitAction, SetBackgroundColor,
                                StartSound, SoundStreamHead, SoundStreamBlock>;

struct Frame {
    std::vector<ControlTag> tags;  // in file order
};

struct Timeline {
    // One entry per ShowFrame. Tags after the last ShowFrame are dropped, as players do, except in
    // a timeline that has no ShowFrame at all, where they make its one frame.
    std::vector<Frame> frames;
    uint16_t declaredFrameCount = 0;  // as the header or DefineSprite states it; `frames` is what was found
};

}  // namespace swf
