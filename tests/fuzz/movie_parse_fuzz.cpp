// Fuzz target: arbitrary bytes through the movie parser and the bitmap decoder. A damaged movie
// may be refused with ParseError; nothing may crash, hang or allocate past the parser's limits.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/parse/bitmap_decoder.h"
#include "engine/parse/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        swf::Movie movie = swf::parseMovie(std::span<const uint8_t>(data, size));
        (void)movie;
    } catch (const swf::ParseError&) {
    }
    return 0;
}
