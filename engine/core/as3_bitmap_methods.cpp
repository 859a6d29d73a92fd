// BitmapData's effect methods for ActionScript 3: drawing display objects and bitmaps into the
// pixels, noise, flood fill, thresholds, channel copies, merges, palette maps, colour bounds, hit
// tests and comparison. The pixel work is shared with the ActionScript 1/2 side.
#include <algorithm>
#include <cmath>

#include "engine/avm1/bitmap_operations.h"
#include "engine/core/as3_display.h"
#include "engine/core/drawing.h"
#include "engine/core/stage_painter.h"
#include "engine/render/software_renderer.h"

namespace swf {

using namespace avm2;
using avm1::PixelArea;

namespace {

int wholePixels(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    return std::isfinite(d) ? static_cast<int>(std::clamp(std::floor(d), -1e9, 1e9)) : 0;
}

// A Rectangle argument as whole pixels, not yet clipped.
PixelArea areaArg(Machine& m, const Value& r, const char16_t* name) {
    if (r.isNullish()) m.typeError(2007, u"Parameter " + String(name) + u" must be non-null.");
    int x = wholePixels(m, m.get(r, u"x")), y = wholePixels(m, m.get(r, u"y"));
    int w = wholePixels(m, m.get(r, u"width")), h = wholePixels(m, m.get(r, u"height"));
    return {x, y, x + std::max(0, w), y + std::max(0, h)};
}

struct PixelPoint {
    int x = 0, y = 0;
};

PixelPoint pointArg(Machine& m, const Value& p, const char16_t* name) {
    if (p.isNullish()) m.typeError(2007, u"Parameter " + String(name) + u" must be non-null.");
    return {wholePixels(m, m.get(p, u"x")), wholePixels(m, m.get(p, u"y"))};
}

// A 256-entry table from an Array argument; none for null.
std::optional<std::array<uint32_t, 256>> tableArg(Machine& m, const Value& v) {
    if (v.isNullish()) return std::nullopt;
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) t[i] = m.toUint(m.get(v, numberToString(double(i))));
    return t;
}

std::optional<BlendMode> blendModeNamed(const String& name) {
    static const char16_t* names[] = {u"normal", u"layer", u"multiply", u"screen", u"lighten", u"darken", u"difference",
                                      u"add", u"subtract", u"invert", u"alpha", u"erase", u"overlay", u"hardlight"};
    for (size_t i = 0; i < std::size(names); ++i)
        if (name == names[i]) return static_cast<BlendMode>(i + 1);
    return std::nullopt;
}

// A flash.geom.ColorTransform argument (by its properties) as the engine's transform.
ColorTransform colorTransformArg(Machine& m, const Value& v) {
    ColorTransform c;
    if (v.isNullish()) return c;
    auto n = [&](const char16_t* k, double otherwise) {
        double x = m.toNumber(m.get(v, k));
        return static_cast<float>(std::isfinite(x) ? x : otherwise);
    };
    c.rMul = n(u"redMultiplier", 1), c.gMul = n(u"greenMultiplier", 1), c.bMul = n(u"blueMultiplier", 1);
    c.aMul = n(u"alphaMultiplier", 1);
    c.rAdd = n(u"redOffset", 0), c.gAdd = n(u"greenOffset", 0), c.bAdd = n(u"blueOffset", 0), c.aAdd = n(u"alphaOffset", 0);
    return c;
}

// A matrix argument (pixels) as target pixels from twips.
Matrix drawMatrixArg(Machine& m, const Value& v) {
    Matrix scale{1 / kTwips, 0, 0, 1 / kTwips, 0, 0};
    if (v.isNullish()) return scale;
    auto n = [&](const char16_t* k) {
        double x = m.toNumber(m.get(v, k));
        return std::isfinite(x) ? x : 0.0;
    };
    return Matrix{n(u"a"), n(u"b"), n(u"c"), n(u"d"), n(u"tx"), n(u"ty")} * scale;
}

}  // namespace

void As3Display::drawInto(BitmapDataObject& target, const Value& source, const Matrix& toPixels, const ColorTransform& cx,
                          std::optional<BlendMode> mode, std::optional<render::IntRect> clip, bool smoothing) {
    avm1::BitmapPixels& p = target.pixels;
    if (p.width <= 0 || p.height <= 0) return;
    // The pixels go to the renderer's byte order and back: premultiplied either way.
    RgbaImage canvas(p.width, p.height);
    SoftwareRenderer renderer(canvas);
    renderer.setTransparentTarget(p.transparent);
    renderer.limitTo(clip ? *clip : render::IntRect{0, 0, p.width, p.height});
    renderer.beginFrame(Rgba{0, 0, 0, 255});
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint32_t w = p.premultiplied[size_t(y) * size_t(p.width) + size_t(x)];
            uint8_t* out = canvas.at(x, y);
            out[0] = uint8_t(w >> 16), out[1] = uint8_t(w >> 8), out[2] = uint8_t(w), out[3] = uint8_t(w >> 24);
        }
    bool layered = mode && *mode != BlendMode::Normal;
    if (layered) renderer.pushLayer(*mode, {});
    if (auto* bitmap = dynamic_cast<BitmapDataObject*>(source.object())) {
        avm1::BitmapPixels& s = bitmap->live(m_);
        if (s.width > 0 && s.height > 0) {
            Drawing d;
            FillStyle fill;
            fill.kind = FillStyle::Kind::Bitmap;
            fill.bitmap = bitmap->image();
            fill.bitmapMatrix = Matrix{kTwips, 0, 0, kTwips, 0, 0};
            fill.bitmapRepeating = false;
            fill.bitmapSmoothed = smoothing;
            d.lineStyle(std::nullopt);
            d.beginFill(fill);
            d.moveTo(0, 0);
            d.lineTo(s.width, 0);
            d.lineTo(s.width, s.height);
            d.lineTo(0, s.height);
            d.lineTo(0, 0);
            d.endFill();
            renderer.drawShape(d.paths(), toPixels, cx);
        }
    } else {
        As3DisplayObject* o = asDisplayObject(m_, source);
        if (o->node) {
            StagePainter painter(library_, renderer);
            painter.paintAlone(*o->node, toPixels, cx);
        }
    }
    if (layered) renderer.popLayer();
    renderer.endFrame();
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* in = canvas.at(x, y);
            uint32_t w = uint32_t(in[3]) << 24 | uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2];
            if (!p.transparent) w = avm1::premultiply(avm1::unpremultiply(w) | 0xFF000000u);
            p.premultiplied[size_t(y) * size_t(p.width) + size_t(x)] = w;
        }
    ++target.version;
}

void As3Display::installBitmapMethods() {
    Machine& m = m_;
    ClassObject* bd = bitmapDataClass;
    auto method = [&m, bd](const char16_t* name, int length, std::function<Value(Machine&, BitmapDataObject&, Args)> f) {
        m.defineMethod(bd, name, length, [f](Machine& m, const Value& self, Args a) -> Value {
            BitmapDataObject* b = asBitmapData(m, self);
            b->live(m);
            return f(m, *b, a);
        });
    };
    auto rectangle = [this](Machine& m, const PixelArea& r) {
        Value v[4] = {Value(r.x0), Value(r.y0), Value(r.x1 - r.x0), Value(r.y1 - r.y0)};
        return m.construct(Value(rectangleClass), v);
    };
    // A source BitmapData argument, live.
    auto sourceArg = [](Machine& m, const Value& v) -> avm1::BitmapPixels& {
        if (v.isNullish()) m.typeError(2007, u"Parameter sourceBitmapData must be non-null.");
        return asBitmapData(m, v)->live(m);
    };

    // draw(source, matrix, colorTransform, blendMode, clipRect, smoothing)
    auto draw = [this](Machine& m, BitmapDataObject& b, Args a) {
        Value source = arg(a, 0);
        if (source.isNullish()) m.typeError(2007, u"Parameter source must be non-null.");
        std::optional<render::IntRect> clip;
        if (!arg(a, 4).isNullish()) {
            auto n = [&](const char16_t* k) { return m.toNumber(m.get(arg(a, 4), k)); };
            double x = n(u"x"), y = n(u"y"), w = n(u"width"), h = n(u"height");
            if (!std::isfinite(x + y + w + h)) return Value();
            PixelArea r = PixelArea{int(std::floor(x)), int(std::floor(y)), int(std::ceil(x + w)), int(std::ceil(y + h))}
                              .within(b.pixels.width, b.pixels.height);
            if (r.empty()) return Value();
            clip = render::IntRect{r.x0, r.y0, r.x1, r.y1};
        }
        std::optional<BlendMode> mode;
        if (!arg(a, 3).isNullish()) mode = blendModeNamed(m.toString(arg(a, 3)));
        drawInto(b, source, drawMatrixArg(m, arg(a, 1)), colorTransformArg(m, arg(a, 2)), mode, clip,
                 m.toBoolean(arg(a, 5)));
        return Value();
    };
    method(u"draw", 6, draw);
    method(u"drawWithQuality", 7, draw);

    method(u"noise", 5, [](Machine& m, BitmapDataObject& b, Args a) {
        uint32_t low = a.size() > 1 ? m.toUint(a[1]) : 0, high = a.size() > 2 ? m.toUint(a[2]) : 255;
        uint32_t channels = a.size() > 3 ? m.toUint(a[3]) : 7;
        avm1::fillNoise(b.pixels, m.toInt(arg(a, 0)), low, high, channels, m.toBoolean(arg(a, 4)));
        ++b.version;
        return Value();
    });
    method(u"floodFill", 3, [](Machine& m, BitmapDataObject& b, Args a) {
        avm1::floodFill(b.pixels, wholePixels(m, arg(a, 0)), wholePixels(m, arg(a, 1)), m.toUint(arg(a, 2)));
        ++b.version;
        return Value();
    });
    method(u"getColorBoundsRect", 3, [rectangle](Machine& m, BitmapDataObject& b, Args a) {
        bool find = a.size() < 3 || m.toBoolean(a[2]);
        return rectangle(m, avm1::colorBounds(b.pixels, m.toUint(arg(a, 0)), m.toUint(arg(a, 1)), find));
    });
    // threshold(source, sourceRect, destPoint, operation, threshold, color, mask, copySource)
    method(u"threshold", 8, [sourceArg](Machine& m, BitmapDataObject& b, Args a) {
        avm1::BitmapPixels& src = sourceArg(m, arg(a, 0));
        PixelArea from = areaArg(m, arg(a, 1), u"sourceRect");
        PixelPoint to = pointArg(m, arg(a, 2), u"destPoint");
        auto test = avm1::thresholdTest(m.toString(arg(a, 3)));
        if (!test) m.throwError(u"ArgumentError", 2005, u"Parameter 3 is of the incorrect type. Should be type Operation.");
        uint32_t color = a.size() > 5 ? m.toUint(a[5]) : 0, mask = a.size() > 6 ? m.toUint(a[6]) : 0xFFFFFFFFu;
        uint32_t n = avm1::thresholdPixels(src, from, b.pixels, to.x, to.y, *test, m.toUint(arg(a, 4)), color, mask,
                                           m.toBoolean(arg(a, 7)));
        ++b.version;
        return Value(n);
    });
    // copyChannel(source, sourceRect, destPoint, sourceChannel, destChannel)
    method(u"copyChannel", 5, [sourceArg](Machine& m, BitmapDataObject& b, Args a) {
        avm1::BitmapPixels& src = sourceArg(m, arg(a, 0));
        PixelArea from = areaArg(m, arg(a, 1), u"sourceRect");
        PixelPoint to = pointArg(m, arg(a, 2), u"destPoint");
        auto from_ = avm1::channelShift(m.toUint(arg(a, 3))), to_ = avm1::channelShift(m.toUint(arg(a, 4)));
        if (!from_ || !to_) return Value();
        avm1::copyChannel(src, from, b.pixels, to.x, to.y, *from_, *to_);
        ++b.version;
        return Value();
    });
    // merge(source, sourceRect, destPoint, redMultiplier, greenMultiplier, blueMultiplier, alphaMultiplier)
    method(u"merge", 7, [sourceArg](Machine& m, BitmapDataObject& b, Args a) {
        avm1::BitmapPixels& src = sourceArg(m, arg(a, 0));
        PixelArea from = areaArg(m, arg(a, 1), u"sourceRect");
        PixelPoint to = pointArg(m, arg(a, 2), u"destPoint");
        std::array<uint32_t, 4> mul{m.toUint(arg(a, 3)), m.toUint(arg(a, 4)), m.toUint(arg(a, 5)), m.toUint(arg(a, 6))};
        avm1::mergePixels(src, from, b.pixels, to.x, to.y, mul);
        ++b.version;
        return Value();
    });
    // paletteMap(source, sourceRect, destPoint, redArray, greenArray, blueArray, alphaArray)
    method(u"paletteMap", 7, [sourceArg](Machine& m, BitmapDataObject& b, Args a) {
        avm1::BitmapPixels& src = sourceArg(m, arg(a, 0));
        PixelArea from = areaArg(m, arg(a, 1), u"sourceRect");
        PixelPoint to = pointArg(m, arg(a, 2), u"destPoint");
        std::array<std::optional<std::array<uint32_t, 256>>, 4> tables{tableArg(m, arg(a, 3)), tableArg(m, arg(a, 4)),
                                                                       tableArg(m, arg(a, 5)), tableArg(m, arg(a, 6))};
        avm1::paletteMap(src, from, b.pixels, to.x, to.y, tables);
        ++b.version;
        return Value();
    });
    // hitTest(firstPoint, firstAlphaThreshold, secondObject, secondBitmapDataPoint, secondAlphaThreshold)
    method(u"hitTest", 5, [this](Machine& m, BitmapDataObject& b, Args a) {
        PixelPoint first = pointArg(m, arg(a, 0), u"firstPoint");
        uint32_t firstAlpha = m.toUint(arg(a, 1));
        Value other = arg(a, 2);
        if (other.isNullish()) m.typeError(2007, u"Parameter secondObject must be non-null.");
        Object* o = other.object();
        BitmapDataObject* otherBits = dynamic_cast<BitmapDataObject*>(o);
        if (!otherBits && o && o->cls && o->cls->isSubclassOf(bitmapClass))
            otherBits = dynamic_cast<BitmapDataObject*>(static_cast<As3DisplayObject*>(o)->stored[u"bitmapData"].object());
        if (otherBits) {
            avm1::BitmapPixels& s = otherBits->live(m);
            PixelPoint second = pointArg(m, arg(a, 3), u"secondBitmapDataPoint");
            uint32_t secondAlpha = a.size() > 4 ? m.toUint(a[4]) : 1;
            int offX = second.x - first.x, offY = second.y - first.y;
            for (int y = 0; y < s.height; ++y)
                for (int x = 0; x < s.width; ++x)
                    if (avm1::opaqueAt(s, x, y, secondAlpha) && avm1::opaqueAt(b.pixels, x + offX, y + offY, firstAlpha))
                        return Value(true);
            return Value(false);
        }
        if (o && o->cls && o->cls->isSubclassOf(rectangleClass)) {
            PixelArea r = areaArg(m, other, u"secondObject");
            r = PixelArea{r.x0 - first.x, r.y0 - first.y, r.x1 - first.x, r.y1 - first.y}.within(b.pixels.width, b.pixels.height);
            for (int y = r.y0; y < r.y1; ++y)
                for (int x = r.x0; x < r.x1; ++x)
                    if (avm1::opaqueAt(b.pixels, x, y, firstAlpha)) return Value(true);
            return Value(false);
        }
        if (o && o->cls && o->cls->isSubclassOf(pointClass)) {
            PixelPoint p = pointArg(m, other, u"secondObject");
            return Value(avm1::opaqueAt(b.pixels, p.x - first.x, p.y - first.y, firstAlpha));
        }
        m.throwError(u"TypeError", 2005, u"Parameter 0 is of the incorrect type. Should be type BitmapData, Point, Rectangle.");
        return Value();
    });
    method(u"compare", 1, [this](Machine& m, BitmapDataObject& b, Args a) {
        Value other = arg(a, 0);
        if (other.isNullish()) m.typeError(2007, u"Parameter otherBitmapData must be non-null.");
        BitmapDataObject* o = asBitmapData(m, other);
        avm1::Comparison c = avm1::comparePixels(b.pixels, o->live(m));
        if (c.code != 1) return Value(c.code);
        auto* out = static_cast<BitmapDataObject*>(m.instantiate(bitmapDataClass));
        out->pixels.width = b.pixels.width;
        out->pixels.height = b.pixels.height;
        out->pixels.transparent = true;
        out->pixels.premultiplied.resize(c.difference.size());
        for (size_t i = 0; i < c.difference.size(); ++i) out->pixels.premultiplied[i] = avm1::premultiply(c.difference[i]);
        return Value(out);
    });
}

}  // namespace swf
