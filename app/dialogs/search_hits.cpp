// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/search_hits.h"

#include <algorithm>

namespace kv::app {

SampleHitScan::SampleHitScan(const uint8_t *plane0, const uint8_t *plane1, const uint8_t *plane2,
                             int32_t recordLength, const SearchMasks &masks)
    : m_planes{plane0, plane1, plane2}, m_masks(masks), m_end(std::max(recordLength - 1, 0)) {}

bool SampleHitScan::step(int32_t samples, std::vector<HitRow> &rows) {
    // Compare plane by plane with the don't-care bits cleared, a block of samples at a
    // time in a loop the compiler can turn into vector instructions; only a block with a
    // hit is looked at sample by sample.
    uint8_t care[3], want[3];
    for (int p = 0; p < 3; ++p) {
        care[p] = static_cast<uint8_t>(~(m_masks.dontCare >> (8 * p)));
        want[p] = static_cast<uint8_t>((m_masks.ones >> (8 * p)) & care[p]);
    }
    const int32_t stop = m_end - m_next < samples ? m_end : m_next + std::max(samples, 0);
    constexpr int32_t kBlock = 64;
    while (m_next < stop && !m_capped) {
        const int32_t n = std::min(kBlock, stop - m_next);
        const uint8_t *p0 = m_planes[0] + m_next, *p1 = m_planes[1] + m_next,
                      *p2 = m_planes[2] + m_next;
        uint8_t hit[kBlock];
        uint8_t any = 0;
        for (int32_t i = 0; i < n; ++i) {
            hit[i] = static_cast<uint8_t>(((p0[i] & care[0]) == want[0]) &
                                          ((p1[i] & care[1]) == want[1]) &
                                          ((p2[i] & care[2]) == want[2]));
            any = static_cast<uint8_t>(any | hit[i]);
        }
        for (int32_t i = 0; any && i < n; ++i) {
            if (!hit[i]) continue;
            rows.push_back(
                {m_next + i, wordHexText(uint32_t{p2[i]} << 16 | uint32_t{p1[i]} << 8 | p0[i])});
            if (++m_hits >= kMaxHits) {
                // Stopped short only when samples are left unread.
                m_next += i + 1;
                m_capped = m_next < m_end;
                m_end = m_next;
                return true;
            }
        }
        m_next += n;
    }
    return finished();
}

int SampleHitScan::percent() const {
    if (m_end <= 0 || finished()) return 100;
    return static_cast<int>(int64_t{m_next} * 100 / m_end);
}

std::string wordHexText(uint32_t word) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(6, '0');
    for (int i = 5; i >= 0; --i, word >>= 4)
        text[static_cast<size_t>(i)] = kDigits[word & 0xFu];
    return text;
}

std::string hitTimeText(int32_t position, int32_t trigger, const DisplayUnits &units,
                        double periodPs, uint8_t rateCode, double rangePeriod) {
    // Time and samples come signed (position less trigger); a frequency takes the sign
    // here.
    const std::string text =
        distanceText(position, trigger, units, periodPs, rateCode, rangePeriod, "----");
    if (position < trigger && !text.empty() && text[0] != '-' && text != "----") return "-" + text;
    return text;
}

}  // namespace kv::app
