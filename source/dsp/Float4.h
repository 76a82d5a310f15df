#pragma once

// Four floats processed together: SSE2 on x86-64 (every x86-64 CPU has it),
// plain arrays elsewhere. Just what the oscillator's inner loop needs.

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
 #include <emmintrin.h>
 #define PLUMORA_FLOAT4_SSE2 1
#else
 #include <cmath>
 #define PLUMORA_FLOAT4_SSE2 0
#endif

namespace plumora
{

#if PLUMORA_FLOAT4_SSE2

struct Float4
{
    static constexpr int kWidth = 4;
    __m128 v;

    static Float4 load (const float* p) noexcept { return { _mm_load_ps (p) }; }
    static Float4 loadUnaligned (const float* p) noexcept { return { _mm_loadu_ps (p) }; }
    static Float4 fill (float x) noexcept { return { _mm_set1_ps (x) }; }
    void store (float* p) const noexcept { _mm_store_ps (p, v); }

    friend Float4 operator+ (Float4 a, Float4 b) noexcept { return { _mm_add_ps (a.v, b.v) }; }
    friend Float4 operator- (Float4 a, Float4 b) noexcept { return { _mm_sub_ps (a.v, b.v) }; }
    friend Float4 operator* (Float4 a, Float4 b) noexcept { return { _mm_mul_ps (a.v, b.v) }; }

    float sum() const noexcept
    {
        const __m128 pairs = _mm_add_ps (v, _mm_movehl_ps (v, v));
        return _mm_cvtss_f32 (_mm_add_ss (pairs, _mm_shuffle_ps (pairs, pairs, 1)));
    }
};

// x - floor(x) for x >= 0 (truncation is the floor there).
inline Float4 fractionalPart (Float4 x) noexcept { return { _mm_sub_ps (x.v, _mm_cvtepi32_ps (_mm_cvttps_epi32 (x.v))) }; }

// Splits a phase in [0, 1) into a table index (masked to size - 1) and the
// fraction between that index and the next.
template <int Size>
inline __m128i maskedIndex (Float4 phase, Float4& fraction) noexcept
{
    const __m128 scaled = _mm_mul_ps (phase.v, _mm_set1_ps (static_cast<float> (Size)));
    const __m128i whole = _mm_cvttps_epi32 (scaled);
    fraction = { _mm_sub_ps (scaled, _mm_cvtepi32_ps (whole)) };
    return _mm_and_si128 (whole, _mm_set1_epi32 (Size - 1));
}

// Extracted lane by lane: reading back a vector store would stall.
inline void extractLanes (__m128i lanes, int (&index)[4]) noexcept
{
    index[0] = _mm_cvtsi128_si32 (lanes);
    index[1] = _mm_cvtsi128_si32 (_mm_shuffle_epi32 (lanes, 0x55));
    index[2] = _mm_cvtsi128_si32 (_mm_shuffle_epi32 (lanes, 0xaa));
    index[3] = _mm_cvtsi128_si32 (_mm_shuffle_epi32 (lanes, 0xff));
}

template <int Size>
inline void tableIndex (Float4 phase, int (&index)[4], Float4& fraction) noexcept
{
    extractLanes (maskedIndex<Size> (phase, fraction), index);
}

// The same, plus each lane's own offset (its frame's start).
template <int Size>
inline void tableIndex (Float4 phase, const int* offsets, int (&index)[4], Float4& fraction) noexcept
{
    const __m128i masked = maskedIndex<Size> (phase, fraction);
    extractLanes (_mm_add_epi32 (masked, _mm_loadu_si128 (reinterpret_cast<const __m128i*> (offsets))), index);
}

// The four taps around each lane's index: rows[k] holds tap k (index - 1 + k) of every lane.
inline void gatherTaps (const float* frame, const int (&index)[4], Float4 (&rows)[4]) noexcept
{
    __m128 t0 = _mm_loadu_ps (frame + index[0] - 1);
    __m128 t1 = _mm_loadu_ps (frame + index[1] - 1);
    __m128 t2 = _mm_loadu_ps (frame + index[2] - 1);
    __m128 t3 = _mm_loadu_ps (frame + index[3] - 1);
    _MM_TRANSPOSE4_PS (t0, t1, t2, t3);
    rows[0].v = t0;
    rows[1].v = t1;
    rows[2].v = t2;
    rows[3].v = t3;
}

// The taps of two frames crossfaded by a weight shared by every lane, mixed
// before the transpose: the same values as mixing the transposed rows, for
// one transpose instead of two.
inline void gatherCrossfadedTaps (const float* frameA, const float* frameB, const int (&index)[4], Float4 weight,
                                  Float4 (&rows)[4]) noexcept
{
    __m128 t[4];
    for (int k = 0; k < 4; ++k)
    {
        const __m128 a = _mm_loadu_ps (frameA + index[k] - 1);
        const __m128 b = _mm_loadu_ps (frameB + index[k] - 1);
        t[k] = _mm_add_ps (a, _mm_mul_ps (_mm_sub_ps (b, a), weight.v));
    }
    _MM_TRANSPOSE4_PS (t[0], t[1], t[2], t[3]);
    for (int k = 0; k < 4; ++k)
        rows[k].v = t[k];
}

#else

struct Float4
{
    static constexpr int kWidth = 4;
    float v[4];

    static Float4 load (const float* p) noexcept { return { { p[0], p[1], p[2], p[3] } }; }
    static Float4 loadUnaligned (const float* p) noexcept { return load (p); }
    static Float4 fill (float x) noexcept { return { { x, x, x, x } }; }
    void store (float* p) const noexcept { for (int i = 0; i < 4; ++i) p[i] = v[i]; }

    template <class Op>
    static Float4 zip (Float4 a, Float4 b, Op op) noexcept
    {
        Float4 r;
        for (int i = 0; i < 4; ++i)
            r.v[i] = op (a.v[i], b.v[i]);
        return r;
    }
    friend Float4 operator+ (Float4 a, Float4 b) noexcept { return zip (a, b, [] (float x, float y) { return x + y; }); }
    friend Float4 operator- (Float4 a, Float4 b) noexcept { return zip (a, b, [] (float x, float y) { return x - y; }); }
    friend Float4 operator* (Float4 a, Float4 b) noexcept { return zip (a, b, [] (float x, float y) { return x * y; }); }
    float sum() const noexcept { return (v[0] + v[2]) + (v[1] + v[3]); }
};

inline Float4 fractionalPart (Float4 x) noexcept
{
    for (auto& lane : x.v)
        lane -= static_cast<float> (static_cast<int> (lane));
    return x;
}

template <int Size>
inline void tableIndex (Float4 phase, const int* offsets, int (&index)[4], Float4& fraction) noexcept
{
    for (int i = 0; i < 4; ++i)
    {
        const float scaled = phase.v[i] * static_cast<float> (Size);
        const int whole = static_cast<int> (scaled);
        fraction.v[i] = scaled - static_cast<float> (whole);
        index[i] = (whole & (Size - 1)) + (offsets != nullptr ? offsets[i] : 0);
    }
}

template <int Size>
inline void tableIndex (Float4 phase, int (&index)[4], Float4& fraction) noexcept
{
    tableIndex<Size> (phase, nullptr, index, fraction);
}

inline void gatherTaps (const float* frame, const int (&index)[4], Float4 (&rows)[4]) noexcept
{
    for (int lane = 0; lane < 4; ++lane)
        for (int tap = 0; tap < 4; ++tap)
            rows[tap].v[lane] = frame[index[lane] - 1 + tap];
}

inline void gatherCrossfadedTaps (const float* frameA, const float* frameB, const int (&index)[4], Float4 weight,
                                  Float4 (&rows)[4]) noexcept
{
    for (int lane = 0; lane < 4; ++lane)
        for (int tap = 0; tap < 4; ++tap)
        {
            const float a = frameA[index[lane] - 1 + tap];
            rows[tap].v[lane] = a + (frameB[index[lane] - 1 + tap] - a) * weight.v[lane];
        }
}

#endif

} // namespace plumora
