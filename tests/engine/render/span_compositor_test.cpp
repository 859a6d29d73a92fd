// The span compositors against a pixel-at-a-time reading of their formulas, over coverage rows that
// mix long full runs (taken in bulk) with edges and gaps at every alignment.
#include "engine/render/span_compositor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/render/pixel_math.h"
#include "engine/render/span_blend_kernels.h"

namespace swf::render {
namespace {

// Rows of coverage with full runs of every length up to 40 at varied offsets, partial edges and gaps.
std::vector<std::vector<uint8_t>> coverageRows() {
    std::vector<std::vector<uint8_t>> rows;
    std::mt19937 random(7);
    for (int run = 0; run <= 40; ++run)
        for (int start = 0; start < 9; ++start) {
            std::vector<uint8_t> row(static_cast<size_t>(start + run + 3), 0);
            if (start > 0) row[static_cast<size_t>(start - 1)] = static_cast<uint8_t>(random() % 254 + 1);
            std::fill_n(row.begin() + start, run, uint8_t(255));
            row[static_cast<size_t>(start + run)] = static_cast<uint8_t>(random() % 255);
            rows.push_back(row);
        }
    std::vector<uint8_t> mixed(301);
    for (uint8_t& c : mixed) c = random() % 3 == 0 ? 255 : static_cast<uint8_t>(random() % 256);
    rows.push_back(mixed);
    return rows;
}

// Source over destination for one pixel with coverage c, channel by channel.
uint32_t overReference(uint32_t src, uint32_t dst, uint32_t c) {
    uint32_t sa = div255(pixelA(src) * c);
    uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
        uint32_t s = div255(((src >> (8 * k)) & 255) * c), d = (dst >> (8 * k)) & 255;
        out |= std::min(255u, s + div255(d * (255 - sa))) << (8 * k);
    }
    return out;
}

std::vector<uint8_t> bytesOf(const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> bytes(pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        for (int k = 0; k < 4; ++k) bytes[i * 4 + k] = static_cast<uint8_t>(pixels[i] >> (8 * k));
    return bytes;
}

uint32_t pixelOf(const std::vector<uint8_t>& bytes, size_t i) {
    return packPixel(bytes[i * 4], bytes[i * 4 + 1], bytes[i * 4 + 2], bytes[i * 4 + 3]);
}

void expectNear(uint32_t got, uint32_t want, size_t i) {
    for (int k = 0; k < 4; ++k)
        ASSERT_LE(std::abs(int((got >> (8 * k)) & 255) - int((want >> (8 * k)) & 255)), 1)
            << "pixel " << i << " channel " << k << std::hex << " got " << got << " want " << want;
}

TEST(SpanCompositor, BlendsMatchThePixelFormulaForEveryRunShape) {
    const uint32_t below = packPixel(10, 100, 60, 200);
    const uint32_t opaqueSolid = packPixel(200, 30, 90, 255);
    const uint32_t translucentSolid = packPixel(60, 20, 0, 128);
    for (const auto& coverage : coverageRows()) {
        const int length = static_cast<int>(coverage.size());
        std::vector<uint32_t> opaquePaint(coverage.size()), translucentPaint(coverage.size());
        for (size_t i = 0; i < coverage.size(); ++i) {
            opaquePaint[i] = packPixel(static_cast<uint32_t>(i * 7) & 255, 40, 255 - (static_cast<uint32_t>(i) & 255), 255);
            translucentPaint[i] = packPixel(static_cast<uint32_t>(i) % 100, 50, 0, 100 + static_cast<uint32_t>(i) % 100);
        }
        for (uint32_t solid : {opaqueSolid, translucentSolid}) {
            auto dst = bytesOf(std::vector<uint32_t>(coverage.size(), below));
            blendSolidSpan(dst.data(), solid, coverage.data(), length);
            for (size_t i = 0; i < coverage.size(); ++i) expectNear(pixelOf(dst, i), overReference(solid, below, coverage[i]), i);
        }
        for (bool opaque : {true, false}) {
            const auto& paint = opaque ? opaquePaint : translucentPaint;
            auto dst = bytesOf(std::vector<uint32_t>(coverage.size(), below));
            blendSpan(dst.data(), paint.data(), coverage.data(), length, opaque);
            for (size_t i = 0; i < coverage.size(); ++i) expectNear(pixelOf(dst, i), overReference(paint[i], below, coverage[i]), i);
        }
    }
}

TEST(SpanCompositor, AddingSumsOntoEmptyAndPaintedPixelsAlike) {
    for (const auto& coverage : coverageRows()) {
        const int length = static_cast<int>(coverage.size());
        std::vector<uint32_t> paint(coverage.size(), packPixel(120, 80, 200, 255));
        // Every other pixel already holds the paint of a neighbouring region; sums saturate.
        std::vector<uint32_t> start(coverage.size());
        for (size_t i = 0; i < start.size(); ++i) start[i] = i % 2 ? packPixel(200, 10, 100, 255) : 0;
        auto dst = bytesOf(start);
        addSpan(dst.data(), paint.data(), coverage.data(), length);
        for (size_t i = 0; i < coverage.size(); ++i) {
            uint32_t want = 0;
            for (int k = 0; k < 4; ++k) {
                uint32_t s = div255(((paint[i] >> (8 * k)) & 255) * coverage[i]);
                want |= std::min(255u, s + ((start[i] >> (8 * k)) & 255)) << (8 * k);
            }
            expectNear(pixelOf(dst, i), want, i);
        }
    }
}

// A premultiplied pixel with random channels; now and then fully clear, with and without colour left
// in it (a clear pixel leaves what is below whatever its other channels hold).
uint32_t randomPremultiplied(std::mt19937& random, bool opaque) {
    const uint32_t a = opaque ? 255 : (random() % 5 == 0 ? 0 : random() % 256);
    if (a == 0) return random() % 2 ? 0 : packPixel(random() % 256, random() % 256, random() % 256, 0);
    return packPixel(random() % (a + 1), random() % (a + 1), random() % (a + 1), a);
}

TEST(SpanCompositor, VectorBlendKernelsGiveTheScalarKernelsBytes) {
    const auto kernels = availableBlendKernels();
    ASSERT_GE(kernels.size(), 1u);
    EXPECT_STREQ(kernels[0].name, "scalar");
    std::mt19937 random(11);
    for (const auto& coverage : coverageRows()) {
        const int length = static_cast<int>(coverage.size());
        for (bool opaque : {true, false}) {
            std::vector<uint32_t> paint(coverage.size()), below(coverage.size());
            for (size_t i = 0; i < paint.size(); ++i) {
                paint[i] = randomPremultiplied(random, opaque);
                below[i] = randomPremultiplied(random, false);
            }
            auto want = bytesOf(below);
            blendSpanScalar(want.data(), paint.data(), coverage.data(), length, opaque);
            for (const NamedBlendKernel& kernel : kernels) {
                // Every start, so that the vector steps meet the row at every alignment and tail length.
                for (int start : {0, 1, 3, 5}) {
                    if (start > length) continue;
                    auto got = bytesOf(below);
                    std::copy_n(want.begin(), start * 4, got.begin());
                    kernel.blend(got.data() + start * 4, paint.data() + start, coverage.data() + start, length - start,
                                 opaque);
                    ASSERT_EQ(got, want) << kernel.name << ", row of " << length << ", from " << start
                                         << (opaque ? ", opaque" : ", translucent");
                }
            }
        }
    }
}

}  // namespace
}  // namespace swf::render
