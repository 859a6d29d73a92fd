#include "engine/core/character_library.h"

#include <algorithm>

#include "engine/core/fallback_font.h"
#include "engine/core/picture_box.h"
#include "engine/parse/bitmap_decoder.h"
#include "engine/paths/morph_shape.h"
#include "engine/paths/shape_paths.h"

namespace swf {

namespace {
// Morph paths are kept per ratio; a tween uses a few dozen ratios, but a movie driving the ratio
// freely could make any number, so the cache is emptied past this many.
constexpr size_t kMaxCachedMorphs = 512;
}  // namespace

CharacterLibrary::CharacterLibrary(std::shared_ptr<const Movie> movie) : movie_(std::move(movie)) {}

const ShapePaths* CharacterLibrary::shape(uint16_t id) {
    auto it = shapes_.find(id);
    if (it != shapes_.end()) return &it->second;
    const Shape* s = movie_->findAs<Shape>(id);
    if (!s) return nullptr;
    ShapePaths paths = buildShapePaths(*s);
    resolveBitmaps(paths);
    return &shapes_.emplace(id, std::move(paths)).first->second;
}

const ShapePaths* CharacterLibrary::morph(uint16_t id, uint16_t ratio) {
    auto key = std::make_pair(id, ratio);
    auto it = morphs_.find(key);
    if (it != morphs_.end()) return &it->second;
    const MorphShape* m = movie_->findAs<MorphShape>(id);
    if (!m) return nullptr;
    if (morphs_.size() >= kMaxCachedMorphs) morphs_.clear();
    ShapePaths paths = buildShapePaths(interpolateMorph(*m, ratio / 65535.0));
    resolveBitmaps(paths);
    return &morphs_.emplace(key, std::move(paths)).first->second;
}

namespace {

// A glyph's records select fill style 1, which the font does not store: it is the text colour, so the
// glyph is filled in white and coloured by its caller.
ShapePaths whiteGlyphPaths(const Font& font, uint32_t index) {
    Shape glyphShape = font.glyphs[index];
    FillStyle white;
    white.color = {255, 255, 255, 255};
    glyphShape.fillStyles = {white};
    glyphShape.lineStyles.clear();
    for (ShapeRecord& r : glyphShape.records) {
        if (r.hasNewStyles) {
            r.newFillStyles = {white};
            r.newLineStyles.clear();
        }
        if (r.hasLine) r.line = 0;
    }
    return buildShapePaths(glyphShape);
}

}  // namespace

const ShapePaths* CharacterLibrary::glyph(uint16_t fontId, uint32_t index) {
    auto key = std::make_pair(fontId, index);
    auto it = glyphs_.find(key);
    if (it != glyphs_.end()) return &it->second;
    const Font* font = movie_->findAs<Font>(fontId);
    if (!font || index >= font->glyphs.size()) return nullptr;
    return &glyphs_.emplace(key, whiteGlyphPaths(*font, index)).first->second;
}

const ShapePaths* CharacterLibrary::fallbackGlyph(uint32_t index) {
    auto it = fallbackGlyphs_.find(index);
    if (it != fallbackGlyphs_.end()) return &it->second;
    if (index >= fallbackFont().glyphs.size()) return nullptr;
    return &fallbackGlyphs_.emplace(index, whiteGlyphPaths(fallbackFont(), index)).first->second;
}

BitmapRef CharacterLibrary::bitmap(uint16_t id) { return decodedBitmap(id).image; }

const CharacterLibrary::DecodedBitmap& CharacterLibrary::decodedBitmap(uint16_t id) {
    auto it = bitmaps_.find(id);
    if (it != bitmaps_.end()) return it->second;
    DecodedBitmap entry;
    if (const EncodedBitmap* encoded = movie_->findAs<EncodedBitmap>(id)) {
        std::string error;
        entry.image = decodeBitmap(*encoded, movie_->jpegTables, error);
        if (!entry.image) warn("bitmap " + std::to_string(id) + " could not be decoded: " + error);
    }
    if (entry.image) {
        // Known once per bitmap, so drawing never has to look at every pixel to learn it.
        const auto& pixels = entry.image->pixels;
        entry.opaque = true;
        for (size_t i = 3; i < pixels.size() && entry.opaque; i += 4) entry.opaque = pixels[i] == 255;
    }
    return bitmaps_.emplace(id, std::move(entry)).first->second;
}

BitmapRef CharacterLibrary::videoFrame(uint16_t id, uint16_t number) {
    auto it = videos_.find(id);
    if (it == videos_.end()) {
        const VideoStream* stream = movie_->findAs<VideoStream>(id);
        if (!stream) return nullptr;
        if (videos_.size() >= kMaxLiveVideoStreams) {
            auto oldest = std::min_element(videos_.begin(), videos_.end(), [](const auto& a, const auto& b) {
                return a.second.lastAsked < b.second.lastAsked;
            });
            videos_.erase(oldest);
        }
        it = videos_.emplace(id, LiveVideo{std::make_unique<VideoPlayback>(*stream)}).first;
    }
    it->second.lastAsked = ++videoRequests_;
    VideoPlayback& playback = *it->second.playback;
    BitmapRef picture = playback.frame(number);
    if (!playback.problem().empty()) warn("video " + std::to_string(id) + ": " + playback.problem());
    return picture;
}

ShapePaths CharacterLibrary::videoPaths(uint16_t id, const BitmapRef& picture, bool smoothing) {
    const VideoStream* stream = movie_->findAs<VideoStream>(id);
    if (!stream) return {};
    // The picture is stretched over the stream's box, whatever size it was coded at.
    double w = stream->width * kTwipsPerPixel, h = stream->height * kTwipsPerPixel;
    FillStyle fill;
    fill.bitmapId = id;
    fill.bitmap = picture;
    if (picture && !picture->empty()) fill.bitmapMatrix = Matrix::scale(w / picture->width, h / picture->height);
    fill.bitmapSmoothed = smoothing;
    fill.bitmapOpaque = stream->codec() != VideoCodec::Vp6Alpha;
    return pictureBoxPaths(Rect{0, 0, w, h}, std::move(fill));
}

void CharacterLibrary::resolveFill(FillStyle& fill) {
    if (fill.kind != FillStyle::Kind::Bitmap) return;
    const DecodedBitmap& decoded = decodedBitmap(fill.bitmapId);
    fill.bitmap = decoded.image;
    fill.bitmapOpaque = decoded.opaque;
}

void CharacterLibrary::resolveBitmaps(ShapePaths& paths) {
    for (PathLayer& layer : paths.layers) {
        for (FillPath& f : layer.fills) resolveFill(f.style);
        for (StrokePath& s : layer.strokes)
            if (s.style.fill) resolveFill(*s.style.fill);
    }
}

void CharacterLibrary::warn(const std::string& message) {
    if (std::find(reported_.begin(), reported_.end(), message) != reported_.end()) return;
    reported_.push_back(message);
    warnings_.push_back(message);
}

std::vector<std::string> CharacterLibrary::takeWarnings() { return std::exchange(warnings_, {}); }

}  // namespace swf
