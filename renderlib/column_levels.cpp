#include "column_levels.h"

#include <immintrin.h>

#include <cstring>

namespace kv::render {
namespace {

uint64_t load64(const uint8_t *at) {
    uint64_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

// AND and OR of n bytes, folded eight at a time (the last load may overlap).
uint8_t levelOf(const uint8_t *c, long n, uint8_t mask) {
    if (n < 8) {
        uint8_t all = 0xFF, any = 0;
        for (long k = 0; k < n; ++k)
            all &= c[k], any |= c[k];
        if ((all ^ any) & mask) return kColumnBoth;
        return (any & mask) ? kColumnHigh : kColumnLow;
    }
    uint64_t all = load64(c), any = all;
    long k = 8;
    for (; k + 8 <= n; k += 8) {
        const uint64_t v = load64(c + k);
        all &= v, any |= v;
    }
    if (k < n) {
        const uint64_t v = load64(c + n - 8);
        all &= v, any |= v;
    }
    const uint64_t lanes = 0x0101010101010101ull * mask;
    if ((all ^ any) & lanes) return kColumnBoth;
    return (c[0] & mask) ? kColumnHigh : kColumnLow;
}

void genericColumns(const uint8_t *p, long first, long d, int columns, uint8_t mask, uint8_t *out) {
    for (int x = 0; x < columns; ++x)
        out[x] = levelOf(p + first + x * d, d + 1, mask);
}

__attribute__((target("avx2"))) inline __m256i load32(const uint8_t *at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
}

// Column of n samples (n >= 32); with n known at compile time the loads unroll.
template <long N>
__attribute__((target("avx2"))) inline uint8_t avx2Level(const uint8_t *c, long n, __m256i m,
                                                         uint8_t mask) {
    if constexpr (N > 0) n = N;
    __m256i all = load32(c), any = all;
    long k = 32;
    for (; k + 32 <= n; k += 32) {
        const __m256i v = load32(c + k);
        all = _mm256_and_si256(all, v);
        any = _mm256_or_si256(any, v);
    }
    if (k < n) {
        const __m256i v = load32(c + n - 32);
        all = _mm256_and_si256(all, v);
        any = _mm256_or_si256(any, v);
    }
    const __m256i differ = _mm256_and_si256(_mm256_xor_si256(all, any), m);
    if (!_mm256_testz_si256(differ, differ)) return kColumnBoth;
    return (c[0] & mask) ? kColumnHigh : kColumnLow;
}

template <long N>
__attribute__((target("avx2"))) void avx2Loop(const uint8_t *p, long first, long d, int columns,
                                              uint8_t mask, uint8_t *out) {
    const __m256i m = _mm256_set1_epi8(static_cast<char>(mask));
    for (int x = 0; x < columns; ++x)
        out[x] = avx2Level<N>(p + first + x * d, d + 1, m, mask);
}

void avx2Columns(const uint8_t *p, long first, long d, int columns, uint8_t mask, uint8_t *out) {
    switch (d) {
        case 50:
            avx2Loop<51>(p, first, d, columns, mask, out);
            break;
        case 100:
            avx2Loop<101>(p, first, d, columns, mask, out);
            break;
        case 200:
            avx2Loop<201>(p, first, d, columns, mask, out);
            break;
        default:
            if (d + 1 >= 32)
                avx2Loop<0>(p, first, d, columns, mask, out);
            else
                genericColumns(p, first, d, columns, mask, out);
            break;
    }
}

// With 64-byte registers a column of 201 samples takes four loads instead of seven.
__attribute__((target("avx512bw"))) void avx512Columns(const uint8_t *p, long first, long d,
                                                       int columns, uint8_t mask, uint8_t *out) {
    const long n = d + 1;
    if (n < 64) {
        avx2Columns(p, first, d, columns, mask, out);
        return;
    }
    const __m512i m = _mm512_set1_epi8(static_cast<char>(mask));
    for (int x = 0; x < columns; ++x) {
        const uint8_t *c = p + first + x * d;
        __m512i all = _mm512_loadu_si512(c), any = all;
        long k = 64;
        for (; k + 64 <= n; k += 64) {
            const __m512i v = _mm512_loadu_si512(c + k);
            all = _mm512_and_si512(all, v);
            any = _mm512_or_si512(any, v);
        }
        if (k < n) {
            const __m512i v = _mm512_loadu_si512(c + n - 64);
            all = _mm512_and_si512(all, v);
            any = _mm512_or_si512(any, v);
        }
        const __mmask64 differ = _mm512_test_epi8_mask(_mm512_xor_si512(all, any), m);
        out[x] = differ ? kColumnBoth : (c[0] & mask) ? kColumnHigh : kColumnLow;
    }
}

using Columns = void (*)(const uint8_t *, long, long, int, uint8_t, uint8_t *);

Columns choose() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw")) return avx512Columns;
    return __builtin_cpu_supports("avx2") ? avx2Columns : genericColumns;
}

}  // namespace

void columnLevels(const uint8_t *p, long first, long d, int columns, uint8_t mask, uint8_t *out) {
    static const Columns implementation = choose();
    implementation(p, first, d, columns, mask, out);
}

}  // namespace kv::render
