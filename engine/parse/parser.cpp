#include "engine/parse/parser.h"

#include <string>
#include <type_traits>

#include "engine/parse/control_parser.h"
#include "engine/parse/inflate.h"
#include "engine/parse/jpeg_info.h"
#include "engine/parse/lzma_decode.h"
#include "engine/parse/shape_parser.h"
#include "engine/parse/sound_parser.h"
#include "engine/parse/swf_reader.h"
#include "engine/parse/text_parser.h"

namespace swf {
namespace {

enum Tag : uint16_t {
    kEnd = 0, kShowFrame = 1, kDefineShape = 2, kPlaceObject = 4, kRemoveObject = 5, kDefineBits = 6,
    kDefineButton = 7, kJpegTables = 8, kSetBackgroundColor = 9, kDefineFont = 10, kDefineText = 11,
    kDoAction = 12, kDefineFontInfo = 13, kDefineBitsLossless = 20, kDefineBitsJpeg2 = 21, kDefineShape2 = 22,
    kDefineButtonCxform = 23, kPlaceObject2 = 26, kRemoveObject2 = 28, kDefineShape3 = 32, kDefineText2 = 33,
    kDefineButton2 = 34, kDefineBitsJpeg3 = 35, kDefineBitsLossless2 = 36, kDefineEditText = 37,
    kDefineSprite = 39, kFrameLabel = 43, kDefineMorphShape = 46, kDefineFont2 = 48, kExportAssets = 56,
    kDoInitAction = 59, kDefineFontInfo2 = 62, kFileAttributes = 69, kPlaceObject3 = 70, kDefineFont3 = 75,
    kDoAbc1 = 72, kSymbolClass = 76, kDoAbc = 82, kDefineShape4 = 83, kDefineMorphShape2 = 84, kDefineBitsJpeg4 = 90,
    kDefineSceneAndFrameLabelData = 86, kCsmTextSettings = 74,
    kDefineSound = 14, kStartSound = 15, kDefineButtonSound = 17, kSoundStreamHead = 18, kSoundStreamBlock = 19,
    kSoundStreamHead2 = 45, kStartSound2 = 89, kDefineVideoStream = 60, kVideoFrame = 61,
};

// A limit on the whole movie: it passes through the per-character recovery below.
class MovieLimitError : public ParseError {
public:
    explicit MovieLimitError(const std::string& message) : ParseError(Kind::Limit, message) {}
};

class MovieParser {
public:
    MovieParser(Movie& movie, const ParseLimits& limits) : movie_(movie), limits_(limits) {}

    // Reads tags into `timeline` up to End or the end of `r`. Data that ends inside a tag keeps what
    // was read before it and adds a warning.
    void readTimeline(SwfReader& r, Timeline& timeline, int nesting) {
        Frame current;
        while (!r.atEnd()) {
            if (++tagCount_ > limits_.maxTagCount)
                throw MovieLimitError("movie has more than " + std::to_string(limits_.maxTagCount) + " tags (limit)");
            uint16_t codeAndLength;
            uint32_t length;
            try {
                codeAndLength = r.u16();
                length = codeAndLength & 0x3F;
                if (length == 0x3F) length = r.u32();
            } catch (const ParseError&) {
                warn("data ends inside a tag header");
                break;
            }
            uint16_t code = codeAndLength >> 6;
            if (length > r.remaining()) {
                warn("tag " + std::to_string(code) + " runs past the end of the data; the rest is dropped");
                r.skip(r.remaining());
                break;
            }
            SwfReader body = r.sub(length);
            if (code == kEnd) break;
            if (code == kShowFrame) {
                timeline.frames.push_back(std::move(current));
                current = Frame{};
                continue;
            }
            readTag(code, body, current, nesting);
        }
        if (timeline.frames.empty() && !current.tags.empty()) timeline.frames.push_back(std::move(current));
    }

private:
    void warn(const std::string& line) {
        if (movie_.warnings.size() < 1000) movie_.warnings.push_back(line);
    }

    // Each shape has its own record limit; this one bounds them all together, so that many shapes
    // just under it cannot take all memory. The shape that goes past it fails.
    template <typename Definition>
    Definition counted(Definition def) {
        size_t records = 0;
        if constexpr (std::is_same_v<Definition, Shape>) {
            records = def.records.size();
        } else if constexpr (std::is_same_v<Definition, MorphShape>) {
            records = def.startRecords.size() + def.endRecords.size();
        } else {
            for (const Shape& glyph : def.glyphs) records += glyph.records.size();
        }
        if (records > limits_.maxTotalShapeRecords - shapeRecords_)  // never above the limit
            throw ParseError(ParseError::Kind::Limit, "shapes hold more than " +
                                                          std::to_string(limits_.maxTotalShapeRecords) +
                                                          " records together (limit)");
        shapeRecords_ += records;
        return def;
    }

    void addCharacter(uint16_t id, uint16_t code, CharacterDefinition def) {
        if (movie_.characters.count(id)) {
            warn("character " + std::to_string(id) + " defined again; the first definition stays");
            return;
        }
        movie_.characters.emplace(id, Character{id, code, std::move(def)});
    }

    void readTag(uint16_t code, SwfReader& r, Frame& frame, int nesting) {
        uint16_t id = 0;
        bool defines = isDefinition(code);
        try {
            if (defines && code != kDefineFontInfo && code != kDefineFontInfo2 && code != kDefineButtonCxform)
                id = r.u16();
            readTagBody(code, id, r, frame, nesting);
        } catch (const MovieLimitError&) {
            throw;
        } catch (const ParseError& e) {
            if (defines && id != 0 && !movie_.characters.count(id)) {
                movie_.failedCharacters[id] = e.what();
            } else {
                warn("tag " + std::to_string(code) + " skipped: " + e.what());
            }
        }
    }

    static bool isDefinition(uint16_t code) {
        switch (code) {
        case kDefineShape: case kDefineShape2: case kDefineShape3: case kDefineShape4: case kDefineMorphShape:
        case kDefineMorphShape2: case kDefineBits: case kDefineBitsJpeg2: case kDefineBitsJpeg3:
        case kDefineBitsJpeg4: case kDefineBitsLossless: case kDefineBitsLossless2: case kDefineSprite:
        case kDefineFont: case kDefineFont2: case kDefineFont3: case kDefineText: case kDefineText2:
        case kDefineEditText: case kDefineButton: case kDefineButton2: case kDefineSound: case kDefineVideoStream:
            return true;
        default:
            return false;
        }
    }

    void readTagBody(uint16_t code, uint16_t id, SwfReader& r, Frame& frame, int nesting) {
        switch (code) {
        case kDefineShape: addCharacter(id, code, counted(readDefineShape(r, 1, limits_.maxShapeRecords))); break;
        case kDefineShape2: addCharacter(id, code, counted(readDefineShape(r, 2, limits_.maxShapeRecords))); break;
        case kDefineShape3: addCharacter(id, code, counted(readDefineShape(r, 3, limits_.maxShapeRecords))); break;
        case kDefineShape4: addCharacter(id, code, counted(readDefineShape(r, 4, limits_.maxShapeRecords))); break;
        case kDefineMorphShape:
            addCharacter(id, code, counted(readDefineMorphShape(r, 1, limits_.maxShapeRecords)));
            break;
        case kDefineMorphShape2:
            addCharacter(id, code, counted(readDefineMorphShape(r, 2, limits_.maxShapeRecords)));
            break;
        case kJpegTables: movie_.jpegTables = r.copy(r.remaining()); break;
        case kDefineBits:
        case kDefineBitsJpeg2:
        case kDefineBitsJpeg3:
        case kDefineBitsJpeg4: addCharacter(id, code, readJpeg(code, r)); break;
        case kDefineBitsLossless:
        case kDefineBitsLossless2: addCharacter(id, code, readLossless(code, r)); break;
        case kDefineSprite: {
            if (nesting + 1 > limits_.maxSpriteNesting)
                throw ParseError(ParseError::Kind::Limit, "sprites nested more than " +
                                                              std::to_string(limits_.maxSpriteNesting) + " deep (limit)");
            Sprite s;
            s.timeline.declaredFrameCount = r.u16();
            s.byteLength = static_cast<uint32_t>(r.remaining());
            readTimeline(r, s.timeline, nesting + 1);
            addCharacter(id, code, std::move(s));
            break;
        }
        case kDefineFont: addCharacter(id, code, counted(readDefineFont(r, limits_.maxShapeRecords))); break;
        case kDefineFont2: addCharacter(id, code, counted(readDefineFont2(r, 2, limits_.maxShapeRecords))); break;
        case kDefineFont3: addCharacter(id, code, counted(readDefineFont2(r, 3, limits_.maxShapeRecords))); break;
        case kDefineFontInfo:
        case kDefineFontInfo2: {
            uint16_t fontId = r.u16();
            auto it = movie_.characters.find(fontId);
            Font* font = it == movie_.characters.end() ? nullptr : std::get_if<Font>(&it->second.definition);
            if (!font) throwMalformed("font information for " + std::to_string(fontId) + ", which is no font");
            Font merged = *font;  // merge into a copy so that a damaged tag leaves the font as it was
            readDefineFontInfo(r, code == kDefineFontInfo ? 1 : 2, merged);
            *font = std::move(merged);
            break;
        }
        case kCsmTextSettings: {
            // Belongs to a text defined before it; the last settings for a text hold.
            uint16_t textId = r.u16();
            auto it = movie_.characters.find(textId);
            if (it == movie_.characters.end())
                throwMalformed("text settings for " + std::to_string(textId) + ", which is not defined");
            TextRenderSettings settings = readTextRenderSettings(r);
            if (auto* field = std::get_if<EditText>(&it->second.definition)) field->renderSettings = settings;
            else if (auto* text = std::get_if<StaticText>(&it->second.definition)) text->renderSettings = settings;
            else throwMalformed("text settings for " + std::to_string(textId) + ", which is no text");
            break;
        }
        case kDefineText: addCharacter(id, code, readDefineText(r, 1)); break;
        case kDefineText2: addCharacter(id, code, readDefineText(r, 2)); break;
        case kDefineEditText: addCharacter(id, code, readDefineEditText(r)); break;
        case kDefineButton: addCharacter(id, code, readDefineButton(r, 1)); break;
        case kDefineButton2: addCharacter(id, code, readDefineButton(r, 2)); break;
        case kDefineButtonCxform: {
            uint16_t buttonId = r.u16();
            auto it = movie_.characters.find(buttonId);
            Button* b = it == movie_.characters.end() ? nullptr : std::get_if<Button>(&it->second.definition);
            if (!b) throwMalformed("button colour transform for " + std::to_string(buttonId) + ", which is no button");
            ColorTransform c = r.cxform(false);
            for (ButtonRecord& rec : b->records) rec.colorTransform = c;
            break;
        }
        case kPlaceObject: frame.tags.push_back(readPlaceObject(r, 1)); break;
        case kPlaceObject2: frame.tags.push_back(readPlaceObject(r, 2)); break;
        case kPlaceObject3: frame.tags.push_back(readPlaceObject(r, 3)); break;
        case kRemoveObject: {
            RemoveObject rm;
            rm.characterId = r.u16();
            rm.depth = r.u16();
            frame.tags.push_back(rm);
            break;
        }
        case kRemoveObject2: frame.tags.push_back(RemoveObject{r.u16(), std::nullopt}); break;
        case kFrameLabel: {
            FrameLabel label;
            label.name = r.string();
            label.namedAnchor = !r.atEnd() && r.u8() == 1;
            frame.tags.push_back(std::move(label));
            break;
        }
        case kDoAction: frame.tags.push_back(DoAction{r.copy(r.remaining())}); break;
        case kDoInitAction: {
            DoInitAction a;
            a.spriteId = r.u16();
            a.bytes = r.copy(r.remaining());
            frame.tags.push_back(std::move(a));
            break;
        }
        case kSetBackgroundColor: frame.tags.push_back(SetBackgroundColor{r.rgb()}); break;
        case kFileAttributes: {
            uint8_t f = r.u8();
            FileAttributes& a = movie_.attributes;
            a.present = true;
            a.useDirectBlit = f & 0x40;
            a.useGpu = f & 0x20;
            a.hasMetadata = f & 0x10;
            a.actionScript3 = f & 0x08;
            a.useNetwork = f & 0x01;
            break;
        }
        case kExportAssets: {
            uint16_t n = r.u16();
            for (uint16_t i = 0; i < n; ++i) {
                uint16_t tagId = r.u16();
                movie_.exports[r.string()] = tagId;
            }
            break;
        }
        case kDoAbc:
        case kDoAbc1: {
            movie_.hasAbc = true;
            if (nesting > 0) break;  // byte code belongs to the main timeline only
            Movie::AbcBlock block;
            if (code == kDoAbc) {
                block.flags = r.u32();
                block.name = r.string();
            }
            block.bytes = r.copy(r.remaining());
            block.frame = static_cast<int>(movie_.timeline.frames.size());
            movie_.abcBlocks.push_back(std::move(block));
            break;
        }
        case kDefineSceneAndFrameLabelData: {
            if (nesting > 0) break;  // scenes belong to the main timeline
            // Numbers in this tag take one to five bytes, seven bits each.
            auto encoded = [&r] {
                uint32_t v = 0;
                for (int shift = 0; shift < 35; shift += 7) {
                    uint8_t b = r.u8();
                    v |= static_cast<uint32_t>(b & 0x7F) << shift;
                    if (!(b & 0x80)) break;
                }
                return v;
            };
            uint32_t n = encoded();
            if (n > r.remaining()) throwMalformed("more scenes than the tag holds");  // each takes two bytes at least
            std::vector<Movie::Scene> scenes;  // kept only when the whole list reads
            for (uint32_t i = 0; i < n; ++i) {
                Movie::Scene scene;
                scene.firstFrame = encoded();
                scene.name = r.string();
                scenes.push_back(std::move(scene));
            }
            movie_.scenes = std::move(scenes);
            break;  // the frame labels that follow repeat the timeline's FrameLabel tags
        }
        case kSymbolClass: {
            uint16_t n = r.u16();
            for (uint16_t i = 0; i < n; ++i) {
                uint16_t tagId = r.u16();
                movie_.symbolClasses.emplace_back(tagId, r.string());
            }
            break;
        }
        case kDefineSound: addCharacter(id, code, readDefineSound(r)); break;
        case kStartSound: {
            StartSound s;
            s.soundId = r.u16();
            s.info = readSoundInfo(r);
            frame.tags.push_back(std::move(s));
            break;
        }
        case kStartSound2: {
            StartSound s;
            s.className = r.string();
            s.info = readSoundInfo(r);
            frame.tags.push_back(std::move(s));
            break;
        }
        case kSoundStreamHead:
        case kSoundStreamHead2: frame.tags.push_back(readSoundStreamHead(r)); break;
        case kSoundStreamBlock: frame.tags.push_back(SoundStreamBlock{r.copy(r.remaining())}); break;
        case kDefineButtonSound: {
            uint16_t buttonId = r.u16();
            auto it = movie_.characters.find(buttonId);
            Button* b = it == movie_.characters.end() ? nullptr : std::get_if<Button>(&it->second.definition);
            if (!b) throwMalformed("button sounds for " + std::to_string(buttonId) + ", which is no button");
            b->sounds = readButtonSounds(r);
            break;
        }
        case kDefineVideoStream: addCharacter(id, code, readDefineVideoStream(r)); break;
        case kVideoFrame: readVideoFrame(r); break;
        default: break;  // unknown and unneeded tags (metadata, alignment zones...) are skipped
        }
    }

    void countPixels(int width, int height) {
        if (width > limits_.maxBitmapDimension || height > limits_.maxBitmapDimension)
            throw ParseError(ParseError::Kind::Limit, "bitmap of " + std::to_string(width) + "x" +
                                                          std::to_string(height) + " pixels is larger than " +
                                                          std::to_string(limits_.maxBitmapDimension) + " (limit)");
        uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        if (bitmapPixels_ + pixels > limits_.maxTotalBitmapPixels)
            throw ParseError(ParseError::Kind::Limit, "bitmaps of the movie exceed " +
                                                          std::to_string(limits_.maxTotalBitmapPixels) +
                                                          " pixels together (limit)");
        bitmapPixels_ += pixels;
    }

    VideoStream readDefineVideoStream(SwfReader& r) {
        VideoStream v;
        v.declaredFrameCount = r.u16();
        v.width = r.u16();
        v.height = r.u16();
        uint8_t flags = r.u8();
        v.deblocking = (flags >> 1) & 7;
        v.smoothing = flags & 1;
        v.codecId = r.u8();
        if (v.width > limits_.maxBitmapDimension || v.height > limits_.maxBitmapDimension)
            throw ParseError(ParseError::Kind::Limit, "video of " + std::to_string(v.width) + "x" +
                                                          std::to_string(v.height) + " pixels is larger than " +
                                                          std::to_string(limits_.maxBitmapDimension) + " (limit)");
        return v;
    }

    // A frame joins the stream it names; one for a stream that is not (yet) defined is dropped.
    void readVideoFrame(SwfReader& r) {
        uint16_t streamId = r.u16();
        uint16_t frameNumber = r.u16();
        auto it = movie_.characters.find(streamId);
        VideoStream* v = it == movie_.characters.end() ? nullptr : std::get_if<VideoStream>(&it->second.definition);
        if (!v) throwMalformed("video frame for " + std::to_string(streamId) + ", which is no video stream");
        if (v->frames.count(frameNumber)) {
            warn("video " + std::to_string(streamId) + " frame " + std::to_string(frameNumber) +
                 " given again; the first stays");
            return;
        }
        v->frames.emplace(frameNumber, r.copy(r.remaining()));
    }

    EncodedBitmap readJpeg(uint16_t code, SwfReader& r) {
        EncodedBitmap b;
        b.kind = EncodedBitmap::Kind::Jpeg;
        b.tagVersion = code == kDefineBits ? 1 : code == kDefineBitsJpeg2 ? 2 : code == kDefineBitsJpeg3 ? 3 : 4;
        b.usesMovieTables = code == kDefineBits;
        if (b.tagVersion >= 3) {
            uint32_t imageSize = r.u32();
            if (b.tagVersion == 4) b.deblocking = r.u16() / 256.0;
            b.imageData = r.copy(imageSize);
            b.alphaData = r.copy(r.remaining());
        } else {
            b.imageData = r.copy(r.remaining());
        }
        if (auto size = jpegFrameSize(b.imageData)) {
            b.width = static_cast<uint16_t>(size->width);
            b.height = static_cast<uint16_t>(size->height);
            countPixels(size->width, size->height);
        }
        return b;
    }

    EncodedBitmap readLossless(uint16_t code, SwfReader& r) {
        EncodedBitmap b;
        b.kind = EncodedBitmap::Kind::Lossless;
        b.tagVersion = code == kDefineBitsLossless ? 1 : 2;
        b.hasAlpha = b.tagVersion == 2;
        b.losslessFormat = r.u8();
        if (b.losslessFormat < 3 || b.losslessFormat > 5)
            throwMalformed("unknown lossless bitmap format " + std::to_string(b.losslessFormat));
        b.width = r.u16();
        b.height = r.u16();
        if (b.losslessFormat == 3) b.colorTableSize = static_cast<uint16_t>(r.u8() + 1);
        countPixels(b.width, b.height);
        b.zlibData = r.copy(r.remaining());
        return b;
    }

    Movie& movie_;
    const ParseLimits& limits_;
    size_t tagCount_ = 0;
    uint64_t bitmapPixels_ = 0;
    size_t shapeRecords_ = 0;
};

}  // namespace

Movie parseMovie(std::span<const uint8_t> file, const ParseLimits& limits) {
    if (file.size() < 8 || file[1] != 'W' || file[2] != 'S' || (file[0] != 'F' && file[0] != 'C' && file[0] != 'Z'))
        throw ParseError(ParseError::Kind::NotSwf, "not a SWF movie (no FWS, CWS or ZWS signature)");
    Movie movie;
    Header& h = movie.header;
    h.version = file[3];
    h.declaredLength = static_cast<uint32_t>(file[4] | file[5] << 8 | file[6] << 16) | static_cast<uint32_t>(file[7]) << 24;
    std::vector<uint8_t> inflated;
    std::span<const uint8_t> body = file.subspan(8);
    if (file[0] == 'Z') {
        // After the common header: the compressed length (not needed: the data runs to the end of
        // the file), five LZMA property bytes, then the data, which decodes to the declared length
        // less the eight header bytes.
        h.compression = Compression::Lzma;
        if (file.size() < 17) throw ParseError(ParseError::Kind::Truncated, "movie ends inside its header");
        uint64_t expected = h.declaredLength > 8 ? h.declaredLength - 8 : 0;
        InflateResult z = lzmaDecodeCapped(file.subspan(12, 5), file.subspan(17), expected, limits.maxInflatedBytes, "movie");
        if (!z.complete) movie.warnings.push_back(z.error);
        inflated = std::move(z.data);
        body = inflated;
    } else if (file[0] == 'C') {
        h.compression = Compression::Zlib;
        InflateResult z = inflateCapped(body, limits.maxInflatedBytes, "movie");
        if (!z.complete) movie.warnings.push_back(z.error);
        inflated = std::move(z.data);
        body = inflated;
    } else if (body.size() > limits.maxInflatedBytes) {
        throw ParseError(ParseError::Kind::Limit,
                         "movie is larger than " + std::to_string(limits.maxInflatedBytes) + " bytes (limit)");
    }

    SwfReader r(body);
    try {
        h.stageRect = r.rect();
        h.frameRate = r.u16() / 256.0;
        h.frameCount = r.u16();
    } catch (const ParseError&) {
        throw ParseError(ParseError::Kind::Truncated, "movie ends inside its header");
    }
    movie.timeline.declaredFrameCount = h.frameCount;
    MovieParser(movie, limits).readTimeline(r, movie.timeline, 0);
    return movie;
}

}  // namespace swf
