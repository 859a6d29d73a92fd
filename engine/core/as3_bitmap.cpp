// flash.display.BitmapData and Bitmap. The pixels are kept as the ActionScript 1/2 side keeps them
// (premultiplied ARGB words, with its rounding); a Bitmap shows them as a rectangle filled with a
// picture of them, made again when they have changed since it was last made.
#include <algorithm>
#include <cmath>

#include "engine/avm1/bitmap_data.h"
#include "engine/core/as3_display.h"
#include "engine/core/drawing.h"

namespace swf {

using namespace avm2;

namespace {

// The player's limits on a BitmapData's size.
constexpr int kMaxSide = 8191;
constexpr int64_t kMaxPixels = 16'777'215;

int wholePixels(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    return std::isfinite(d) ? static_cast<int>(std::clamp(std::floor(d), -1e9, 1e9)) : 0;
}

struct Area {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

// A Rectangle argument as whole pixels, clipped to the bitmap.
Area areaOf(Machine& m, const Value& r, const avm1::BitmapPixels& p) {
    if (r.isNullish()) m.typeError(2007, u"Parameter rect must be non-null.");
    int x = wholePixels(m, m.get(r, u"x")), y = wholePixels(m, m.get(r, u"y"));
    int w = wholePixels(m, m.get(r, u"width")), h = wholePixels(m, m.get(r, u"height"));
    Area a{std::max(0, x), std::max(0, y), std::min(p.width, x + std::max(0, w)), std::min(p.height, y + std::max(0, h))};
    return a;
}

}  // namespace

BitmapDataObject* asBitmapData(Machine& m, const Value& v) {
    return nativeAs<BitmapDataObject>(m, v, u"flash.display.BitmapData");
}

avm1::BitmapPixels& BitmapDataObject::live(Machine& m) {
    if (pixels.disposed) m.throwError(u"ArgumentError", 2015, u"Invalid BitmapData.");
    return pixels;
}

BitmapRef BitmapDataObject::image() {
    if (picture && pictureVersion == version) return picture;
    auto img = std::make_shared<RgbaImage>(pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            uint32_t p = pixels.premultiplied[static_cast<size_t>(y) * static_cast<size_t>(pixels.width) + static_cast<size_t>(x)];
            uint8_t* out = img->at(x, y);
            out[0] = static_cast<uint8_t>(p >> 16), out[1] = static_cast<uint8_t>(p >> 8), out[2] = static_cast<uint8_t>(p),
            out[3] = static_cast<uint8_t>(p >> 24);
        }
    picture = std::move(img);
    pictureVersion = version;
    return picture;
}

void BitmapDataObject::fillFrom(const RgbaImage& img) {
    for (int y = 0; y < std::min(img.height, pixels.height); ++y)
        for (int x = 0; x < std::min(img.width, pixels.width); ++x) {
            const uint8_t* p = img.at(x, y);
            pixels.premultiplied[static_cast<size_t>(y) * static_cast<size_t>(pixels.width) + static_cast<size_t>(x)] =
                uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    ++version;
}

void As3Display::showBitmap(As3DisplayObject* o) {
    if (!o->node || !o->node->clip) return;
    Clip& clip = *o->node->clip;
    if (!clip.drawing) clip.drawing = std::make_shared<Drawing>();
    Drawing& d = *clip.drawing;
    d.clear();
    auto* data = dynamic_cast<BitmapDataObject*>(o->stored[u"bitmapData"].object());
    o->shownVersion = data ? data->version : 0;
    if (!data || data->pixels.disposed || data->pixels.width <= 0) return;
    FillStyle fill;
    fill.kind = FillStyle::Kind::Bitmap;
    fill.bitmap = data->image();
    fill.bitmapMatrix = Matrix{kTwips, 0, 0, kTwips, 0, 0};
    fill.bitmapRepeating = false;
    fill.bitmapSmoothed = m_.toBoolean(o->stored[u"smoothing"]);
    d.lineStyle(std::nullopt);
    d.beginFill(fill);
    d.moveTo(0, 0);
    d.lineTo(data->pixels.width, 0);
    d.lineTo(data->pixels.width, data->pixels.height);
    d.lineTo(0, data->pixels.height);
    d.lineTo(0, 0);
    d.endFill();
}

void As3Display::refreshBitmaps() {
    for (As3DisplayObject* o : bitmaps_) {
        auto* data = dynamic_cast<BitmapDataObject*>(o->stored[u"bitmapData"].object());
        if (data && data->version != o->shownVersion) showBitmap(o);
    }
}

BitmapDataObject* As3Display::bitmapDataFromSymbol(ClassObject* cls, BitmapDataObject* into) {
    uint16_t id = symbolOf(cls);
    BitmapRef img = id ? library_.bitmap(id) : nullptr;
    if (!img) return nullptr;
    if (!into) into = static_cast<BitmapDataObject*>(m_.instantiate(bitmapDataClass));
    into->pixels.width = img->width;
    into->pixels.height = img->height;
    into->pixels.premultiplied.assign(static_cast<size_t>(img->width) * static_cast<size_t>(img->height), 0);
    into->fillFrom(*img);
    return into;
}

void As3Display::installBitmap() {
    Machine& m = m_;
    bitmapDataClass = m.defineClass(u"flash.display", u"BitmapData", m.objectClass, [this](Machine& m, const Value& self, Args a) -> Value {
        BitmapDataObject* b = asBitmapData(m, self);
        // A class linked to an image of the library starts with its pixels, whatever size is asked.
        if (bitmapDataFromSymbol(b->cls, b)) return Value();
        int w = wholePixels(m, arg(a, 0)), h = wholePixels(m, arg(a, 1));
        if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || int64_t(w) * h > kMaxPixels)
            m.throwError(u"ArgumentError", 2015, u"Invalid BitmapData.");
        b->pixels.width = w;
        b->pixels.height = h;
        b->pixels.transparent = a.size() < 3 || m.toBoolean(a[2]);
        uint32_t fill = a.size() < 4 ? 0xFFFFFFFFu : m.toUint(a[3]);
        if (!b->pixels.transparent) fill |= 0xFF000000u;
        b->pixels.premultiplied.assign(static_cast<size_t>(w) * static_cast<size_t>(h), avm1::premultiply(fill));
        ++b->version;
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<BitmapDataObject>(); });
    bitmapDataClass->isSealedInstances = true;
    ClassObject* bd = bitmapDataClass;
    auto getter = [&m, bd](const char16_t* name, std::function<Value(Machine&, BitmapDataObject&)> f) {
        m.defineGetter(bd, name, [f](Machine& m, const Value& self, Args) -> Value {
            BitmapDataObject* b = asBitmapData(m, self);
            b->live(m);
            return f(m, *b);
        });
    };
    getter(u"width", [](Machine&, BitmapDataObject& b) { return Value(b.pixels.width); });
    getter(u"height", [](Machine&, BitmapDataObject& b) { return Value(b.pixels.height); });
    getter(u"transparent", [](Machine&, BitmapDataObject& b) { return Value(b.pixels.transparent); });
    getter(u"rect", [this](Machine& m, BitmapDataObject& b) {
        Value r[4] = {Value(0), Value(0), Value(b.pixels.width), Value(b.pixels.height)};
        return m.construct(Value(rectangleClass), r);
    });
    auto method = [&m, bd](const char16_t* name, int length, std::function<Value(Machine&, BitmapDataObject&, Args)> f) {
        m.defineMethod(bd, name, length, [f](Machine& m, const Value& self, Args a) -> Value {
            BitmapDataObject* b = asBitmapData(m, self);
            b->live(m);
            return f(m, *b, a);
        });
    };
    method(u"getPixel", 2, [](Machine& m, BitmapDataObject& b, Args a) {
        return Value(b.pixels.get(wholePixels(m, arg(a, 0)), wholePixels(m, arg(a, 1))) & 0xFFFFFFu);
    });
    method(u"getPixel32", 2, [](Machine& m, BitmapDataObject& b, Args a) {
        return Value(b.pixels.get(wholePixels(m, arg(a, 0)), wholePixels(m, arg(a, 1))));
    });
    method(u"setPixel", 3, [](Machine& m, BitmapDataObject& b, Args a) {
        int x = wholePixels(m, arg(a, 0)), y = wholePixels(m, arg(a, 1));
        if (!b.pixels.inside(x, y)) return Value();
        uint32_t alpha = b.pixels.get(x, y) & 0xFF000000u;
        b.pixels.set(x, y, alpha | (m.toUint(arg(a, 2)) & 0xFFFFFFu));
        ++b.version;
        return Value();
    });
    method(u"setPixel32", 3, [](Machine& m, BitmapDataObject& b, Args a) {
        b.pixels.set(wholePixels(m, arg(a, 0)), wholePixels(m, arg(a, 1)), m.toUint(arg(a, 2)));
        ++b.version;
        return Value();
    });
    method(u"fillRect", 2, [](Machine& m, BitmapDataObject& b, Args a) {
        Area r = areaOf(m, arg(a, 0), b.pixels);
        uint32_t color = m.toUint(arg(a, 1));
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x) b.pixels.set(x, y, color);
        ++b.version;
        return Value();
    });
    method(u"clone", 0, [](Machine& m, BitmapDataObject& b, Args) {
        auto* copy = static_cast<BitmapDataObject*>(m.instantiate(b.cls));
        copy->pixels.width = b.pixels.width;
        copy->pixels.height = b.pixels.height;
        copy->pixels.transparent = b.pixels.transparent;
        copy->pixels.premultiplied = b.pixels.premultiplied;
        return Value(copy);
    });
    method(u"dispose", 0, [](Machine&, BitmapDataObject& b, Args) {
        b.pixels.disposed = true;
        b.pixels.premultiplied.clear();
        b.pixels.width = b.pixels.height = 0;
        ++b.version;
        return Value();
    });
    for (const char16_t* name : {u"lock", u"unlock"}) method(name, 0, [](Machine&, BitmapDataObject&, Args) { return Value(); });
    // copyPixels(source, sourceRect, destPoint[, alphaBitmapData, alphaPoint, mergeAlpha])
    method(u"copyPixels", 6, [](Machine& m, BitmapDataObject& b, Args a) {
        BitmapDataObject* src = asBitmapData(m, arg(a, 0));
        avm1::BitmapPixels& s = src->live(m);
        Area r = areaOf(m, arg(a, 1), s);
        if (arg(a, 2).isNullish()) m.typeError(2007, u"Parameter destPoint must be non-null.");
        int dx = wholePixels(m, m.get(arg(a, 2), u"x")), dy = wholePixels(m, m.get(arg(a, 2), u"y"));
        bool merge = a.size() > 5 && m.toBoolean(a[5]);
        std::vector<uint32_t> from = s.premultiplied;  // the source may be the destination
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x) {
                int tx = dx + x - r.x0, ty = dy + y - r.y0;
                if (!b.pixels.inside(tx, ty)) continue;
                uint32_t p = from[size_t(y) * size_t(s.width) + size_t(x)];
                size_t at = size_t(ty) * size_t(b.pixels.width) + size_t(tx);
                if (merge && b.pixels.transparent) {
                    // Source over destination, premultiplied.
                    uint32_t d = b.pixels.premultiplied[at], inv = 255 - (p >> 24);
                    uint32_t out = 0;
                    for (int shift = 0; shift < 32; shift += 8) {
                        uint32_t c = (p >> shift & 255) + ((d >> shift & 255) * inv + 127) / 255;
                        out |= std::min<uint32_t>(c, 255) << shift;
                    }
                    p = out;
                } else if (!b.pixels.transparent) {
                    p = avm1::premultiply(avm1::unpremultiply(p) | 0xFF000000u);
                }
                b.pixels.premultiplied[at] = p;
            }
        ++b.version;
        return Value();
    });
    method(u"getVector", 1, [](Machine& m, BitmapDataObject& b, Args a) {
        Area r = areaOf(m, arg(a, 0), b.pixels);
        auto* v = static_cast<VectorObject*>(m.instantiate(m.vectorClass(m.uintClass)));
        v->elementType = m.uintClass;
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x) v->items.push_back(Value(b.pixels.get(x, y)));
        return Value(v);
    });
    method(u"setVector", 2, [](Machine& m, BitmapDataObject& b, Args a) {
        Area r = areaOf(m, arg(a, 0), b.pixels);
        Object* o = arg(a, 1).object();
        if (!o || o->type != ObjectType::Vector) m.typeError(2007, u"Parameter inputVector must be non-null.");
        auto& items = static_cast<VectorObject*>(o)->items;
        size_t i = 0;
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x) {
                if (i >= items.size()) m.rangeError(1125, u"The index " + numberToString(double(i)) + u" is out of range " + numberToString(double(items.size())) + u".");
                b.pixels.set(x, y, m.toUint(items[i++]));
            }
        ++b.version;
        return Value();
    });
    // colorTransform(rect, ColorTransform): each channel times its multiplier plus its offset.
    method(u"colorTransform", 2, [](Machine& m, BitmapDataObject& b, Args a) {
        Area r = areaOf(m, arg(a, 0), b.pixels);
        Value ct = arg(a, 1);
        if (ct.isNullish()) m.typeError(2007, u"Parameter colorTransform must be non-null.");
        const char16_t* names[4][2] = {{u"alphaMultiplier", u"alphaOffset"}, {u"redMultiplier", u"redOffset"},
                                       {u"greenMultiplier", u"greenOffset"}, {u"blueMultiplier", u"blueOffset"}};
        double mul[4], add[4];
        for (int i = 0; i < 4; ++i) {
            mul[i] = m.toNumber(m.get(ct, names[i][0]));
            add[i] = m.toNumber(m.get(ct, names[i][1]));
        }
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x) {
                uint32_t c = b.pixels.get(x, y), out = 0;
                for (int i = 0; i < 4; ++i) {
                    int shift = 24 - 8 * i;
                    double v = (c >> shift & 255) * mul[i] + add[i];
                    uint32_t ch = std::isfinite(v) ? static_cast<uint32_t>(std::clamp(std::floor(v), 0.0, 255.0)) : 0;
                    out |= ch << shift;
                }
                b.pixels.set(x, y, out);
            }
        ++b.version;
        return Value();
    });
    method(u"scroll", 2, [](Machine& m, BitmapDataObject& b, Args a) {
        int dx = wholePixels(m, arg(a, 0)), dy = wholePixels(m, arg(a, 1));
        std::vector<uint32_t> from = b.pixels.premultiplied;
        for (int y = 0; y < b.pixels.height; ++y)
            for (int x = 0; x < b.pixels.width; ++x) {
                int sx = x - dx, sy = y - dy;
                if (b.pixels.inside(sx, sy))
                    b.pixels.premultiplied[size_t(y) * size_t(b.pixels.width) + size_t(x)] = from[size_t(sy) * size_t(b.pixels.width) + size_t(sx)];
            }
        ++b.version;
        return Value();
    });

    // Bitmap: a display object showing a BitmapData.
    bitmapClass = m.defineClass(u"flash.display", u"Bitmap", displayObjectClass, [this](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        if (!o->node) {
            o->detached = newNode(DisplayObject::Kind::Sprite);
            adopt(o, o->detached.get());
            o->node->name = "instance" + std::to_string(++scriptInstances_);
        }
        bitmaps_.push_back(o);
        Value data = arg(a, 0);
        // A Bitmap class linked to an image of the library shows that image.
        if (data.isNullish())
            if (BitmapDataObject* linked = bitmapDataFromSymbol(o->cls, nullptr)) data = Value(linked);
        if (!data.isNullish()) asBitmapData(m, data);
        o->stored[u"bitmapData"] = data.isUndefined() ? Value::null() : data;
        o->stored[u"pixelSnapping"] = a.size() > 1 ? Value(m.toString(a[1])) : Value(u"auto");
        o->stored[u"smoothing"] = Value(a.size() > 2 && m.toBoolean(a[2]));
        showBitmap(o);
        return Value();
    });
    ClassObject* bm = bitmapClass;
    m.defineGetter(bm, u"bitmapData", [](Machine& m, const Value& self, Args) -> Value {
        return asDisplayObject(m, self)->stored[u"bitmapData"];
    }, [this](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        Value data = arg(a, 0);
        if (!data.isNullish()) asBitmapData(m, data);
        o->stored[u"bitmapData"] = data.isUndefined() ? Value::null() : data;
        showBitmap(o);
        return Value();
    });
    m.defineGetter(bm, u"smoothing", [](Machine& m, const Value& self, Args) -> Value {
        return asDisplayObject(m, self)->stored[u"smoothing"];
    }, [this](Machine& m, const Value& self, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        o->stored[u"smoothing"] = Value(m.toBoolean(arg(a, 0)));
        showBitmap(o);
        return Value();
    });
    m.defineGetter(bm, u"pixelSnapping", [](Machine& m, const Value& self, Args) -> Value {
        return asDisplayObject(m, self)->stored[u"pixelSnapping"];
    }, [](Machine& m, const Value& self, Args a) -> Value {
        String v = m.toString(arg(a, 0));
        if (v != u"never" && v != u"always" && v != u"auto")
            m.throwError(u"ArgumentError", 2008, u"Parameter pixelSnapping must be one of the accepted values.");
        asDisplayObject(m, self)->stored[u"pixelSnapping"] = Value(v);
        return Value();
    });
}

}  // namespace swf
