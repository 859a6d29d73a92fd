#include "engine/core/stage_painter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "engine/core/display_geometry.h"
#include "engine/core/drawing.h"
#include "engine/core/text_layout.h"
#include "engine/core/video_object.h"

namespace swf {

namespace {

// Colours a white glyph: the text colour replaces it, then the object's transform applies.
ColorTransform tint(Rgba color) {
    ColorTransform t;
    t.rMul = t.gMul = t.bMul = 0;
    t.rAdd = color.r;
    t.gAdd = color.g;
    t.bAdd = color.b;
    t.aMul = color.a / 255.0f;
    return t;
}

// A rectangle filled with `fill` and outlined by `line` (hairline) when it has one.
ShapePaths boxPaths(const Rect& r, std::optional<Rgba> fill, std::optional<Rgba> line) {
    Contour c;
    c.start = {r.xMin, r.yMin};
    for (Point p : {Point{r.xMax, r.yMin}, Point{r.xMax, r.yMax}, Point{r.xMin, r.yMax}, Point{r.xMin, r.yMin}})
        c.segments.push_back({p, p, false});
    PathLayer layer;
    if (fill) {
        FillPath f;
        f.style.color = *fill;
        f.contours.push_back(c);
        layer.fills.push_back(std::move(f));
    }
    if (line) {
        StrokePath st;
        st.style.width = 0;
        st.style.color = *line;
        st.contours.push_back(c);
        layer.strokes.push_back(std::move(st));
    }
    ShapePaths paths;
    paths.layers.push_back(std::move(layer));
    paths.bounds = r;
    return paths;
}

Rgba opaque(uint32_t rgb) { return Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255}; }

}  // namespace

void StagePainter::paintClip(const Clip& clip, const Matrix& toPixels, const ColorTransform& cxform) {
    if (!clip.owner) {
        // The main movie: `toPixels` maps the stage, and the movie sits on it at its own place.
        rootToPixels_ = toPixels;
        paintChildren(clip, toPixels * clip.rootMatrix, cxform, 0);
        return;
    }
    rootToPixels_ = toPixels * worldMatrix(clip).inverted();
    paintChildren(clip, toPixels, cxform, 0);
}

void StagePainter::paintAlone(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cxform) {
    rootToPixels_ = toPixels * worldMatrix(obj).inverted();
    paintContent(obj, toPixels, cxform, 0);
}

void StagePainter::paintChildren(const Clip& clip, const Matrix& toPixels, const ColorTransform& cxform,
                                 int nesting) {
    if (clip.drawing && !clip.drawing->empty()) renderer_.drawShape(clip.drawing->paths(), toPixels, cxform);
    std::vector<int> maskEnds;  // clip depths of the masks in force, innermost last
    for (const auto& [depth, child] : clip.children) {
        while (!maskEnds.empty() && depth > maskEnds.back()) {
            renderer_.popMask();
            maskEnds.pop_back();
        }
        if (child->clipDepth > 0) {
            renderer_.beginMask();
            paintContent(*child, toPixels * child->matrix, cxform * child->colorTransform, nesting);
            renderer_.endMask();
            maskEnds.push_back(child->clipDepth);
            continue;
        }
        if (child->masking) continue;  // a script's mask is drawn only as the mask of its object
        if (!child->visible) continue;
        if (const DisplayObject* mask = child->maskedBy) {
            renderer_.beginMask();
            paintContent(*mask, rootToPixels_ * worldMatrix(*mask), cxform * mask->colorTransform, nesting);
            renderer_.endMask();
            paintObject(*child, toPixels, cxform, nesting);
            renderer_.popMask();
        } else {
            paintObject(*child, toPixels, cxform, nesting);
        }
    }
    while (!maskEnds.empty()) {
        renderer_.popMask();
        maskEnds.pop_back();
    }
}

void StagePainter::paintObject(const DisplayObject& obj, const Matrix& parentToPixels,
                               const ColorTransform& parentCx, int nesting) {
    Matrix toPixels = parentToPixels * obj.matrix;
    ColorTransform cx = parentCx * obj.colorTransform;
    bool layered = (obj.blendMode != BlendMode::Normal) || !obj.filters.empty();
    if (layered) renderer_.pushLayer(obj.blendMode, paintFilters(obj, toPixels));
    // A cached bitmap is drawn at whole pixels of the target.
    if (obj.cacheAsBitmap) {
        toPixels.tx = std::round(toPixels.tx);
        toPixels.ty = std::round(toPixels.ty);
    }
    if (obj.scrollRect) {
        // The window shows its rectangle of the content at the object's origin.
        const Rect& r = *obj.scrollRect;
        Rect window{0, 0, r.xMax - r.xMin, r.yMax - r.yMin};
        renderer_.beginMask();
        renderer_.drawShape(boxPaths(window, Rgba{0, 0, 0, 255}, std::nullopt), toPixels, ColorTransform{});
        renderer_.endMask();
        if (obj.opaqueBackground) renderer_.drawShape(boxPaths(window, obj.opaqueBackground, std::nullopt), toPixels, cx);
        paintContent(obj, toPixels * Matrix::translate(-r.xMin, -r.yMin), cx, nesting);
        renderer_.popMask();
    } else {
        if (obj.opaqueBackground) {
            Rect bounds = contentBounds(obj, library_);
            if (bounds.xMax > bounds.xMin && bounds.yMax > bounds.yMin)
                renderer_.drawShape(boxPaths(bounds, obj.opaqueBackground, std::nullopt), toPixels, cx);
        }
        paintContent(obj, toPixels, cx, nesting);
    }
    if (layered) renderer_.popLayer();
}

void StagePainter::paintContent(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cx,
                                int nesting) {
    switch (obj.kind) {
    case DisplayObject::Kind::Shape:
        if (const ShapePaths* paths = library_.shape(obj.characterId)) renderer_.drawShape(*paths, toPixels, cx);
        break;
    case DisplayObject::Kind::MorphShape:
        if (const ShapePaths* paths = library_.morph(obj.characterId, obj.ratio))
            renderer_.drawShape(*paths, toPixels, cx);
        break;
    case DisplayObject::Kind::StaticText:
        paintStaticText(obj, toPixels, cx);
        break;
    case DisplayObject::Kind::EditText:
        paintEditText(obj, toPixels, cx);
        break;
    case DisplayObject::Kind::Sprite:
    case DisplayObject::Kind::Button:
        if (obj.clip) paintChildren(*obj.clip, toPixels, cx, nesting + 1);
        break;
    case DisplayObject::Kind::Video:
        paintVideo(obj, toPixels, cx);
        break;
    case DisplayObject::Kind::Bitmap:
        if (obj.bitmap) renderer_.drawShape(bitmapPaths(obj), toPixels, cx);
        break;
    case DisplayObject::Kind::Unknown:
        break;
    }
}

void StagePainter::paintVideo(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cx) {
    BitmapRef picture = shownVideoPicture(obj, library_);
    if (!picture) return;
    renderer_.drawShape(library_.videoPaths(obj.characterId, picture, videoSmoothing(obj, library_.movie())),
                        toPixels, cx);
}

void StagePainter::paintGlyph(const ShapePaths* glyph, const Matrix& glyphToPixels, Rgba color,
                              const ColorTransform& cxform) {
    if (glyph) renderer_.drawShape(*glyph, glyphToPixels, cxform * tint(color));
}

void StagePainter::paintStaticText(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cx) {
    const StaticText* text = library_.movie().findAs<StaticText>(obj.characterId);
    if (!text) return;
    Matrix textToPixels = toPixels * text->matrix;
    uint16_t fontId = 0;
    Rgba color;
    double x = 0, y = 0, height = 240;
    for (const TextRecord& rec : text->records) {
        if (rec.fontId) fontId = *rec.fontId;
        if (rec.color) color = *rec.color;
        if (rec.xOffset) x = *rec.xOffset;
        if (rec.yOffset) y = *rec.yOffset;
        if (rec.height) height = *rec.height;
        const Font* font = library_.movie().findAs<Font>(fontId);
        double scale = font ? height / font->emSquare : 0;
        for (const TextGlyph& g : rec.glyphs) {
            if (font) {
                Matrix glyphToText = Matrix::translate(x, y) * Matrix::scale(scale, scale);
                paintGlyph(library_.glyph(fontId, g.index), textToPixels * glyphToText, color, cx);
            }
            x += g.advance;
        }
    }
}

void StagePainter::paintEditText(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cx) {
    TextFieldState* field = fieldStateOf(const_cast<DisplayObject&>(obj), library_.movie());
    if (!field) return;
    const TextLayout& layout = currentLayout(*field, library_.movie(), &library_.deviceFonts());
    if (field->background || field->border) {
        std::optional<Rgba> fill, line;
        if (field->background) fill = opaque(field->backgroundColor);
        if (field->border) line = opaque(field->borderColor);
        renderer_.drawShape(boxPaths(field->bounds, fill, line), toPixels, cx);
    }
    for (const PlacedGlyph& g : layout.glyphs) {
        if (g.fallback)
            library_.warn("no system font for a text field's device font: its text is drawn with the block font");
        const ShapePaths* glyph = g.device     ? &g.device->paths(g.index)
                                  : g.fallback ? library_.fallbackGlyph(g.index)
                                               : library_.glyph(g.fontId, g.index);
        paintGlyph(glyph, toPixels * g.glyphToText, g.color, cx);
    }
    for (const TextRule& rule : layout.rules) {
        Rect r{rule.x0, rule.y - rule.thickness / 2, rule.x1, rule.y + rule.thickness / 2};
        renderer_.drawShape(boxPaths(r, rule.color, std::nullopt), toPixels, cx);
    }
}

std::vector<Filter> StagePainter::paintFilters(const DisplayObject& obj, const Matrix& toPixels) const {
    std::vector<Filter> out = obj.filters;
    double sx = filterScaleX_, sy = filterScaleY_, s = std::sqrt(std::fabs(sx * sy));
    for (Filter& f : out) {
        f.dropShadow.blurX *= sx, f.dropShadow.blurY *= sy, f.dropShadow.distance *= s;
        f.blur.blurX *= sx, f.blur.blurY *= sy;
        f.glow.blurX *= sx, f.glow.blurY *= sy;
        f.bevel.blurX *= sx, f.bevel.blurY *= sy, f.bevel.distance *= s;
        f.gradient.blurX *= sx, f.gradient.blurY *= sy, f.gradient.distance *= s;
        if (f.kind == Filter::Kind::DisplacementMap) placeDisplacement(f.displacement, obj, toPixels);
    }
    return out;
}

// A displacement map takes its bitmap as it is now, and its place and sizes in target pixels: the
// map lies from the top-left of the object's bounds.
void StagePainter::placeDisplacement(DisplacementMapFilter& f, const DisplayObject& obj, const Matrix& toPixels) const {
    f.map = f.mapSource ? f.mapSource->image() : nullptr;
    f.scaleX *= filterScaleX_, f.scaleY *= filterScaleY_;
    f.mapScaleX = std::fabs(filterScaleX_), f.mapScaleY = std::fabs(filterScaleY_);
    Rect local = contentBounds(obj, library_);
    if (!(local.xMax > local.xMin && local.yMax > local.yMin)) return;
    Rect r = toPixels.apply(local);
    constexpr double kLimit = 1 << 24;
    auto whole = [&](double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
    if (!std::isfinite(r.xMin) || !std::isfinite(r.yMin) || !std::isfinite(r.xMax) || !std::isfinite(r.yMax)) return;
    f.objectX0 = whole(std::floor(r.xMin)), f.objectY0 = whole(std::floor(r.yMin));
    f.objectX1 = whole(std::ceil(r.xMax)), f.objectY1 = whole(std::ceil(r.yMax));
}

}  // namespace swf
