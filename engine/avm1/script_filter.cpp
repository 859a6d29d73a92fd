#include "engine/avm1/script_filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/avm1/value.h"

namespace swf::avm1 {

namespace {

constexpr double kDefaultAngle = 0.785398163;  // 45 degrees as the player writes it
constexpr int kMaxConvolutionSide = 15;
constexpr size_t kMaxConvolutionValues = 4096;

const char* const kFieldNames[] = {
    "distance", "angle", "color", "alpha", "highlightColor", "highlightAlpha", "shadowColor", "shadowAlpha",
    "quality", "strength", "knockout", "inner", "hideObject", "blurX", "blurY", "type", "matrix", "matrixX",
    "matrixY", "divisor", "bias", "preserveAlpha", "clamp", "colors", "alphas", "ratios", "mapBitmap", "mapPoint",
    "componentX", "componentY", "scaleX", "scaleY", "mode"};
static_assert(std::size(kFieldNames) == size_t(FilterField::Count));

bool isGradient(FilterClass k) { return k == FilterClass::GradientGlow || k == FilterClass::GradientBevel; }

double clampNumber(double v, double lo, double hi) { return std::isnan(v) ? lo : std::clamp(v, lo, hi); }
int truncated(double v) { return std::isfinite(v) ? toClampedInt(v) : 0; }

double colorOf(const Rgba& c) { return double(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b); }
void setColor(Rgba& c, double v) {
    uint32_t rgb = uint32_t(toInt32(v));
    c.r = uint8_t(rgb >> 16), c.g = uint8_t(rgb >> 8), c.b = uint8_t(rgb);
}
// A lone alpha keeps whole 1/255 steps, cut down.
void setAlpha(Rgba& c, double v) { c.a = uint8_t(clampNumber(v, 0, 1) * 255); }
// A gradient's alphas go to the nearest step.
double stopAlpha(double v) { return std::round(clampNumber(v, 0, 1) * 255) / 255; }

// Through a float in memory. With a plain cast, GCC 12's SLP vectorizer (on at -O2) merges the two
// scale conversions in toDisplay into one packed copy and the rounding is lost; the store keeps it.
double singlePrecision(double v) {
    volatile float f = static_cast<float>(v);
    return f;
}

// A convolution matrix grows with zeros to matrixX x matrixY; it never shrinks.
void padConvolution(ConvolutionFilter& c) {
    size_t need = size_t(c.matrixX) * size_t(c.matrixY);
    if (c.matrix.size() < need) c.matrix.resize(need, 0.0f);
}

FilterFieldValue number(double v) {
    FilterFieldValue r;
    r.present = true;
    r.number = v;
    return r;
}
FilterFieldValue boolean(bool v) {
    FilterFieldValue r;
    r.type = FilterFieldType::Boolean, r.present = true, r.boolean = v;
    return r;
}
FilterFieldValue text(std::string v) {
    FilterFieldValue r;
    r.type = FilterFieldType::String, r.present = true, r.text = std::move(v);
    return r;
}
FilterFieldValue numbers(std::vector<double> v, FilterFieldType type = FilterFieldType::Numbers) {
    FilterFieldValue r;
    r.type = type, r.present = true, r.numbers = std::move(v);
    return r;
}

}  // namespace

const char* filterClassName(FilterClass k) {
    switch (k) {
    case FilterClass::DropShadow: return "DropShadowFilter";
    case FilterClass::Blur: return "BlurFilter";
    case FilterClass::Glow: return "GlowFilter";
    case FilterClass::Bevel: return "BevelFilter";
    case FilterClass::GradientGlow: return "GradientGlowFilter";
    case FilterClass::Convolution: return "ConvolutionFilter";
    case FilterClass::ColorMatrix: return "ColorMatrixFilter";
    case FilterClass::GradientBevel: return "GradientBevelFilter";
    case FilterClass::DisplacementMap: return "DisplacementMapFilter";
    }
    return "BitmapFilter";
}

const char* filterFieldName(FilterField f) { return f < FilterField::Count ? kFieldNames[size_t(f)] : ""; }

FilterFieldType filterFieldType(FilterField f) {
    using F = FilterField;
    switch (f) {
    case F::Knockout:
    case F::Inner:
    case F::HideObject:
    case F::PreserveAlpha:
    case F::Clamp: return FilterFieldType::Boolean;
    case F::Type:
    case F::Mode: return FilterFieldType::String;
    case F::Matrix:
    case F::Colors:
    case F::Alphas:
    case F::Ratios: return FilterFieldType::Numbers;
    case F::MapPoint: return FilterFieldType::Point;
    case F::MapBitmap: return FilterFieldType::Bitmap;
    default: return FilterFieldType::Number;
    }
}

const std::vector<FilterClassInfo>& filterClasses() {
    using F = FilterField;
    static const std::vector<FilterClassInfo> list = {
        {FilterClass::Bevel,
         {F::Distance, F::Angle, F::HighlightColor, F::HighlightAlpha, F::ShadowColor, F::ShadowAlpha, F::Quality,
          F::Strength, F::Knockout, F::BlurX, F::BlurY, F::Type},
         {F::Distance, F::Angle, F::HighlightColor, F::HighlightAlpha, F::ShadowColor, F::ShadowAlpha, F::BlurX,
          F::BlurY, F::Strength, F::Quality, F::Type, F::Knockout}},
        {FilterClass::Blur, {F::BlurX, F::BlurY, F::Quality}, {F::BlurX, F::BlurY, F::Quality}},
        {FilterClass::ColorMatrix, {F::Matrix}, {F::Matrix}},
        {FilterClass::Convolution,
         {F::MatrixX, F::MatrixY, F::Matrix, F::Divisor, F::Bias, F::PreserveAlpha, F::Clamp, F::Color, F::Alpha},
         {F::MatrixX, F::MatrixY, F::Matrix, F::Divisor, F::Bias, F::PreserveAlpha, F::Clamp, F::Color, F::Alpha}},
        {FilterClass::DisplacementMap,
         {F::MapBitmap, F::MapPoint, F::ComponentX, F::ComponentY, F::ScaleX, F::ScaleY, F::Mode, F::Color, F::Alpha},
         {F::MapBitmap, F::MapPoint, F::ComponentX, F::ComponentY, F::ScaleX, F::ScaleY, F::Mode, F::Color, F::Alpha}},
        {FilterClass::DropShadow,
         {F::Distance, F::Angle, F::Color, F::Alpha, F::Quality, F::Inner, F::Knockout, F::BlurX, F::BlurY,
          F::Strength, F::HideObject},
         {F::Distance, F::Angle, F::Color, F::Alpha, F::BlurX, F::BlurY, F::Strength, F::Quality, F::Inner,
          F::Knockout, F::HideObject}},
        {FilterClass::Glow,
         {F::Color, F::Alpha, F::Quality, F::Inner, F::Knockout, F::BlurX, F::BlurY, F::Strength},
         {F::Color, F::Alpha, F::BlurX, F::BlurY, F::Strength, F::Quality, F::Inner, F::Knockout}},
        {FilterClass::GradientBevel,
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Quality, F::Strength,
          F::Knockout, F::Type},
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Strength, F::Quality,
          F::Type, F::Knockout}},
        {FilterClass::GradientGlow,
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Quality, F::Strength,
          F::Knockout, F::Type},
         {F::Distance, F::Angle, F::Colors, F::Alphas, F::Ratios, F::BlurX, F::BlurY, F::Strength, F::Quality,
          F::Type, F::Knockout}},
    };
    return list;
}

const FilterClassInfo& filterClassInfo(FilterClass kind) {
    for (const FilterClassInfo& c : filterClasses())
        if (c.kind == kind) return c;
    return filterClasses().front();
}

// Where the fields several kinds share live.
struct ScriptFilter::Common {
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

ScriptFilter::Common ScriptFilter::common() {
    Common c;
    switch (kind_) {
    case FilterClass::DropShadow: {
        auto& d = f_.dropShadow;
        c = {&d.blurX, &d.blurY, &d.angle, &d.distance, &d.strength, &d.passes, &d.knockout, &d.inner,
             &d.compositeSource, nullptr, &d.color};
        break;
    }
    case FilterClass::Blur: c.blurX = &f_.blur.blurX, c.blurY = &f_.blur.blurY, c.passes = &f_.blur.passes; break;
    case FilterClass::Glow: {
        auto& g = f_.glow;
        c = {&g.blurX, &g.blurY, nullptr, nullptr, &g.strength, &g.passes, &g.knockout, &g.inner,
             &g.compositeSource, nullptr, &g.color};
        break;
    }
    case FilterClass::Bevel: {
        auto& b = f_.bevel;
        c = {&b.blurX, &b.blurY, &b.angle, &b.distance, &b.strength, &b.passes, &b.knockout, &b.inner,
             &b.compositeSource, &b.onTop, nullptr};
        break;
    }
    case FilterClass::GradientGlow:
    case FilterClass::GradientBevel: {
        auto& g = f_.gradient;
        c = {&g.blurX, &g.blurY, &g.angle, &g.distance, &g.strength, &g.passes, &g.knockout, &g.inner,
             &g.compositeSource, &g.onTop, nullptr};
        break;
    }
    case FilterClass::Convolution: c.color = &f_.convolution.defaultColor; break;
    case FilterClass::DisplacementMap: c.color = &color_; break;
    case FilterClass::ColorMatrix: break;
    }
    return c;
}

ScriptFilter::ScriptFilter(FilterClass kind) : kind_(kind) {
    Filter& f = f_;
    switch (kind) {
    case FilterClass::DropShadow:
        f.kind = Filter::Kind::DropShadow;
        f.dropShadow.color = Rgba{0, 0, 0, 255};
        f.dropShadow.angle = kDefaultAngle;
        break;
    case FilterClass::Blur: f.kind = Filter::Kind::Blur; break;
    case FilterClass::Glow:
        f.kind = Filter::Kind::Glow;
        f.glow.color = Rgba{255, 0, 0, 255};
        break;
    case FilterClass::Bevel:
        f.kind = Filter::Kind::Bevel;
        f.bevel.highlightColor = Rgba{255, 255, 255, 255};
        f.bevel.shadowColor = Rgba{0, 0, 0, 255};
        f.bevel.angle = kDefaultAngle;
        break;
    case FilterClass::GradientGlow:
    case FilterClass::GradientBevel:
        f.kind = kind == FilterClass::GradientGlow ? Filter::Kind::GradientGlow : Filter::Kind::GradientBevel;
        f.gradient.bevel = kind == FilterClass::GradientBevel;
        f.gradient.inner = true;
        f.gradient.angle = kDefaultAngle;
        break;
    case FilterClass::Convolution:
        f.kind = Filter::Kind::Convolution;
        f.convolution.defaultColor = Rgba{0, 0, 0, 0};
        break;
    case FilterClass::ColorMatrix: f.kind = Filter::Kind::ColorMatrix; break;
    case FilterClass::DisplacementMap: f.kind = Filter::Kind::DisplacementMap; break;
    }
}

FilterFieldValue ScriptFilter::get(FilterField field) const {
    auto& self = const_cast<ScriptFilter&>(*this);
    Common c = self.common();
    const Filter& f = f_;
    using F = FilterField;
    bool bevel = kind_ == FilterClass::Bevel, convolution = kind_ == FilterClass::Convolution;
    bool displacement = kind_ == FilterClass::DisplacementMap;
    switch (field) {
    case F::Distance: return c.distance ? number(*c.distance) : FilterFieldValue{};
    case F::Angle: return c.angle ? number(*c.angle * 180 / std::numbers::pi) : FilterFieldValue{};
    case F::Color: return c.color ? number(colorOf(*c.color)) : FilterFieldValue{};
    case F::Alpha: return c.color ? number(c.color->a / 255.0) : FilterFieldValue{};
    case F::HighlightColor: return bevel ? number(colorOf(f.bevel.highlightColor)) : FilterFieldValue{};
    case F::HighlightAlpha: return bevel ? number(f.bevel.highlightColor.a / 255.0) : FilterFieldValue{};
    case F::ShadowColor: return bevel ? number(colorOf(f.bevel.shadowColor)) : FilterFieldValue{};
    case F::ShadowAlpha: return bevel ? number(f.bevel.shadowColor.a / 255.0) : FilterFieldValue{};
    case F::Quality: return c.passes ? number(*c.passes) : FilterFieldValue{};
    case F::Strength: return c.strength ? number(*c.strength) : FilterFieldValue{};
    case F::Knockout: return c.knockout ? boolean(*c.knockout) : FilterFieldValue{};
    case F::Inner: return c.inner ? boolean(*c.inner) : FilterFieldValue{};
    case F::HideObject: return c.composite ? boolean(!*c.composite) : FilterFieldValue{};
    case F::BlurX: return c.blurX ? number(*c.blurX) : FilterFieldValue{};
    case F::BlurY: return c.blurY ? number(*c.blurY) : FilterFieldValue{};
    case F::Type:
        if (!c.inner || !c.onTop) return FilterFieldValue{};
        return text(*c.onTop ? "full" : *c.inner ? "inner" : "outer");
    case F::Matrix: {
        std::vector<double> values;
        if (kind_ == FilterClass::ColorMatrix)
            for (float v : f.colorMatrix.matrix) values.push_back(v);
        else if (convolution)
            for (float v : f.convolution.matrix) values.push_back(v);
        else
            return FilterFieldValue{};
        return numbers(std::move(values));
    }
    case F::MatrixX: return convolution ? number(f.convolution.matrixX) : FilterFieldValue{};
    case F::MatrixY: return convolution ? number(f.convolution.matrixY) : FilterFieldValue{};
    case F::Divisor: return convolution ? number(f.convolution.divisor) : FilterFieldValue{};
    case F::Bias: return convolution ? number(f.convolution.bias) : FilterFieldValue{};
    case F::PreserveAlpha: return convolution ? boolean(f.convolution.preserveAlpha) : FilterFieldValue{};
    case F::Clamp: return convolution ? boolean(f.convolution.clamp) : FilterFieldValue{};
    case F::Colors:
        if (!isGradient(kind_)) return FilterFieldValue{};
        return numbers(std::vector<double>(colors_, colors_ + count_));
    case F::Alphas:
        if (!isGradient(kind_)) return FilterFieldValue{};
        return numbers(std::vector<double>(alphas_, alphas_ + count_));
    case F::Ratios:
        if (!isGradient(kind_)) return FilterFieldValue{};
        return numbers(std::vector<double>(ratios_, ratios_ + count_));
    case F::MapBitmap: {
        FilterFieldValue r;
        r.type = FilterFieldType::Bitmap, r.present = displacement;
        return r;
    }
    case F::MapPoint:
        if (!displacement) return FilterFieldValue{};
        return numbers({double(mapX_), double(mapY_)}, FilterFieldType::Point);
    case F::ComponentX: return displacement ? number(componentX_) : FilterFieldValue{};
    case F::ComponentY: return displacement ? number(componentY_) : FilterFieldValue{};
    case F::ScaleX: return displacement ? number(scaleX_) : FilterFieldValue{};
    case F::ScaleY: return displacement ? number(scaleY_) : FilterFieldValue{};
    case F::Mode: return displacement ? text(mode_) : FilterFieldValue{};
    case F::Count: break;
    }
    return FilterFieldValue{};
}

void ScriptFilter::setNumber(FilterField field, double v) {
    Common c = common();
    auto& conv = f_.convolution;
    bool bevel = kind_ == FilterClass::Bevel, convolution = kind_ == FilterClass::Convolution;
    bool displacement = kind_ == FilterClass::DisplacementMap;
    using F = FilterField;
    switch (field) {
    case F::Distance:
        if (c.distance) *c.distance = v;
        break;
    case F::Angle:
        if (c.angle) *c.angle = std::fmod(v, 360.0) * std::numbers::pi / 180;
        break;
    case F::Color:
        if (c.color) setColor(*c.color, v);
        break;
    case F::Alpha:
        if (c.color) setAlpha(*c.color, v);
        break;
    case F::HighlightColor:
        if (bevel) setColor(f_.bevel.highlightColor, v);
        break;
    case F::HighlightAlpha:
        if (bevel) setAlpha(f_.bevel.highlightColor, v);
        break;
    case F::ShadowColor:
        if (bevel) setColor(f_.bevel.shadowColor, v);
        break;
    case F::ShadowAlpha:
        if (bevel) setAlpha(f_.bevel.shadowColor, v);
        break;
    case F::Quality:
        if (c.passes) *c.passes = std::clamp(truncated(v), 0, 15);
        break;
    case F::Strength:
        if (c.strength) *c.strength = clampNumber(v, 0, 255);
        break;
    case F::BlurX:
        if (c.blurX) *c.blurX = clampNumber(v, 0, 255);
        break;
    case F::BlurY:
        if (c.blurY) *c.blurY = clampNumber(v, 0, 255);
        break;
    case F::MatrixX:
    case F::MatrixY:
        if (!convolution) break;
        (field == F::MatrixX ? conv.matrixX : conv.matrixY) = std::clamp(truncated(v), 0, kMaxConvolutionSide);
        padConvolution(conv);
        break;
    case F::Divisor:
        if (convolution) conv.divisor = float(v);
        break;
    case F::Bias:
        if (convolution) conv.bias = float(v);
        break;
    case F::ComponentX:
        if (displacement) componentX_ = truncated(v);
        break;
    case F::ComponentY:
        if (displacement) componentY_ = truncated(v);
        break;
    case F::ScaleX:
        if (displacement) scaleX_ = clampNumber(v, -65535, 65535);
        break;
    case F::ScaleY:
        if (displacement) scaleY_ = clampNumber(v, -65535, 65535);
        break;
    default: break;
    }
}

void ScriptFilter::setBoolean(FilterField field, bool v) {
    Common c = common();
    bool convolution = kind_ == FilterClass::Convolution;
    switch (field) {
    case FilterField::Knockout:
        if (c.knockout) *c.knockout = v;
        break;
    case FilterField::Inner:
        if (c.inner) *c.inner = v;
        break;
    case FilterField::HideObject:
        if (c.composite) *c.composite = !v;
        break;
    case FilterField::PreserveAlpha:
        if (convolution) f_.convolution.preserveAlpha = v;
        break;
    case FilterField::Clamp:
        if (convolution) f_.convolution.clamp = v;
        break;
    default: break;
    }
}

void ScriptFilter::setString(FilterField field, const std::string& v) {
    if (field == FilterField::Type) {
        Common c = common();
        if (!c.inner || !c.onTop) return;
        *c.inner = v == "inner";
        *c.onTop = v != "inner" && v != "outer";
    } else if (field == FilterField::Mode && kind_ == FilterClass::DisplacementMap) {
        mode_ = v == "clamp" || v == "ignore" || v == "color" ? v : "wrap";
    }
}

ScriptFilter::ListShape ScriptFilter::listShape(FilterField field) const {
    if (field == FilterField::Matrix)
        return kind_ == FilterClass::ColorMatrix ? ListShape{20, true} : ListShape{kMaxConvolutionValues, false};
    return ListShape{kMaxStops, false};
}

// Colours set how many stops there are; alphas fill the stops in use (1 where none is given);
// ratios fill them too and cut the stops down to as many as were given.
void ScriptFilter::setNumbers(FilterField field, const std::vector<double>& given) {
    bool gradient = isGradient(kind_);
    switch (field) {
    case FilterField::Matrix:
        if (kind_ == FilterClass::ColorMatrix) {
            for (size_t i = 0; i < 20; ++i) f_.colorMatrix.matrix[i] = i < given.size() ? float(given[i]) : NAN;
        } else if (kind_ == FilterClass::Convolution) {
            auto& conv = f_.convolution;
            conv.matrix.clear();
            for (size_t i = 0; i < given.size() && i < kMaxConvolutionValues; ++i) conv.matrix.push_back(float(given[i]));
            padConvolution(conv);
        }
        break;
    case FilterField::Colors: {
        if (!gradient) break;
        size_t n = std::min<size_t>(given.size(), kMaxStops);
        for (size_t i = 0; i < n; ++i) colors_[i] = uint32_t(toInt32(given[i])) & 0xFFFFFF;
        count_ = int(n);
        break;
    }
    case FilterField::Alphas:
        if (!gradient) break;
        for (size_t i = 0; i < size_t(count_); ++i) alphas_[i] = i < given.size() ? stopAlpha(given[i]) : 1;
        break;
    case FilterField::Ratios: {
        if (!gradient) break;
        size_t n = std::min(given.size(), size_t(count_));
        for (size_t i = 0; i < n; ++i) ratios_[i] = int(clampNumber(given[i], 0, 255));
        count_ = int(n);
        break;
    }
    default: break;
    }
}

// A point missing either coordinate is the origin.
void ScriptFilter::setPoint(double x, double y) {
    if (kind_ != FilterClass::DisplacementMap) return;
    bool whole = std::isfinite(x) && std::isfinite(y);
    mapX_ = whole ? truncated(x) : 0;
    mapY_ = whole ? truncated(y) : 0;
}

Filter ScriptFilter::toDisplay(std::shared_ptr<PixelSource> map) const {
    if (kind_ == FilterClass::DisplacementMap) {
        Filter out;
        out.kind = Filter::Kind::DisplacementMap;
        DisplacementMapFilter& d = out.displacement;
        d.mapSource = map ? std::move(map) : shownMap_;
        d.mapX = mapX_, d.mapY = mapY_;
        d.componentX = componentX_, d.componentY = componentY_;
        // The player keeps a displacement's scales in single precision.
        d.scaleX = singlePrecision(scaleX_), d.scaleY = singlePrecision(scaleY_);
        using Mode = DisplacementMapFilter::Mode;
        d.mode = mode_ == "clamp" ? Mode::Clamp : mode_ == "ignore" ? Mode::Ignore : mode_ == "color" ? Mode::Color : Mode::Wrap;
        d.color = color_;
        return out;
    }
    Filter out = f_;
    if (isGradient(kind_)) {
        out.gradient.stops.clear();
        for (int i = 0; i < count_; ++i) {
            uint32_t c = colors_[i];
            out.gradient.stops.push_back(GradientStop{
                uint8_t(ratios_[i]), Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(std::lround(alphas_[i] * 255))}});
        }
    }
    return out;
}

ScriptFilter ScriptFilter::fromDisplay(const Filter& f) {
    FilterClass kind = FilterClass::Blur;
    switch (f.kind) {
    case Filter::Kind::DisplacementMap: kind = FilterClass::DisplacementMap; break;
    case Filter::Kind::DropShadow: kind = FilterClass::DropShadow; break;
    case Filter::Kind::Blur: kind = FilterClass::Blur; break;
    case Filter::Kind::Glow: kind = FilterClass::Glow; break;
    case Filter::Kind::Bevel: kind = FilterClass::Bevel; break;
    case Filter::Kind::GradientGlow: kind = FilterClass::GradientGlow; break;
    case Filter::Kind::Convolution: kind = FilterClass::Convolution; break;
    case Filter::Kind::ColorMatrix: kind = FilterClass::ColorMatrix; break;
    case Filter::Kind::GradientBevel: kind = FilterClass::GradientBevel; break;
    }
    ScriptFilter s(kind);
    if (kind == FilterClass::DisplacementMap) {
        const DisplacementMapFilter& d = f.displacement;
        using Mode = DisplacementMapFilter::Mode;
        s.mapX_ = d.mapX, s.mapY_ = d.mapY, s.componentX_ = d.componentX, s.componentY_ = d.componentY;
        s.scaleX_ = d.scaleX, s.scaleY_ = d.scaleY, s.color_ = d.color, s.shownMap_ = d.mapSource;
        s.mode_ = d.mode == Mode::Clamp ? "clamp" : d.mode == Mode::Ignore ? "ignore" : d.mode == Mode::Color ? "color" : "wrap";
        return s;
    }
    s.f_ = f;
    if (isGradient(kind)) {
        s.count_ = int(std::min<size_t>(f.gradient.stops.size(), kMaxStops));
        for (int i = 0; i < s.count_; ++i) {
            const GradientStop& stop = f.gradient.stops[size_t(i)];
            s.colors_[i] = uint32_t(stop.color.r) << 16 | uint32_t(stop.color.g) << 8 | stop.color.b;
            s.alphas_[i] = stop.color.a / 255.0;
            s.ratios_[i] = stop.ratio;
        }
    }
    return s;
}

}  // namespace swf::avm1
