// The device fonts of one player: faces opened from the host's font source once and kept, with
// the metrics, glyph indices, advances, kerning and painted outlines that layout and painting ask
// for, each fetched from the source once.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "engine/base/paths.h"
#include "engine/fonts/font_source.h"

namespace swf {

class DeviceFont {
public:
    explicit DeviceFont(std::unique_ptr<FontFace> face);

    const std::string& family() const { return face_->family(); }
    const FaceMetrics& metrics() const { return metrics_; }
    uint32_t glyphIndex(uint32_t codePoint);
    double advance(uint32_t glyph);
    double kerning(uint32_t left, uint32_t right);
    // The glyph filled in opaque white (painters colour it), in glyph units.
    const ShapePaths& paths(uint32_t glyph);

private:
    std::unique_ptr<FontFace> face_;
    FaceMetrics metrics_;
    std::unordered_map<uint32_t, uint32_t> indices_;
    std::unordered_map<uint32_t, double> advances_;
    std::map<std::pair<uint32_t, uint32_t>, double> kerning_;
    std::unordered_map<uint32_t, ShapePaths> paths_;
};

// The system family a movie's font name stands for: Flash's generic names ("_sans", "_serif",
// "_typewriter" and the Japanese ones) mapped to the faces the reference player used; any other
// name as it is.
std::string systemFamily(const std::string& movieFontName);

// The freely licensed face drawn to the same metrics as a Windows face that movies often name
// ("Arial" to "Liberation Sans", ...): where the system lacks the original, text in the stand-in
// takes the same room. Empty for a family without one.
std::string metricCompatibleFamily(const std::string& family);

class DeviceFonts {
public:
    // Replaces the source; faces already opened are dropped.
    void setSource(std::shared_ptr<FontSource> source);
    bool hasSource() const { return source_ != nullptr; }

    // The face for a movie's font name at a style. A family the system lacks is replaced by the
    // "_sans" face, and a style it lacks by the plain face; null when there is no source or it has
    // none of these.
    DeviceFont* font(const std::string& movieFontName, bool bold, bool italic);
    std::vector<std::string> families();

private:
    DeviceFont* opened(const std::string& family, bool bold, bool italic);

    std::shared_ptr<FontSource> source_;
    // Null entries are families the source does not have, not asked again.
    std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<DeviceFont>> fonts_;
};

}  // namespace swf
