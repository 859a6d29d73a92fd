// The narrow seam between the player core and pixels. The core walks its display list and issues
// these calls in painting order; an implementation draws them into its target.
// The software implementation is swf::SoftwareRenderer ("engine/render/software_renderer.h", library
// swf_render): construct it on an RgbaImage, then beginFrame ... endFrame each frame.
#pragma once

#include <vector>

#include "engine/base/color.h"
#include "engine/base/effects.h"
#include "engine/base/geometry.h"
#include "engine/base/image.h"
#include "engine/base/paths.h"

namespace swf {

enum class Quality : uint8_t { Low, Medium, High, Best };

class Renderer {
public:
    virtual ~Renderer() = default;

    // Starts a frame: the whole target is filled with `background` (opaque).
    virtual void beginFrame(Rgba background) = 0;
    virtual void endFrame() = 0;

    // Paints a shape. `toPixels` maps the shape's twips to target pixels; `cxform` applies to every
    // colour the shape paints (fills, gradients, bitmaps, strokes).
    virtual void drawShape(const ShapePaths& shape, const Matrix& toPixels, const ColorTransform& cxform) = 0;

    // Masks: beginMask() starts collecting mask content (drawShape calls until endMask() paint into the
    // mask, not the target); after endMask() every draw is clipped by the mask, intersected with any
    // enclosing mask, until the matching popMask(). Masks nest.
    virtual void beginMask() = 0;
    virtual void endMask() = 0;
    virtual void popMask() = 0;

    // Layers: draws between pushLayer() and popLayer() go to an off-screen layer, which popLayer()
    // filters and composites onto what lies below with the blend mode. Filter sizes are in target pixels
    // (the core scales them by the view before calling). `layerTransform` colours the finished layer
    // (after its filters) as it is composited: a group that must fade as one (Layer mode with alpha)
    // passes its colour transform here instead of to each drawShape; identity otherwise.
    virtual void pushLayer(BlendMode mode, const std::vector<Filter>& filters,
                           const ColorTransform& layerTransform = {}) = 0;
    virtual void popLayer() = 0;

    // Composites a layer whose filters were applied already, as popLayer() would composite it:
    // `pixels` (premultiplied) have their top left at target pixel (x, y). Returns false where the
    // renderer cannot; the caller then issues the layer's own calls instead.
    virtual bool drawFinishedLayer(const RgbaImage& /*pixels*/, int /*x*/, int /*y*/, BlendMode /*mode*/,
                                   const ColorTransform& /*layerTransform*/) {
        return false;
    }

    // Drawing quality for the frames that follow. Low draws edges without anti-aliasing and bitmaps
    // without smoothing, as Flash does at low quality; the others draw everything smoothly.
    virtual void setQuality(Quality quality) = 0;
};

}  // namespace swf
