// Reads a whole SWF file (FWS or CWS) into a Movie. ZWS (LZMA) movies are reported as unsupported.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/parse/movie.h"
#include "engine/parse/reader.h"

namespace swf {

// Throws ParseError with a one-line message when the file is not a movie this engine can play.
// Characters and tags that are damaged are skipped with a warning in Movie::warnings.
Movie readMovie(const std::vector<uint8_t>& file);

// The uncompressed bytes of a movie: the 8-byte header followed by the inflated body.
std::vector<uint8_t> inflateMovie(const std::vector<uint8_t>& file);

}  // namespace swf
