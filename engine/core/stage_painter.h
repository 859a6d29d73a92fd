// Paints a display list through a Renderer: objects in depth order with their matrices and colour
// transforms composed down the tree, masks by clip depth, and blend modes and filters as layers.
#pragma once

#include "engine/core/character_library.h"
#include "engine/core/display_object.h"
#include "engine/render/renderer.h"

namespace swf {

class StagePainter {
public:
    StagePainter(CharacterLibrary& library, Renderer& renderer) : library_(library), renderer_(renderer) {}

    // `toPixels` maps the clip's twips to target pixels; `filterScaleX/Y` turn filter sizes (stage
    // pixels) into target pixels.
    void paintClip(const Clip& clip, const Matrix& toPixels, const ColorTransform& cxform);
    // The object's content alone, its own matrix, colour transform, blend mode and filters left
    // out: what a bitmap drawn from it shows. `toPixels` maps the object's own space.
    void paintAlone(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cxform);
    void setFilterScale(double x, double y) {
        filterScaleX_ = x;
        filterScaleY_ = y;
    }

private:
    void paintObject(const DisplayObject& obj, const Matrix& parentToPixels, const ColorTransform& parentCx,
                     int nesting);
    void paintChildren(const Clip& clip, const Matrix& toPixels, const ColorTransform& cxform, int nesting);
    void paintContent(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cxform, int nesting);
    void paintStaticText(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cxform);
    void paintEditText(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cxform);
    void paintVideo(const DisplayObject& obj, const Matrix& toPixels, const ColorTransform& cxform);
    // `glyph` is null for a glyph its font does not have: nothing is drawn.
    void paintGlyph(const ShapePaths* glyph, const Matrix& glyphToPixels, Rgba color, const ColorTransform& cxform);
    // The object's filters as this paint draws them: sizes in target pixels, bitmaps taken as they are.
    std::vector<Filter> paintFilters(const DisplayObject& obj, const Matrix& toPixels) const;
    void placeDisplacement(DisplacementMapFilter& f, const DisplayObject& obj, const Matrix& toPixels) const;

    CharacterLibrary& library_;
    Renderer& renderer_;
    double filterScaleX_ = 1, filterScaleY_ = 1;
    Matrix rootToPixels_;  // the stage to pixels: where scripts' masks are drawn from
};

}  // namespace swf
