#include "engine/core/script_clip.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "engine/core/display_geometry.h"
#include "engine/core/drawing.h"
#include "engine/core/script_runner.h"
#include "engine/core/text_layout.h"

namespace swf {

namespace {

// What scripts get as the bounds of a clip that draws nothing: the largest twips value, in pixels.
// SWF 8 and later movies give it, in another clip's space, after a trip through single precision.
constexpr double kNoBounds = 6710886.35, kNoBoundsElsewhereFromSwf8 = 6710886.4;

bool sameName(const std::string& a, const std::string& b, bool caseSensitive) {
    if (caseSensitive) return a == b;
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

// Pixels to whole twips, as the player stores positions.
double toTwips(double pixels) { return std::trunc(std::clamp(pixels, -1e8, 1e8) * kTwipsPerPixel); }

// The pointer in a clip's space, in twips, worked as the reference player does: the clip's
// translation snapped to whole pixels, the inverse's translation and the result to whole twips.
// A clip that cannot be inverted (scaled to nothing) reads the stage pixels as twips.
Point pointerInClip(const Matrix& world, Point stageTwips) {
    auto whole = [](double v) { return std::floor(v + 0.5); };
    if (!world.invertible()) return {stageTwips.x / kTwipsPerPixel, stageTwips.y / kTwipsPerPixel};
    Matrix snapped = world;
    snapped.tx = whole(world.tx / kTwipsPerPixel) * kTwipsPerPixel;
    snapped.ty = whole(world.ty / kTwipsPerPixel) * kTwipsPerPixel;
    Matrix inverse = snapped.inverted();
    inverse.tx = whole(inverse.tx);
    inverse.ty = whole(inverse.ty);
    Point p = inverse.apply(stageTwips);
    return {whole(p.x), whole(p.y)};
}

int frameCount(const swf::Clip& c) {
    return c.timeline ? std::max<int>(1, static_cast<int>(c.timeline->frames.size())) : 1;
}

Rgba rgba(uint32_t rgb, double alphaPercent) {
    return Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb),
                uint8_t(std::lround(std::clamp(alphaPercent, 0.0, 100.0) * 2.55))};
}

}  // namespace

Rect ScriptClip::localBounds() const {
    if (DisplayObject* o = object()) return contentBounds(*o, runner_.library());
    return clip_ ? clipBounds(*clip_, runner_.library()) : Rect{};
}

int ScriptClip::nesting() const {
    int n = 0;
    for (const swf::Clip* c = clip_; c && c->owner && c->owner->parent && n < 1000; c = c->owner->parent) ++n;
    return n;
}

Point ScriptClip::fieldOrigin(const Matrix& m) {
    // A text field stands where its box's corner is, which need not be its origin.
    TextFieldState* s = isTextField() ? fieldState() : nullptr;
    if (!s) return Point{0, 0};
    // A field that sizes itself has moved its corner by now, whether or not it was drawn since.
    if (s->autoSize != AutoSize::None) currentLayout(*s, runner_.library().movie(), &runner_.library().deviceFonts());
    return Point{m.a * s->bounds.xMin + m.c * s->bounds.yMin, m.b * s->bounds.xMin + m.d * s->bounds.yMin};
}

double ScriptClip::number(avm1::ClipProperty p) {
    using P = avm1::ClipProperty;
    if (!clip_) return 0;
    DisplayObject* o = object();
    const Matrix m = o ? o->matrix : clip_->rootMatrix;
    switch (p) {
    case P::X: return (m.tx + fieldOrigin(m).x) / kTwipsPerPixel;
    case P::Y: return (m.ty + fieldOrigin(m).y) / kTwipsPerPixel;
    case P::XScale: return std::hypot(m.a, m.b) * 100;
    case P::YScale: return (m.determinant() < 0 ? -1 : 1) * std::hypot(m.c, m.d) * 100;
    case P::Rotation: return std::atan2(m.b, m.a) * 180 / std::numbers::pi;
    case P::Alpha: return o ? o->colorTransform.aMul * 100.0 : 100;
    case P::Visible: return !o || o->visible ? 1 : 0;
    case P::Width:
    case P::Height: {
        // The player keeps bounds in whole twips: each corner lands on one.
        Rect local = localBounds(), r;
        if (!local.empty())
            for (Point corner : {Point{local.xMin, local.yMin}, Point{local.xMax, local.yMin},
                                 Point{local.xMin, local.yMax}, Point{local.xMax, local.yMax}}) {
                Point q = m.apply(corner);
                r.include(Point{std::round(q.x), std::round(q.y)});
            }
        return (p == P::Width ? r.width() : r.height()) / kTwipsPerPixel;
    }
    case P::CurrentFrame: return clip_->timeline ? clip_->frame + 1 : 0;  // a script's empty clip has no frame
    case P::TotalFrames:
    case P::FramesLoaded: return frameCount(*clip_);
    case P::HighQuality: {
        Quality q = runner_.quality();
        return q == Quality::Low ? 0 : q == Quality::Best ? 2 : 1;
    }
    case P::SoundBufTime: return runner_.soundBufferSeconds();
    case P::XMouse:
    case P::YMouse: {
        Point local = pointerInClip(worldMatrix(*clip_), runner_.mouse());
        return (p == P::XMouse ? local.x : local.y) / kTwipsPerPixel;
    }
    default: return 0;
    }
}

void ScriptClip::markRemoved() {
    if (!clip_) return;
    removedName_ = text(avm1::ClipProperty::Name);
    removedPath_ = text(avm1::ClipProperty::Target);
    clip_ = nullptr;
}

std::string ScriptClip::text(avm1::ClipProperty p) {
    using P = avm1::ClipProperty;
    if (!clip_) return p == P::Name ? removedName_ : p == P::Target ? removedPath_ : "";
    switch (p) {
    case P::Name: return object() ? object()->name : "";
    case P::Target: {
        std::string path;
        int guard = 0;
        for (swf::Clip* c = clip_; c && c->owner && guard < 1000; c = c->owner->parent, ++guard)
            path = "." + c->owner->name + path;
        return "_level0" + path;
    }
    case P::Quality:
        switch (runner_.quality()) {
        case Quality::Low: return "LOW";
        case Quality::Medium: return "MEDIUM";
        case Quality::High: return "HIGH";
        case Quality::Best: return "BEST";
        }
        return "HIGH";
    case P::Url: return runner_.movieUrl();
    default: return "";
    }
}

Matrix* ScriptClip::transform() {
    if (!clip_) return nullptr;
    DisplayObject* o = object();
    if (!o) return &clip_->rootMatrix;
    o->scriptTransformed = true;
    return &o->matrix;
}

void ScriptClip::setTransform(double xscale, double yscale, double rotationDegrees) {
    Matrix* m = transform();
    if (!m) return;
    double r = rotationDegrees * std::numbers::pi / 180;
    m->a = xscale * std::cos(r);
    m->b = xscale * std::sin(r);
    m->c = -yscale * std::sin(r);
    m->d = yscale * std::cos(r);
}

void ScriptClip::setNumber(avm1::ClipProperty p, double v) {
    using P = avm1::ClipProperty;
    DisplayObject* o = object();
    if (!clip_) return;
    // A property set to NaN or an infinity keeps its value, as players do.
    if (!std::isfinite(v) && p != P::Visible) return;
    double xs = number(P::XScale) / 100, ys = number(P::YScale) / 100, rot = number(P::Rotation);
    switch (p) {
    case P::X: {
        Matrix* t = transform();
        t->tx = toTwips(v) - fieldOrigin(*t).x;
        break;
    }
    case P::Y: {
        Matrix* t = transform();
        t->ty = toTwips(v) - fieldOrigin(*t).y;
        break;
    }
    case P::XScale: setTransform(v / 100, ys, rot); break;
    case P::YScale: setTransform(xs, v / 100, rot); break;
    case P::Rotation: {
        double r = std::fmod(v, 360.0);
        if (r > 180) r -= 360;
        if (r < -180) r += 360;
        setTransform(xs, ys, r);
        break;
    }
    case P::Alpha:
        if (!o) break;
        // Kept in 8.8 fixed point: 0.5 reads back as 0.390625.
        o->colorTransform.aMul = float(std::trunc(std::clamp(v / 100, -128.0, 128.0) * 256) / 256);
        o->scriptTransformed = true;
        break;
    case P::Visible:
        if (o) o->visible = !(v == 0 || std::isnan(v));
        break;
    case P::HighQuality:
        // 0 low, 1 high, 2 best: the older switch for the same movie-wide quality.
        runner_.setQuality(v <= 0 ? Quality::Low : v >= 2 ? Quality::Best : Quality::High);
        break;
    case P::SoundBufTime:
        // Whole seconds, and no buffer shorter than none.
        runner_.setSoundBufferSeconds(static_cast<int>(std::clamp(v, 0.0, 3600.0)));
        break;
    case P::Width:
    case P::Height: {
        if (resizeField(p == P::Width, v)) break;
        Rect local = localBounds();
        double size = p == P::Width ? local.width() : local.height();
        if (v < 0) break;
        // Nothing to scale to a size: the player's scales come out undefined and the clip
        // collapses on both axes, so what it holds later shows no size either.
        if (size <= 0) {
            setTransform(0, 0, rot);
            break;
        }
        double scale = toTwips(v) / size;
        if (p == P::Width) setTransform(scale, ys, rot);
        else setTransform(xs, scale, rot);
        break;
    }
    default: break;
    }
}

void ScriptClip::setText(avm1::ClipProperty p, const std::string& v) {
    if (p == avm1::ClipProperty::Name && object()) object()->name = v;
    if (p == avm1::ClipProperty::Quality) {
        // The movie-wide quality, by name in any case; other names leave it as it was.
        std::string name = v;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        if (name == "LOW") runner_.setQuality(Quality::Low);
        else if (name == "MEDIUM") runner_.setQuality(Quality::Medium);
        else if (name == "HIGH") runner_.setQuality(Quality::High);
        else if (name == "BEST") runner_.setQuality(Quality::Best);
    }
}

bool ScriptClip::isButton() {
    DisplayObject* o = object();
    return o && o->kind == DisplayObject::Kind::Button;
}

double ScriptClip::bytesTotal() {
    if (!clip_) return 0;
    const Movie& movie = runner_.library().movie();
    if (!clip_->owner) return movie.header.declaredLength;
    const Sprite* s = movie.findAs<Sprite>(clip_->owner->characterId);
    return s ? s->byteLength : 0;
}

avm1::Clip* ScriptClip::parent() {
    DisplayObject* o = object();
    if (!o || !o->parent) return nullptr;
    swf::Clip* p = o->parent;
    // Before SWF 6 a button is no object: what it holds belongs to the clip the button is in.
    if (p->owner && p->owner->kind == DisplayObject::Kind::Button && p->owner->parent &&
        runner_.library().movie().header.version < 6)
        p = p->owner->parent;
    return runner_.scriptClip(*p);
}

avm1::Clip* ScriptClip::childByName(const std::string& name, bool caseSensitive) {
    if (!clip_ || name.empty()) return nullptr;
    for (auto& [depth, child] : clip_->children) {
        if (child->name.empty() || !sameName(child->name, name, caseSensitive)) continue;
        if (child->kind == DisplayObject::Kind::Button && runner_.library().movie().header.version < 6) return this;
        if (child->clip) return runner_.scriptClip(*child->clip);
        // A named shape or static text stands for the clip it is in, as in the reference player.
        if (child->kind == DisplayObject::Kind::Shape || child->kind == DisplayObject::Kind::MorphShape ||
            child->kind == DisplayObject::Kind::StaticText)
            return this;
    }
    return nullptr;
}

void ScriptClip::gotoFrame(int frame, bool play) {
    if (!clip_ || !clip_->timeline) return;
    swf::Clip* c = clip_;
    runner_.timeline().gotoFrame(*c, std::clamp(frame, 1, frameCount(*c)) - 1, nesting(), c->owner);
    if (clip_) clip_->playing = play;
}

bool ScriptClip::gotoLabel(const std::string& label, bool play) {
    if (!clip_ || !clip_->timeline) return false;
    const auto& frames = clip_->timeline->frames;
    for (size_t f = 0; f < frames.size(); ++f)
        for (const ControlTag& tag : frames[f].tags)
            if (const auto* l = std::get_if<FrameLabel>(&tag); l && sameName(l->name, label, false)) {
                gotoFrame(int(f) + 1, play);
                return true;
            }
    return false;
}

std::vector<avm1::ActionCode> ScriptClip::frameActions(const std::string& frame) {
    if (!clip_ || !clip_->timeline || frame.empty()) return {};
    const auto& frames = clip_->timeline->frames;
    size_t index = frames.size();
    if (frame.find_first_not_of("0123456789") == std::string::npos) {
        // A frame number wraps as a 32-bit integer does.
        uint64_t n = 0;
        for (char c : frame) n = (n * 10 + uint64_t(c - '0')) & 0xFFFFFFFFu;
        if (n >= 1 && n <= frames.size()) index = size_t(n - 1);
    } else {
        for (size_t f = 0; f < frames.size() && index == frames.size(); ++f)
            for (const ControlTag& tag : frames[f].tags)
                if (const auto* l = std::get_if<FrameLabel>(&tag); l && sameName(l->name, frame, false)) {
                    index = f;
                    break;
                }
    }
    std::vector<avm1::ActionCode> out;
    if (index >= frames.size()) return out;
    for (const ControlTag& tag : frames[index].tags)
        if (const auto* a = std::get_if<DoAction>(&tag)) {
            auto bytes = std::make_shared<const std::vector<uint8_t>>(a->bytes);
            out.push_back(avm1::ActionCode{bytes, 0, bytes->size()});
        }
    return out;
}

void ScriptClip::play() {
    if (clip_ && clip_->timeline) clip_->playing = true;
}

void ScriptClip::stop() {
    if (clip_) clip_->playing = false;
}

void ScriptClip::nextFrame() {
    if (clip_) gotoFrame(clip_->frame + 2, false);
}

void ScriptClip::prevFrame() {
    if (clip_) gotoFrame(clip_->frame, false);
}

avm1::Clip* ScriptClip::insert(std::unique_ptr<DisplayObject> obj, const std::string& name, int depth) {
    if (!clip_ || !obj) return nullptr;
    int d = depth + kScriptDepthOffset;
    if (!clip_->children.count(d) && clip_->children.size() >= ScriptRunner::kMaxChildrenPerClip) {
        runner_.warning("a clip holds more than " + std::to_string(ScriptRunner::kMaxChildrenPerClip) +
                        " objects: " + name + " was not made");
        return nullptr;
    }
    if (!runner_.timeline().admit(*obj, name)) return nullptr;
    obj->depth = d;
    obj->name = name;
    obj->parent = clip_;
    obj->fromTimeline = false;
    obj->placeFrame = clip_->frame;
    if (obj->clip && !obj->clip->sequence) obj->clip->sequence = runner_.timeline().nextSequence();
    DisplayObject* made = obj.get();
    clip_->children[d] = std::move(obj);
    return made->clip ? runner_.scriptClip(*made->clip) : nullptr;
}

avm1::Clip* ScriptClip::duplicate(const std::string& name, int depth) {
    DisplayObject* o = object();
    if (!o || !o->parent) return nullptr;
    ScriptClip* parentClip = runner_.scriptClip(*o->parent);
    std::unique_ptr<DisplayObject> copy;
    if (o->characterId) {
        copy = runner_.timeline().create(o->characterId, depth + kScriptDepthOffset, nesting());
    } else {
        copy = std::make_unique<DisplayObject>();
        copy->kind = DisplayObject::Kind::Sprite;
        copy->clip = std::make_unique<swf::Clip>();
        copy->clip->owner = copy.get();
    }
    if (!copy) return nullptr;
    copy->matrix = o->matrix;
    copy->colorTransform = o->colorTransform;
    copy->blendMode = o->blendMode;
    copy->filters = o->filters;
    copy->visible = o->visible;
    copy->clipActions = o->clipActions;
    copy->scriptTransformed = true;
    // A field made by a script has no record to start from: its copy starts from an empty one (an
    // input field with no size), placed as the original is, and shown.
    if (o->kind == DisplayObject::Kind::EditText && !o->characterId) {
        auto def = std::make_shared<EditText>();
        copy->kind = DisplayObject::Kind::EditText;
        copy->fieldDefinition = std::move(def);
        copy->visible = true;
        if (copy->clip) copy->clip->playing = false;
    }
    if (o->clip && copy->clip && o->clip->drawing) copy->clip->drawing = std::make_shared<Drawing>(*o->clip->drawing);
    return parentClip ? parentClip->insert(std::move(copy), name, depth) : nullptr;
}

avm1::Clip* ScriptClip::attachMovie(const std::string& linkageId, const std::string& name, int depth) {
    if (!clip_) return nullptr;
    const Movie& movie = runner_.library().movie();
    auto it = movie.exports.find(linkageId);
    if (it == movie.exports.end()) {
        for (it = movie.exports.begin(); it != movie.exports.end(); ++it)
            if (sameName(it->first, linkageId, false)) break;
        if (it == movie.exports.end()) return nullptr;
    }
    if (!movie.findAs<Sprite>(it->second)) return nullptr;
    auto obj = runner_.timeline().create(it->second, depth + kScriptDepthOffset, nesting());
    return insert(std::move(obj), name, depth);
}

avm1::Clip* ScriptClip::createEmptyMovieClip(const std::string& name, int depth) {
    if (!clip_ || nesting() >= 64) return nullptr;
    auto obj = std::make_unique<DisplayObject>();
    obj->kind = DisplayObject::Kind::Sprite;
    obj->clip = std::make_unique<swf::Clip>();
    obj->clip->owner = obj.get();
    avm1::Clip* made = insert(std::move(obj), name, depth);
    // An empty clip has nothing to load: its events start with the next frame.
    if (auto* sc = static_cast<ScriptClip*>(made)) sc->loadQueued = true;
    return made;
}

void ScriptClip::attachBitmap(std::shared_ptr<PixelSource> pixels, int depth, bool smoothing) {
    if (!clip_ || !pixels) return;
    auto obj = std::make_unique<DisplayObject>();
    obj->kind = DisplayObject::Kind::Bitmap;
    obj->bitmap = std::move(pixels);
    obj->bitmapSmoothing = smoothing;
    insert(std::move(obj), "", depth);
}

void ScriptClip::remove() {
    DisplayObject* o = object();
    // Only clips in the depths scripts use can be removed; timeline depths are the timeline's.
    if (!o || !o->parent || o->depth < kScriptDepthOffset) return;
    swf::Clip* parent = o->parent;
    auto it = parent->children.find(o->depth);
    if (it != parent->children.end() && it->second.get() == o) parent->children.erase(it);
}

int ScriptClip::depth() {
    DisplayObject* o = object();
    return o ? o->depth - kScriptDepthOffset : -kScriptDepthOffset;
}

int ScriptClip::nextHighestDepth() {
    if (!clip_) return 0;
    int next = 0;
    if (!clip_->children.empty()) next = std::max(0, clip_->children.rbegin()->first - kScriptDepthOffset + 1);
    return next;
}

void ScriptClip::swapDepths(int depth) {
    DisplayObject* o = object();
    if (!o || !o->parent) return;
    swf::Clip* parent = o->parent;
    int to = depth + kScriptDepthOffset, from = o->depth;
    if (to == from) return;
    auto self = std::move(parent->children[from]);
    parent->children.erase(from);
    auto other = parent->children.find(to);
    if (other != parent->children.end()) {
        other->second->depth = from;
        other->second->fromTimeline = false;
        parent->children[from] = std::move(other->second);
        parent->children.erase(to);
    }
    self->depth = to;
    self->fromTimeline = false;
    parent->children[to] = std::move(self);
}

void ScriptClip::swapDepths(avm1::Clip* other) {
    auto* sc = static_cast<ScriptClip*>(other);
    DisplayObject* o = object();
    DisplayObject* p = sc ? sc->object() : nullptr;
    if (!o || !p || o == p || o->parent != p->parent) return;
    swapDepths(p->depth - kScriptDepthOffset);
}

bool ScriptClip::hitTest(double x, double y, bool shapeFlag) {
    if (!clip_ || !std::isfinite(x) || !std::isfinite(y)) return false;
    Point stage{x * kTwipsPerPixel, y * kTwipsPerPixel};
    Matrix w = worldMatrix(*clip_);
    if (shapeFlag) {
        if (!w.invertible()) return false;
        Point local = w.inverted().apply(stage);
        // Through the clip's own object, so that a scroll window limits what is hit.
        if (const DisplayObject* o = object()) return hitsContent(*o, local, runner_.library());
        return hitsClip(*clip_, local, runner_.library());
    }
    Rect r = w.apply(localBounds());
    return !r.empty() && stage.x >= r.xMin && stage.x <= r.xMax && stage.y >= r.yMin && stage.y <= r.yMax;
}

bool ScriptClip::hitTest(avm1::Clip* other) {
    auto* sc = static_cast<ScriptClip*>(other);
    if (!clip_ || !sc || !sc->clip_) return false;
    Rect a = worldMatrix(*clip_).apply(localBounds());
    Rect b = worldMatrix(*sc->clip_).apply(sc->localBounds());
    if (a.empty() || b.empty()) return false;
    return a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax;
}

avm1::ClipBounds ScriptClip::bounds(avm1::Clip* space) {
    auto* sc = static_cast<ScriptClip*>(space);
    if (!clip_) return {};
    Rect local = localBounds();
    if (local.empty()) {
        bool elsewhere = sc && sc != this;
        double none = elsewhere && runner_.library().movie().header.version >= 8 ? kNoBoundsElsewhereFromSwf8 : kNoBounds;
        return {none, none, none, none};
    }
    Matrix to = worldMatrix(*clip_);
    if (sc && sc->clip_) {
        Matrix s = worldMatrix(*sc->clip_);
        if (s.invertible()) to = s.inverted() * to;
    }
    Rect r = to.apply(local);
    return {r.xMin / kTwipsPerPixel, r.yMin / kTwipsPerPixel, r.xMax / kTwipsPerPixel, r.yMax / kTwipsPerPixel};
}

void ScriptClip::convertPoint(double& x, double& y, bool toLocal) {
    if (!clip_) return;
    Matrix m = worldMatrix(*clip_);
    if (toLocal) {
        if (!m.invertible()) return;
        m = m.inverted();
    }
    Point p = m.apply(Point{x * kTwipsPerPixel, y * kTwipsPerPixel});
    x = p.x / kTwipsPerPixel;
    y = p.y / kTwipsPerPixel;
}

void ScriptClip::setMask(avm1::Clip* mask) {
    DisplayObject* o = object();
    if (!o) return;
    if (o->maskedBy) {
        o->maskedBy->masking = nullptr;
        o->maskedBy = nullptr;
    }
    auto* sc = static_cast<ScriptClip*>(mask);
    DisplayObject* m = sc ? sc->object() : nullptr;
    if (!m || m == o) return;
    if (m->masking) m->masking->maskedBy = nullptr;
    m->masking = o;
    o->maskedBy = m;
}

void ScriptClip::matrix(double (&m)[6], bool toStage) {
    Matrix t;
    if (clip_) t = toStage ? worldMatrix(*clip_) : object() ? object()->matrix : clip_->rootMatrix;
    const double values[6] = {t.a, t.b, t.c, t.d, t.tx / kTwipsPerPixel, t.ty / kTwipsPerPixel};
    for (int i = 0; i < 6; ++i) m[i] = values[i];
}

void ScriptClip::setMatrix(const double (&m)[6]) {
    for (double v : m)
        if (!std::isfinite(v)) return;
    if (Matrix* t = transform()) *t = Matrix{m[0], m[1], m[2], m[3], toTwips(m[4]), toTwips(m[5])};
}

std::vector<Filter> ScriptClip::filters() {
    DisplayObject* o = object();
    return o ? o->filters : std::vector<Filter>{};
}

void ScriptClip::setFilters(const std::vector<Filter>& filters) {
    DisplayObject* o = object();
    if (!o) return;
    o->filters = filters;
    o->scriptTransformed = true;
}

avm1::ClipDrawing ScriptClip::drawSettings() {
    avm1::ClipDrawing d;
    DisplayObject* o = object();
    if (!o) return d;
    d.blendMode = o->blendMode;
    d.cacheAsBitmap = o->cacheAsBitmap;
    if (o->opaqueBackground)
        d.opaqueBackground = uint32_t(o->opaqueBackground->r) << 16 | uint32_t(o->opaqueBackground->g) << 8 |
                             o->opaqueBackground->b;
    if (o->scrollRect)
        d.scrollRect = avm1::ClipBounds{o->scrollRect->xMin / kTwipsPerPixel, o->scrollRect->yMin / kTwipsPerPixel,
                                        o->scrollRect->xMax / kTwipsPerPixel, o->scrollRect->yMax / kTwipsPerPixel};
    return d;
}

void ScriptClip::setDrawSettings(const avm1::ClipDrawing& d) {
    DisplayObject* o = object();
    if (!o) return;
    o->blendMode = d.blendMode;
    o->cacheAsBitmap = d.cacheAsBitmap;
    o->opaqueBackground.reset();
    if (d.opaqueBackground) {
        uint32_t c = *d.opaqueBackground;
        o->opaqueBackground = Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
    }
    o->scrollRect.reset();
    if (d.scrollRect)
        o->scrollRect = Rect{toTwips(d.scrollRect->xMin), toTwips(d.scrollRect->yMin), toTwips(d.scrollRect->xMax),
                             toTwips(d.scrollRect->yMax)};
}

avm1::ColorTransformValues ScriptClip::colorTransform() {
    DisplayObject* o = object();
    if (!o) return {};
    const ColorTransform& c = o->colorTransform;
    return {c.rMul * 100.0, c.rAdd, c.gMul * 100.0, c.gAdd, c.bMul * 100.0, c.bAdd, c.aMul * 100.0, c.aAdd};
}

void ScriptClip::setColorTransform(const avm1::ColorTransformValues& v) {
    DisplayObject* o = object();
    if (!o) return;
    auto f = [](double x) { return float(std::clamp(x, -1e6, 1e6)); };
    o->colorTransform = ColorTransform{f(v.ra / 100), f(v.ga / 100), f(v.ba / 100), f(v.aa / 100),
                                       f(v.rb),       f(v.gb),       f(v.bb),       f(v.ab)};
    o->scriptTransformed = true;
}

Drawing& ScriptClip::drawing() {
    if (!clip_->drawing) clip_->drawing = std::make_shared<Drawing>();
    return *clip_->drawing;
}

void ScriptClip::clear() {
    if (clip_ && clip_->drawing) clip_->drawing->clear();
}

void ScriptClip::lineStyle(double width, uint32_t rgb, double alpha, bool none) {
    if (!clip_) return;
    if (none) return drawing().lineStyle(std::nullopt);
    LineStyle style;
    style.width = std::isfinite(width) ? std::clamp(width, 0.0, 255.0) * kTwipsPerPixel : 0;
    style.color = rgba(rgb, alpha);
    drawing().lineStyle(style);
}

void ScriptClip::beginFill(uint32_t rgb, double alpha) {
    if (!clip_) return;
    FillStyle fill;
    fill.color = rgba(rgb, alpha);
    drawing().beginFill(fill);
}

void ScriptClip::beginGradientFill(const avm1::GradientFillValues& g) {
    if (!clip_) return;
    if (g.stops.empty()) return drawing().endFill();
    FillStyle fill;
    fill.kind = !g.radial ? FillStyle::Kind::LinearGradient
                : g.focal != 0 ? FillStyle::Kind::FocalGradient
                               : FillStyle::Kind::RadialGradient;
    const double* m = g.matrix;
    fill.gradient.matrix = Matrix{m[0], m[1], m[2], m[3], m[4] * kTwipsPerPixel, m[5] * kTwipsPerPixel};
    fill.gradient.spread = g.spread == 1 ? SpreadMode::Reflect : g.spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
    fill.gradient.interpolation = g.linearRgb ? InterpolationMode::LinearRgb : InterpolationMode::Rgb;
    fill.gradient.focalPoint = g.focal;
    for (const avm1::GradientStop& s : g.stops)
        fill.gradient.stops.push_back(GradientStop{uint8_t(std::lround(s.ratio)), rgba(s.rgb, s.alpha)});
    drawing().beginFill(fill);
}

void ScriptClip::beginBitmapFill(std::shared_ptr<PixelSource> pixels, const double (&m)[6], bool repeat,
                                 bool smoothing) {
    if (!clip_) return;
    FillStyle fill;
    fill.kind = FillStyle::Kind::Bitmap;
    // The fill's matrix maps bitmap pixels to twips of the clip's space.
    fill.bitmapMatrix = Matrix{m[0] * kTwipsPerPixel, m[1] * kTwipsPerPixel, m[2] * kTwipsPerPixel,
                               m[3] * kTwipsPerPixel, m[4] * kTwipsPerPixel, m[5] * kTwipsPerPixel};
    fill.bitmapRepeating = repeat;
    fill.bitmapSmoothed = smoothing;
    fill.bitmap = pixels->image();
    fill.bitmapSource = std::move(pixels);
    drawing().beginFill(fill);
}

void ScriptClip::endFill() {
    if (clip_) drawing().endFill();
}

void ScriptClip::moveTo(double x, double y) {
    if (clip_) drawing().moveTo(x, y);
}

void ScriptClip::lineTo(double x, double y) {
    if (!clip_) return;
    drawing().lineTo(x, y);
    reportOverflow();
}

void ScriptClip::curveTo(double cx, double cy, double x, double y) {
    if (!clip_) return;
    drawing().curveTo(cx, cy, x, y);
    reportOverflow();
}

void ScriptClip::reportOverflow() {
    if (overflowReported_ || !drawing().overflowed()) return;
    overflowReported_ = true;
    runner_.warning("a clip's drawing has more than " + std::to_string(Drawing::kMaxSegments) +
                    " segments: later lines and curves are not drawn");
}

}  // namespace swf
