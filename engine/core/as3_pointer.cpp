// The mouse and keys for ActionScript 3: which interactive object the pointer is over (masks,
// visibility, mouseEnabled and mouseChildren decide), and the mouse and keyboard events the host's
// input causes there, with the roll events of the objects the pointer enters and leaves.
#include <algorithm>
#include <cmath>

#include "engine/core/as3_display.h"
#include "engine/core/display_geometry.h"
#include "engine/core/drawing.h"
#include "engine/core/timeline_player.h"

namespace swf {

using namespace avm2;

namespace {

constexpr int kMaxPickNesting = 256;
constexpr int kShiftKey = 16;

// The pointer is placed to the twip, as the stage measures it.
Point toTwips(Point p) { return Point{std::round(p.x), std::round(p.y)}; }

bool flag(As3DisplayObject* o, const char16_t* key) {
    if (!o) return true;
    auto it = o->stored.find(key);
    return it == o->stored.end() || !it->second.isBoolean() || it->second.boolean();
}

// Whether a stage point falls on what a mask draws.
bool hitsMask(const DisplayObject& mask, Point stage, CharacterLibrary& library) {
    Matrix world = worldMatrix(mask);
    return world.invertible() && hitsContent(mask, world.inverted().apply(stage), library);
}

// A button is hit through the records of its hit state, whatever state it shows.
bool hitsButton(const DisplayObject& node, Point local, CharacterLibrary& library) {
    const Button* b = library.movie().findAs<Button>(node.characterId);
    if (!b) return false;
    for (const ButtonRecord& r : b->records)
        if (r.hitTest && r.matrix.invertible() && hitsCharacter(library, r.characterId, r.matrix.inverted().apply(local)))
            return true;
    return false;
}

}  // namespace

// `hit`: the point falls on the object; `target`: the interactive object that takes it (null while
// the nearest container that takes mouse events is still to be found).
struct As3Display::Pick {
    bool hit = false;
    As3DisplayObject* target = nullptr;
};

As3Display::Pick As3Display::pickAmong(Clip& clip, Point stage, int nesting) {
    std::vector<const DisplayObject*> masks;
    for (auto& [depth, child] : clip.children)
        if (child->clipDepth > 0) masks.push_back(child.get());
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        DisplayObject& child = *it->second;
        bool masked = false;
        for (const DisplayObject* mask : masks)
            if (mask->depth < child.depth && child.depth <= mask->clipDepth && !hitsMask(*mask, stage, library_)) masked = true;
        if (masked) continue;
        Pick p = pick(child, stage, nesting);
        if (p.hit) return p;
    }
    return {};
}

As3Display::Pick As3Display::pick(DisplayObject& node, Point stage, int nesting) {
    if (nesting > kMaxPickNesting || !node.visible || node.clipDepth > 0 || node.masking) return {};
    if (node.maskedBy && !hitsMask(*node.maskedBy, stage, library_)) return {};
    Matrix world = worldMatrix(node);
    if (!world.invertible()) return {};
    Point local = world.inverted().apply(stage);
    Pick inner;
    bool hit = false;
    if (node.kind == DisplayObject::Kind::Button) {
        hit = hitsButton(node, local, library_);
    } else if (node.kind == DisplayObject::Kind::Sprite && node.clip) {
        inner = pickAmong(*node.clip, stage, nesting + 1);
        hit = inner.hit || (node.clip->drawing && hitsPaths(node.clip->drawing->paths(), local));
    } else {
        hit = hitsContent(node, local, library_);
    }
    if (!hit) return {};
    As3DisplayObject* o = wrap(&node);
    if (!o->cls || !o->cls->isSubclassOf(interactiveClass)) return {true, nullptr};  // its container takes it
    if (inner.target && flag(o, u"mouseChildren")) return inner;
    if (flag(o, u"mouseEnabled")) return {true, o};
    // Neither it nor its children take the mouse: what lies under it does.
    return {};
}

As3DisplayObject* As3Display::objectUnder(Point stage) {
    // Objects added to the stage lie over the main movie.
    Pick p = pickAmong(stageClip_, stage, 0);
    if (p.hit) return p.target ? p.target : stage_;
    if (!root_) return stage_;
    Pick inner = pickAmong(rootClip_, stage, 1);
    Matrix world = rootClip_.rootMatrix;
    bool hit = inner.hit;
    if (!hit && rootClip_.drawing && world.invertible()) hit = hitsPaths(rootClip_.drawing->paths(), world.inverted().apply(stage));
    if (!hit) return stage_;
    if (inner.target && flag(root_, u"mouseChildren")) return inner.target;
    return flag(root_, u"mouseEnabled") ? root_ : stage_;
}

bool As3Display::mouseEvent(As3DisplayObject* target, const String& type, bool bubbles, As3DisplayObject* related, int delta) {
    if (!target) return false;
    m_.guarded([&] {
        Value a[2] = {Value(type), Value(bubbles)};
        auto* e = static_cast<EventObject*>(m_.construct(Value(mouseEventClass), a).object());
        Matrix world = worldMatrixOf(target);
        Point local = world.invertible() ? world.inverted().apply(pointer_) : pointer_;
        e->localX = local.x / kTwips;
        e->localY = local.y / kTwips;
        e->hasStagePoint = true;
        e->stageX = pointer_.x / kTwips;
        e->stageY = pointer_.y / kTwips;
        e->buttonDown = buttonDown_;
        e->delta = delta;
        e->relatedObject = related ? Value(related) : Value::null();
        dispatchEventObject(m_, target, e);
    });
    return true;
}

void As3Display::moveHover(As3DisplayObject* to) {
    if (to == stage_) to = nullptr;  // over nothing but the stage: nothing is rolled over
    As3DisplayObject* from = hovered_;
    if (from == to) return;
    auto chain = [this](As3DisplayObject* o) {
        std::vector<As3DisplayObject*> out;
        for (int n = 0; o && o != stage_ && n < 1024; ++n, o = parentOf(o)) out.push_back(o);
        return out;
    };
    std::vector<As3DisplayObject*> left = chain(from), entered = chain(to);
    auto showState = [this](As3DisplayObject* o, int state) {
        if (o && o->node && o->node->kind == DisplayObject::Kind::Button) timeline_.showButtonState(*o->node, state, 0);
    };
    hovered_ = to;
    if (from) {
        showState(from, 0);
        mouseEvent(from, u"mouseOut", true, to);
        for (As3DisplayObject* o : left)
            if (std::find(entered.begin(), entered.end(), o) == entered.end()) mouseEvent(o, u"rollOut", false, to);
    }
    if (to) {
        showState(to, buttonDown_ && pressed_ == to ? 2 : 1);
        for (size_t i = entered.size(); i-- > 0;)
            if (std::find(left.begin(), left.end(), entered[i]) == left.end()) mouseEvent(entered[i], u"rollOver", false, from);
        mouseEvent(to, u"mouseOver", true, from);
    }
}

bool As3Display::pointerMoved(Point stage) {
    pointer_ = toTwips(stage);
    As3DisplayObject* target = objectUnder(pointer_);
    moveHover(target);
    bool heard = mouseEvent(target, u"mouseMove", true);
    dragText();
    return heard;
}

bool As3Display::pointerPressed(Point stage) {
    pointer_ = toTwips(stage);
    As3DisplayObject* target = objectUnder(pointer_);
    moveHover(target);
    buttonDown_ = true;
    pressed_ = target;
    if (target->node && target->node->kind == DisplayObject::Kind::Button) timeline_.showButtonState(*target->node, 2, 0);
    bool heard = mouseEvent(target, u"mouseDown", true);
    pressText(target);
    return heard;
}

bool As3Display::pointerReleased(Point stage) {
    pointer_ = toTwips(stage);
    As3DisplayObject* target = objectUnder(pointer_);
    moveHover(target);
    dragText();
    buttonDown_ = false;
    As3DisplayObject* pressed = pressed_;
    pressed_ = nullptr;
    selectingText_ = false;
    if (target->node && target->node->kind == DisplayObject::Kind::Button) timeline_.showButtonState(*target->node, 1, 0);
    mouseEvent(target, u"mouseUp", true);
    // A click is a press and a release on the same object.
    if (pressed == target) {
        mouseEvent(target, u"click", true);
        followLink(target);
    }
    return true;
}

bool As3Display::wheelTurned(Point stage, int lines) {
    pointer_ = toTwips(stage);
    As3DisplayObject* target = objectUnder(pointer_);
    moveHover(target);
    bool heard = mouseEvent(target, u"mouseWheel", true, nullptr, lines);
    // After the event, a text field under the pointer scrolls by the lines turned (down is positive
    // scrolling, a negative turn), within its range, unless it has the wheel turned off.
    if (target && target->cls && target->cls->isSubclassOf(textFieldClass) && lines != 0) {
        m_.guarded([&] {
            Value field(target);
            if (!m_.toBoolean(m_.get(field, u"mouseWheelEnabled"))) return;
            int scroll = m_.toInt(m_.get(field, u"scrollV")), most = m_.toInt(m_.get(field, u"maxScrollV"));
            int next = std::clamp(scroll - lines, 1, std::max(1, most));
            if (next != scroll) m_.set(field, u"scrollV", Value(next));
        });
    }
    return heard;
}

bool As3Display::keyChanged(int keyCode, int charCode, bool down) {
    if (keyCode == kShiftKey) shiftDown_ = down;
    // Keys go to the object with the focus, or to the stage.
    As3DisplayObject* target = stage_;
    if (auto it = stage_->stored.find(u"focus"); it != stage_->stored.end())
        if (Object* f = it->second.object(); f && f->type == ObjectType::Display) target = static_cast<As3DisplayObject*>(f);
    m_.guarded([&] {
        Value a[2] = {Value(String(down ? u"keyDown" : u"keyUp")), Value(true)};
        auto* e = static_cast<EventObject*>(m_.construct(Value(keyboardEventClass), a).object());
        e->keyCode = static_cast<uint32_t>(std::max(0, keyCode));
        e->charCode = static_cast<uint32_t>(std::max(0, charCode));
        e->shiftKey = shiftDown_;
        dispatchEventObject(m_, target, e);
    });
    if (down) caretKeyPressed(keyCode);
    return true;
}

}  // namespace swf
