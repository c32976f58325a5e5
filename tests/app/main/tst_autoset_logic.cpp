// SPDX-License-Identifier: GPL-3.0-or-later
// Autoset's sequence against a recording second capture path and a manual tick.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main/autoset.h"

using namespace kv::app;

namespace {

class RecordingPath : public SecondPathApi {
  public:
    std::vector<std::string> calls;
    std::vector<uint8_t> statuses;  // returned by GetTrigStat in turn, then the last again
    CaptureArgs captureArgs{};
    uint8_t model = 43;
    int32_t *forcedRecord = nullptr;
    const uint8_t *measuredTrace = nullptr;
    int32_t measuredLength = 0;

    uint8_t findHardware(uint8_t *m, int32_t *, uint8_t *, uint32_t family) override {
        calls.push_back("FindHardware " + std::to_string(family));
        *m = model;
        return model;
    }
    uint32_t capture(const CaptureArgs &a) override {
        calls.push_back("capture");
        captureArgs = a;
        return 0;
    }
    uint8_t getTrigStat(const CaptureArgs &) override {
        calls.push_back("GetTrigStat");
        if (m_next < statuses.size()) return statuses[m_next++];
        return statuses.empty() ? 0 : statuses.back();
    }
    uint8_t endCapture(const CaptureArgs &) override {
        calls.push_back("EndCapture");
        return 1;
    }
    void forceTrigger(int32_t *record, uint8_t *) override {
        calls.push_back("ForceTrigger");
        forcedRecord = record;
    }
    void testAd(const uint8_t *trace, int32_t start, uint32_t reference, uint32_t threshold,
                int16_t *, int32_t length) override {
        calls.push_back("TestAd " + std::to_string(start) + " " + std::to_string(reference) + " " +
                        std::to_string(threshold));
        measuredTrace = trace;
        measuredLength = length;
    }

  private:
    size_t m_next = 0;
};

struct AutosetFixture : ::testing::Test {
    AutosetFixture() {
        state.capture.allocate(2);
        AutosetHooks hooks;
        hooks.tick = [this] { return now; };
        hooks.rearmTimer1 = [this](int ms) { timer1.push_back(ms); };
        hooks.triggerPosition = [](const ViewState &v) { return v.triggerCursor + 1000; };
        autoset = std::make_unique<Autoset>(state, path, hooks);
    }
    ProgramState state;
    RecordingPath path;
    uint32_t now = 500;
    std::vector<int> timer1;
    std::unique_ptr<Autoset> autoset;
};

}  // namespace

TEST_F(AutosetFixture, NothingWithoutAUnit) {
    path.model = 0;
    EXPECT_EQ(autoset->findUnit(), 0);
    EXPECT_FALSE(autoset->available());
    EXPECT_EQ(autoset->toolTip(), kAutosetRefusedToolTip);
    autoset->start();
    EXPECT_FALSE(autoset->active());
    EXPECT_EQ(path.calls, std::vector<std::string>{"FindHardware 1"});
}

TEST_F(AutosetFixture, ArgumentsInTheirPositions) {
    autoset->findUnit();
    CaptureSettings &cs = state.settings;
    cs.memoryDepthIndex = 1;
    cs.rateCode = 13;
    cs.triggerChannel = 2;
    for (int k = 0; k < 8; ++k)
        cs.triggerWordPairs[k] = static_cast<uint8_t>(10 + k);
    cs.threshold[0] = 40;
    cs.threshold[3] = 43;
    cs.clockSource = 2;
    state.currentView = 1;
    state.views[1].dataSet = 1;
    state.views[1].triggerCursor = 77;
    autoset->start();
    const auto &a = path.captureArgs;
    const auto at = [](const void *p) { return reinterpret_cast<intptr_t>(p); };
    EXPECT_EQ(a[0], at(state.capture.plane(1, 0)));
    EXPECT_EQ(a[3], at(state.capture.plane(1, 3)));
    EXPECT_EQ(a[5], at(state.capture.plane(1, 6)));
    EXPECT_EQ(a[6], 131072 - 32);
    EXPECT_EQ(a[7], 1);
    EXPECT_EQ(a[9], at(state.portRecord.data()));
    EXPECT_EQ(a[10], at(state.unitBlock.data()));
    EXPECT_EQ(a[12], 13);
    EXPECT_EQ(a[13], 2);
    EXPECT_EQ(a[14], at(cs.triggerSlope));
    EXPECT_EQ(a[15], 14);  // the active pair of trigger channel 2: TrigWd3A, TrigWd3B
    EXPECT_EQ(a[16], 15);
    EXPECT_EQ(a[17], 12);  // TrigWd2A
    EXPECT_EQ(a[22], 17);  // TrigWd4B
    EXPECT_EQ(a[23], 40);
    EXPECT_EQ(a[26], 43);
    EXPECT_EQ(a[29], 1077);  // the data set's trigger position, computed afresh
    EXPECT_EQ(a[31], 2);
    EXPECT_EQ(a[32], at(state.inputEnable.data()));
    EXPECT_EQ(a[33], at(state.dataSetRecords[1].data()));
    for (int i : {0, 7, 36, 38})
        EXPECT_EQ(state.inputEnable[static_cast<size_t>(i)], 1) << i;
    EXPECT_EQ(state.inputEnable[39], 0);
    EXPECT_EQ(timer1, std::vector<int>{5000});
}

TEST_F(AutosetFixture, ForcesOnceAndStopsAfterOneHundredMilliseconds) {
    autoset->findUnit();
    path.statuses = {0, 3, 3, 8};
    state.dataSetRecords[0][0] = 99;
    autoset->start();
    EXPECT_TRUE(autoset->active());
    now += 10;
    EXPECT_TRUE(autoset->step());  // 3: forced
    now += 10;
    EXPECT_TRUE(autoset->step());  // 3 again: not forced twice
    now += 80;
    EXPECT_TRUE(autoset->step());  // 100 ms is not more than 100 ms
    now += 1;
    EXPECT_FALSE(autoset->step());
    EXPECT_FALSE(autoset->active());
    EXPECT_EQ(path.calls,
              (std::vector<std::string>{"FindHardware 1", "capture", "GetTrigStat", "GetTrigStat",
                                        "ForceTrigger", "GetTrigStat", "GetTrigStat", "GetTrigStat",
                                        "EndCapture", "TestAd 0 128 128"}));
    EXPECT_EQ(path.forcedRecord, state.portRecord.data());
    EXPECT_EQ(path.measuredTrace, state.capture.plane(0, 3));
    EXPECT_EQ(path.measuredLength, 2048);
    EXPECT_EQ(state.dataSetRecords[0][0], 0);
    EXPECT_EQ(state.endTicks[0], 601u);
}

TEST_F(AutosetFixture, StatusSixEndsAtOnce) {
    autoset->findUnit();
    path.statuses = {3, 6};  // the first poll's 3 is not acted on
    autoset->start();
    EXPECT_FALSE(autoset->step());
    EXPECT_EQ(path.calls,
              (std::vector<std::string>{"FindHardware 1", "capture", "GetTrigStat", "GetTrigStat",
                                        "EndCapture", "TestAd 0 128 128"}));
}

TEST(DelayControls, FollowTheOptionBytes) {
    std::vector<uint8_t> block(2048, 0);
    EXPECT_FALSE(delayControlsShown(block));  // no mixed-signal unit
    block[1003] = 2;
    EXPECT_TRUE(delayControlsShown(block));
    block[1010] = 1;  // byte-valued channels with the short memory only
    EXPECT_FALSE(delayControlsShown(block));
    block[1003] = 1;
    EXPECT_TRUE(delayControlsShown(block));
}

TEST(DelayControls, AKv6830KeepsItsTriggerDelay) {
    ProgramState state;
    state.unitBlock[1003] = 2;  // a mixed-signal unit with the short memory only
    state.unitBlock[1010] = 1;
    fillDelayOption(state);
    EXPECT_FALSE(delayControlsShown(state.unitBlock));
    state.demonstration = true;
    fillDelayOption(state);
    EXPECT_TRUE(delayControlsShown(state.unitBlock));
    ProgramState found;
    found.hardwarePresent = 1;
    fillDelayOption(found);
    EXPECT_EQ(found.unitBlock[1003], 1);
    EXPECT_TRUE(delayControlsShown(found.unitBlock));
}
