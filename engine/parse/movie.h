// A parsed movie: header, characters by id, the main timeline, and what the parser had to skip.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/parse/characters.h"
#include "engine/parse/timeline.h"

namespace swf {

enum class Compression : uint8_t { None, Zlib, Lzma };

struct Header {
    uint8_t version = 0;
    Compression compression = Compression::None;
    uint32_t declaredLength = 0;  // as stored; only a hint
    Rect stageRect;               // twips
    double frameRate = 0;         // frames per second, as stored (8.8 fixed); 0 is left for the player to mend
    uint16_t frameCount = 0;      // as stored
};

struct FileAttributes {
    bool present = false;
    bool useDirectBlit = false, useGpu = false, hasMetadata = false, actionScript3 = false, useNetwork = false;
};

struct Movie {
    Header header;
    FileAttributes attributes;
    bool hasAbc = false;  // DoABC tags were found
    // Its scripts are ActionScript 3: so the attributes say, or, without them, its byte code shows.
    bool runsActionScript3() const { return attributes.actionScript3 || (!attributes.present && hasAbc); }
    // ActionScript 3 byte code blocks (DoABC, DoABC2) in file order, and SymbolClass links.
    struct AbcBlock {
        uint32_t flags = 0;  // 1: lazy initialisation
        std::string name;
        std::vector<uint8_t> bytes;
        int frame = 0;  // the main timeline frame it came in
    };
    std::vector<AbcBlock> abcBlocks;
    std::vector<std::pair<uint16_t, std::string>> symbolClasses;  // character id (0: the root) -> class
    // The main timeline's scenes, in the order the movie lists them (none: one scene of every frame).
    struct Scene {
        uint32_t firstFrame = 0;  // 0-based
        std::string name;
    };
    std::vector<Scene> scenes;
    std::vector<uint8_t> jpegTables;  // JPEGTables, for DefineBits bitmaps
    std::map<uint16_t, Character> characters;
    std::map<std::string, uint16_t> exports;  // ExportAssets: linkage name -> character id
    Timeline timeline;
    // Characters whose definition could not be read, with why: they are missing from `characters`.
    std::map<uint16_t, std::string> failedCharacters;
    // Other things that were skipped or mended (a truncated tail, an over-long tag), one line each.
    std::vector<std::string> warnings;

    const Character* find(uint16_t id) const {
        auto it = characters.find(id);
        return it == characters.end() ? nullptr : &it->second;
    }
    template <class T>
    const T* findAs(uint16_t id) const {
        const Character* c = find(id);
        return c ? std::get_if<T>(&c->definition) : nullptr;
    }
};

}  // namespace swf
