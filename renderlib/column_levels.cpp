// SPDX-License-Identifier: GPL-3.0-or-later
#include "column_levels.h"

#include <immintrin.h>

#include <cstring>

// A column holds both levels exactly when some sample's bit differs from the first
// sample's bit. Both paths XOR every sample with the first one, broadcast to every byte
// lane, and OR the results together, so a difference in any lane of any load is kept;
// the masked OR is zero only for a flat column. Loads may overlap at a column's end:
// a sample seen twice changes nothing.

namespace kv::render {
namespace {

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

uint64_t load64(const uint8_t *at) {
    uint64_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

uint8_t portableLevel(const uint8_t *c, long n, uint8_t mask) {
    const uint8_t first = c[0] & mask;
    if (n < 8) {
        uint8_t differ = 0;
        for (long k = 1; k < n; ++k)
            differ |= static_cast<uint8_t>(c[k] ^ first);
        if (differ & mask) return kColumnBoth;
    } else {
        const uint64_t want = kEveryByte * first;
        uint64_t differ = 0;
        long k = 0;
        for (; k + 8 <= n; k += 8)
            differ |= load64(c + k) ^ want;
        if (k < n) differ |= load64(c + n - 8) ^ want;
        if (differ & (kEveryByte * mask)) return kColumnBoth;
    }
    return first ? kColumnHigh : kColumnLow;
}

__attribute__((target("avx2"))) inline __m256i load32(const uint8_t *at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
}

// Column of n >= 32 samples; with N known at compile time the loads unroll.
template <long N>
__attribute__((target("avx2"))) inline uint8_t avx2Level(const uint8_t *c, long n, __m256i m,
                                                         uint8_t mask) {
    if constexpr (N > 0) n = N;
    const uint8_t first = c[0] & mask;
    const __m256i want = _mm256_set1_epi8(static_cast<char>(first));
    __m256i differ = _mm256_xor_si256(load32(c), want);
    long k = 32;
    for (; k + 32 <= n; k += 32)
        differ = _mm256_or_si256(differ, _mm256_xor_si256(load32(c + k), want));
    if (k < n) differ = _mm256_or_si256(differ, _mm256_xor_si256(load32(c + n - 32), want));
    if (!_mm256_testz_si256(differ, m)) return kColumnBoth;
    return first ? kColumnHigh : kColumnLow;
}

template <long N>
__attribute__((target("avx2"))) void avx2Loop(const uint8_t *p, long first, long d, int columns,
                                              uint8_t mask, uint8_t *out) {
    const __m256i m = _mm256_set1_epi8(static_cast<char>(mask));
    for (int x = 0; x < columns; ++x)
        out[x] = avx2Level<N>(p + first + x * d, d + 1, m, mask);
}

using Columns = void (*)(const uint8_t *, long, long, int, uint8_t, uint8_t *);

Columns choose() {
    return avx2Available() ? columnLevelsAvx2 : columnLevelsPortable;
}

}  // namespace

void columnLevelsPortable(const uint8_t *p, long first, long d, int columns, uint8_t mask,
                          uint8_t *out) {
    for (int x = 0; x < columns; ++x)
        out[x] = portableLevel(p + first + x * d, d + 1, mask);
}

void columnLevelsAvx2(const uint8_t *p, long first, long d, int columns, uint8_t mask,
                      uint8_t *out) {
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
                columnLevelsPortable(p, first, d, columns, mask, out);
            break;
    }
}

bool avx2Available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

void columnLevels(const uint8_t *p, long first, long d, int columns, uint8_t mask, uint8_t *out) {
    static const Columns implementation = choose();
    implementation(p, first, d, columns, mask, out);
}

}  // namespace kv::render
