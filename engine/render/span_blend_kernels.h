// The ways one row of paint can be blended onto a surface (source over, per-pixel coverage): plain
// C++, and vector versions for the processors that have them. All give the same bytes; the span
// compositor picks the widest one the processor runs, once.
#pragma once

#include <cstdint>
#include <span>

namespace swf::render {

using BlendSpanKernel = void (*)(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length, bool opaque);

struct NamedBlendKernel {
    const char* name;
    BlendSpanKernel blend;
};

void blendSpanScalar(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length, bool opaque);

// Every kernel this processor can run, narrowest first: the scalar one always, then SSE2 and AVX2
// where the build targets x86 and the processor has them.
std::span<const NamedBlendKernel> availableBlendKernels();

}  // namespace swf::render
