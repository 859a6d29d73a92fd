// flash.display.BitmapData: a script-made picture of premultiplied pixels with the drawing and
// testing methods movies use for effects. Sizes past the player's limit make no object.
#include <algorithm>
#include <cmath>

#include "engine/avm1/bitmap_data.h"
#include "engine/avm1/bitmap_operations.h"
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

uint32_t premultiply(uint32_t argb) {
    uint32_t a = argb >> 24;
    if (a == 255) return argb;
    auto ch = [a](uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | ch(argb >> 16 & 255) << 16 | ch(argb >> 8 & 255) << 8 | ch(argb & 255);
}

uint32_t unpremultiply(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 255) return p;
    if (a == 0) return 0;
    auto ch = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return a << 24 | ch(p >> 16 & 255) << 16 | ch(p >> 8 & 255) << 8 | ch(p & 255);
}

uint32_t BitmapPixels::get(int x, int y) const {
    if (!inside(x, y) || premultiplied.empty()) return 0;
    return unpremultiply(premultiplied[size_t(y) * size_t(width) + size_t(x)]);
}

void BitmapPixels::set(int x, int y, uint32_t argb) {
    if (!inside(x, y) || premultiplied.empty()) return;
    if (!transparent) argb |= 0xFF000000u;
    premultiplied[size_t(y) * size_t(width) + size_t(x)] = premultiply(argb);
}

// The display's view of a bitmap's pixels: converted to the renderer's byte order when they have
// changed since the last paint.
class ShownPixels final : public swf::PixelSource {
public:
    explicit ShownPixels(BitmapPixels& pixels) : pixels_(&pixels) {}
    // The script object goes: what is on show stays as it was last.
    void detach() {
        image();
        pixels_ = nullptr;
    }

    std::shared_ptr<const swf::RgbaImage> image() override {
        if (!pixels_) return image_;
        if (pixels_->disposed || pixels_->premultiplied.empty()) return nullptr;
        if (image_ && from_ == pixels_->premultiplied && image_->width == pixels_->width) return image_;
        from_ = pixels_->premultiplied;
        auto image = std::make_shared<swf::RgbaImage>(pixels_->width, pixels_->height);
        uint8_t* out = image->pixels.data();
        for (uint32_t p : from_) {
            out[0] = uint8_t(p >> 16), out[1] = uint8_t(p >> 8), out[2] = uint8_t(p), out[3] = uint8_t(p >> 24);
            out += 4;
        }
        image_ = std::move(image);
        return image_;
    }

private:
    BitmapPixels* pixels_;
    std::vector<uint32_t> from_;  // the words image_ was made from
    std::shared_ptr<const swf::RgbaImage> image_;
};

BitmapPixels::~BitmapPixels() {
    if (shown_) shown_->detach();
}

std::shared_ptr<swf::PixelSource> BitmapPixels::shown() {
    if (!shown_) shown_ = std::make_shared<ShownPixels>(*this);
    return shown_;
}

BitmapPixels* bitmapPixels(const Value& v) {
    Object* o = v.object();
    auto* p = o ? dynamic_cast<BitmapPixels*>(o->state.get()) : nullptr;
    return p && !p->disposed ? p : nullptr;
}

namespace {

// A colour argument: the number's low 32 bits.
uint32_t colorArg(Machine& m, const std::vector<Value>& a, size_t i, uint32_t fallback) {
    return i < a.size() ? uint32_t(toInt32(m.toNumber(a[i]))) : fallback;
}

int intOf(double v) { return std::isfinite(v) ? toClampedInt(std::floor(v)) : 0; }

// A Rectangle-like argument as whole pixels, clipped to the bitmap.
struct Area {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

Area areaOf(Machine& m, const Value& r, const BitmapPixels& b) {
    double x = numberMember(m, r, "x"), y = numberMember(m, r, "y");
    double w = numberMember(m, r, "width"), h = numberMember(m, r, "height");
    if (!std::isfinite(x) || !std::isfinite(y) || !(w > 0) || !(h > 0)) return {};
    Area a{intOf(x), intOf(y), intOf(x + w), intOf(y + h)};
    a.x0 = std::clamp(a.x0, 0, b.width), a.x1 = std::clamp(a.x1, 0, b.width);
    a.y0 = std::clamp(a.y0, 0, b.height), a.y1 = std::clamp(a.y1, 0, b.height);
    return a;
}

int limitFor(int swfVersion) { return swfVersion >= 10 ? 8191 : 2880; }

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    int w = intOf(m.toNumber(arg(a, 0))), h = intOf(m.toNumber(arg(a, 1)));
    int limit = limitFor(m.swfVersion());
    bool fits = w > 0 && h > 0 && w <= limit && h <= limit &&
                (m.swfVersion() < 10 || int64_t(w) * h <= 0xFFFFFF);
    if (!fits) return Value::null();
    auto pixels = std::make_unique<BitmapPixels>();
    pixels->width = w;
    pixels->height = h;
    pixels->transparent = a.size() > 2 ? m.toBoolean(a[2]) : true;
    uint32_t fill = colorArg(m, a, 3, 0xFFFFFFFFu);
    if (!pixels->transparent) fill |= 0xFF000000u;
    pixels->premultiplied.assign(size_t(w) * size_t(h), premultiply(fill));
    self->state = std::move(pixels);
    return Value(self);
}

BitmapPixels* pixelsOf(Object* self) { return self ? bitmapPixels(Value(self)) : nullptr; }

// After dispose() the size and flags read -1.
Value getWidth(Machine&, Object* self, std::vector<Value>&) {
    BitmapPixels* b = pixelsOf(self);
    return Value(b ? double(b->width) : -1.0);
}
Value getHeight(Machine&, Object* self, std::vector<Value>&) {
    BitmapPixels* b = pixelsOf(self);
    return Value(b ? double(b->height) : -1.0);
}
Value getTransparent(Machine&, Object* self, std::vector<Value>&) {
    BitmapPixels* b = pixelsOf(self);
    return b ? Value(b->transparent) : Value(-1.0);
}
Value getRectangle(Machine& m, Object* self, std::vector<Value>&) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value(-1.0);
    return constructFlashClass(m, "geom", "Rectangle", {Value(0.0), Value(0.0), Value(double(b->width)),
                                                        Value(double(b->height))});
}

Value getPixel(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value(0.0);
    return Value(double(b->get(intOf(m.toNumber(arg(a, 0))), intOf(m.toNumber(arg(a, 1)))) & 0xFFFFFF));
}

Value getPixel32(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value(0.0);
    return Value(double(int32_t(b->get(intOf(m.toNumber(arg(a, 0))), intOf(m.toNumber(arg(a, 1)))))));
}

Value setPixel(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value();
    int x = intOf(m.toNumber(arg(a, 0))), y = intOf(m.toNumber(arg(a, 1)));
    b->set(x, y, (b->get(x, y) & 0xFF000000u) | (colorArg(m, a, 2, 0) & 0xFFFFFF));
    return Value();
}

Value setPixel32(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (b) b->set(intOf(m.toNumber(arg(a, 0))), intOf(m.toNumber(arg(a, 1))), colorArg(m, a, 2, 0));
    return Value();
}

Value fillRect(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value();
    Area r = areaOf(m, arg(a, 0), *b);
    uint32_t c = colorArg(m, a, 1, 0);
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) b->set(x, y, c);
    return Value();
}

Value clone(Machine& m, Object* self, std::vector<Value>&) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value();
    Value copy = constructFlashClass(m, "display", "BitmapData",
                                     {Value(double(b->width)), Value(double(b->height)), Value(b->transparent)});
    if (BitmapPixels* c = bitmapPixels(copy)) c->premultiplied = b->premultiplied;
    return copy;
}

Value dispose(Machine&, Object* self, std::vector<Value>&) {
    if (BitmapPixels* b = pixelsOf(self)) {
        b->disposed = true;
        b->premultiplied = {};
    }
    return Value();
}

// Source-over of two premultiplied colours.
uint32_t over(uint32_t src, uint32_t dst) {
    uint32_t inv = 255 - (src >> 24);
    auto ch = [&](int shift) {
        uint32_t v = (src >> shift & 255) + ((dst >> shift & 255) * inv + 127) / 255;
        return std::min<uint32_t>(v, 255) << shift;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

Value copyPixels(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* dst = pixelsOf(self);
    BitmapPixels* src = bitmapPixels(arg(a, 0));
    if (!dst || !src) return Value();
    Area r = areaOf(m, arg(a, 1), *src);
    int dx = intOf(numberMember(m, arg(a, 2), "x")) - r.x0, dy = intOf(numberMember(m, arg(a, 2), "y")) - r.y0;
    bool merge = a.size() > 5 && m.toBoolean(a[5]);
    std::vector<uint32_t> from = src->premultiplied;  // the source may be this bitmap
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            int tx = x + dx, ty = y + dy;
            if (!dst->inside(tx, ty)) continue;
            uint32_t s = from[size_t(y) * size_t(src->width) + size_t(x)];
            uint32_t& d = dst->premultiplied[size_t(ty) * size_t(dst->width) + size_t(tx)];
            d = merge ? over(s, d) : s;
            if (!dst->transparent) d = premultiply(unpremultiply(d) | 0xFF000000u);
        }
    return Value();
}

// Tests each source pixel under `mask` against the threshold, sets the passing ones to `color`
// (and copies the others when asked); answers how many passed.
Value threshold(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* dst = pixelsOf(self);
    BitmapPixels* src = bitmapPixels(arg(a, 0));
    if (!dst || !src) return Value(0.0);
    std::string op = m.toString(arg(a, 3));
    enum { Lt, Le, Gt, Ge, Eq, Ne } kind;
    if (op == "<") kind = Lt;
    else if (op == "<=") kind = Le;
    else if (op == ">") kind = Gt;
    else if (op == ">=") kind = Ge;
    else if (op == "==") kind = Eq;
    else if (op == "!=") kind = Ne;
    else return Value(0.0);
    Area r = areaOf(m, arg(a, 1), *src);
    int dx = intOf(numberMember(m, arg(a, 2), "x")), dy = intOf(numberMember(m, arg(a, 2), "y"));
    if (arg(a, 2).isNullish()) dx = dy = 0;
    dx -= r.x0, dy -= r.y0;
    uint32_t mask = colorArg(m, a, 6, 0xFFFFFFFFu);
    uint32_t limit = colorArg(m, a, 4, 0) & mask, color = colorArg(m, a, 5, 0);
    bool copySource = a.size() > 7 && m.toBoolean(a[7]);
    // Read from a copy: the source may be the destination.
    BitmapPixels source;
    source.width = src->width, source.height = src->height, source.transparent = src->transparent;
    source.premultiplied = src->premultiplied;
    int passed = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            int tx = x + dx, ty = y + dy;
            if (!dst->inside(tx, ty)) continue;
            uint32_t s = source.get(x, y), v = s & mask;
            bool pass = kind == Lt ? v < limit : kind == Le ? v <= limit : kind == Gt ? v > limit
                      : kind == Ge ? v >= limit : kind == Eq ? v == limit : v != limit;
            if (pass) {
                dst->set(tx, ty, color);
                ++passed;
            } else if (copySource) {
                dst->set(tx, ty, s);
            }
        }
    return Value(double(passed));
}

Value hitTest(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b || a.size() < 3) return Value(false);
    double ox = numberMember(m, a[0], "x"), oy = numberMember(m, a[0], "y");
    uint32_t first = uint32_t(std::clamp(m.toNumber(a[1]), 0.0, 255.0));
    Value other = a[2];
    if (BitmapPixels* o = bitmapPixels(other)) {
        double px = numberMember(m, arg(a, 3), "x"), py = numberMember(m, arg(a, 3), "y");
        uint32_t second = a.size() > 4 ? uint32_t(std::clamp(m.toNumber(a[4]), 0.0, 255.0)) : 1;
        int offX = intOf(px - ox), offY = intOf(py - oy);
        for (int y = 0; y < o->height; ++y)
            for (int x = 0; x < o->width; ++x)
                if (opaqueAt(*o, x, y, second) && opaqueAt(*b, x + offX, y + offY, first)) return Value(true);
        return Value(false);
    }
    if (isFlashInstance(m, other, "geom", "Rectangle")) {
        Value moved = constructFlashClass(m, "geom", "Rectangle",
                                          {Value(numberMember(m, other, "x") - ox), Value(numberMember(m, other, "y") - oy),
                                           m.getMember(other, "width"), m.getMember(other, "height")});
        Area r = areaOf(m, moved, *b);
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x)
                if (opaqueAt(*b, x, y, first)) return Value(true);
        return Value(false);
    }
    double px = numberMember(m, other, "x"), py = numberMember(m, other, "y");
    if (!std::isfinite(px - ox) || !std::isfinite(py - oy)) return Value(false);
    return Value(opaqueAt(*b, intOf(px - ox), intOf(py - oy), first));
}

// Moves the picture by whole pixels; what is uncovered keeps its old pixels.
Value scroll(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value();
    int dx = intOf(m.toNumber(arg(a, 0))), dy = intOf(m.toNumber(arg(a, 1)));
    std::vector<uint32_t> old = b->premultiplied;
    for (int y = 0; y < b->height; ++y)
        for (int x = 0; x < b->width; ++x) {
            int sx = x - dx, sy = y - dy;
            if (b->inside(sx, sy))
                b->premultiplied[size_t(y) * size_t(b->width) + size_t(x)] = old[size_t(sy) * size_t(b->width) + size_t(sx)];
        }
    return Value();
}

Value floodFill(Machine& m, Object* self, std::vector<Value>& a) {
    if (BitmapPixels* b = pixelsOf(self))
        avm1::floodFill(*b, intOf(m.toNumber(arg(a, 0))), intOf(m.toNumber(arg(a, 1))), colorArg(m, a, 2, 0));
    return Value();
}

Value getColorBoundsRect(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value();
    uint32_t mask = colorArg(m, a, 0, 0), color = colorArg(m, a, 1, 0) & mask;
    bool find = a.size() > 2 ? m.toBoolean(a[2]) : true;
    int x0 = b->width, y0 = b->height, x1 = -1, y1 = -1;
    for (int y = 0; y < b->height; ++y)
        for (int x = 0; x < b->width; ++x)
            if (((b->get(x, y) & mask) == color) == find)
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x1 < 0) x0 = y0 = 0, x1 = y1 = -1;
    return constructFlashClass(m, "geom", "Rectangle",
                               {Value(double(x0)), Value(double(y0)), Value(double(x1 - x0 + 1)), Value(double(y1 - y0 + 1))});
}

// colorTransform(rect, transform): the transform's multipliers and offsets on each channel.
Value colorTransform(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value();
    Area r = areaOf(m, arg(a, 0), *b);
    Value t = arg(a, 1);
    const char* names[4][2] = {{"alphaMultiplier", "alphaOffset"}, {"redMultiplier", "redOffset"},
                               {"greenMultiplier", "greenOffset"}, {"blueMultiplier", "blueOffset"}};
    double mul[4], add[4];
    for (int i = 0; i < 4; ++i) {
        mul[i] = numberMember(m, t, names[i][0]);
        add[i] = numberMember(m, t, names[i][1]);
        if (!std::isfinite(mul[i])) mul[i] = 1;
        if (!std::isfinite(add[i])) add[i] = 0;
    }
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            uint32_t c = b->get(x, y), out = 0;
            for (int i = 0; i < 4; ++i) {
                int shift = 24 - 8 * i;
                double v = double(c >> shift & 255) * mul[i] + add[i];
                out |= uint32_t(std::clamp(int(v), 0, 255)) << shift;
            }
            b->set(x, y, out);
        }
    return Value();
}

// noise(seed, low, high, channels, grayScale): channel values from the player's seeded generator.
Value noise(Machine& m, Object* self, std::vector<Value>& a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value();
    auto number = [&](size_t i, uint32_t otherwise) { return a.size() > i ? uint32_t(toInt32(m.toNumber(a[i]))) : otherwise; };
    fillNoise(*b, toInt32(m.toNumber(arg(a, 0))), number(1, 0), number(2, 255), number(3, 7), a.size() > 4 && m.toBoolean(a[4]));
    return Value();
}

}  // namespace

void installBitmapData(Machine& m) {
    Object* proto = m.newObject();
    defineFlashClass(m, "display", "BitmapData", construct, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"getPixel", getPixel}, {"getPixel32", getPixel32}, {"setPixel", setPixel}, {"setPixel32", setPixel32},
        {"fillRect", fillRect}, {"clone", clone}, {"dispose", dispose}, {"copyPixels", copyPixels},
        {"threshold", threshold}, {"hitTest", hitTest}, {"scroll", scroll}, {"floodFill", floodFill},
        {"getColorBoundsRect", getColorBoundsRect}, {"colorTransform", colorTransform}, {"noise", noise}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
    struct { const char* name; NativeFunction get; } accessors[] = {
        {"width", getWidth}, {"height", getHeight}, {"transparent", getTransparent}, {"rectangle", getRectangle}};
    for (auto& p : accessors) defineAccessor(m, proto, p.name, p.get, nullptr);
}

}  // namespace swf::avm1
