// zlib inflation with a cap on the output, checked as the output grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swf {

struct InflateResult {
    std::vector<uint8_t> data;
    bool complete = false;  // the stream ended properly; otherwise `data` is what came before the damage
    std::string error;      // why it is not complete
};

// Inflates a zlib stream. Going past `maxOutput` throws ParseError(Limit) naming `what`.
InflateResult inflateCapped(std::span<const uint8_t> input, size_t maxOutput, const std::string& what);

}  // namespace swf
