#include "UnisonKernels.h"

#include "UnisonOscillator.h"

#include <algorithm>
#include <cmath>

// The eight-lane kernels are compiled for AVX2 through a target pragma
// rather than a file-wide flag: everything included above stays plain
// x86-64 code, so no shared inline function can end up with AVX instructions
// in it, and the program still starts on older CPUs.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(_M_X64))
 #define PLUMORA_WIDE_KERNELS 1
 #include <immintrin.h>
#else
 #define PLUMORA_WIDE_KERNELS 0
#endif

namespace plumora
{

#if PLUMORA_WIDE_KERNELS

 #if defined(__clang__)
  #pragma clang attribute push (__attribute__ ((target ("avx2"))), apply_to = function)
 #else
  #pragma GCC push_options
  #pragma GCC target ("avx2")
 #endif

namespace
{
struct Float8
{
    static constexpr int kWidth = 8;
    __m256 v;

    static Float8 load (const float* p) noexcept { return { _mm256_loadu_ps (p) }; }
    static Float8 fill (float x) noexcept { return { _mm256_set1_ps (x) }; }
    void store (float* p) const noexcept { _mm256_storeu_ps (p, v); }


    float sum() const noexcept
    {
        const __m128 quad = _mm_add_ps (_mm256_castps256_ps128 (v), _mm256_extractf128_ps (v, 1));
        const __m128 pairs = _mm_add_ps (quad, _mm_movehl_ps (quad, quad));
        return _mm_cvtss_f32 (_mm_add_ss (pairs, _mm_shuffle_ps (pairs, pairs, 1)));
    }
};

// Free functions, not in-class friends: GCC applies the target pragma to these.
inline Float8 operator+ (Float8 a, Float8 b) noexcept { return { _mm256_add_ps (a.v, b.v) }; }
inline Float8 operator- (Float8 a, Float8 b) noexcept { return { _mm256_sub_ps (a.v, b.v) }; }
inline Float8 operator* (Float8 a, Float8 b) noexcept { return { _mm256_mul_ps (a.v, b.v) }; }

// x - floor(x) for x >= 0 (truncation is the floor there).
inline Float8 fractionalPart (Float8 x) noexcept { return { _mm256_sub_ps (x.v, _mm256_cvtepi32_ps (_mm256_cvttps_epi32 (x.v))) }; }

template <int Size>
inline __m256i maskedIndex (Float8 phase, Float8& fraction) noexcept
{
    const __m256 scaled = _mm256_mul_ps (phase.v, _mm256_set1_ps (static_cast<float> (Size)));
    const __m256i whole = _mm256_cvttps_epi32 (scaled);
    fraction = { _mm256_sub_ps (scaled, _mm256_cvtepi32_ps (whole)) };
    return _mm256_and_si256 (whole, _mm256_set1_epi32 (Size - 1));
}

// Extracted lane by lane: reading back a vector store would stall.
inline void extractLanes (__m256i lanes, int (&index)[8]) noexcept
{
    const __m128i low = _mm256_castsi256_si128 (lanes), high = _mm256_extracti128_si256 (lanes, 1);
    index[0] = _mm_cvtsi128_si32 (low);
    index[1] = _mm_extract_epi32 (low, 1);
    index[2] = _mm_extract_epi32 (low, 2);
    index[3] = _mm_extract_epi32 (low, 3);
    index[4] = _mm_cvtsi128_si32 (high);
    index[5] = _mm_extract_epi32 (high, 1);
    index[6] = _mm_extract_epi32 (high, 2);
    index[7] = _mm_extract_epi32 (high, 3);
}

template <int Size>
inline void tableIndex (Float8 phase, int (&index)[8], Float8& fraction) noexcept
{
    extractLanes (maskedIndex<Size> (phase, fraction), index);
}

template <int Size>
inline void tableIndex (Float8 phase, const int* offsets, int (&index)[8], Float8& fraction) noexcept
{
    const __m256i masked = maskedIndex<Size> (phase, fraction);
    extractLanes (_mm256_add_epi32 (masked, _mm256_loadu_si256 (reinterpret_cast<const __m256i*> (offsets))), index);
}

// Lane k's four taps (index - 1 .. index + 2) in the low half of row k and
// lane k + 4's in its high half.
inline void gatherRows (const float* frame, const int (&index)[8], Float8 (&rows)[4]) noexcept
{
    for (int k = 0; k < 4; ++k)
        rows[k].v = _mm256_insertf128_ps (_mm256_castps128_ps256 (_mm_loadu_ps (frame + index[k] - 1)),
                                          _mm_loadu_ps (frame + index[k + 4] - 1), 1);
}

// Each 128-bit half transposed like four SSE rows: out[k] holds tap k of every lane.
inline void transposeRows (const Float8 (&r)[4], Float8 (&out)[4]) noexcept
{
    const __m256 low01 = _mm256_unpacklo_ps (r[0].v, r[1].v), low23 = _mm256_unpacklo_ps (r[2].v, r[3].v);
    const __m256 high01 = _mm256_unpackhi_ps (r[0].v, r[1].v), high23 = _mm256_unpackhi_ps (r[2].v, r[3].v);
    out[0].v = _mm256_shuffle_ps (low01, low23, 0x44);
    out[1].v = _mm256_shuffle_ps (low01, low23, 0xee);
    out[2].v = _mm256_shuffle_ps (high01, high23, 0x44);
    out[3].v = _mm256_shuffle_ps (high01, high23, 0xee);
}

// The four taps around each lane's index: rows[k] holds tap k of every lane.
inline void gatherTaps (const float* frame, const int (&index)[8], Float8 (&rows)[4]) noexcept
{
    Float8 r[4];
    gatherRows (frame, index, r);
    transposeRows (r, rows);
}

// Two frames crossfaded by a weight shared by every lane, mixed before the
// transpose (the same values as mixing the transposed rows).
inline void gatherCrossfadedTaps (const float* frameA, const float* frameB, const int (&index)[8], Float8 weight,
                                  Float8 (&rows)[4]) noexcept
{
    Float8 a[4], b[4];
    gatherRows (frameA, index, a);
    gatherRows (frameB, index, b);
    for (int k = 0; k < 4; ++k)
        a[k] = a[k] + (b[k] - a[k]) * weight;
    transposeRows (a, rows);
}

 #include "UnisonKernel.inc"
} // namespace

void renderTableWide (UnisonKernelState& state, const UnisonTableRead& read, float* left, float* right, int numSamples,
                      int count, float norm) noexcept
{
    runTable<Float8> (state, read, NoOffset {}, left, right, numSamples, count, norm);
}

void renderSawWide (UnisonKernelState& state, float* left, float* right, int numSamples, int count, float norm) noexcept
{
    runSaw<Float8> (state, NoOffset {}, left, right, numSamples, count, norm);
}

 #if defined(__clang__)
  #pragma clang attribute pop
 #else
  #pragma GCC pop_options
 #endif

bool cpuHasWideKernels() noexcept
{
    static const bool available = __builtin_cpu_supports ("avx2");
    return available;
}

#else

bool cpuHasWideKernels() noexcept { return false; }
void renderTableWide (UnisonKernelState&, const UnisonTableRead&, float*, float*, int, int, float) noexcept {}
void renderSawWide (UnisonKernelState&, float*, float*, int, int, float) noexcept {}

#endif

} // namespace plumora
