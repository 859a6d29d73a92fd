// flash.filters: the bitmap filter classes with their properties held in range as the player
// holds them (alphas in 1/255 steps, blur and strength up to 255, quality up to 15, angles in
// degrees kept as radians), and MovieClip.filters, which hands copies to and from the display.
#include <cmath>
#include <numbers>

#include "engine/avm1/bitmap_data.h"
#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

constexpr double kDefaultAngle = 0.785398163;  // 45 degrees as the player writes it
constexpr int kMaxStops = 16;
constexpr int kMaxConvolutionSide = 15;
constexpr size_t kMaxConvolutionValues = 4096;

enum class Kind { Base, DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel, Displacement };

struct FilterState : NativeState {
    Kind kind = Kind::Base;
    swf::Filter f;
    // Gradient stops as scripts see them: fixed slots, `count` of them in use.
    uint32_t colors[kMaxStops] = {};
    double alphas[kMaxStops] = {};
    int ratios[kMaxStops] = {};
    int count = 0;
    // Displacement map (the map bitmap itself is the object's slotA).
    int mapX = 0, mapY = 0, componentX = 0, componentY = 0;
    double scaleX = 0, scaleY = 0;
    std::string mode = "wrap";
    Rgba color{0, 0, 0, 0};
    // The map as the display had it, for a filter read back from a clip (which has no map object).
    std::shared_ptr<swf::PixelSource> shownMap;
};

FilterState* stateOf(Object* self) { return self ? dynamic_cast<FilterState*>(self->state.get()) : nullptr; }

const char* className(Kind k) {
    switch (k) {
    case Kind::DropShadow: return "DropShadowFilter";
    case Kind::Blur: return "BlurFilter";
    case Kind::Glow: return "GlowFilter";
    case Kind::Bevel: return "BevelFilter";
    case Kind::GradientGlow: return "GradientGlowFilter";
    case Kind::Convolution: return "ConvolutionFilter";
    case Kind::ColorMatrix: return "ColorMatrixFilter";
    case Kind::GradientBevel: return "GradientBevelFilter";
    case Kind::Displacement: return "DisplacementMapFilter";
    case Kind::Base: break;
    }
    return "BitmapFilter";
}

bool isGradient(Kind k) { return k == Kind::GradientGlow || k == Kind::GradientBevel; }

enum class Field {
    Distance, Angle, Color, Alpha, HighlightColor, HighlightAlpha, ShadowColor, ShadowAlpha, Quality, Strength,
    Knockout, Inner, HideObject, BlurX, BlurY, Type, Matrix, MatrixX, MatrixY, Divisor, Bias, PreserveAlpha,
    Clamp, Colors, Alphas, Ratios, MapBitmap, MapPoint, ComponentX, ComponentY, ScaleX, ScaleY, Mode, Count
};

const char* const kFieldNames[] = {
    "distance", "angle", "color", "alpha", "highlightColor", "highlightAlpha", "shadowColor", "shadowAlpha",
    "quality", "strength", "knockout", "inner", "hideObject", "blurX", "blurY", "type", "matrix", "matrixX",
    "matrixY", "divisor", "bias", "preserveAlpha", "clamp", "colors", "alphas", "ratios", "mapBitmap", "mapPoint",
    "componentX", "componentY", "scaleX", "scaleY", "mode"};

// Where the shared fields of each kind live.
struct Common {
    double* blurX = nullptr;
    double* blurY = nullptr;
    double* angle = nullptr;
    double* distance = nullptr;
    double* strength = nullptr;
    int* passes = nullptr;
    bool* knockout = nullptr;
    bool* inner = nullptr;
    bool* composite = nullptr;
    bool* onTop = nullptr;
    Rgba* color = nullptr;
};

Common common(FilterState& s) {
    Common c;
    swf::Filter& f = s.f;
    switch (s.kind) {
    case Kind::DropShadow: {
        auto& d = f.dropShadow;
        c = {&d.blurX, &d.blurY, &d.angle, &d.distance, &d.strength, &d.passes, &d.knockout, &d.inner,
             &d.compositeSource, nullptr, &d.color};
        break;
    }
    case Kind::Blur: c.blurX = &f.blur.blurX, c.blurY = &f.blur.blurY, c.passes = &f.blur.passes; break;
    case Kind::Glow: {
        auto& g = f.glow;
        c = {&g.blurX, &g.blurY, nullptr, nullptr, &g.strength, &g.passes, &g.knockout, &g.inner,
             &g.compositeSource, nullptr, &g.color};
        break;
    }
    case Kind::Bevel: {
        auto& b = f.bevel;
        c = {&b.blurX, &b.blurY, &b.angle, &b.distance, &b.strength, &b.passes, &b.knockout, &b.inner,
             &b.compositeSource, &b.onTop, nullptr};
        break;
    }
    case Kind::GradientGlow:
    case Kind::GradientBevel: {
        auto& g = f.gradient;
        c = {&g.blurX, &g.blurY, &g.angle, &g.distance, &g.strength, &g.passes, &g.knockout, &g.inner,
             &g.compositeSource, &g.onTop, nullptr};
        break;
    }
    case Kind::Convolution: c.color = &f.convolution.defaultColor; break;
    case Kind::Displacement: c.color = &s.color; break;
    default: break;
    }
    return c;
}

double clampNumber(double v, double lo, double hi) { return std::isnan(v) ? lo : std::clamp(v, lo, hi); }
int truncated(double v) { return std::isfinite(v) ? toClampedInt(v) : 0; }

Value colorOf(const Rgba& c) { return Value(double(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b)); }
void setColor(Rgba& c, double v) {
    uint32_t rgb = uint32_t(toInt32(v));
    c.r = uint8_t(rgb >> 16), c.g = uint8_t(rgb >> 8), c.b = uint8_t(rgb);
}
// A lone alpha keeps whole 1/255 steps, cut down.
void setAlpha(Rgba& c, double v) { c.a = uint8_t(clampNumber(v, 0, 1) * 255); }
// A gradient's alphas go to the nearest step.
double stopAlpha(double v) { return std::round(clampNumber(v, 0, 1) * 255) / 255; }

std::string typeOf(const Common& c) {
    if (c.onTop && *c.onTop) return "full";
    return *c.inner ? "inner" : "outer";
}

// The elements of an array-like value (its `length`, then each index) as numbers.
std::vector<double> numbersOf(Machine& m, const Value& v, size_t limit) {
    double n = m.toNumber(m.getMember(v, "length"));
    size_t count = toCount(n, limit);
    std::vector<double> out;
    for (size_t i = 0; i < count; ++i) out.push_back(m.toNumber(m.getMember(v, std::to_string(i))));
    return out;
}

Value arrayOf(Machine& m, const std::vector<double>& values) {
    std::vector<Value> elements;
    for (double v : values) elements.push_back(Value(v));
    return Value(m.newArray(std::move(elements)));
}

// A convolution matrix grows with zeros to matrixX x matrixY; it never shrinks.
void padConvolution(swf::ConvolutionFilter& c) {
    size_t need = size_t(c.matrixX) * size_t(c.matrixY);
    if (c.matrix.size() < need) c.matrix.resize(need, 0.0f);
}

Value read(Machine& m, Object* self, Field field) {
    FilterState* s = stateOf(self);
    if (!s) return Value();
    Common c = common(*s);
    swf::Filter& f = s->f;
    switch (field) {
    case Field::Distance: return c.distance ? Value(*c.distance) : Value();
    case Field::Angle: return c.angle ? Value(*c.angle * 180 / std::numbers::pi) : Value();
    case Field::Color: return c.color ? colorOf(*c.color) : Value();
    case Field::Alpha: return c.color ? Value(c.color->a / 255.0) : Value();
    case Field::HighlightColor: return colorOf(f.bevel.highlightColor);
    case Field::HighlightAlpha: return Value(f.bevel.highlightColor.a / 255.0);
    case Field::ShadowColor: return colorOf(f.bevel.shadowColor);
    case Field::ShadowAlpha: return Value(f.bevel.shadowColor.a / 255.0);
    case Field::Quality: return c.passes ? Value(double(*c.passes)) : Value();
    case Field::Strength: return c.strength ? Value(*c.strength) : Value();
    case Field::Knockout: return c.knockout ? Value(*c.knockout) : Value();
    case Field::Inner: return c.inner ? Value(*c.inner) : Value();
    case Field::HideObject: return c.composite ? Value(!*c.composite) : Value();
    case Field::BlurX: return c.blurX ? Value(*c.blurX) : Value();
    case Field::BlurY: return c.blurY ? Value(*c.blurY) : Value();
    case Field::Type: return c.inner ? Value(typeOf(c)) : Value();
    case Field::Matrix: {
        std::vector<double> values;
        if (s->kind == Kind::ColorMatrix)
            for (float v : f.colorMatrix.matrix) values.push_back(v);
        else
            for (float v : f.convolution.matrix) values.push_back(v);
        return arrayOf(m, values);
    }
    case Field::MatrixX: return Value(double(f.convolution.matrixX));
    case Field::MatrixY: return Value(double(f.convolution.matrixY));
    case Field::Divisor: return Value(double(f.convolution.divisor));
    case Field::Bias: return Value(double(f.convolution.bias));
    case Field::PreserveAlpha: return Value(f.convolution.preserveAlpha);
    case Field::Clamp: return Value(f.convolution.clamp);
    case Field::Colors: return arrayOf(m, std::vector<double>(s->colors, s->colors + s->count));
    case Field::Alphas: return arrayOf(m, std::vector<double>(s->alphas, s->alphas + s->count));
    case Field::Ratios: return arrayOf(m, std::vector<double>(s->ratios, s->ratios + s->count));
    case Field::MapBitmap: return self->slotA ? Value(self->slotA) : Value();
    case Field::MapPoint:
        return constructFlashClass(m, "geom", "Point", {Value(double(s->mapX)), Value(double(s->mapY))});
    case Field::ComponentX: return Value(double(s->componentX));
    case Field::ComponentY: return Value(double(s->componentY));
    case Field::ScaleX: return Value(s->scaleX);
    case Field::ScaleY: return Value(s->scaleY);
    case Field::Mode: return Value(s->mode);
    case Field::Count: break;
    }
    return Value();
}

void write(Machine& m, Object* self, Field field, const Value& v) {
    FilterState* s = stateOf(self);
    if (!s) return;
    Common c = common(*s);
    swf::Filter& f = s->f;
    auto& conv = f.convolution;
    switch (field) {
    case Field::Distance:
        if (c.distance) *c.distance = m.toNumber(v);
        break;
    case Field::Angle:
        if (c.angle) *c.angle = std::fmod(m.toNumber(v), 360.0) * std::numbers::pi / 180;
        break;
    case Field::Color:
        if (c.color) setColor(*c.color, m.toNumber(v));
        break;
    case Field::Alpha:
        if (c.color) setAlpha(*c.color, m.toNumber(v));
        break;
    case Field::HighlightColor: setColor(f.bevel.highlightColor, m.toNumber(v)); break;
    case Field::HighlightAlpha: setAlpha(f.bevel.highlightColor, m.toNumber(v)); break;
    case Field::ShadowColor: setColor(f.bevel.shadowColor, m.toNumber(v)); break;
    case Field::ShadowAlpha: setAlpha(f.bevel.shadowColor, m.toNumber(v)); break;
    case Field::Quality:
        if (c.passes) *c.passes = std::clamp(truncated(m.toNumber(v)), 0, 15);
        break;
    case Field::Strength:
        if (c.strength) *c.strength = clampNumber(m.toNumber(v), 0, 255);
        break;
    case Field::Knockout:
        if (c.knockout) *c.knockout = m.toBoolean(v);
        break;
    case Field::Inner:
        if (c.inner) *c.inner = m.toBoolean(v);
        break;
    case Field::HideObject:
        if (c.composite) *c.composite = !m.toBoolean(v);
        break;
    case Field::BlurX:
        if (c.blurX) *c.blurX = clampNumber(m.toNumber(v), 0, 255);
        break;
    case Field::BlurY:
        if (c.blurY) *c.blurY = clampNumber(m.toNumber(v), 0, 255);
        break;
    case Field::Type: {
        if (!c.inner || !c.onTop) break;
        std::string t = m.toString(v);
        *c.inner = t == "inner";
        *c.onTop = t != "inner" && t != "outer";
        break;
    }
    case Field::Matrix:
        if (v.isNullish()) break;
        if (s->kind == Kind::ColorMatrix) {
            for (size_t i = 0; i < 20; ++i)
                f.colorMatrix.matrix[i] = float(m.toNumber(m.getMember(v, std::to_string(i))));
        } else {
            conv.matrix.clear();
            for (double x : numbersOf(m, v, kMaxConvolutionValues)) conv.matrix.push_back(float(x));
            padConvolution(conv);
        }
        break;
    case Field::MatrixX:
        conv.matrixX = std::clamp(truncated(m.toNumber(v)), 0, kMaxConvolutionSide);
        padConvolution(conv);
        break;
    case Field::MatrixY:
        conv.matrixY = std::clamp(truncated(m.toNumber(v)), 0, kMaxConvolutionSide);
        padConvolution(conv);
        break;
    case Field::Divisor: conv.divisor = float(m.toNumber(v)); break;
    case Field::Bias: conv.bias = float(m.toNumber(v)); break;
    case Field::PreserveAlpha: conv.preserveAlpha = m.toBoolean(v); break;
    case Field::Clamp: conv.clamp = m.toBoolean(v); break;
    // Colours set how many stops there are; alphas fill the stops in use (1 where none is
    // given); ratios fill them too and cut the stops down to as many as were given.
    case Field::Colors: {
        if (v.isNullish()) break;
        std::vector<double> given = numbersOf(m, v, kMaxStops);
        for (size_t i = 0; i < given.size(); ++i) s->colors[i] = uint32_t(toInt32(given[i])) & 0xFFFFFF;
        s->count = int(given.size());
        break;
    }
    case Field::Alphas: {
        if (v.isNullish()) break;
        std::vector<double> given = numbersOf(m, v, kMaxStops);
        for (size_t i = 0; i < size_t(s->count); ++i) s->alphas[i] = i < given.size() ? stopAlpha(given[i]) : 1;
        break;
    }
    case Field::Ratios: {
        if (v.isNullish()) break;
        std::vector<double> given = numbersOf(m, v, kMaxStops);
        size_t n = std::min(given.size(), size_t(s->count));
        for (size_t i = 0; i < n; ++i) s->ratios[i] = int(clampNumber(given[i], 0, 255));
        s->count = int(n);
        break;
    }
    case Field::MapBitmap:
        if (v.object() && dynamic_cast<BitmapPixels*>(v.object()->state.get())) self->slotA = v.object();
        break;
    case Field::MapPoint: {
        // A point missing either coordinate is the origin.
        double x = numberMember(m, v, "x"), y = numberMember(m, v, "y");
        bool whole = std::isfinite(x) && std::isfinite(y);
        s->mapX = whole ? truncated(x) : 0;
        s->mapY = whole ? truncated(y) : 0;
        break;
    }
    case Field::ComponentX: s->componentX = truncated(m.toNumber(v)); break;
    case Field::ComponentY: s->componentY = truncated(m.toNumber(v)); break;
    case Field::ScaleX: s->scaleX = clampNumber(m.toNumber(v), -65535, 65535); break;
    case Field::ScaleY: s->scaleY = clampNumber(m.toNumber(v), -65535, 65535); break;
    case Field::Mode: {
        std::string mode = m.toString(v);
        s->mode = mode == "clamp" || mode == "ignore" || mode == "color" ? mode : "wrap";
        break;
    }
    case Field::Count: break;
    }
}

template <size_t I>
Value getter(Machine& m, Object* self, std::vector<Value>&) { return read(m, self, Field(I)); }
template <size_t I>
Value setter(Machine& m, Object* self, std::vector<Value>& a) {
    write(m, self, Field(I), arg(a, 0));
    return Value();
}

template <size_t... I>
constexpr std::array<std::pair<NativeFunction, NativeFunction>, sizeof...(I)> accessorTable(std::index_sequence<I...>) {
    return {std::pair<NativeFunction, NativeFunction>{getter<I>, setter<I>}...};
}
constexpr auto kAccessors = accessorTable(std::make_index_sequence<size_t(Field::Count)>{});

// Each class: its fields in the order scripts enumerate them, and its constructor's arguments.
struct ClassInfo {
    Kind kind;
    std::vector<Field> fields;
    std::vector<Field> arguments;
};

const std::vector<ClassInfo>& classes() {
    using F = Field;
    static const std::vector<ClassInfo> list = {
        {Kind::Bevel,
         {F::Distance, F::Angle, F::HighlightColor, F::HighlightAlpha, F::ShadowColor, F::ShadowAlpha, F::Quality,
          F::Strength, F::Knockout, F::BlurX, F::BlurY, F::Type},
         {F::Distance, F::Angle, F::HighlightColor, F::HighlightAlpha, F::ShadowColor, F::ShadowAlpha, F::BlurX,
          F::BlurY, F::Strength, F::Quality, F::Type, F::Knockout}},
        {Kind::Blur, {F::BlurX, F::BlurY, F::Quality}, {F::BlurX, F::BlurY, F::Quality}},
        {Kind::ColorMatrix, {F::Matrix}, {F::Matrix}},
        {Kind::Convolution,
         {F::MatrixX, F::MatrixY, F::Matrix, F::Divisor, F::Bias, F::PreserveAlpha, F::Clamp, F::Color, F::Alpha},
         {F::MatrixX, F::MatrixY, F::Matrix, F::Divisor, F::Bias, F::PreserveAlpha, F::Clamp, F::Color, F::Alpha}},
        {Kind::Displacement,
         {F::MapBitmap, F::MapPoint, F::ComponentX, F::ComponentY, F::ScaleX, F::ScaleY, F::Mode, F::Color, F::Alpha},
         {F::MapBitmap, F::MapPoint, F::ComponentX, F::ComponentY, F::ScaleX, F::ScaleY, F::Mode, F::Color, F::Alpha}},
        {Kind::DropShadow,
         {F::Distance, F::Angle, F::Color, F::Alpha, F::Quality, F::Inner, F::Knockout, F::BlurX, F::BlurY,
          F::Strength, F::HideObject},
         {F::Distance, F::Angle, F::Color, F::Alpha, F::BlurX, F::BlurY, F::Strength, F::Quality, F::Inner,
          F::Knockout, F::HideObject}},
        {Kind::Glow,
         {F::Color, F::Alpha, F::Quality, F::Inner, F::Knockout, F::BlurX, F::BlurY, F::Strength},
         {F::Color, F::Alpha, F::BlurX, F::BlurY, F::Strength, F::Quality, F::Inner, F::Knockout}},
        {Kind::GradientBevel,
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Quality, F::Strength,
          F::Knockout, F::Type},
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Strength, F::Quality,
          F::Type, F::Knockout}},
        {Kind::GradientGlow,
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Quality, F::Strength,
          F::Knockout, F::Type},
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Strength, F::Quality,
          F::Type, F::Knockout}},
    };
    return list;
}

// A filter of each kind as a new script object starts.
std::unique_ptr<FilterState> defaults(Kind kind) {
    auto s = std::make_unique<FilterState>();
    s->kind = kind;
    swf::Filter& f = s->f;
    switch (kind) {
    case Kind::DropShadow:
        f.kind = swf::Filter::Kind::DropShadow;
        f.dropShadow = {};
        f.dropShadow.color = Rgba{0, 0, 0, 255};
        f.dropShadow.angle = kDefaultAngle;
        break;
    case Kind::Blur: f.kind = swf::Filter::Kind::Blur; break;
    case Kind::Glow:
        f.kind = swf::Filter::Kind::Glow;
        f.glow.color = Rgba{255, 0, 0, 255};
        break;
    case Kind::Bevel:
        f.kind = swf::Filter::Kind::Bevel;
        f.bevel.highlightColor = Rgba{255, 255, 255, 255};
        f.bevel.shadowColor = Rgba{0, 0, 0, 255};
        f.bevel.angle = kDefaultAngle;
        break;
    case Kind::GradientGlow:
    case Kind::GradientBevel:
        f.kind = kind == Kind::GradientGlow ? swf::Filter::Kind::GradientGlow : swf::Filter::Kind::GradientBevel;
        f.gradient.bevel = kind == Kind::GradientBevel;
        f.gradient.inner = true;
        f.gradient.angle = kDefaultAngle;
        break;
    case Kind::Convolution:
        f.kind = swf::Filter::Kind::Convolution;
        f.convolution.defaultColor = Rgba{0, 0, 0, 0};
        break;
    case Kind::ColorMatrix: f.kind = swf::Filter::Kind::ColorMatrix; break;
    case Kind::Displacement:
    case Kind::Base: break;
    }
    return s;
}

const ClassInfo* infoOf(Kind kind) {
    for (const ClassInfo& c : classes())
        if (c.kind == kind) return &c;
    return nullptr;
}

template <Kind K>
Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    self->state = defaults(K);
    if (const ClassInfo* info = infoOf(K))
        for (size_t i = 0; i < a.size() && i < info->arguments.size(); ++i)
            if (!a[i].isUndefined()) write(m, self, info->arguments[i], a[i]);
    return Value(self);
}

Value constructBase(Machine&, Object* self, std::vector<Value>&) { return Value(self); }

Value copyOf(Machine& m, Object* self) {
    FilterState* s = stateOf(self);
    if (!s) return Value();
    Value made = constructFlashClass(m, "filters", className(s->kind), {});
    Object* o = made.object();
    if (!o) return Value();
    o->state = std::make_unique<FilterState>(*s);
    o->slotA = self->slotA;
    return made;
}

Value clone(Machine& m, Object* self, std::vector<Value>&) { return copyOf(m, self); }
Value noClone(Machine&, Object*, std::vector<Value>&) { return Value(); }

// The display's form of a displacement map filter: its fields, and the map's pixels as they will
// be at each paint.
swf::Filter displacementFilter(const FilterState& s, Object* map) {
    swf::Filter out;
    out.kind = swf::Filter::Kind::DisplacementMap;
    swf::DisplacementMapFilter& d = out.displacement;
    if (BitmapPixels* pixels = map ? bitmapPixels(Value(map)) : nullptr) d.mapSource = pixels->shown();
    else if (!map) d.mapSource = s.shownMap;
    d.mapX = s.mapX, d.mapY = s.mapY;
    d.componentX = s.componentX, d.componentY = s.componentY;
    d.scaleX = s.scaleX, d.scaleY = s.scaleY;
    using Mode = swf::DisplacementMapFilter::Mode;
    d.mode = s.mode == "clamp" ? Mode::Clamp : s.mode == "ignore" ? Mode::Ignore : s.mode == "color" ? Mode::Color : Mode::Wrap;
    d.color = s.color;
    return out;
}

// The display's form of a script filter; false for what the display cannot show.
bool toDisplay(const FilterState& s, Object* self, swf::Filter& out) {
    if (s.kind == Kind::Base) return false;
    if (s.kind == Kind::Displacement) {
        out = displacementFilter(s, self->slotA);
        return true;
    }
    out = s.f;
    if (isGradient(s.kind)) {
        out.gradient.stops.clear();
        for (int i = 0; i < s.count; ++i) {
            uint32_t c = s.colors[i];
            out.gradient.stops.push_back(swf::GradientStop{uint8_t(s.ratios[i]),
                                                      Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c),
                                                           uint8_t(std::lround(s.alphas[i] * 255))}});
        }
    }
    return true;
}

Value fromDisplay(Machine& m, const swf::Filter& f) {
    Kind kind = Kind::Blur;
    switch (f.kind) {
    case swf::Filter::Kind::DisplacementMap: kind = Kind::Displacement; break;
    case swf::Filter::Kind::DropShadow: kind = Kind::DropShadow; break;
    case swf::Filter::Kind::Blur: kind = Kind::Blur; break;
    case swf::Filter::Kind::Glow: kind = Kind::Glow; break;
    case swf::Filter::Kind::Bevel: kind = Kind::Bevel; break;
    case swf::Filter::Kind::GradientGlow: kind = Kind::GradientGlow; break;
    case swf::Filter::Kind::Convolution: kind = Kind::Convolution; break;
    case swf::Filter::Kind::ColorMatrix: kind = Kind::ColorMatrix; break;
    case swf::Filter::Kind::GradientBevel: kind = Kind::GradientBevel; break;
    }
    Value made = constructFlashClass(m, "filters", className(kind), {});
    FilterState* s = stateOf(made.object());
    if (!s) return Value();
    s->f = f;
    if (kind == Kind::Displacement) {
        const swf::DisplacementMapFilter& d = f.displacement;
        using Mode = swf::DisplacementMapFilter::Mode;
        s->mapX = d.mapX, s->mapY = d.mapY, s->componentX = d.componentX, s->componentY = d.componentY;
        s->scaleX = d.scaleX, s->scaleY = d.scaleY, s->color = d.color, s->shownMap = d.mapSource;
        s->mode = d.mode == Mode::Clamp ? "clamp" : d.mode == Mode::Ignore ? "ignore" : d.mode == Mode::Color ? "color" : "wrap";
        s->f = swf::Filter{};
    }
    if (isGradient(kind)) {
        s->count = int(std::min<size_t>(f.gradient.stops.size(), kMaxStops));
        for (int i = 0; i < s->count; ++i) {
            const swf::GradientStop& stop = f.gradient.stops[size_t(i)];
            s->colors[i] = uint32_t(stop.color.r) << 16 | uint32_t(stop.color.g) << 8 | stop.color.b;
            s->alphas[i] = stop.color.a / 255.0;
            s->ratios[i] = stop.ratio;
        }
    }
    return made;
}

// MovieClip.filters: new copies on each read; assigning takes copies of the filters given.
Value clipFilters(Machine& m, Object* self, std::vector<Value>&) {
    if (!self || !self->clip) return Value();
    std::vector<Value> list;
    for (const swf::Filter& f : self->clip->filters()) list.push_back(fromDisplay(m, f));
    return Value(m.newArray(std::move(list)));
}

Value setClipFilters(Machine&, Object* self, std::vector<Value>& a) {
    if (!self || !self->clip) return Value();
    if (auto filters = displayFilters(arg(a, 0))) self->clip->setFilters(*filters);
    return Value();
}

}  // namespace

std::optional<std::vector<swf::Filter>> displayFilters(const Value& given) {
    Object* list = given.object();
    if (!list || !list->isArray) return std::nullopt;
    std::vector<swf::Filter> filters;
    for (const Value& v : list->elements) {
        swf::Filter f;
        if (FilterState* s = stateOf(v.object()); s && toDisplay(*s, v.object(), f)) filters.push_back(f);
    }
    return filters;
}

void installFilters(Machine& m) {
    Object* baseProto = m.newObject();
    defineFlashClass(m, "filters", "BitmapFilter", constructBase, baseProto);
    m.defineNative(baseProto, "clone", noClone);
    NativeFunction constructors[] = {construct<Kind::Bevel>,        construct<Kind::Blur>,
                                     construct<Kind::ColorMatrix>,  construct<Kind::Convolution>,
                                     construct<Kind::Displacement>, construct<Kind::DropShadow>,
                                     construct<Kind::Glow>,         construct<Kind::GradientBevel>,
                                     construct<Kind::GradientGlow>};
    size_t i = 0;
    for (const ClassInfo& info : classes()) {
        Object* proto = m.newObject();
        proto->proto = baseProto;
        defineFlashClass(m, "filters", className(info.kind), constructors[i++], proto);
        // Enumerable, in this order: scripts that list a filter's properties see them so.
        for (Field f : info.fields) {
            auto [get, set] = kAccessors[size_t(f)];
            defineAccessor(m, proto, kFieldNames[size_t(f)], get, set, 0);
        }
        m.defineNative(proto, "clone", clone);
        proto->find(m.key("clone"))->flags = 0;
    }
    for (Object* proto : {m.movieClipProto, m.buttonProto})
        if (proto) defineAccessor(m, proto, "filters", clipFilters, setClipFilters, DontEnum | FromVersion8);
}

}  // namespace swf::avm1
