#include "engine/parse/lzma_decode.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "engine/parse/parser.h"

namespace swf {
namespace {

// Owns a decoder's state.
class LzmaStream {
public:
    LzmaStream() = default;
    ~LzmaStream() { lzma_end(&stream_); }
    LzmaStream(const LzmaStream&) = delete;
    LzmaStream& operator=(const LzmaStream&) = delete;
    lzma_stream& stream() { return stream_; }

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
};

struct FreeOptions {
    void operator()(lzma_options_lzma* options) const { std::free(options); }  // liblzma's default allocator
};

}  // namespace

InflateResult lzmaDecodeCapped(std::span<const uint8_t> properties, std::span<const uint8_t> data,
                               uint64_t expectedSize, size_t maxOutput, const std::string& what) {
    if (expectedSize > maxOutput)
        throw ParseError(ParseError::Kind::Limit,
                         what + " decompresses to more than " + std::to_string(maxOutput) + " bytes (limit)");
    lzma_filter decoded{LZMA_FILTER_LZMA1, nullptr};
    if (properties.size() != 5 ||
        lzma_properties_decode(&decoded, nullptr, properties.data(), properties.size()) != LZMA_OK)
        throw ParseError(ParseError::Kind::Malformed, what + ": unreadable LZMA properties");
    std::unique_ptr<lzma_options_lzma, FreeOptions> options(static_cast<lzma_options_lzma*>(decoded.options));
    // Nothing is copied from further back than the output is long: a dictionary past that size would
    // only take memory (a damaged header may ask for gigabytes).
    options->dict_size = static_cast<uint32_t>(
        std::max<uint64_t>(LZMA_DICT_SIZE_MIN, std::min<uint64_t>(options->dict_size, expectedSize)));
    lzma_filter chain[] = {{LZMA_FILTER_LZMA1, options.get()}, {LZMA_VLI_UNKNOWN, nullptr}};
    LzmaStream owner;
    lzma_stream& s = owner.stream();
    if (lzma_raw_decoder(&s, chain) != LZMA_OK)
        throw ParseError(ParseError::Kind::Malformed, what + ": LZMA decoder could not start");

    InflateResult result;
    s.next_in = data.data();
    s.avail_in = data.size();
    uint8_t chunk[64 * 1024];
    while (result.data.size() < expectedSize) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof chunk, expectedSize - result.data.size()));
        s.next_out = chunk;
        s.avail_out = want;
        size_t inBefore = s.avail_in;
        lzma_ret rc = lzma_code(&s, LZMA_FINISH);
        size_t produced = want - s.avail_out;
        result.data.insert(result.data.end(), chunk, chunk + produced);
        if (rc == LZMA_STREAM_END) break;
        if (rc != LZMA_OK && rc != LZMA_BUF_ERROR) {
            result.error = what + ": damaged compressed data";
            return result;
        }
        if (produced == 0 && (s.avail_in == 0 || s.avail_in == inBefore)) {
            result.error = what + ": compressed data ends early";
            return result;
        }
    }
    result.complete = result.data.size() == expectedSize;
    if (!result.complete) result.error = what + ": compressed data ends early";
    return result;
}

}  // namespace swf
