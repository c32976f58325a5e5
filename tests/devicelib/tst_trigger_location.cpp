// SPDX-License-Identifier: GPL-3.0-or-later
// The exact trigger sample found after read-out, over planes the test fills itself: no
// flag byte is 1, so the read-out leaves the caller's planes as they are and the search
// runs over all 131071 samples of each.
#include <initializer_list>

#include "device_fixture.h"

using namespace kvtest;

namespace {

// D23 = 1, D16 = 0, D8 = 1, D7 = "-" (demands 0 here), D0 = 1, every other channel X.
// Value and mask bytes, plane 0..2: V = 7F FF FE, M = 7E FE 7E.
constexpr const char *kWord = "1XXXXXX0 XXXXXXX1 -XXXXXX1";
constexpr int32_t kUntouched = -99;

class Search {
  public:
    Search() : rig(Place::Usb2) {
        found = rig.find() == 4;
        for (int i = 0; i < 3; ++i) {
            rig.planes[i].assign(131072, 0x00);  // 0x00 fails on every plane (D0, D8, D23 low)
            planes[i] = rig.planes[i].data();
        }
    }
    // The least sample that matches, and the same with every ignored channel high.
    void match(size_t k) { set(k, 0x01, 0x01, 0x80); }
    void matchHigh(size_t k) { set(k, 0x7F, 0xFF, 0xFE); }
    void miss(size_t k) { set(k, 0x00, 0x00, 0x00); }
    void set(size_t k, uint8_t p0, uint8_t p1, uint8_t p2) {
        rig.planes[0][k] = p0;
        rig.planes[1][k] = p1;
        rig.planes[2][k] = p2;
    }
    // Runs the read-out with trigger index t; returns offsets[0] after checking that all n
    // entries agree and the rest are untouched.
    int32_t run(int32_t t, uint8_t condition, int8_t n = 3, const char *word = kWord) {
        for (auto &o : rig.offsets)
            o = kUntouched;
        kv::dev::EndArgs e;
        for (int i = 0; i < 3; ++i)
            e.planes[i] = planes[i];
        e.port = rig.base();
        e.stateBlock = rig.state.data();
        const uint8_t noneRead[3] = {0, 0, 0};
        e.flags = noneRead;
        e.n = n;
        e.a = a;
        e.b = 3;
        e.lengths = lengths;
        e.triggerWord = word;
        e.triggerIndex = t;
        e.condition = condition;
        e.offsets = nullOffsets ? nullptr : rig.offsets;
        EXPECT_EQ(rig.device.endCapture(e), 0);
        for (int i = 1; i < 3; ++i)
            EXPECT_EQ(rig.offsets[i], i < n ? rig.offsets[0] : kUntouched) << "entry " << i;
        return rig.offsets[0];
    }

    DeviceRig rig;
    bool found = false;
    int32_t lengths[3] = {131072, 131072, 131072};
    int32_t a = 1;
    uint8_t *planes[3] = {nullptr, nullptr, nullptr};  // the destinations passed
    bool nullOffsets = false;
};

}  // namespace

TEST(TriggerLocation, SearchStartsOneSampleBeforeTheIndex) {
    // Condition 1: first a sample that does not match, then the first that does.
    {
        Search s;
        ASSERT_TRUE(s.found);
        s.match(105);
        EXPECT_EQ(s.run(100, 1), 5);
    }
    {
        // 99 misses at once (d = -1); 100..102 match: the trigger is at 100.
        Search s;
        for (size_t k : {100, 101, 102})
            s.match(k);
        EXPECT_EQ(s.run(100, 1), 0);
    }
    {
        // 99 matches, so the miss comes at 100 and the match after it at 103; sample 98,
        // one before the search, misses and must not count.
        Search s;
        s.match(99);
        s.match(103);
        EXPECT_EQ(s.run(100, 1), 3);
    }
    {
        // Any other condition: first a match, then the first miss. 102..106 match.
        Search s;
        for (size_t k = 102; k <= 106; ++k)
            s.matchHigh(k);
        EXPECT_EQ(s.run(100, 0), 7);
        EXPECT_EQ(s.run(100, 2), 7);
        EXPECT_EQ(s.run(100, 1), 2);
    }
}

TEST(TriggerLocation, EveryPlaneAndEveryDemandedChannelCounts) {
    // Samples that match on all but one plane, one after another from 101; the full match
    // at 106 is the trigger for condition 1.
    Search s;
    ASSERT_TRUE(s.found);
    s.set(101, 0x81, 0x01, 0x80);  // D7 high where "-" demands 0
    s.set(102, 0x01, 0x00, 0x80);  // D8 low where "1" demands 1
    s.set(103, 0x01, 0x01, 0x81);  // D16 high where "0" demands 0
    s.set(104, 0x01, 0x01, 0x00);  // D23 low where "1" demands 1
    s.set(105, 0x00, 0x01, 0x80);  // D0 low
    s.matchHigh(106);
    EXPECT_EQ(s.run(100, 1), 6);
    // With condition 0 the first search looks for a match and finds 106, the miss at 107.
    EXPECT_EQ(s.run(100, 0), 7);
}

TEST(TriggerLocation, SearchGivesUpAt35Samples) {
    {
        // 99..132 match (d = -1..32), 133 misses, 134 matches: d = 34, the last one looked at.
        Search s;
        ASSERT_TRUE(s.found);
        for (size_t k = 99; k <= 132; ++k)
            s.match(k);
        s.match(134);
        EXPECT_EQ(s.run(100, 1), 34);
    }
    {
        // The same with the match one later, at d = 35: not found, the offsets stay.
        Search s;
        for (size_t k = 99; k <= 132; ++k)
            s.match(k);
        s.match(135);
        EXPECT_EQ(s.run(100, 1), kUntouched);
    }
    {
        // A first search that runs out leaves them too.
        Search s;
        for (size_t k = 99; k <= 140; ++k)
            s.match(k);
        EXPECT_EQ(s.run(100, 1), kUntouched);
    }
}

TEST(TriggerLocation, OnlyTheSamplesEachPlaneReceivedAreSearched) {
    {
        // T = 1 starts at sample 0, the first one.
        Search s;
        ASSERT_TRUE(s.found);
        s.match(1);
        EXPECT_EQ(s.run(1, 1), 0);
    }
    {
        // T = 0 would start at sample -1: nothing is written, whatever follows.
        Search s;
        s.match(0);
        s.match(2);
        EXPECT_EQ(s.run(0, 1), kUntouched);
    }
    {
        // The last sample received is 131070; the byte after it is not a sample.
        Search s;
        s.match(131070);
        EXPECT_EQ(s.run(131068, 1), 2);
    }
    {
        Search s;
        s.match(131071);
        EXPECT_EQ(s.run(131068, 1), kUntouched);
    }
    {
        // The first search ends at the last sample; the second would need the next one.
        Search s;
        for (size_t k = 131067; k <= 131069; ++k)
            s.match(k);
        s.match(131071);
        EXPECT_EQ(s.run(131068, 1), kUntouched);
    }
}

TEST(TriggerLocation, OffsetCountAndMissingCallerMemory) {
    Search s;
    ASSERT_TRUE(s.found);
    s.match(103);
    EXPECT_EQ(s.run(100, 1, 1), 3);  // one entry written, the other two stay
    EXPECT_EQ(s.run(100, 1, 2), 3);
    EXPECT_EQ(s.run(100, 1, 0), kUntouched);
    EXPECT_EQ(s.run(100, 1, -1), kUntouched);
    // Free run: every entry gets 8, and only the n asked for.
    EXPECT_EQ(s.run(100, 1, 1, "XXXXXXXX XXXXXXXX XXXXXXXX"), 8);
    // No trigger word, no offset array: nothing is written and nothing breaks.
    EXPECT_EQ(s.run(100, 1, 3, nullptr), kUntouched);
    s.nullOffsets = true;
    EXPECT_EQ(s.run(100, 1), kUntouched);
    s.nullOffsets = false;
    // A missing destination, in any plane, leaves the search out.
    for (int p = 0; p < 3; ++p) {
        Search m;
        m.match(103);
        m.planes[p] = nullptr;
        EXPECT_EQ(m.run(100, 1), kUntouched) << "plane " << p << " missing";
    }
}

TEST(TriggerLocation, PlanesFallingBackToPlaneZeroAreSearchedThere) {
    {
        // A negative length sends plane 1 to plane 0's destination: the search compares
        // plane 0's bytes for D15..D8 too. 0x01 fits both (D0 = 1, D7 = 0; D8 = 1).
        Search s;
        ASSERT_TRUE(s.found);
        s.set(103, 0x01, 0x00, 0x80);  // plane 1's own byte would miss
        s.lengths[1] = -1;
        EXPECT_EQ(s.run(100, 1), 3);
        // Plane 1 need not exist at all.
        s.planes[1] = nullptr;
        EXPECT_EQ(s.run(100, 1), 3);
    }
    {
        // A length of 0 is not negative: plane 1 keeps its own destination.
        Search s;
        s.set(103, 0x01, 0x00, 0x80);
        s.match(106);
        s.lengths[1] = 0;
        EXPECT_EQ(s.run(100, 1), 6);
    }
}
