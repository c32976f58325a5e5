// SPDX-License-Identifier: GPL-3.0-or-later
// The search word, its masks, the group rows, one search through the render library's
// SearchVdata over a view's data set, and "Find all" against a plain scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "dialogs/search_hits.h"
#include "dialogs/search_model.h"

using namespace kv::app;

TEST(SearchWord, MasksOfAllDontCareAndOfEachLevel) {
    const SearchMasks all = searchMasks("XXXXXXXXXXXXXXXXXXXXXXXX");
    EXPECT_EQ(all.ones, 0u);
    EXPECT_EQ(all.dontCare, 16777215u);
    // D23 is the first position, D0 the last: "1" at 1 and 24, "0" at 2 and 23.
    const SearchMasks m = searchMasks("10xxxxxxxxxxxxxxxxxxxx01");
    EXPECT_EQ(m.ones, (1u << 23) | 1u);
    EXPECT_EQ(m.dontCare, 0xFFFFFFu & ~((1u << 23) | (1u << 22) | 2u | 1u));
    // The preset "XXXXXXXX11111111XXXXXXXX": D15..D8 must be 1, the rest is free.
    const SearchMasks p = searchMasks(kSearchPresets[1]);
    EXPECT_EQ(p.ones, 0x00FF00u);
    EXPECT_EQ(p.dontCare, 0xFF00FFu);
}

TEST(SearchWord, EveryOtherCharacterBecomesLowerX) {
    EXPECT_EQ(normalisedSearchWord("z"), kBlankSearchWord);
    EXPECT_EQ(normalisedSearchWord("1z0Z2 XX"), "1x0xxxxxxxxxxxxxxxxxxxxx");
    // Characters past the 24th are dropped.
    EXPECT_EQ(normalisedSearchWord(std::string(24, '1') + "000"), std::string(24, '1'));
    // The same word from the cursor labels: rows 23 to 0 joined in that order.
    std::array<std::string, 24> rows;
    for (int j = 23; j >= 0; --j)
        rows[static_cast<size_t>(23 - j)] = j % 3 == 0 ? "1" : "0";
    EXPECT_EQ(wordFromValueLabels(rows), "001001001001001001001001");
    rows.fill("1");
    rows[0] = "";  // a row with no caption takes no position
    EXPECT_EQ(wordFromValueLabels(rows), "11111111111111111111111x");
}

namespace {

// Group 12 made of four channels: bit 0 D5, bit 1 D9, bit 2 D2, bit 3 D20.
GroupTables fourChannelGroup() {
    GroupTables t;
    t.setDefaults();
    t.topBit[12] = 3;
    const int channels[4] = {5, 9, 2, 20};
    for (int k = 0; k < 4; ++k)
        t.bitMap[12 * 32 + k] = channels[k];
    return t;
}

// The word with `levels` at the positions of channels (position 24 - c, 1-based).
std::string wordWith(std::initializer_list<std::pair<int, char>> levels) {
    std::string w(24, 'X');
    for (const auto &[channel, level] : levels)
        w[static_cast<size_t>(23 - channel)] = level;
    return w;
}

}  // namespace

TEST(SearchGroups, DecimalHexadecimalAndBadRows) {
    GroupTables t = fourChannelGroup();
    // Decimal 5 = 0101: bits 0 and 2 set (D5, D2), bits 1 and 3 clear (D9, D20).
    ComposedWord c = composeFromGroups(t, {12, 12, 12, 12}, {"5", "XX", "", "X"}, 1);
    EXPECT_EQ(c.error, "");
    EXPECT_EQ(c.word, wordWith({{5, '1'}, {2, '1'}, {9, '0'}, {20, '0'}}));
    // A decimal row that is not a number contributes nothing.
    c = composeFromGroups(t, {12, 0, 0, 0}, {"5a", "XX", "XX", "XX"}, 1);
    EXPECT_EQ(c.error, "");
    EXPECT_EQ(c.word, std::string(24, 'X'));
    // Hexadecimal A = 1010 on the same group, then a second row, group 0 made D7..D0,
    // with 3C = 00111100: the later row decides the shared channels D5 and D2.
    for (int k = 0; k < 8; ++k)
        t.bitMap[static_cast<size_t>(k)] = k;
    t.topBit[0] = 7;
    c = composeFromGroups(t, {12, 0, 8, 9}, {"a", "3C", "XX", "XX"}, 0);
    EXPECT_EQ(c.error, "");
    EXPECT_EQ(c.word, "XXX1XXXXXXXXXX1X00111100");
    // Invalid hexadecimal is told, naming the row; no word comes out.
    c = composeFromGroups(t, {12, 12, 12, 12}, {"5", "XX", "1G", "XX"}, 0);
    EXPECT_EQ(c.word, "");
    EXPECT_NE(c.error.find("Group row 3"), std::string::npos);
    EXPECT_NE(c.error.find("\"1G\""), std::string::npos);
    EXPECT_NE(c.error.find("hexadecimal"), std::string::npos);
    c = composeFromGroups(t, {12, 12, 12, 12}, {"123456789", "XX", "XX", "XX"}, 0);
    EXPECT_NE(c.error.find("Group row 1"), std::string::npos);
}

namespace {

// A program state with one data set of `length` samples, all 0x00 (nothing matches a
// word that wants a 1), and the view's cursors where a test puts them.
struct Store {
    ProgramState s;
    explicit Store(int32_t length) {
        s.capture.allocate(2);
        s.recordLength = length;
        s.currentView = 0;
        s.views[0].dataSet = 1;
        for (int set = 0; set < 2; ++set)
            for (int p = 0; p < 3; ++p)
                std::memset(s.capture.plane(set, p), 0, static_cast<size_t>(length));
    }
    // Sample q of the view's data set takes word w.
    void put(int32_t q, uint32_t w, int set = 1) {
        for (int p = 0; p < 3; ++p)
            s.capture.plane(set, p)[q] = static_cast<uint8_t>(w >> (8 * p));
    }
    SearchOutcome search(int cursor, int32_t from, int direction, const std::string &word) {
        cursorPosition(s.views[0], cursor) = from;
        return runSearch(s, &::SearchVdata, searchMasks(word), cursor, direction);
    }
};

// The word D23..D16 = 0xA5, the rest free.
const std::string kWord = "10100101xxxxxxxxxxxxxxxx";
constexpr uint32_t kHit = 0xA50000u;

}  // namespace

class SearchBothDepths : public ::testing::TestWithParam<int32_t> {};

TEST_P(SearchBothDepths, ForwardAndBackwardFromBothEndsOnRunsAndAcrossTheTrigger) {
    const int32_t n = GetParam();  // record length; sample n - 1 is never captured
    Store st(n);
    // A run of matches at 0..4, one at 100, a run at n - 40 .. n - 36, and one at n - 10.
    for (int32_t q : {0, 1, 2, 3, 4, 100, n - 40, n - 39, n - 38, n - 37, n - 36, n - 10})
        st.put(q, kHit | 0x1234u);
    // Data set 0 has a match at 50 only: the view's data set (1) is the one searched.
    st.put(50, kHit, 0);

    // Forward from inside the first run: past the run to 100.
    SearchOutcome r = st.search(0, 2, 0, kWord);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.position, 100);
    // Forward from the start of the record (on the run), then on from the hit.
    EXPECT_EQ(st.search(1, 0, 0, kWord).position, 100);
    EXPECT_EQ(st.search(1, 100, 0, kWord).position, n - 40);
    EXPECT_EQ(st.search(1, n - 40, 0, kWord).position, n - 10);
    // Forward from the last match wraps round to the first sample.
    EXPECT_EQ(st.search(1, n - 10, 0, kWord).position, 0);
    // Backward from the run at the end: inside the run, its start is left behind too.
    EXPECT_EQ(st.search(0, n - 37, 1, kWord).position, 100);
    // Backward from sample 0 wraps to the end: the last match before the end is n - 10.
    EXPECT_EQ(st.search(0, 0, 1, kWord).position, n - 10);
    // Backward from 100 stops on the last sample of the first run.
    EXPECT_EQ(st.search(0, 100, 1, kWord).position, 4);

    // Across the trigger: the trigger cursor at the middle, A before it, searched forward;
    // the trigger cursor itself searched backward.
    const int32_t trigger = n / 2;
    st.s.views[0].triggerCursor = trigger;
    st.put(trigger + 7, kHit);
    st.put(trigger - 9, kHit);
    EXPECT_EQ(st.search(0, trigger - 9, 0, kWord).position, trigger + 7);
    r = st.search(2, trigger, 1, kWord);
    EXPECT_EQ(r.position, trigger - 9);
    EXPECT_EQ(r.start, trigger);

    // Nothing matches: not found, and the position is the start.
    r = st.search(1, 321, 0, "1111111111111111xxxxxxxx");
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.position, 321);
    r = st.search(1, 321, 1, "1111111111111111xxxxxxxx");
    EXPECT_FALSE(r.found);
}

INSTANTIATE_TEST_SUITE_P(Depths, SearchBothDepths, ::testing::Values(2 * 1024, 128 * 1024));

namespace {

std::vector<int32_t> scanAll(const uint8_t *p0, const uint8_t *p1, const uint8_t *p2,
                             int32_t length, const SearchMasks &m, int32_t step,
                             std::vector<HitRow> &rows) {
    SampleHitScan scan(p0, p1, p2, length, m);
    while (!scan.step(step, rows)) {
    }
    std::vector<int32_t> positions;
    for (const HitRow &r : rows)
        positions.push_back(r.position);
    return positions;
}

}  // namespace

TEST(FindAll, AgreesWithAPlainScanOnRandomData) {
    std::mt19937 random(18);
    const int32_t n = 128 * 1024;
    std::vector<uint8_t> planes[3];
    for (auto &p : planes) {
        p.resize(static_cast<size_t>(n));
        // Few distinct levels so that words with several cared-for channels match often.
        for (auto &b : p)
            b = static_cast<uint8_t>(random() & 0x0F) | static_cast<uint8_t>(random() & 0x30);
    }
    const char *words[] = {"xxxxxxxxxxxxxxxxxxxx0101", "xx11xxxx0xxxxxxxx10xxx1x",
                           "0000000000000000xxxxxxxx", "xxxxxxxxxxxxxxxxxxxxxxxx"};
    for (const char *word : words) {
        const SearchMasks m = searchMasks(word);
        std::vector<int32_t> expected;
        for (int32_t q = 0; q < n - 1 && expected.size() < kMaxHits; ++q) {
            // Each channel by itself: position 24 - c of the word against bit c.
            bool match = true;
            for (int c = 0; c < 24; ++c) {
                const char want = word[23 - c];
                const int bit = (planes[c / 8][static_cast<size_t>(q)] >> (c % 8)) & 1;
                if (want != 'x' && bit != want - '0') match = false;
            }
            if (match) expected.push_back(q);
        }
        for (int32_t step : {1, 4096, 1000000}) {
            std::vector<HitRow> rows;
            EXPECT_EQ(
                scanAll(planes[0].data(), planes[1].data(), planes[2].data(), n, m, step, rows),
                expected)
                << word << " step " << step;
            for (size_t i = 0; i < rows.size(); i += 997) {
                const auto q = static_cast<size_t>(rows[i].position);
                char hex[8];
                std::snprintf(hex, sizeof hex, "%02X%02X%02X", planes[2][q], planes[1][q],
                              planes[0][q]);
                EXPECT_EQ(rows[i].text, hex);
            }
        }
    }
}

TEST(FindAll, StopsAtOneHundredThousandHits) {
    const int32_t n = 128 * 1024;
    std::vector<uint8_t> zeros(static_cast<size_t>(n), 0);
    std::vector<HitRow> rows;
    SampleHitScan scan(zeros.data(), zeros.data(), zeros.data(), n, searchMasks(kBlankSearchWord));
    while (!scan.step(4096, rows)) {
    }
    EXPECT_TRUE(scan.capped());
    ASSERT_EQ(rows.size(), 100000u);
    EXPECT_EQ(rows.back().position, 99999);
    EXPECT_EQ(rows.back().text, "000000");
    // Exactly 100 000 samples, all matching: the list is whole, nothing was left.
    std::vector<HitRow> exact;
    SampleHitScan all(zeros.data(), zeros.data(), zeros.data(), 100001,
                      searchMasks(kBlankSearchWord));
    while (!all.step(4096, exact)) {
    }
    EXPECT_FALSE(all.capped());
    EXPECT_EQ(exact.size(), 100000u);
    // A 2K record with every sample matching lists 2047 samples, and is complete.
    std::vector<HitRow> small;
    SampleHitScan whole(zeros.data(), zeros.data(), zeros.data(), 2048,
                        searchMasks(kBlankSearchWord));
    while (!whole.step(100, small)) {
    }
    EXPECT_FALSE(whole.capped());
    EXPECT_EQ(small.size(), 2047u);
}

TEST(FindAll, TimeFromTheTriggerInTheDisplayUnit) {
    // 10 ns samples: 25 samples after the trigger are 250 ns, 3 before are -30 ns, written
    // as the distance read-outs write them ("#####.##").
    const DisplayUnits time{true, false, false}, samples{false, true, false};
    EXPECT_EQ(hitTimeText(125, 100, time, 10000, 4, 10000), "250.nS");
    EXPECT_EQ(hitTimeText(97, 100, time, 10000, 4, 10000), "-30.nS");
    EXPECT_EQ(hitTimeText(97, 100, samples, 10000, 4, 10000), "-3");
}
