#include "engine/parse/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "engine/parse/parser.h"

namespace swf {
namespace {

// Owns a z_stream for inflation.
class Inflater {
public:
    Inflater() {
        if (inflateInit(&z_) != Z_OK) throw ParseError(ParseError::Kind::Malformed, "zlib could not start");
    }
    ~Inflater() { inflateEnd(&z_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream& stream() { return z_; }

private:
    z_stream z_{};
};

}  // namespace

InflateResult inflateCapped(std::span<const uint8_t> input, size_t maxOutput, const std::string& what) {
    InflateResult result;
    Inflater inflater;
    z_stream& z = inflater.stream();
    size_t consumed = 0;
    uint8_t chunk[64 * 1024];
    for (;;) {
        // zlib counts in uInt: feed large inputs in pieces.
        if (z.avail_in == 0 && consumed < input.size()) {
            size_t n = std::min<size_t>(input.size() - consumed, std::numeric_limits<uInt>::max() / 2);
            z.next_in = const_cast<Bytef*>(input.data() + consumed);
            z.avail_in = static_cast<uInt>(n);
            consumed += n;
        }
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        int rc = inflate(&z, Z_NO_FLUSH);
        size_t produced = sizeof chunk - z.avail_out;
        if (result.data.size() + produced > maxOutput)
            throw ParseError(ParseError::Kind::Limit, what + " inflates to more than " + std::to_string(maxOutput) +
                                                          " bytes (limit)");
        result.data.insert(result.data.end(), chunk, chunk + produced);
        if (rc == Z_STREAM_END) {
            result.complete = true;
            return result;
        }
        if (rc == Z_BUF_ERROR && z.avail_in == 0 && consumed >= input.size()) {
            result.error = what + ": compressed data ends early";
            return result;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            result.error = what + ": damaged compressed data";
            return result;
        }
    }
}

}  // namespace swf
