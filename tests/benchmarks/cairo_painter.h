// Draws the same ShapePaths our renderer takes with cairo, onto an ARGB32 image surface, so the two
// rasterizers can be timed and compared on identical work: the same paths, flattening tolerance
// (0.1 pixel), fill rules, paints and stroke geometry. Only the comparison benchmark uses it.
#pragma once

#include <cairo.h>

#include <map>
#include <memory>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/base/image.h"
#include "engine/base/paths.h"

namespace swf::bench {

struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct CairoPatternDeleter {
    void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextDeleter>;
using CairoPattern = std::unique_ptr<cairo_pattern_t, CairoPatternDeleter>;

class CairoPainter {
public:
    CairoPainter(int width, int height);

    // Fills the whole surface with the opaque background, as Renderer::beginFrame does.
    void beginFrame(Rgba background);
    void drawShape(const ShapePaths& shape, const Matrix& toPixels);
    void endFrame();

    // The surface as premultiplied RGBA bytes, the layout of our renderer's target.
    RgbaImage snapshot() const;

private:
    void setPaint(const FillStyle& style);
    void addContours(const std::vector<Contour>& contours, bool closeAll);
    cairo_surface_t* bitmapSurface(const RgbaImage& bitmap);

    CairoSurface surface_;
    CairoContext cr_;
    // Decoded bitmaps converted to cairo surfaces once, as a movie's bitmaps are decoded once.
    std::map<const RgbaImage*, CairoSurface> bitmaps_;
};

}  // namespace swf::bench
