#include "tests/benchmarks/cairo_painter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "engine/render/path_flattener.h"

namespace swf::bench {
namespace {

cairo_matrix_t toCairo(const Matrix& m) {
    cairo_matrix_t c;
    cairo_matrix_init(&c, m.a, m.b, m.c, m.d, m.tx, m.ty);
    return c;
}

void addStop(cairo_pattern_t* p, const GradientStop& s) {
    cairo_pattern_add_color_stop_rgba(p, s.ratio / 255.0, s.color.r / 255.0, s.color.g / 255.0, s.color.b / 255.0,
                                      s.color.a / 255.0);
}

cairo_extend_t extendOf(SpreadMode spread) {
    switch (spread) {
        case SpreadMode::Reflect: return CAIRO_EXTEND_REFLECT;
        case SpreadMode::Repeat: return CAIRO_EXTEND_REPEAT;
        case SpreadMode::Pad: break;
    }
    return CAIRO_EXTEND_PAD;
}

cairo_line_cap_t capOf(CapStyle cap) {
    switch (cap) {
        case CapStyle::None: return CAIRO_LINE_CAP_BUTT;
        case CapStyle::Square: return CAIRO_LINE_CAP_SQUARE;
        case CapStyle::Round: break;
    }
    return CAIRO_LINE_CAP_ROUND;
}

cairo_line_join_t joinOf(JoinStyle join) {
    switch (join) {
        case JoinStyle::Bevel: return CAIRO_LINE_JOIN_BEVEL;
        case JoinStyle::Miter: return CAIRO_LINE_JOIN_MITER;
        case JoinStyle::Round: break;
    }
    return CAIRO_LINE_JOIN_ROUND;
}

}  // namespace

CairoPainter::CairoPainter(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr_(cairo_create(surface_.get())) {
    if (cairo_surface_status(surface_.get()) != CAIRO_STATUS_SUCCESS || cairo_status(cr_.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cairo could not make a surface");
    cairo_set_antialias(cr_.get(), CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_tolerance(cr_.get(), render::kFlatnessTolerance);
}

void CairoPainter::beginFrame(Rgba background) {
    cairo_t* cr = cr_.get();
    cairo_identity_matrix(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, background.r / 255.0, background.g / 255.0, background.b / 255.0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

void CairoPainter::endFrame() { cairo_surface_flush(surface_.get()); }

void CairoPainter::addContours(const std::vector<Contour>& contours, bool closeAll) {
    cairo_t* cr = cr_.get();
    for (const Contour& contour : contours) {
        cairo_move_to(cr, contour.start.x, contour.start.y);
        Point current = contour.start;
        for (const PathSegment& s : contour.segments) {
            if (s.curved) {
                // The quadratic p0-c-p1 as the cubic with controls two thirds of the way to c.
                cairo_curve_to(cr, current.x + 2.0 / 3 * (s.control.x - current.x),
                               current.y + 2.0 / 3 * (s.control.y - current.y),
                               s.end.x + 2.0 / 3 * (s.control.x - s.end.x), s.end.y + 2.0 / 3 * (s.control.y - s.end.y),
                               s.end.x, s.end.y);
            } else {
                cairo_line_to(cr, s.end.x, s.end.y);
            }
            current = s.end;
        }
        if (closeAll || contour.closed) cairo_close_path(cr);
    }
}

cairo_surface_t* CairoPainter::bitmapSurface(const RgbaImage& bitmap) {
    auto found = bitmaps_.find(&bitmap);
    if (found != bitmaps_.end()) return found->second.get();
    CairoSurface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width, bitmap.height));
    cairo_surface_flush(s.get());
    unsigned char* data = cairo_image_surface_get_data(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x) {
            const uint8_t* p = bitmap.at(x, y);  // premultiplied, as cairo wants it
            uint32_t argb = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            std::memcpy(data + size_t(y) * size_t(stride) + size_t(x) * 4, &argb, 4);
        }
    cairo_surface_mark_dirty(s.get());
    return bitmaps_.emplace(&bitmap, std::move(s)).first->second.get();
}

void CairoPainter::setPaint(const FillStyle& style) {
    cairo_t* cr = cr_.get();
    CairoPattern pattern;
    cairo_matrix_t patternMatrix{};
    switch (style.kind) {
        case FillStyle::Kind::Solid:
            cairo_set_source_rgba(cr, style.color.r / 255.0, style.color.g / 255.0, style.color.b / 255.0,
                                  style.color.a / 255.0);
            return;
        case FillStyle::Kind::LinearGradient:
        case FillStyle::Kind::RadialGradient:
        case FillStyle::Kind::FocalGradient:
            // The gradient square spans -16384..16384 twips before its matrix.
            if (style.kind == FillStyle::Kind::LinearGradient)
                pattern.reset(cairo_pattern_create_linear(-16384, 0, 16384, 0));
            else
                pattern.reset(cairo_pattern_create_radial(16384 * std::clamp(style.gradient.focalPoint, -0.98, 0.98) *
                                                              (style.kind == FillStyle::Kind::FocalGradient),
                                                          0, 0, 0, 0, 16384));
            for (const GradientStop& s : style.gradient.stops) addStop(pattern.get(), s);
            cairo_pattern_set_extend(pattern.get(), extendOf(style.gradient.spread));
            patternMatrix = toCairo(style.gradient.matrix.inverted());
            break;
        case FillStyle::Kind::Bitmap:
            if (!style.bitmap || style.bitmap->empty()) {
                cairo_set_source_rgba(cr, 0, 0, 0, 0);
                return;
            }
            pattern.reset(cairo_pattern_create_for_surface(bitmapSurface(*style.bitmap)));
            cairo_pattern_set_extend(pattern.get(), style.bitmapRepeating ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_PAD);
            cairo_pattern_set_filter(pattern.get(), style.bitmapSmoothed ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
            patternMatrix = toCairo(style.bitmapMatrix.inverted());
            break;
    }
    // The pattern matrix maps user space (twips, under the shape's matrix) to pattern space.
    cairo_pattern_set_matrix(pattern.get(), &patternMatrix);
    cairo_set_source(cr, pattern.get());
}

void CairoPainter::drawShape(const ShapePaths& shape, const Matrix& toPixels) {
    cairo_t* cr = cr_.get();
    const cairo_matrix_t ctm = toCairo(toPixels);
    const double scale = std::sqrt(std::fabs(toPixels.determinant()));
    for (const PathLayer& layer : shape.layers) {
        for (const FillPath& fill : layer.fills) {
            cairo_set_matrix(cr, &ctm);
            setPaint(fill.style);
            cairo_new_path(cr);
            addContours(fill.contours, true);
            cairo_set_fill_rule(cr, fill.nonZero ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
            cairo_fill(cr);
        }
        for (const StrokePath& stroke : layer.strokes) {
            cairo_set_matrix(cr, &ctm);
            if (stroke.style.fill) {
                setPaint(*stroke.style.fill);
            } else {
                FillStyle solid;
                solid.color = stroke.style.color;
                setPaint(solid);
            }
            // Lines thinner than a pixel are drawn one pixel wide, as our renderer does.
            cairo_set_line_width(cr, scale > 0 ? std::max(stroke.style.width, 1 / scale) : stroke.style.width);
            cairo_set_line_cap(cr, capOf(stroke.style.startCap));
            cairo_set_line_join(cr, joinOf(stroke.style.join));
            cairo_set_miter_limit(cr, stroke.style.miterLimit);
            cairo_new_path(cr);
            addContours(stroke.contours, false);
            cairo_stroke(cr);
        }
    }
}

RgbaImage CairoPainter::snapshot() const {
    cairo_surface_t* s = surface_.get();
    cairo_surface_flush(s);
    const int width = cairo_image_surface_get_width(s), height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    RgbaImage out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t argb;
            std::memcpy(&argb, data + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
            uint8_t* p = out.at(x, y);
            p[0] = uint8_t(argb >> 16);
            p[1] = uint8_t(argb >> 8);
            p[2] = uint8_t(argb);
            p[3] = uint8_t(argb >> 24);
        }
    return out;
}

}  // namespace swf::bench
