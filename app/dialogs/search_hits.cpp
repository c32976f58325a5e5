#include "dialogs/search_hits.h"

#include <algorithm>
#include <cstdio>

namespace kv::app {

SampleHitScan::SampleHitScan(const uint8_t *plane0, const uint8_t *plane1, const uint8_t *plane2,
                             int32_t recordLength, const SearchMasks &masks)
    : m_planes{plane0, plane1, plane2}, m_masks(masks), m_end(std::max(recordLength - 1, 0)) {}

bool SampleHitScan::step(int32_t samples, std::vector<HitRow> &rows) {
    // Compare plane by plane with the don't-care bits cleared: no word is built for a
    // sample that does not match.
    uint8_t care[3], want[3];
    for (int p = 0; p < 3; ++p) {
        care[p] = static_cast<uint8_t>(~(m_masks.dontCare >> (8 * p)));
        want[p] = static_cast<uint8_t>((m_masks.ones >> (8 * p)) & care[p]);
    }
    const int32_t stop = m_end - m_next < samples ? m_end : m_next + std::max(samples, 0);
    for (; m_next < stop && !m_capped; ++m_next) {
        const auto q = static_cast<size_t>(m_next);
        const uint8_t b0 = m_planes[0][q], b1 = m_planes[1][q], b2 = m_planes[2][q];
        if ((b0 & care[0]) != want[0] || (b1 & care[1]) != want[1] || (b2 & care[2]) != want[2])
            continue;
        rows.push_back({m_next, wordHexText(uint32_t{b2} << 16 | uint32_t{b1} << 8 | b0)});
        if (++m_hits >= kMaxHits) m_capped = true;
    }
    return finished();
}

int SampleHitScan::percent() const {
    if (m_end <= 0 || finished()) return 100;
    return static_cast<int>(int64_t{m_next} * 100 / m_end);
}

std::string wordHexText(uint32_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", word & 0xFFFFFFu);
    return text;
}

std::string hitTimeText(int32_t position, int32_t trigger, const DisplayUnits &units,
                        double periodPs, uint8_t rateCode, double rangePeriod) {
    // Samples come signed; time and frequency are distances and take the sign here.
    const std::string text =
        distanceText(position, trigger, units, periodPs, rateCode, rangePeriod, "----");
    if (position < trigger && !text.empty() && text[0] != '-' && text != "----") return "-" + text;
    return text;
}

}  // namespace kv::app
