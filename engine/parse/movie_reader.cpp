#include "engine/parse/movie_reader.h"

#include <string>

#include "engine/parse/limits.h"
#include "engine/parse/records.h"
#include "engine/parse/tag_readers.h"

namespace swf {

namespace {

enum TagCode : int {
    kEnd = 0, kShowFrame = 1, kDefineShape = 2, kPlaceObject = 4, kRemoveObject = 5, kDefineBits = 6,
    kDefineButton = 7, kJpegTables = 8, kSetBackgroundColor = 9, kDefineFont = 10, kDefineText = 11,
    kDoAction = 12, kDefineFontInfo = 13, kDefineBitsLossless = 20, kDefineBitsJpeg2 = 21, kDefineShape2 = 22,
    kDefineButtonCxform = 23, kPlaceObject2 = 26, kRemoveObject2 = 28, kDefineShape3 = 32, kDefineText2 = 33,
    kDefineButton2 = 34, kDefineBitsJpeg3 = 35, kDefineBitsLossless2 = 36, kDefineEditText = 37,
    kDefineSprite = 39, kFrameLabel = 43, kDefineMorphShape = 46, kDefineFont2 = 48, kExportAssets = 56,
    kDoInitAction = 59, kDefineFontInfo2 = 62, kFileAttributes = 69, kPlaceObject3 = 70, kDefineFont3 = 75,
    kDefineShape4 = 83, kDefineMorphShape2 = 84, kDefineBitsJpeg4 = 90,
};

class TagWalker {
public:
    TagWalker(Movie& movie) : movie_(movie) {}

    // Reads tags until End or the end of the data into `timeline`; `depth` is the sprite nesting.
    void readTimeline(ByteReader& r, Timeline& timeline, int depth) {
        Frame frame;
        bool frameHasContent = false;
        while (!r.atEnd()) {
            if (++tagCount_ > limits::kMaxTags) throw ParseError("movie has too many tags");
            if (r.remaining() < 2) break;
            uint16_t codeAndLength = r.u16();
            int code = codeAndLength >> 6;
            size_t length = codeAndLength & 0x3F;
            if (length == 0x3F) {
                if (r.remaining() < 4) break;
                length = r.u32();
            }
            if (length > r.remaining()) {
                movie_.warnings.push_back("tag " + std::to_string(code) + " runs past the end of the file");
                length = r.remaining();
            }
            ByteReader body = r.sub(length);
            if (code == kEnd) break;
            if (code == kShowFrame) {
                if (timeline.frames.size() >= limits::kMaxFramesPerTimeline) throw ParseError("too many frames");
                timeline.frames.push_back(std::move(frame));
                frame = Frame{};
                frameHasContent = false;
                continue;
            }
            frameHasContent = true;
            try {
                readTag(code, body, frame, depth);
            } catch (const ParseError& e) {
                movie_.warnings.push_back("tag " + std::to_string(code) + ": " + e.what());
            }
        }
        // Commands after the last ShowFrame still count as a frame of their own.
        if (frameHasContent || timeline.frames.empty()) timeline.frames.push_back(std::move(frame));
    }

private:
    void define(uint16_t id, CharacterDefinition def) {
        movie_.characters[id] = std::make_shared<const CharacterDefinition>(std::move(def));
    }

    void readTag(int code, ByteReader& body, Frame& frame, int depth) {
        switch (code) {
        case kDefineShape:
        case kDefineShape2:
        case kDefineShape3:
        case kDefineShape4: {
            uint16_t id = body.u16();
            define(id, readDefineShape(body, code));
            break;
        }
        case kDefineMorphShape:
        case kDefineMorphShape2: {
            uint16_t id = body.u16();
            define(id, readDefineMorphShape(body, code));
            break;
        }
        case kDefineBits:
        case kDefineBitsJpeg2:
        case kDefineBitsJpeg3:
        case kDefineBitsJpeg4:
        case kDefineBitsLossless:
        case kDefineBitsLossless2: {
            uint16_t id = body.u16();
            define(id, readDefineBitmap(body, code));
            break;
        }
        case kJpegTables:
            movie_.jpegTables = body.rest();
            break;
        case kDefineFont:
        case kDefineFont2:
        case kDefineFont3: {
            uint16_t id = body.u16();
            define(id, readDefineFont(body, code));
            break;
        }
        case kDefineFontInfo:
        case kDefineFontInfo2: {
            uint16_t id = body.u16();
            auto it = movie_.characters.find(id);
            if (it == movie_.characters.end() || !std::holds_alternative<FontDefinition>(*it->second)) break;
            FontDefinition font = std::get<FontDefinition>(*it->second);
            readDefineFontInfo(body, code, font);
            define(id, std::move(font));
            break;
        }
        case kDefineText:
        case kDefineText2: {
            uint16_t id = body.u16();
            define(id, readDefineText(body, code));
            break;
        }
        case kDefineEditText: {
            uint16_t id = body.u16();
            define(id, readDefineEditText(body));
            break;
        }
        case kDefineButton:
        case kDefineButton2: {
            uint16_t id = body.u16();
            define(id, readDefineButton(body, code, movie_.header.version));
            break;
        }
        case kDefineButtonCxform: {
            uint16_t id = body.u16();
            auto it = movie_.characters.find(id);
            if (it == movie_.characters.end() || !std::holds_alternative<ButtonDefinition>(*it->second)) break;
            ButtonDefinition button = std::get<ButtonDefinition>(*it->second);
            readDefineButtonCxform(body, button);
            define(id, std::move(button));
            break;
        }
        case kDefineSprite: {
            if (depth >= limits::kMaxSpriteNesting) throw ParseError("sprites nested too deeply");
            uint16_t id = body.u16();
            SpriteDefinition sprite;
            sprite.frameCount = body.u16();
            readTimeline(body, sprite.timeline, depth + 1);
            define(id, std::move(sprite));
            break;
        }
        case kPlaceObject:
        case kPlaceObject2:
        case kPlaceObject3:
            frame.commands.emplace_back(readPlaceObject(body, code, movie_.header.version));
            break;
        case kRemoveObject:
        case kRemoveObject2:
            frame.commands.emplace_back(readRemoveObject(body, code));
            break;
        case kDoAction:
            frame.actions.push_back(body.rest());
            break;
        case kDoInitAction: {
            InitAction init;
            init.spriteId = body.u16();
            init.actions = body.rest();
            frame.initActions.push_back(std::move(init));
            break;
        }
        case kFrameLabel:
            frame.labels.push_back(body.string());
            break;
        case kSetBackgroundColor:
            frame.backgroundColor = readRgb(body);
            break;
        case kExportAssets: {
            uint16_t count = body.u16();
            for (uint16_t i = 0; i < count; ++i) {
                uint16_t id = body.u16();
                movie_.exports[body.string()] = id;
            }
            break;
        }
        case kFileAttributes: {
            uint8_t flags = body.u8();
            movie_.header.actionScript3 = flags & 0x08;
            movie_.header.useNetwork = flags & 0x01;
            break;
        }
        default:
            break;  // tags this engine does not use (sound, ActionScript 3 code, metadata, ...)
        }
    }

    Movie& movie_;
    size_t tagCount_ = 0;
};

}  // namespace

Movie readMovie(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> data = inflateMovie(file);
    Movie movie;
    ByteReader r(data.data(), data.size());
    r.skip(3);
    movie.header.compression = file[0] == 'C' ? Compression::Zlib : Compression::None;
    movie.header.version = r.u8();
    movie.header.declaredLength = r.u32();
    try {
        movie.header.stage = readRect(r);
        movie.header.frameRate = r.fixed8();
        movie.header.frameCount = r.u16();
    } catch (const ParseError&) {
        throw ParseError("not a Flash movie: the header is cut short");
    }
    if (movie.header.frameRate <= 0 || movie.header.frameRate > 1000) {
        // A rate of 0 means "as fast as possible" in old players; play such movies at a sane rate.
        movie.header.frameRate = movie.header.frameRate <= 0 ? 12 : 1000;
    }
    TagWalker walker(movie);
    walker.readTimeline(r, movie.timeline, 0);
    return movie;
}

}  // namespace swf
