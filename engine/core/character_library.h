// The movie's characters as the player draws them: shape paths with their bitmaps resolved, morph
// shapes at a ratio, font glyphs, and decoded bitmaps. Everything is made once, on first use, and
// kept; a character that cannot be made is reported once and then drawn as nothing.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/paths.h"
#include "engine/fonts/device_fonts.h"
#include "engine/parse/movie.h"
#include "engine/video/video_playback.h"

namespace swf {

class CharacterLibrary {
public:
    explicit CharacterLibrary(std::shared_ptr<const Movie> movie);

    const Movie& movie() const { return *movie_; }

    // Paths of a DefineShape; null when `id` names no shape.
    const ShapePaths* shape(uint16_t id);
    // Paths of a morph shape at `ratio` (0..65535); null when `id` names no morph shape.
    const ShapePaths* morph(uint16_t id, uint16_t ratio);
    // One glyph of a font filled in opaque white (callers colour it with a colour transform), in the
    // font's glyph units; null when the font or glyph does not exist.
    const ShapePaths* glyph(uint16_t fontId, uint32_t index);
    // The same for a glyph of the font that stands in for device fonts.
    const ShapePaths* fallbackGlyph(uint32_t index);
    BitmapRef bitmap(uint16_t id);
    // The picture a video stream shows at timeline frame `number` (its ratio), decoded on demand
    // and kept while unchanged; null when it has none (or `id` names no video). Decoders of at most
    // kMaxLiveVideoStreams streams are kept: the one asked for least recently goes first (a stream
    // asked for again decodes from its key frame before the frame).
    BitmapRef videoFrame(uint16_t id, uint16_t number);
    static constexpr size_t kMaxLiveVideoStreams = 8;
    size_t liveVideoStreams() const { return videos_.size(); }
    // The rectangle of a video stream at its stated size, filled with `picture` (null: nothing).
    ShapePaths videoPaths(uint16_t id, const BitmapRef& picture, bool smoothing);
    // The system faces that device text is drawn with (none until the host gives a font source).
    DeviceFonts& deviceFonts() { return deviceFonts_; }

    // Lines about characters that could not be made, each reported once.
    void warn(const std::string& message);
    std::vector<std::string> takeWarnings();

private:
    void resolveBitmaps(ShapePaths& paths);
    void resolveFill(FillStyle& fill);

    std::shared_ptr<const Movie> movie_;
    std::map<uint16_t, ShapePaths> shapes_;
    std::map<std::pair<uint16_t, uint16_t>, ShapePaths> morphs_;
    std::map<std::pair<uint16_t, uint32_t>, ShapePaths> glyphs_;
    std::map<uint32_t, ShapePaths> fallbackGlyphs_;
    DeviceFonts deviceFonts_;
    struct DecodedBitmap {
        BitmapRef image;      // null: failed once, not retried
        bool opaque = false;  // every pixel has alpha 255
    };
    const DecodedBitmap& decodedBitmap(uint16_t id);
    std::map<uint16_t, DecodedBitmap> bitmaps_;
    struct LiveVideo {
        std::unique_ptr<VideoPlayback> playback;
        uint64_t lastAsked = 0;
    };
    std::map<uint16_t, LiveVideo> videos_;
    uint64_t videoRequests_ = 0;
    std::vector<std::string> warnings_;
    std::vector<std::string> reported_;
};

}  // namespace swf
