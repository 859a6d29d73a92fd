#include "engine/core/display_geometry.h"

#include <algorithm>
#include <cmath>

#include "engine/core/drawing.h"
#include "engine/core/picture_box.h"
#include "engine/core/text_layout.h"

namespace swf {

namespace {

constexpr int kMaxDepth = 64;  // nesting is limited when placing; this guards cycles of owners

const ShapePaths* pathsOf(const DisplayObject& obj, CharacterLibrary& library) {
    if (obj.kind == DisplayObject::Kind::Shape) return library.shape(obj.characterId);
    if (obj.kind == DisplayObject::Kind::MorphShape) return library.morph(obj.characterId, obj.ratio);
    return nullptr;
}

Rect clipBoundsAt(const Clip& clip, CharacterLibrary& library, int depth);

Rect bitmapRect(const DisplayObject& obj) {
    std::shared_ptr<const RgbaImage> image = obj.bitmap ? obj.bitmap->image() : nullptr;
    if (!image || image->empty()) return {};
    return Rect{0, 0, image->width * kTwipsPerPixel, image->height * kTwipsPerPixel};
}

// A scroll window's rectangle in the object's space: the window shows its part of the content there.
Rect scrollWindow(const Rect& r) { return Rect{0, 0, std::max(r.xMax - r.xMin, 0.0), std::max(r.yMax - r.yMin, 0.0)}; }

Rect contentBoundsAt(const DisplayObject& obj, CharacterLibrary& library, int depth) {
    if (depth > kMaxDepth) return {};
    // What a scroll window shows is its rectangle, whatever the content beneath.
    if (obj.scrollRect) return scrollWindow(*obj.scrollRect);
    // A shape's stored bounds take its lines' widths in, as scripts expect of _width.
    if (obj.kind == DisplayObject::Kind::Shape)
        if (const Shape* s = library.movie().findAs<Shape>(obj.characterId)) return s->bounds;
    if (const ShapePaths* p = pathsOf(obj, library)) return p->bounds;
    switch (obj.kind) {
    case DisplayObject::Kind::StaticText:
        if (const StaticText* t = library.movie().findAs<StaticText>(obj.characterId)) return t->bounds;
        break;
    case DisplayObject::Kind::EditText:
        if (obj.field) {
            if (obj.field->autoSize != AutoSize::None)
                currentLayout(*obj.field, library.movie(), &library.deviceFonts());
            return obj.field->bounds;
        }
        if (obj.fieldDefinition) return obj.fieldDefinition->bounds;
        if (const EditText* t = library.movie().findAs<EditText>(obj.characterId)) return t->bounds;
        break;
    case DisplayObject::Kind::Sprite:
    case DisplayObject::Kind::Button:
        if (obj.clip) return clipBoundsAt(*obj.clip, library, depth + 1);
        break;
    case DisplayObject::Kind::Video:
        if (const VideoStream* v = library.movie().findAs<VideoStream>(obj.characterId))
            return Rect{0, 0, v->width * kTwipsPerPixel, v->height * kTwipsPerPixel};
        break;
    case DisplayObject::Kind::Bitmap:
        return bitmapRect(obj);
    default:
        break;
    }
    return {};
}

Rect clipBoundsAt(const Clip& clip, CharacterLibrary& library, int depth) {
    Rect r;
    if (clip.drawing) r.include(clip.drawing->paths().bounds);
    for (const auto& [d, child] : clip.children) {
        if (child->clipDepth > 0 || child->masking) continue;  // masks shape others, not the bounds
        r.include(child->matrix.apply(contentBoundsAt(*child, library, depth)));
    }
    return r;
}

// Crossings of a horizontal ray from `p` with one straight edge, signed by direction.
int winding(Point a, Point b, Point p) {
    if ((a.y <= p.y) == (b.y <= p.y)) return 0;
    double t = (p.y - a.y) / (b.y - a.y);
    double x = a.x + t * (b.x - a.x);
    if (x <= p.x) return 0;
    return b.y > a.y ? 1 : -1;
}

double distanceToSegment(Point a, Point b, Point p) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// Calls f(a, b) for each straight piece of a contour, curves cut into a few lines.
template <class F>
void forEachEdge(const Contour& c, F f) {
    Point cur = c.start;
    for (const PathSegment& s : c.segments) {
        if (!s.curved) {
            f(cur, s.end);
        } else {
            constexpr int kSteps = 8;
            Point prev = cur;
            for (int i = 1; i <= kSteps; ++i) {
                double t = double(i) / kSteps, u = 1 - t;
                Point q{u * u * cur.x + 2 * u * t * s.control.x + t * t * s.end.x,
                        u * u * cur.y + 2 * u * t * s.control.y + t * t * s.end.y};
                f(prev, q);
                prev = q;
            }
        }
        cur = s.end;
    }
    if (c.closed) f(cur, c.start);
}

bool hitsClipAt(const Clip& clip, Point local, CharacterLibrary& library, int depth);

bool hitsContentAt(const DisplayObject& obj, Point local, CharacterLibrary& library, int depth) {
    if (depth > kMaxDepth) return false;
    if (obj.scrollRect) {
        // Only what shows through the window is hit, and the content lies scrolled beneath it.
        const Rect& r = *obj.scrollRect;
        Rect window = scrollWindow(r);
        if (window.empty() || local.x < window.xMin || local.x > window.xMax || local.y < window.yMin ||
            local.y > window.yMax)
            return false;
        local = Point{local.x + r.xMin, local.y + r.yMin};
    }
    if (const ShapePaths* p = pathsOf(obj, library)) return hitsPaths(*p, local);
    switch (obj.kind) {
    case DisplayObject::Kind::StaticText:
    case DisplayObject::Kind::EditText:
    case DisplayObject::Kind::Video:
    case DisplayObject::Kind::Bitmap: {
        Rect r = contentBoundsAt(obj, library, depth);
        return !r.empty() && local.x >= r.xMin && local.x <= r.xMax && local.y >= r.yMin && local.y <= r.yMax;
    }
    case DisplayObject::Kind::Sprite:
    case DisplayObject::Kind::Button:
        return obj.clip && hitsClipAt(*obj.clip, local, library, depth + 1);
    default:
        return false;
    }
}

bool hitsClipAt(const Clip& clip, Point local, CharacterLibrary& library, int depth) {
    if (clip.drawing && hitsPaths(clip.drawing->paths(), local)) return true;
    for (const auto& [d, child] : clip.children) {
        if (child->clipDepth > 0 || child->masking || !child->visible) continue;
        if (!child->matrix.invertible()) continue;
        if (hitsContentAt(*child, child->matrix.inverted().apply(local), library, depth)) return true;
    }
    return false;
}

}  // namespace

Rect contentBounds(const DisplayObject& obj, CharacterLibrary& library) { return contentBoundsAt(obj, library, 0); }

ShapePaths bitmapPaths(const DisplayObject& obj) {
    FillStyle fill;
    fill.bitmap = obj.bitmap ? obj.bitmap->image() : nullptr;
    if (!fill.bitmap || fill.bitmap->empty()) return {};
    fill.bitmapMatrix = Matrix::scale(kTwipsPerPixel, kTwipsPerPixel);
    fill.bitmapSmoothed = obj.bitmapSmoothing;
    return pictureBoxPaths(bitmapRect(obj), std::move(fill));
}

Rect clipBounds(const Clip& clip, CharacterLibrary& library) { return clipBoundsAt(clip, library, 0); }

Matrix worldMatrix(const DisplayObject& obj) {
    Matrix m = obj.matrix;
    const Clip* parent = obj.parent;
    for (int guard = 0; parent && parent->owner && guard < kMaxDepth * 4; ++guard) {
        m = parent->owner->matrix * m;
        parent = parent->owner->parent;
    }
    return parent ? parent->rootMatrix * m : m;
}

Matrix worldMatrix(const Clip& clip) { return clip.owner ? worldMatrix(*clip.owner) : clip.rootMatrix; }

bool hitsContent(const DisplayObject& obj, Point local, CharacterLibrary& library) {
    return hitsContentAt(obj, local, library, 0);
}

bool hitsClip(const Clip& clip, Point local, CharacterLibrary& library) { return hitsClipAt(clip, local, library, 0); }

bool hitsCharacter(CharacterLibrary& library, uint16_t id, Point p) {
    if (const ShapePaths* s = library.shape(id)) return hitsPaths(*s, p);
    if (const ShapePaths* s = library.morph(id, 0)) return hitsPaths(*s, p);
    Rect r;
    if (const StaticText* t = library.movie().findAs<StaticText>(id)) r = t->bounds;
    else if (const EditText* t = library.movie().findAs<EditText>(id)) r = t->bounds;
    return !r.empty() && p.x >= r.xMin && p.x <= r.xMax && p.y >= r.yMin && p.y <= r.yMax;
}

bool hitsPaths(const ShapePaths& paths, Point p) {
    const Rect& b = paths.bounds;
    if (!b.empty() && (p.x < b.xMin || p.x > b.xMax || p.y < b.yMin || p.y > b.yMax)) return false;
    for (const PathLayer& layer : paths.layers) {
        for (const FillPath& fill : layer.fills) {
            int wind = 0;
            for (const Contour& c : fill.contours)
                forEachEdge(c, [&](Point a, Point q) { wind += winding(a, q, p); });
            if (fill.nonZero ? wind != 0 : (wind & 1) != 0) return true;
        }
        for (const StrokePath& stroke : layer.strokes) {
            double half = std::max(stroke.style.width, kTwipsPerPixel) / 2;
            bool hit = false;
            for (const Contour& c : stroke.contours)
                forEachEdge(c, [&](Point a, Point q) { hit = hit || distanceToSegment(a, q, p) <= half; });
            if (hit) return true;
        }
    }
    return false;
}

}  // namespace swf
