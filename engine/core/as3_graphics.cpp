// flash.display.Graphics: the drawing calls of a Sprite or Shape, recorded into the clip's Drawing
// that the renderer paints under its children. The shape helpers (rectangles, circles, ellipses,
// rounded rectangles, cubic curves) become lines and quadratic curves.
#include <cmath>
#include <numbers>

#include "engine/core/as3_display.h"
#include "engine/core/as3_graphics_data.h"
#include "engine/core/drawing.h"

namespace swf {

using namespace avm2;

namespace {

class GraphicsObject : public Object {
public:
    GraphicsObject() : Object(ObjectType::Other) {}
    void trace(std::vector<Object*>& out) override {
        Object::trace(out);
        if (owner) out.push_back(owner);
    }
    As3DisplayObject* owner = nullptr;
    double penX = 0, penY = 0;
};

Rgba colorOf(Machine& m, const Value& rgb, const Value& alpha) {
    uint32_t c = m.toUint(rgb);
    double a = alpha.isUndefined() ? 1.0 : m.toNumber(alpha);
    if (std::isnan(a)) a = 1.0;
    a = std::clamp(a, 0.0, 1.0);
    return Rgba{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                static_cast<uint8_t>(std::lround(a * 255))};
}

// Reads a flash.geom.Matrix (or anything with its six properties): pixels, so the offsets are
// scaled to twips.
Matrix matrixArg(Machine& m, const Value& v) {
    if (v.isNullish()) return Matrix{};
    auto n = [&](const char16_t* k) {
        double x = m.toNumber(m.get(v, k));
        return std::isfinite(x) ? x : 0.0;
    };
    return Matrix{n(u"a"), n(u"b"), n(u"c"), n(u"d"), n(u"tx") * 20, n(u"ty") * 20};
}

std::vector<Value> arrayItems(Machine& m, const Value& v) {
    std::vector<Value> out;
    if (v.isNullish()) return out;
    uint32_t length = m.toUint(m.get(v, u"length"));
    for (uint32_t i = 0; i < length && i < 16; ++i) out.push_back(m.get(v, indexKey(i)));
    return out;
}

}  // namespace

void As3Display::installGraphics() {
    Machine& m = m_;
    graphicsClass = m.defineClass(u"flash.display", u"Graphics", m.objectClass, nullptr,
                                  [](Machine& m, ClassObject*) -> Object* { return m.make<GraphicsObject>(); });
    graphicsClass->isSealedInstances = true;
    graphicsClass->isFinal = true;
    installGraphicsData(m);
    auto graphicsOf = [this](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        if (!o->graphics) {
            auto* g = static_cast<GraphicsObject*>(m.instantiate(graphicsClass));
            g->owner = o;
            o->graphics = g;
        }
        return Value(o->graphics);
    };
    m.defineGetter(spriteClass, u"graphics", graphicsOf);
    m.defineGetter(shapeClass, u"graphics", graphicsOf);

    // The drawing behind a Graphics object; null when its owner can hold none.
    auto target = [this](Machine& m, const Value& self) -> std::pair<GraphicsObject*, Drawing*> {
        Object* o = self.object();
        if (!o || !o->cls || !o->cls->isSubclassOf(graphicsClass))
            m.typeError(1009, u"Cannot access a property or method of a null object reference.");
        auto* g = static_cast<GraphicsObject*>(o);
        Clip* clip = containerClip(g->owner);
        if (!clip) return {g, nullptr};
        if (!clip->drawing) clip->drawing = std::make_shared<Drawing>();
        return {g, clip->drawing.get()};
    };
    auto method = [&m, target, gc = graphicsClass](const char16_t* name, int length, auto body) {
        m.defineMethod(gc, name, length, [target, body](Machine& m, const Value& self, Args a) -> Value {
            auto [g, d] = target(m, self);
            if (d) body(m, *g, *d, a);
            return Value();
        });
    };
    auto num = [](Machine& m, Args a, size_t i, double otherwise = 0) {
        double v = i < a.size() ? m.toNumber(a[i]) : otherwise;
        return std::isfinite(v) ? v : otherwise;
    };
    auto moveTo = [](GraphicsObject& g, Drawing& d, double x, double y) {
        d.moveTo(x, y);
        g.penX = x, g.penY = y;
    };
    auto lineTo = [](GraphicsObject& g, Drawing& d, double x, double y) {
        d.lineTo(x, y);
        g.penX = x, g.penY = y;
    };
    auto curveTo = [](GraphicsObject& g, Drawing& d, double cx, double cy, double x, double y) {
        d.curveTo(cx, cy, x, y);
        g.penX = x, g.penY = y;
    };
    // An elliptic arc of a quarter turn or less as one quadratic curve.
    auto ellipse = [moveTo, curveTo](GraphicsObject& g, Drawing& d, double cx, double cy, double rx, double ry) {
        constexpr int kSegments = 8;
        double step = 2 * std::numbers::pi / kSegments;
        double k = 1 / std::cos(step / 2);
        moveTo(g, d, cx + rx, cy);
        for (int i = 1; i <= kSegments; ++i) {
            double mid = (i - 0.5) * step, end = i * step;
            curveTo(g, d, cx + rx * k * std::cos(mid), cy + ry * k * std::sin(mid), cx + rx * std::cos(end), cy + ry * std::sin(end));
        }
    };

    method(u"clear", 0, [](Machine&, GraphicsObject& g, Drawing& d, Args) {
        d.clear();
        g.penX = g.penY = 0;
    });
    method(u"beginFill", 2, [](Machine& m, GraphicsObject&, Drawing& d, Args a) {
        FillStyle f;
        f.color = colorOf(m, arg(a, 0), arg(a, 1));
        d.beginFill(f);
    });
    method(u"beginGradientFill", 8, [](Machine& m, GraphicsObject&, Drawing& d, Args a) {
        FillStyle f;
        String type = m.toString(arg(a, 0));
        f.kind = type == u"radial" ? FillStyle::Kind::RadialGradient : FillStyle::Kind::LinearGradient;
        std::vector<Value> colors = arrayItems(m, arg(a, 1)), alphas = arrayItems(m, arg(a, 2)), ratios = arrayItems(m, arg(a, 3));
        size_t n = std::min({colors.size(), alphas.size(), ratios.size()});
        for (size_t i = 0; i < n; ++i) {
            double r = std::clamp(m.toNumber(ratios[i]), 0.0, 255.0);
            f.gradient.stops.push_back(GradientStop{static_cast<uint8_t>(std::isnan(r) ? 0 : r), colorOf(m, colors[i], alphas[i])});
        }
        if (f.gradient.stops.empty()) return;
        // The gradient box is 1638.4 pixels wide around the origin before the matrix.
        f.gradient.matrix = matrixArg(m, arg(a, 4));
        String spread = a.size() > 5 ? m.toString(a[5]) : u"pad";
        f.gradient.spread = spread == u"reflect" ? SpreadMode::Reflect : spread == u"repeat" ? SpreadMode::Repeat : SpreadMode::Pad;
        if (a.size() > 6 && m.toString(a[6]) == u"linearRGB") f.gradient.interpolation = InterpolationMode::LinearRgb;
        if (f.kind == FillStyle::Kind::RadialGradient && a.size() > 7) {
            double focal = std::clamp(m.toNumber(a[7]), -1.0, 1.0);
            if (focal != 0 && !std::isnan(focal)) {
                f.kind = FillStyle::Kind::FocalGradient;
                f.gradient.focalPoint = focal;
            }
        }
        d.beginFill(f);
    });
    // beginBitmapFill(bitmap, matrix, repeat, smooth): the matrix maps the bitmap's pixels to the
    // drawing's; the fill keeps the pixels as they are at the call (later changes are not shown).
    method(u"beginBitmapFill", 4, [](Machine& m, GraphicsObject&, Drawing& d, Args a) {
        BitmapDataObject* b = asBitmapData(m, arg(a, 0));
        b->live(m);
        FillStyle f;
        f.kind = FillStyle::Kind::Bitmap;
        f.bitmap = b->image();
        Matrix mx = matrixArg(m, arg(a, 1));
        f.bitmapMatrix = Matrix{mx.a * kTwips, mx.b * kTwips, mx.c * kTwips, mx.d * kTwips, mx.tx, mx.ty};
        f.bitmapRepeating = a.size() < 3 || m.toBoolean(a[2]);
        f.bitmapSmoothed = a.size() > 3 && m.toBoolean(a[3]);
        d.beginFill(f);
    });
    method(u"endFill", 0, [](Machine&, GraphicsObject&, Drawing& d, Args) { d.endFill(); });
    method(u"lineStyle", 8, [num](Machine& m, GraphicsObject&, Drawing& d, Args a) {
        double thickness = a.empty() || a[0].isNullish() ? NAN : m.toNumber(a[0]);
        if (std::isnan(thickness)) {
            d.lineStyle(std::nullopt);
            return;
        }
        LineStyle s;
        s.width = std::clamp(thickness, 0.0, 255.0) * 20;
        s.color = colorOf(m, arg(a, 1), arg(a, 2));
        s.pixelHinting = m.toBoolean(arg(a, 3));
        String scale = a.size() > 4 ? m.toString(a[4]) : u"normal";
        s.noHScale = scale == u"none" || scale == u"horizontal";
        s.noVScale = scale == u"none" || scale == u"vertical";
        String caps = a.size() > 5 && !a[5].isNullish() ? m.toString(a[5]) : u"round";
        s.startCap = s.endCap = caps == u"none" ? CapStyle::None : caps == u"square" ? CapStyle::Square : CapStyle::Round;
        String joints = a.size() > 6 && !a[6].isNullish() ? m.toString(a[6]) : u"round";
        s.join = joints == u"miter" ? JoinStyle::Miter : joints == u"bevel" ? JoinStyle::Bevel : JoinStyle::Round;
        s.miterLimit = std::clamp(num(m, a, 7, 3), 1.0, 255.0);
        d.lineStyle(s);
    });
    method(u"moveTo", 2, [num, moveTo](Machine& m, GraphicsObject& g, Drawing& d, Args a) { moveTo(g, d, num(m, a, 0), num(m, a, 1)); });
    method(u"lineTo", 2, [num, lineTo](Machine& m, GraphicsObject& g, Drawing& d, Args a) { lineTo(g, d, num(m, a, 0), num(m, a, 1)); });
    method(u"curveTo", 4, [num, curveTo](Machine& m, GraphicsObject& g, Drawing& d, Args a) {
        curveTo(g, d, num(m, a, 0), num(m, a, 1), num(m, a, 2), num(m, a, 3));
    });
    // A cubic from the pen as four quadratics, each matching the cubic's ends and middle tangent
    // of its quarter.
    auto cubicTo = [curveTo](GraphicsObject& g, Drawing& d, Point p1, Point p2, Point p3) {
        Point p0{g.penX, g.penY};
        auto at = [&](double t) {
            double u = 1 - t;
            return Point{u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                         u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y};
        };
        constexpr int kPieces = 4;
        for (int i = 0; i < kPieces; ++i) {
            double t0 = static_cast<double>(i) / kPieces, t1 = static_cast<double>(i + 1) / kPieces;
            Point s = at(t0), e = at(t1), mid = at((t0 + t1) / 2);
            // The control point that puts the quadratic's middle on the cubic's.
            Point c{2 * mid.x - (s.x + e.x) / 2, 2 * mid.y - (s.y + e.y) / 2};
            curveTo(g, d, c.x, c.y, e.x, e.y);
        }
    };
    method(u"cubicCurveTo", 6, [num, cubicTo](Machine& m, GraphicsObject& g, Drawing& d, Args a) {
        cubicTo(g, d, Point{num(m, a, 0), num(m, a, 1)}, Point{num(m, a, 2), num(m, a, 3)}, Point{num(m, a, 4), num(m, a, 5)});
    });
    // drawPath(commands, data, winding): GraphicsPathCommand values, each taking its numbers from
    // data in turn; drawing stops where data runs out. Unknown commands take none.
    m.defineMethod(graphicsClass, u"drawPath", 3, [target, moveTo, lineTo, curveTo, cubicTo](Machine& m, const Value& self, Args a) -> Value {
        String winding = a.size() > 2 ? (a[2].isNullish() ? String() : m.toString(a[2])) : String(u"evenOdd");
        if (winding != u"evenOdd" && winding != u"nonZero")
            m.throwError(u"ArgumentError", 2008, u"Parameter winding must be one of the accepted values.");
        auto items = [&m](const Value& v, ClassObject* element, const char16_t* name) -> std::vector<Value> {
            if (v.isNullish()) m.typeError(2007, u"Parameter " + String(name) + u" must be non-null.");
            return static_cast<VectorObject*>(m.coerce(v, m.vectorClass(element)).object())->items;
        };
        std::vector<Value> commands = items(arg(a, 0), m.intClass, u"commands"), data = items(arg(a, 1), m.numberClass, u"data");
        auto [g, d] = target(m, self);
        if (!d) return Value();
        d->fillWinding(winding == u"nonZero");
        std::vector<double> n;
        n.reserve(data.size());
        for (const Value& v : data) {
            double x = m.toNumber(v);
            n.push_back(std::isfinite(x) ? x : 0);
        }
        size_t at = 0;
        for (const Value& command : commands) {
            int c = m.toInt(command);
            size_t need = c == 1 || c == 2 ? 2 : c == 3 || c == 4 || c == 5 ? 4 : c == 6 ? 6 : 0;
            if (n.size() - at < need) break;
            const double* p = n.data() + at;
            switch (c) {
            case 1: moveTo(*g, *d, p[0], p[1]); break;
            case 2: lineTo(*g, *d, p[0], p[1]); break;
            case 3: curveTo(*g, *d, p[0], p[1], p[2], p[3]); break;
            case 4: moveTo(*g, *d, p[2], p[3]); break;
            case 5: lineTo(*g, *d, p[2], p[3]); break;
            case 6: cubicTo(*g, *d, Point{p[0], p[1]}, Point{p[2], p[3]}, Point{p[4], p[5]}); break;
            default: break;
            }
            at += need;
        }
        return Value();
    });
    // drawGraphicsData(Vector.<IGraphicsData>): each item as the drawing call it stands for.
    m.defineMethod(graphicsClass, u"drawGraphicsData", 1, [](Machine& m, const Value& self, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter graphicsData must be non-null.");
        Object* list = arg(a, 0).object();
        if (!list || list->type != ObjectType::Vector)
            m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(a[0]) + u" to __AS3__.vec.Vector.<flash.display::IGraphicsData>.");
        std::vector<Value> items = static_cast<VectorObject*>(list)->items;
        auto is = [&m](const Value& v, const char16_t* cls) {
            Object* o = v.object();
            ClassObject* c = m.builtin(String(u"flash.display::") + cls);
            return o && o->cls && c && o->cls->isSubclassOf(c);
        };
        auto call = [&m, &self](const char16_t* name, std::vector<Value> args) { m.callProperty(self, Name{name, m.publicSet}, args); };
        auto get = [&m](const Value& v, const char16_t* name) { return m.get(v, name); };
        auto fillArgs = [&](const Value& f) -> std::pair<const char16_t*, std::vector<Value>> {
            if (is(f, u"GraphicsSolidFill")) return {u"beginFill", {get(f, u"color"), get(f, u"alpha")}};
            if (is(f, u"GraphicsGradientFill"))
                return {u"beginGradientFill", {get(f, u"type"), get(f, u"colors"), get(f, u"alphas"), get(f, u"ratios"), get(f, u"matrix"),
                                               get(f, u"spreadMethod"), get(f, u"interpolationMethod"), get(f, u"focalPointRatio")}};
            if (is(f, u"GraphicsBitmapFill"))
                return {u"beginBitmapFill", {get(f, u"bitmapData"), get(f, u"matrix"), get(f, u"repeat"), get(f, u"smooth")}};
            return {nullptr, {}};
        };
        for (const Value& item : items) {
            if (is(item, u"GraphicsPath")) {
                call(u"drawPath", {get(item, u"commands"), get(item, u"data"), get(item, u"winding")});
            } else if (is(item, u"GraphicsEndFill")) {
                call(u"endFill", {});
            } else if (is(item, u"GraphicsStroke")) {
                // A solid fill gives the line its colour; a stroke without one draws black.
                Value fill = get(item, u"fill");
                Value color(0), alpha(1.0);
                if (is(fill, u"GraphicsSolidFill")) color = get(fill, u"color"), alpha = get(fill, u"alpha");
                call(u"lineStyle", {get(item, u"thickness"), color, alpha, get(item, u"pixelHinting"), get(item, u"scaleMode"),
                                    get(item, u"caps"), get(item, u"joints"), get(item, u"miterLimit")});
            } else if (auto [name, args] = fillArgs(item); name) {
                call(name, std::move(args));
            }
        }
        return Value();
    });
    method(u"drawRect", 4, [num, moveTo, lineTo](Machine& m, GraphicsObject& g, Drawing& d, Args a) {
        double x = num(m, a, 0), y = num(m, a, 1), w = num(m, a, 2), h = num(m, a, 3);
        moveTo(g, d, x, y);
        lineTo(g, d, x + w, y);
        lineTo(g, d, x + w, y + h);
        lineTo(g, d, x, y + h);
        lineTo(g, d, x, y);
    });
    method(u"drawRoundRect", 6, [num, moveTo, lineTo, curveTo](Machine& m, GraphicsObject& g, Drawing& d, Args a) {
        double x = num(m, a, 0), y = num(m, a, 1), w = num(m, a, 2), h = num(m, a, 3);
        double rx = std::min(std::abs(w), num(m, a, 4)) / 2;
        double ry = a.size() > 5 && !a[5].isNullish() ? std::min(std::abs(h), num(m, a, 5)) / 2 : std::min(std::abs(h) / 2, rx);
        rx = std::max(rx, 0.0), ry = std::max(ry, 0.0);
        double r = x + w, b = y + h;
        moveTo(g, d, r, b - ry);
        curveTo(g, d, r, b, r - rx, b);
        lineTo(g, d, x + rx, b);
        curveTo(g, d, x, b, x, b - ry);
        lineTo(g, d, x, y + ry);
        curveTo(g, d, x, y, x + rx, y);
        lineTo(g, d, r - rx, y);
        curveTo(g, d, r, y, r, y + ry);
        lineTo(g, d, r, b - ry);
    });
    method(u"drawCircle", 3, [num, ellipse](Machine& m, GraphicsObject& g, Drawing& d, Args a) {
        double r = num(m, a, 2);
        ellipse(g, d, num(m, a, 0), num(m, a, 1), r, r);
    });
    method(u"drawEllipse", 4, [num, ellipse](Machine& m, GraphicsObject& g, Drawing& d, Args a) {
        double w = num(m, a, 2), h = num(m, a, 3);
        ellipse(g, d, num(m, a, 0) + w / 2, num(m, a, 1) + h / 2, w / 2, h / 2);
    });
}

}  // namespace swf
