#include "package/movie_copy.h"

#include <exception>
#include <vector>

namespace sav {

MovieCopy CopyMovie(ByteStream& executable, MovieTarget& target) {
    uint8_t lengthBytes[4];
    if (executable.readUpTo(lengthBytes, 4) != 4) return MovieCopy::NoMovie;
    const uint32_t length = static_cast<uint32_t>(lengthBytes[0]) | static_cast<uint32_t>(lengthBytes[1]) << 8 |
                            static_cast<uint32_t>(lengthBytes[2]) << 16 | static_cast<uint32_t>(lengthBytes[3]) << 24;
    if (length == 0) return MovieCopy::NoMovie;

    std::vector<uint8_t> piece(length < kMovieChunkSize ? length : kMovieChunkSize);
    bool begun = false;
    try {
        target.begin();
        begun = true;
        for (uint32_t left = length; left > 0;) {
            const size_t size = left < kMovieChunkSize ? left : kMovieChunkSize;
            executable.readExactly(piece.data(), size);
            target.write(piece.data(), size);
            left -= static_cast<uint32_t>(size);
        }
        target.commit();
        return MovieCopy::Written;
    } catch (const std::exception&) {
        if (begun) target.discard();
        return MovieCopy::Failed;
    }
}

}  // namespace sav
