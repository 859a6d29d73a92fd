// A gradient's colours sampled into 256 premultiplied entries, with the colour transform applied.
#pragma once

#include <array>
#include <cstdint>

#include "engine/base/color.h"
#include "engine/base/styles.h"

namespace swf::render {

class GradientTable {
public:
    void build(const Gradient& gradient, const ColorTransform& cxform);
    uint32_t at(int index) const { return entries_[static_cast<size_t>(index)]; }
    bool opaque() const { return opaque_; }

private:
    std::array<uint32_t, 256> entries_{};
    bool opaque_ = false;
};

}  // namespace swf::render
