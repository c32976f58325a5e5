#include <gtest/gtest.h>

#include "fake_device.h"
#include "main/capture_run.h"

using namespace kv::app;

namespace {

struct Rig {
    ProgramState state;
    kvtest::FakeDevice device;
    std::vector<std::string> statusTexts;
    std::string count;
    int timer3 = -1, redraws = 0;
    std::vector<std::string> saves;
    bool saveWorks = true;
    std::unique_ptr<CaptureRun> run;

    Rig() {
        state.capture.allocate(2);
        RunHooks h;
        h.setStatus = [this](const std::string &s) { statusTexts.push_back(s); };
        h.setCount = [this](const std::string &s) { count = s; };
        h.armTimer3 = [this](int ms) { timer3 = ms; };
        h.redrawAllViews = [this] { ++redraws; };
        h.numberedSave = [this](const std::string &cfg, const std::string &osv) {
            saves.push_back(cfg);
            saves.push_back(osv);
            return saveWorks;
        };
        h.tick = [] { return 4242u; };
        run = std::make_unique<CaptureRun>(state, device, h);
    }
    // Steps until the run ends or `limit` steps have passed.
    int stepAll(int limit = 100) {
        int n = 0;
        while (n < limit && run->step())
            ++n;
        return n;
    }
};

intptr_t addr(const void *p) {
    return reinterpret_cast<intptr_t>(p);
}

}  // namespace

TEST(CaptureRun, StartAndEndArgumentsPositionByPosition) {
    Rig r;
    r.state.settings.memoryDepthIndex = 1;
    r.state.settings.clockSource = 2;
    r.state.settings.rateCode = 7;
    r.state.settings.threshold[0] = 33;
    r.state.settings.triggerSlope[0] = 0;  // condition 1
    r.state.settings.captureMode = 0;
    r.state.views[0].triggerCursor = 1234;
    r.state.views[0].dataSet = 1;
    r.state.portBase = 0x278;
    r.device.statuses = {0, 3};
    r.run->run();
    r.stepAll();
    ASSERT_EQ(r.device.starts.size(), 1u);
    const auto &s = r.device.starts[0];
    const CaptureArray &c = r.state.capture;
    const intptr_t planes[6] = {addr(c.plane(1, 0)), addr(c.plane(1, 1)), addr(c.plane(1, 2)),
                                addr(c.plane(1, 3)), addr(c.plane(1, 4)), addr(c.plane(1, 6))};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(s[i], planes[i]) << i + 1;
    EXPECT_EQ(s[6], 0);
    EXPECT_EQ(s[7], 0x278);
    EXPECT_EQ(s[8], addr(r.state.selectionBlock.data()));
    EXPECT_EQ(s[9], addr(r.state.stateBlock.data()));
    EXPECT_EQ(s[10], 1);
    EXPECT_EQ(s[11], 1);  // memory depth index
    EXPECT_EQ(s[12], 0);
    EXPECT_EQ(*reinterpret_cast<const uint8_t *>(s[13]), 1);  // byte holding the depth
    EXPECT_EQ(s[14], 3);
    EXPECT_EQ(*reinterpret_cast<const uint8_t *>(s[15]), 0);
    EXPECT_EQ(*reinterpret_cast<const uint8_t *>(s[16]), 0);
    EXPECT_EQ(s[17], 1234);  // trigger position of the target data set
    EXPECT_EQ(s[18], 0);
    EXPECT_EQ(s[19], 2);  // clock source
    EXPECT_EQ(s[20], 7);  // rate code
    EXPECT_EQ(s[21], 0);
    EXPECT_EQ(s[22], 3);
    EXPECT_EQ(s[23], addr(r.state.planeLengths.data()));
    EXPECT_EQ(s[24], addr(r.state.triggerWordChars.data()));
    EXPECT_EQ(s[25], 0);
    EXPECT_EQ(*reinterpret_cast<const uint8_t *>(s[26]), 0);
    EXPECT_EQ(s[27], 0);
    EXPECT_EQ(s[28], 0);
    EXPECT_EQ(*reinterpret_cast<const uint8_t *>(s[29]), 0);
    EXPECT_EQ(s[30], 1);  // condition: slope of channel 0 is 0
    EXPECT_EQ(s[31], addr(&r.state.thresholdWord));
    EXPECT_EQ(r.state.thresholdWord, 33);
    EXPECT_EQ(s[32], 0);

    ASSERT_EQ(r.device.ends.size(), 1u);
    const auto &e = r.device.ends[0];
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(e[i], planes[i]) << i + 1;
    EXPECT_EQ(e[6], 0);
    EXPECT_EQ(e[7], 1);
    EXPECT_EQ(e[8], 0x278);
    EXPECT_EQ(e[9], addr(r.state.selectionBlock.data()));
    EXPECT_EQ(e[10], addr(r.state.stateBlock.data()));
    EXPECT_EQ(e[11], 0);
    EXPECT_EQ(e[12], addr(r.state.readFlags.data()));
    EXPECT_EQ(r.state.readFlags[0] + r.state.readFlags[1] + r.state.readFlags[2], 3);
    EXPECT_EQ(e[13], 3);
    EXPECT_EQ(e[14], 1);
    EXPECT_EQ(e[15], 2);
    EXPECT_EQ(e[16], 7);
    EXPECT_EQ(e[17], 3);
    EXPECT_EQ(e[18], 0);
    EXPECT_EQ(e[19], addr(r.state.planeLengths.data()));
    EXPECT_EQ(r.state.planeLengths[2], 131072);
    EXPECT_EQ(*reinterpret_cast<const uint8_t *>(e[20]), 0);
    EXPECT_EQ(e[21], addr(r.state.triggerWordChars.data()));
    EXPECT_EQ(e[22], 1234);
    EXPECT_EQ(e[23], 0);
    EXPECT_EQ(e[24], 0);
    EXPECT_EQ(e[25], 1);
    EXPECT_EQ(e[26], addr(r.state.triggerOffsets.data()));
    EXPECT_EQ(e[27], 0);
    EXPECT_EQ(r.state.endTicks[0], 4242u);  // no data-to-timing binding: entry 0
}

TEST(CaptureRun, TriggerPositionInDelayModeRoundsHalfToEven) {
    Rig r;
    r.state.triggerDelayMode = true;
    r.state.delayE = 2;
    ViewState v;
    v.delayBarMax = 32767;
    v.triggerDelay = 32767 - 256 - 512 * 10;      // (Max - delay) / 512 = 10.5
    EXPECT_EQ(r.run->triggerPosition(v), 32754);  // 32754.5 -> 32754
    v.triggerDelay = 32767 - 256 - 512 * 11;      // 11.5: 32753.5 -> 32754
    EXPECT_EQ(r.run->triggerPosition(v), 32754);
    v.triggerDelay = 1000;  // 32767 - 62.04 - 2 = 32702.96
    EXPECT_EQ(r.run->triggerPosition(v), 32703);
    r.state.delayE = 256;
    EXPECT_EQ(r.run->triggerPosition(v), 32449);
    r.state.triggerDelayMode = false;
    v.triggerCursor = 77;
    EXPECT_EQ(r.run->triggerPosition(v), 77);
}

TEST(CaptureRun, SingleRunMakesOneCapture) {
    Rig r;
    r.state.settings.captureMode = 0;
    r.device.statuses = {0, 0, 4, 4, 1, 3};
    r.run->run();
    r.stepAll();
    EXPECT_FALSE(r.run->active());
    EXPECT_EQ(r.device.starts.size(), 1u);
    EXPECT_EQ(r.device.ends.size(), 1u);
    EXPECT_EQ(r.count, "1");
    EXPECT_EQ(r.state.runCounter, 0);
    EXPECT_EQ(r.statusTexts.back(), "Completed");
    // One text per polling step: the start polls 0; two steps poll 0 and 4 while filling,
    // two poll 4 and 1 while waiting, one polls 3 after the trigger, then the read-out.
    const std::vector<std::string> expected = {"Filling pre_Trigger",    "Filling pre_Trigger",
                                               "Waiting for  Trigger",   "Waiting for  Trigger",
                                               "Trigger Filling Buffer", "Completed"};
    EXPECT_EQ(r.statusTexts, expected);
    EXPECT_EQ(r.timer3, 200);
    EXPECT_EQ(r.redraws, 1);
}

TEST(CaptureRun, Timer3IntervalsByRate) {
    EXPECT_EQ(CaptureRun::timer3Interval(13), 200);
    EXPECT_EQ(CaptureRun::timer3Interval(14), 400);
    EXPECT_EQ(CaptureRun::timer3Interval(22), 400);
    EXPECT_EQ(CaptureRun::timer3Interval(23), 800);
}

TEST(CaptureRun, NormalRunWaitsUntilStopped) {
    Rig r;
    r.state.settings.captureMode = 1;
    r.device.statuses = {4};
    r.run->run();
    EXPECT_EQ(r.stepAll(50), 50);  // still waiting
    EXPECT_EQ(r.statusTexts.back(), "Waiting for  Trigger");
    EXPECT_EQ(r.device.forces, 0);
    r.run->stop();
    r.stepAll();
    EXPECT_FALSE(r.run->active());
    EXPECT_TRUE(r.device.ends.empty());  // stopped: no read-out
    EXPECT_EQ(r.statusTexts.back(), "Completed");
}

TEST(CaptureRun, AutoRunForcesAfterTimer3) {
    Rig r;
    r.state.settings.captureMode = 2;
    r.state.settings.rateCode = 15;
    r.device.statuses = {4};
    r.run->run();
    r.stepAll(10);
    EXPECT_EQ(r.timer3, 400);
    EXPECT_EQ(r.device.forces, 0);
    r.run->timer3Fired();
    r.run->step();
    r.run->step();
    EXPECT_EQ(r.device.forces, 2);  // every waiting step while the unit still says 4
    r.device.statuses = {3};
    r.run->step();  // waiting: forced once more, then polls 3
    r.run->step();  // read-out
    EXPECT_EQ(r.device.forces, 3);
    EXPECT_EQ(r.device.ends.size(), 1u);
    EXPECT_EQ(r.state.autoTimeout, 1);
    r.run->step();  // the next capture: the time-out is cleared before it waits
    EXPECT_EQ(r.device.ends.size(), 2u);
    EXPECT_EQ(r.state.autoTimeout, 0);
}

TEST(CaptureRun, SettingsChangeAbandonsWithoutCounting) {
    Rig r;
    r.state.settings.captureMode = 1;
    r.device.statuses = {4};
    r.run->run();
    r.stepAll(5);
    r.state.settingsChanged = 1;
    r.run->step();  // the pass ends: no read-out, the counter stays
    EXPECT_TRUE(r.device.ends.empty());
    EXPECT_EQ(r.state.runCounter, 1);
    EXPECT_EQ(r.count, "1");
    EXPECT_TRUE(r.run->active());  // and a new capture starts
    r.run->step();
    EXPECT_EQ(r.device.starts.size(), 2u);
    EXPECT_EQ(r.state.settingsChanged, 0);
    r.device.statuses = {3};
    r.run->step();  // polls 3
    r.run->step();  // read-out
    EXPECT_EQ(r.device.ends.size(), 1u);
    EXPECT_EQ(r.count, "1");
    EXPECT_EQ(r.state.runCounter, 2);
}

TEST(CaptureRun, AutoDataSetsAlternate) {
    Rig r;
    r.state.settings.captureMode = 1;
    r.state.data2timingbyauto = true;
    r.state.highestViewIndex = 1;
    r.device.statuses = {3};
    r.run->run();
    for (int i = 0; i < 4; ++i)
        r.run->step();
    r.run->stop();
    r.stepAll();
    ASSERT_GE(r.device.ends.size(), 4u);
    const intptr_t set0 = addr(r.state.capture.plane(0, 0));
    const intptr_t set1 = addr(r.state.capture.plane(1, 0));
    EXPECT_EQ(r.device.ends[0][0], set0);
    EXPECT_EQ(r.device.ends[1][0], set1);
    EXPECT_EQ(r.device.ends[2][0], set0);
    EXPECT_EQ(r.device.ends[3][0], set1);
    EXPECT_EQ(r.state.endTicks[1], 4242u);
}

TEST(CaptureRun, NumberedSaveNamesAndLimit) {
    Rig r;
    r.state.settings.captureMode = 1;
    r.state.numberedSaveChecked = true;
    r.state.saveLimit = 3;
    r.device.statuses = {3};
    r.run->run();
    for (int i = 0; i < 5; ++i)
        r.run->step();
    const std::vector<std::string> expected = {"savedata 0.cfg", "savedata 0.osv",
                                               "savedata 1.cfg", "savedata 1.osv",
                                               "savedata 2.cfg", "savedata 2.osv"};
    EXPECT_EQ(r.saves, expected);
    EXPECT_FALSE(r.state.numberedSaveChecked);
}

TEST(CaptureRun, SecondRunWhileActiveIsIgnored) {
    Rig r;
    r.device.statuses = {4};
    r.run->run();
    r.stepAll(3);
    r.run->run();
    r.stepAll(3);
    EXPECT_EQ(r.device.starts.size(), 1u);
}

TEST(CaptureRun, FailedNumberedSaveKeepsItsNumber) {
    Rig r;
    r.state.settings.captureMode = 1;
    r.state.numberedSaveChecked = true;
    r.state.saveLimit = 3;
    r.saveWorks = false;
    r.device.statuses = {3};
    r.run->run();
    for (int i = 0; i < 5; ++i)
        r.run->step();
    ASSERT_GE(r.saves.size(), 4u);
    for (size_t i = 0; i < r.saves.size(); i += 2)
        EXPECT_EQ(r.saves[i + 1], "savedata 0.osv");  // tried again under the same number
    EXPECT_EQ(r.state.saveCounter, 0);
    EXPECT_TRUE(r.state.numberedSaveChecked);  // unfinished
}
