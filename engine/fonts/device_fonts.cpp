#include "engine/fonts/device_fonts.h"

#include <algorithm>
#include <cctype>

#include "engine/base/ascii_case.h"
#include "engine/paths/shape_paths.h"

namespace swf {

namespace {

std::string folded(const std::string& s) { return asciiLower(s); }

}  // namespace

DeviceFont::DeviceFont(std::unique_ptr<FontFace> face) : face_(std::move(face)), metrics_(face_->metrics()) {
    if (!(metrics_.emSquare > 0)) metrics_.emSquare = 1024;
}

uint32_t DeviceFont::glyphIndex(uint32_t codePoint) {
    auto it = indices_.find(codePoint);
    if (it != indices_.end()) return it->second;
    return indices_.emplace(codePoint, face_->glyphIndex(codePoint)).first->second;
}

double DeviceFont::advance(uint32_t glyph) {
    auto it = advances_.find(glyph);
    if (it != advances_.end()) return it->second;
    return advances_.emplace(glyph, face_->advance(glyph)).first->second;
}

double DeviceFont::kerning(uint32_t left, uint32_t right) {
    auto key = std::make_pair(left, right);
    auto it = kerning_.find(key);
    if (it != kerning_.end()) return it->second;
    return kerning_.emplace(key, face_->kerning(left, right)).first->second;
}

const ShapePaths& DeviceFont::paths(uint32_t glyph) {
    auto it = paths_.find(glyph);
    if (it != paths_.end()) return it->second;
    Shape shape;
    FillStyle white;
    white.color = {255, 255, 255, 255};
    shape.fillStyles = {white};
    shape.records = face_->outline(glyph);
    return paths_.emplace(glyph, buildShapePaths(shape)).first->second;
}

std::string systemFamily(const std::string& movieFontName) {
    static const std::pair<const char*, const char*> kGeneric[] = {
        {"_sans", "Arial"},
        {"_serif", "Times New Roman"},
        {"_typewriter", "Courier New"},
        {"_\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", "MS Gothic"},  // _ゴシック (gothic)
        {"_\xE7\xAD\x89\xE5\xB9\x85", "MS Gothic"},                          // _等幅 (fixed width)
        {"_\xE6\x98\x8E\xE6\x9C\x9D", "MS Mincho"},                          // _明朝 (mincho)
    };
    std::string key = folded(movieFontName);
    for (auto& [generic, family] : kGeneric)
        if (key == generic) return family;
    return movieFontName;
}

std::string metricCompatibleFamily(const std::string& family) {
    static const std::pair<const char*, const char*> kStandIns[] = {
        {"arial", "Liberation Sans"},            {"helvetica", "Liberation Sans"},
        {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},      {"courier", "Liberation Mono"},
    };
    std::string key = folded(family);
    for (auto& [name, standIn] : kStandIns)
        if (key == name) return standIn;
    return {};
}

void DeviceFonts::setSource(std::shared_ptr<FontSource> source) {
    source_ = std::move(source);
    fonts_.clear();
}

DeviceFont* DeviceFonts::opened(const std::string& family, bool bold, bool italic) {
    auto key = std::make_tuple(folded(family), bold, italic);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    std::unique_ptr<FontFace> face = source_->open(family, bold, italic);
    auto& slot = fonts_[key];
    if (face) slot = std::make_unique<DeviceFont>(std::move(face));
    return slot.get();
}

DeviceFont* DeviceFonts::font(const std::string& movieFontName, bool bold, bool italic) {
    if (!source_) return nullptr;
    std::string family = systemFamily(movieFontName.empty() ? "_serif" : movieFontName);
    const std::string sans = systemFamily("_sans");
    for (const std::string& f : {family, sans}) {
        if (DeviceFont* font = opened(f, bold, italic)) return font;
        if ((bold || italic) && opened(f, false, false)) return opened(f, false, false);
    }
    return nullptr;
}

std::vector<std::string> DeviceFonts::families() { return source_ ? source_->families() : std::vector<std::string>{}; }

}  // namespace swf
