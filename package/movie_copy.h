// Copying the movie field out of the executable into the movie file. The copy goes to a new
// file beside the movie file and replaces it only when every byte has arrived, so that a short
// or failing copy never leaves a partial movie and never spoils an earlier complete one.
#pragma once

#include "package/byte_stream.h"

#include <cstddef>
#include <cstdint>

namespace sav {

// Pieces in which the movie is copied: each is read whole, then written whole.
constexpr size_t kMovieChunkSize = 61440;

// Where the movie's bytes go. Each operation throws on failure.
class MovieTarget {
public:
    virtual ~MovieTarget() = default;
    virtual void begin() = 0;                                  // creates the new file
    virtual void write(const uint8_t* data, size_t size) = 0;  // appends a piece
    virtual void commit() = 0;                                 // closes it and puts it in place
    virtual void discard() noexcept = 0;                       // closes and removes the new file
};

enum class MovieCopy {
    NoMovie,    // the field is absent or of length 0: nothing was touched
    Written,    // the movie file now holds the whole movie
    Failed,     // nothing was replaced: the field ran past the file's end or a write failed
};

// Reads the 4-byte unsigned movie length and copies that many bytes to `target`.
MovieCopy CopyMovie(ByteStream& executable, MovieTarget& target);

}  // namespace sav
