// The bitmap filter classes as scripts of either machine see them: each class's fields in the
// order scripts list them, its constructor's arguments, the defaults, the ranges the player holds
// values in (alphas in 1/255 steps, blur and strength up to 255, quality up to 15, angles given in
// degrees and kept as radians), and the conversion to and from the display's filters. The script
// machines only turn their values into the plain ones each field takes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/effects.h"

namespace swf::avm1 {

enum class FilterClass : uint8_t {
    DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel, DisplacementMap
};

enum class FilterField : uint8_t {
    Distance, Angle, Color, Alpha, HighlightColor, HighlightAlpha, ShadowColor, ShadowAlpha, Quality, Strength,
    Knockout, Inner, HideObject, BlurX, BlurY, Type, Matrix, MatrixX, MatrixY, Divisor, Bias, PreserveAlpha,
    Clamp, Colors, Alphas, Ratios, MapBitmap, MapPoint, ComponentX, ComponentY, ScaleX, ScaleY, Mode, Count
};

// What a field takes from a script and gives back.
enum class FilterFieldType : uint8_t { Number, Boolean, String, Numbers, Point, Bitmap };

const char* filterClassName(FilterClass c);  // "BlurFilter"...
const char* filterFieldName(FilterField f);  // "blurX"...
FilterFieldType filterFieldType(FilterField f);

struct FilterClassInfo {
    FilterClass kind;
    std::vector<FilterField> fields;     // as scripts enumerate them
    std::vector<FilterField> arguments;  // the constructor's, in order
};
const std::vector<FilterClassInfo>& filterClasses();
const FilterClassInfo& filterClassInfo(FilterClass c);

// A field's value as a script reads it; `present` is false where the class has no such field.
struct FilterFieldValue {
    FilterFieldType type = FilterFieldType::Number;
    bool present = false;
    double number = 0;
    bool boolean = false;
    std::string text;
    std::vector<double> numbers;  // lists; a point's x and y
};

class ScriptFilter {
public:
    explicit ScriptFilter(FilterClass kind);  // as a new script object starts
    // A filter read back from the display (a displacement map keeps the pixels it showed).
    static ScriptFilter fromDisplay(const Filter& f);

    FilterClass kind() const { return kind_; }
    FilterFieldValue get(FilterField field) const;
    // Setters by what each field takes; a field the class does not have is left alone.
    void setNumber(FilterField field, double v);
    void setBoolean(FilterField field, bool v);
    void setString(FilterField field, const std::string& v);
    void setNumbers(FilterField field, const std::vector<double>& v);
    void setPoint(double x, double y);  // mapPoint
    // A script gave a displacement filter a map bitmap of its own: the one shown before is dropped.
    void forgetShownMap() { shownMap_.reset(); }
    // How many entries of a list a script value gives: exactly `count` when `fixed` (read by index
    // whatever its length), otherwise up to `count` of its length.
    struct ListShape {
        size_t count;
        bool fixed;
    };
    ListShape listShape(FilterField field) const;

    // The display's form. `map`: the pixels of a displacement filter's map bitmap as they will be
    // at each paint; null takes the map a filter read back from the display showed.
    Filter toDisplay(std::shared_ptr<PixelSource> map) const;
    // The map a filter read back from the display showed, if any.
    const std::shared_ptr<PixelSource>& shownMap() const { return shownMap_; }

    bool operator==(const ScriptFilter&) const = default;

private:
    struct Common;
    Common common();
    static constexpr int kMaxStops = 16;

    FilterClass kind_;
    Filter f_;
    // Gradient stops as scripts see them: fixed slots, `count_` of them in use.
    uint32_t colors_[kMaxStops] = {};
    double alphas_[kMaxStops] = {};
    int ratios_[kMaxStops] = {};
    int count_ = 0;
    // Displacement map.
    int mapX_ = 0, mapY_ = 0, componentX_ = 0, componentY_ = 0;
    double scaleX_ = 0, scaleY_ = 0;
    std::string mode_ = "wrap";
    Rgba color_{0, 0, 0, 0};
    std::shared_ptr<PixelSource> shownMap_;
};

}  // namespace swf::avm1
