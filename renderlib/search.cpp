// SPDX-License-Identifier: GPL-3.0-or-later
// The search for speed: the same visiting order as the reference, scanned sixteen
// samples at a time over the contiguous stretches between the wrap points.
#include <immintrin.h>

#include <algorithm>

#include "search.h"

namespace kv::render {
namespace {

struct Matcher {
    const uint8_t *p[3];
    uint8_t care[3], value[3];

    bool matches(int64_t q) const {
        return (p[0][q] & care[0]) == value[0] && (p[1][q] & care[1]) == value[1] &&
               (p[2][q] & care[2]) == value[2];
    }

    // First q in [from, to) whose match equals `want`, scanning upward; `to` when none.
    int64_t upward(int64_t from, int64_t to, bool want) const {
        const __m128i c0 = _mm_set1_epi8(static_cast<char>(care[0]));
        const __m128i c1 = _mm_set1_epi8(static_cast<char>(care[1]));
        const __m128i c2 = _mm_set1_epi8(static_cast<char>(care[2]));
        const __m128i v0 = _mm_set1_epi8(static_cast<char>(value[0]));
        const __m128i v1 = _mm_set1_epi8(static_cast<char>(value[1]));
        const __m128i v2 = _mm_set1_epi8(static_cast<char>(value[2]));
        int64_t q = from;
        for (; q + 16 <= to; q += 16) {
            const auto load = [&](int i) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p[i] + q));
            };
            const __m128i m =
                _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(load(0), c0), v0),
                              _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(load(1), c1), v1),
                                            _mm_cmpeq_epi8(_mm_and_si128(load(2), c2), v2)));
            unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m));
            if (!want) bits = ~bits & 0xFFFFu;
            if (bits) return q + __builtin_ctz(bits);
        }
        for (; q < to; ++q) {
            if (matches(q) == want) return q;
        }
        return to;
    }

    // First q in (to, from] whose match equals `want`, scanning downward; `to` when none.
    int64_t downward(int64_t from, int64_t to, bool want) const {
        int64_t q = from;
        for (; q - 16 >= to; q -= 16) {
            const int64_t lo = q - 15;
            const auto load = [&](int i) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p[i] + lo));
            };
            const __m128i m = _mm_and_si128(
                _mm_cmpeq_epi8(_mm_and_si128(load(0), _mm_set1_epi8(static_cast<char>(care[0]))),
                               _mm_set1_epi8(static_cast<char>(value[0]))),
                _mm_and_si128(_mm_cmpeq_epi8(
                                  _mm_and_si128(load(1), _mm_set1_epi8(static_cast<char>(care[1]))),
                                  _mm_set1_epi8(static_cast<char>(value[1]))),
                              _mm_cmpeq_epi8(
                                  _mm_and_si128(load(2), _mm_set1_epi8(static_cast<char>(care[2]))),
                                  _mm_set1_epi8(static_cast<char>(value[2])))));
            unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m));
            if (!want) bits = ~bits & 0xFFFFu;
            if (bits) return lo + (31 - __builtin_clz(bits));
        }
        for (; q > to; --q) {
            if (matches(q) == want) return q;
        }
        return to;
    }
};

}  // namespace

int32_t searchSamples(const SearchArgs &a) {
    const int64_t n = int64_t{a.count} - 1;
    if (a.start < 0 || a.start > n) return a.start;
    if (n <= 0) return a.start;
    Matcher m{};
    for (int p = 0; p < 3; ++p) {
        m.p[p] = a.planes[p];
        m.care[p] = static_cast<uint8_t>(~(a.mask >> (8 * p)));
        m.value[p] = static_cast<uint8_t>((a.value >> (8 * p)) & m.care[p]);
    }
    // The reference reads r0 = s(start), then r(k+1) = s(P_k): P_0 is the start (0 when
    // the start is n) and each next position is one step on, wrapping forward over
    // 0 .. n - 1 and backward over n .. 0. Its skip stops at the first read that does not
    // match, its find at the first read after that which does; neither goes past read n.
    const bool back = a.backward;
    const int64_t cycle = back ? n + 1 : n;
    const int64_t p0 = a.start >= n ? 0 : a.start;
    const auto position = [&](int64_t k) {
        return back ? ((p0 - k) % cycle + cycle) % cycle : (p0 + k) % cycle;
    };
    // The first k in [from, limit) whose P_k matches as `want`; limit when none.
    const auto firstRead = [&](int64_t from, int64_t limit, bool want) {
        for (int64_t k = from; k < limit;) {
            const int64_t q = position(k);
            const int64_t run = std::min(limit - k, back ? q + 1 : cycle - q);
            if (back) {
                const int64_t f = m.downward(q, q - run, want);
                if (f > q - run) return k + (q - f);
            } else {
                const int64_t f = m.upward(q, q + run, want);
                if (f < q + run) return k + (f - q);
            }
            k += run;
        }
        return limit;
    };
    const int64_t skipped = m.matches(a.start) ? 1 + firstRead(0, n - 1, false) : 0;
    if (skipped >= n) return a.start;
    const int64_t k = firstRead(skipped, n - 1, true);
    if (k >= n - 1) return a.start;
    return static_cast<int32_t>(position(k));
}

}  // namespace kv::render
