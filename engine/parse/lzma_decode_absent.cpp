// A Windows build made before its liblzma was built: LZMA-compressed movies are named unsupported.
#include "engine/parse/lzma_decode.h"

#include "engine/parse/parser.h"

namespace swf {

InflateResult lzmaDecodeCapped(std::span<const uint8_t>, std::span<const uint8_t>, uint64_t, size_t, const std::string&) {
    throw ParseError(ParseError::Kind::Unsupported, "LZMA-compressed (ZWS) movies are not supported by this build");
}

}  // namespace swf
