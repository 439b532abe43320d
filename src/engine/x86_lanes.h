// The two-lane vocabulary of the signal loop on x86-64: two doubles in an SSE register,
// two floats in the low half of another. Compiled for SSE2 (every x86-64 processor) or,
// with AVX2 and FMA enabled, with blends and a fused multiply-add.
//
// Include only from a kernel source (internal linkage, see signal_kernel_loop.h).
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace orbitone::kernel {
namespace {

struct X86Lanes {
    using D2 = __m128d;  // [left, right]
    using F2 = __m128;   // [left, right, -, -]

    // A lane pair parked in memory between the two passes of a chunk.
    struct alignas(16) D2Store {
        double lanes[2];
    };
    static void put(D2Store& at, D2 v) { _mm_store_pd(at.lanes, v); }
    static D2 get(const D2Store& at) { return _mm_load_pd(at.lanes); }

    static D2 splat(double v) { return _mm_set1_pd(v); }
    static D2 pair(double left, double right) { return _mm_set_pd(right, left); }
    static double left(D2 v) { return _mm_cvtsd_f64(v); }
    static double right(D2 v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }

    static F2 splatF(float v) { return _mm_set1_ps(v); }
    static float leftF(F2 v) { return _mm_cvtss_f32(v); }
    // Sign masks: -0.0 flips a lane's sign under xor, 0.0 keeps it.
    static F2 signsF(bool flipLeft, bool flipRight) {
        return _mm_set_ps(0.0f, 0.0f, flipRight ? -0.0f : 0.0f, flipLeft ? -0.0f : 0.0f);
    }
    static F2 withSigns(float v, F2 signs) { return _mm_xor_ps(_mm_set1_ps(v), signs); }
    static F2 negateF(F2 v) { return _mm_xor_ps(v, _mm_set1_ps(-0.0f)); }
    static F2 addF(F2 a, F2 b) { return _mm_add_ps(a, b); }
    // floor > v ? floor : v, lane by lane; a NaN stays NaN.
    static F2 raiseTo(F2 floor, F2 v) { return _mm_max_ps(floor, v); }

    static F2 load(const float* left, const float* right) {
        return _mm_unpacklo_ps(_mm_load_ss(left), _mm_load_ss(right));
    }
    static void store(float* left, float* right, F2 v) {
        _mm_store_ss(left, v);
        _mm_store_ss(right, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
    }
    // Each output becomes float(y + output), left first: the right output is read only
    // after the left one is written, as the plain loop does it.
    static void storeAdded(float* left, float* right, D2 y) {
        const __m128 l = _mm_cvtsd_ss(_mm_setzero_ps(),
                                      _mm_add_sd(y, _mm_cvtss_sd(y, _mm_load_ss(left))));
        _mm_store_ss(left, l);
        const D2 yr = _mm_unpackhi_pd(y, y);
        const __m128 r = _mm_cvtsd_ss(_mm_setzero_ps(),
                                      _mm_add_sd(yr, _mm_cvtss_sd(yr, _mm_load_ss(right))));
        _mm_store_ss(right, r);
    }

    static D2 widen(F2 v) { return _mm_cvtps_pd(v); }
    static F2 narrow(D2 v) { return _mm_cvtpd_ps(v); }

    static D2 add(D2 a, D2 b) { return _mm_add_pd(a, b); }
    static D2 mul(D2 a, D2 b) { return _mm_mul_pd(a, b); }
    // a * b + c for a product that is exact in double (two floats), where fusing the
    // two operations gives the same result as rounding them one by one.
    static D2 mulAddExact(D2 a, D2 b, D2 c) {
#if defined(__FMA__)
        return _mm_fmadd_pd(a, b, c);
#else
        return _mm_add_pd(_mm_mul_pd(a, b), c);
#endif
    }
    static D2 abs(D2 v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
    static D2 duplicateLeft(D2 v) { return _mm_unpacklo_pd(v, v); }

    static D2 select(D2 mask, D2 ifSet, D2 otherwise) {
#if defined(__SSE4_1__)
        return _mm_blendv_pd(otherwise, ifSet, mask);
#else
        return _mm_or_pd(_mm_and_pd(mask, ifSet), _mm_andnot_pd(mask, otherwise));
#endif
    }
    // a > b ? ifGreater : otherwise, lane by lane (otherwise when unordered).
    static D2 selectGreater(D2 a, D2 b, D2 ifGreater, D2 otherwise) {
        return select(_mm_cmpgt_pd(a, b), ifGreater, otherwise);
    }
    // Subtracts 1 from each lane that is at least 1.
    static D2 wrapOnce(D2 phase, D2 one) {
        return select(_mm_cmpge_pd(phase, one), _mm_sub_pd(phase, one), phase);
    }

    // The two table samples at the integer parts of the scaled indices, which the caller
    // has made sure lie in 0 .. table length - 1.
    static F2 lookup(const float* table, D2 scaledIndex) {
        const std::int64_t both = _mm_cvtsi128_si64(_mm_cvttpd_epi32(scaledIndex));
        const auto l = static_cast<std::uint32_t>(both);
        const auto r = static_cast<std::uint32_t>(static_cast<std::uint64_t>(both) >> 32);
        return _mm_unpacklo_ps(_mm_load_ss(table + l), _mm_load_ss(table + r));
    }

    static bool allFinite(D2 v) {
        const D2 difference = _mm_sub_pd(v, v);  // 0 when finite, NaN otherwise
        return _mm_movemask_pd(_mm_cmpeq_pd(difference, _mm_setzero_pd())) == 3;
    }
    static bool allIndexable(D2 scaledIndex, double length) {
        const D2 inside = _mm_and_pd(_mm_cmpgt_pd(scaledIndex, _mm_set1_pd(-1.0)),
                                     _mm_cmplt_pd(scaledIndex, _mm_set1_pd(length)));
        return _mm_movemask_pd(inside) == 3;
    }
};

}  // namespace
}  // namespace orbitone::kernel
