#include "tests/benchmarks/image_difference.h"

#include <cstdlib>

namespace swf::bench {

ImageDifference compareImages(const RgbaImage& a, const RgbaImage& b) {
    ImageDifference d;
    d.sameSize = a.width == b.width && a.height == b.height && a.pixels.size() == b.pixels.size();
    if (!d.sameSize || a.pixels.empty()) return d;
    uint64_t total = 0;
    size_t far = 0;
    for (size_t i = 0; i < a.pixels.size(); i += 4) {
        int worst = 0;
        for (size_t c = 0; c < 4; ++c) {
            int diff = std::abs(int(a.pixels[i + c]) - int(b.pixels[i + c]));
            total += unsigned(diff);
            if (diff > worst) worst = diff;
        }
        if (worst > ImageDifference::kFar) ++far;
    }
    d.meanChannel = double(total) / double(a.pixels.size());
    d.farShare = double(far) / double(a.pixels.size() / 4);
    return d;
}

}  // namespace swf::bench
