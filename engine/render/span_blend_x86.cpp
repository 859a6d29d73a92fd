#include "engine/render/span_blend_kernels.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define SWF_X86_KERNELS 1
#endif

#include <cstring>

namespace swf::render {

#if SWF_X86_KERNELS

namespace {

// The arithmetic below keeps each channel in a 16-bit lane, so one multiply and two shifts give the
// exactly rounded x * s / 255 that the scalar code computes (x * s + 128 stays below 65536).

// x * s / 255 per 16-bit lane, rounded to nearest.
inline __m128i scale16(__m128i x, __m128i s) {
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, s), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Two pixels in 16-bit lanes (R G B A R G B A): source over destination, with coverage per lane. A
// pixel whose covered alpha is 0 leaves the destination as it was, whatever its colour channels.
inline __m128i over16(__m128i src, __m128i dst, __m128i coverage) {
    const __m128i s = scale16(src, coverage);
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i out = _mm_add_epi16(s, scale16(dst, _mm_sub_epi16(_mm_set1_epi16(255), alpha)));
    const __m128i clear = _mm_cmpeq_epi16(alpha, _mm_setzero_si128());
    return _mm_or_si128(_mm_andnot_si128(clear, out), _mm_and_si128(clear, dst));
}

void blendSpanSse2(uint8_t* dst, const uint32_t* src, const uint8_t* coverage, int length, bool opaque) {
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= length; i += 4) {
        uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four == 0) continue;
        uint8_t* d = dst + static_cast<size_t>(i) * 4;
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        if (four == 0xFFFFFFFFu && opaque) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), s);
            continue;
        }
        // Each pixel's coverage byte spread over its four channels.
        __m128i c = _mm_cvtsi32_si128(static_cast<int>(four));
        c = _mm_unpacklo_epi8(c, c);
        c = _mm_unpacklo_epi16(c, c);
        const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        const __m128i low = over16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(below, zero), _mm_unpacklo_epi8(c, zero));
        const __m128i high = over16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(below, zero), _mm_unpackhi_epi8(c, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(low, high));
    }
    if (i < length) blendSpanScalar(dst + static_cast<size_t>(i) * 4, src + i, coverage + i, length - i, opaque);
}

__attribute__((target("avx2"))) inline __m256i scale16x2(__m256i x, __m256i s) {
    __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, s), _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

__attribute__((target("avx2"))) inline __m256i over16x2(__m256i src, __m256i dst, __m256i coverage) {
    const __m256i s = scale16x2(src, coverage);
    const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m256i out = _mm256_add_epi16(s, scale16x2(dst, _mm256_sub_epi16(_mm256_set1_epi16(255), alpha)));
    return _mm256_blendv_epi8(out, dst, _mm256_cmpeq_epi16(alpha, _mm256_setzero_si256()));
}

// Eight pixels at a time. The unpacks and the pack work within each 128-bit half, so pixels 0-3
// and 4-7 go through the same steps as in the SSE2 kernel and come back in their places.
__attribute__((target("avx2"))) void blendSpanAvx2(uint8_t* dst, const uint32_t* src, const uint8_t* coverage,
                                                   int length, bool opaque) {
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t eight;
        std::memcpy(&eight, coverage + i, 8);
        if (eight == 0) continue;
        uint8_t* d = dst + static_cast<size_t>(i) * 4;
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        if (eight == ~uint64_t(0) && opaque) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), s);
            continue;
        }
        __m256i c = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(coverage + i)));
        c = _mm256_or_si256(c, _mm256_slli_epi32(c, 8));
        c = _mm256_or_si256(c, _mm256_slli_epi32(c, 16));
        const __m256i below = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
        const __m256i low =
            over16x2(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(below, zero), _mm256_unpacklo_epi8(c, zero));
        const __m256i high =
            over16x2(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(below, zero), _mm256_unpackhi_epi8(c, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_packus_epi16(low, high));
    }
    if (i < length) blendSpanSse2(dst + static_cast<size_t>(i) * 4, src + i, coverage + i, length - i, opaque);
}

struct Kernels {
    NamedBlendKernel list[3];
    size_t count = 0;
};

Kernels findKernels() {
    Kernels k;
    k.list[k.count++] = {"scalar", blendSpanScalar};
    __builtin_cpu_init();
    if (__builtin_cpu_supports("sse2")) k.list[k.count++] = {"sse2", blendSpanSse2};
    if (__builtin_cpu_supports("avx2")) k.list[k.count++] = {"avx2", blendSpanAvx2};
    return k;
}

}  // namespace

std::span<const NamedBlendKernel> availableBlendKernels() {
    static const Kernels kernels = findKernels();
    return {kernels.list, kernels.count};
}

#else

std::span<const NamedBlendKernel> availableBlendKernels() {
    static const NamedBlendKernel scalar[] = {{"scalar", blendSpanScalar}};
    return scalar;
}

#endif

}  // namespace swf::render
