// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/search_model.h"
#include "timing/measurements.h"

namespace kv::app {

// One row of the hit list: where (a sample position of the data set) and what. The time
// column follows from the position, so that any source of rows (the sample scan below,
// or another kind of finding over the same data set) only says where and what.
struct HitRow {
    int32_t position = 0;
    std::string text;
};

inline constexpr size_t kMaxHits = 100000;

// "Find all" over the samples of one data set, in steps, so that a window can fill its
// list between events. Every sample from 0 to count - 2 is looked at (the unit delivers
// one sample less than the record length; the search never stops on the last one
// either). A matching sample gives a row with its word as six hexadecimal digits. The
// scan stops for good after kMaxHits rows.
class SampleHitScan {
  public:
    SampleHitScan(const uint8_t *plane0, const uint8_t *plane1, const uint8_t *plane2,
                  int32_t recordLength, const SearchMasks &masks);

    // Looks at up to `samples` more samples and appends their hits to `rows`; returns
    // true when the scan is over.
    bool step(int32_t samples, std::vector<HitRow> &rows);
    bool finished() const { return m_next >= m_end || m_capped; }
    // Whether the scan stopped at kMaxHits rows before the end of the data.
    bool capped() const { return m_capped; }
    size_t hits() const { return m_hits; }
    // How far the scan has come, 0..100.
    int percent() const;

  private:
    const uint8_t *m_planes[3];
    SearchMasks m_masks;
    int32_t m_next = 0, m_end = 0;
    size_t m_hits = 0;
    bool m_capped = false;
};

// The hexadecimal text of a sample word: six digits, D23 first.
std::string wordHexText(uint32_t word);

// The time column: the hit's distance from the trigger in the display unit the views use
// (time, samples or frequency), with "-" before a hit that lies before the trigger.
std::string hitTimeText(int32_t position, int32_t trigger, const DisplayUnits &units,
                        double periodPs, uint8_t rateCode, double rangePeriod);

}  // namespace kv::app
