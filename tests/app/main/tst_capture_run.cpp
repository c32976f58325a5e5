// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/capture_run.h"
#include "core/trigger_word.h"
#include "fake_device.h"

using namespace kv::app;

namespace {

struct Rig {
    ProgramState state;
    kvtest::FakeDevice device;
    std::vector<std::string> statusTexts;
    std::string count;
    int timer3 = -1, redraws = 0;
    std::vector<std::string> lost;
    std::vector<std::string> saves;
    bool saveWorks = true;
    std::unique_ptr<CaptureRun> run;
    uint32_t tickNow = 4242;
    std::vector<int> progress;

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
        h.unitLost = [this](const std::string &text) { lost.push_back(text); };
        h.tick = [this] { return tickNow; };
        h.setProgress = [this](int p) { progress.push_back(p); };
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

// The unit goes away in each phase of a run: the program asks every 200 ms whether it
// answers and gives up after two answers in a row that it does not, so the run ends
// within half a second of the pull (steps every 5 ms), and the data set is left alone.
TEST(CaptureRun, UnitGoneInEveryPhaseEndsTheRunWithinASecond) {
    for (const uint8_t status : {uint8_t{0}, uint8_t{4}, uint8_t{1}}) {
        Rig r;
        r.state.settings.captureMode = 1;  // Normal
        r.device.statuses = {status};
        const uint32_t pulled = 4242 + 1000;
        r.run->run();
        uint32_t ended = 0;
        for (int i = 0; i < 1000; ++i) {
            r.tickNow += 5;
            r.device.linkStats = {static_cast<uint8_t>(r.tickNow >= pulled ? 1 : 0)};
            if (!r.run->step()) {
                ended = r.tickNow;
                break;
            }
        }
        ASSERT_NE(ended, 0u) << "status " << int(status);
        EXPECT_GE(ended, pulled);
        EXPECT_LE(ended - pulled, 1000u);
        // Asked every 200 ms, not at every poll.
        EXPECT_LE(r.device.linkQuestions, static_cast<int>((ended - 4242) / 200 + 1));
        EXPECT_FALSE(r.run->active());
        EXPECT_EQ(r.statusTexts.back(), kUnitGoneText);
        ASSERT_EQ(r.lost.size(), 1u);
        EXPECT_EQ(r.lost[0], kUnitGoneText);
        EXPECT_TRUE(r.device.ends.empty());
    }
}

TEST(CaptureRun, OneUnansweredQuestionIsNotALoss) {
    Rig r;
    r.state.settings.captureMode = 0;
    r.device.statuses = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 3};
    r.device.linkStats = {1, 0};
    r.run->run();
    for (int i = 0; i < 200 && r.run->step(); ++i)
        r.tickNow += 50;
    EXPECT_TRUE(r.lost.empty());
    EXPECT_EQ(r.device.ends.size(), 1u);
    EXPECT_EQ(r.statusTexts.back(), "Completed");
}

TEST(CaptureRun, ReadOutFromAGoneUnitLeavesTheDataSetAsItWas) {
    for (const bool gone : {true, false}) {
        Rig r;
        r.state.settings.captureMode = 0;
        r.device.statuses = {3};
        r.device.endWritesPlanes = true;  // the library writes what it read, come what may
        r.device.linkStats = {static_cast<uint8_t>(gone ? 1 : 0)};
        for (int p = 0; p < 3; ++p) {
            for (int i = 0; i < 2048; ++i)
                r.state.capture.plane(0, p)[i] = static_cast<uint8_t>(i * 7 + p);
        }
        r.state.triggerOffsets = {8, 8, 8};
        r.run->run();
        r.stepAll();
        ASSERT_EQ(r.device.ends.size(), 1u);
        for (int p = 0; p < 3; ++p) {
            for (int i = 0; i < 2047; ++i) {
                const uint8_t expected = gone ? static_cast<uint8_t>(i * 7 + p) : 0xAB;
                ASSERT_EQ(r.state.capture.plane(0, p)[i], expected) << gone << " " << p << " " << i;
            }
        }
        EXPECT_EQ(r.state.triggerOffsets[0], gone ? 8 : 5);
        EXPECT_EQ(r.lost.size(), gone ? 1u : 0u);
        EXPECT_EQ(r.statusTexts.back(), gone ? kUnitGoneText : "Completed");
    }
}

TEST(CaptureRun, EachDataSetKeepsTheTriggerOffsetOfItsCapture) {
    Rig r;
    r.state.settings.captureMode = 0;
    // A capture into data set 1 whose read-out found the trigger 8 samples in...
    r.state.views[0].dataSet = 1;
    r.state.triggerOffsets = {8, 8, 8};
    r.device.statuses = {0, 3};
    r.run->run();
    r.stepAll();
    EXPECT_EQ(r.state.dataSetRecords[1][0], 8);
    EXPECT_EQ(r.state.dataSetRecords[0][0], 0);
    // ...then one into data set 0 at 3: data set 1 still holds its own 8.
    r.state.views[0].dataSet = 0;
    r.state.triggerOffsets = {3, 3, 3};
    r.device.statuses = {0, 3};
    r.run->run();
    r.stepAll();
    EXPECT_EQ(r.state.dataSetRecords[0][0], 3);
    EXPECT_EQ(r.state.dataSetRecords[1][0], 8);
}

TEST(CaptureRun, LongCapturesShowProgressFromTheRate) {
    // 128K at 5 kHz (200 us a sample), trigger position 65536: each half of the memory
    // should take 65536 x 0.2 ms = 13107.2 ms to fill.
    Rig r;
    r.state.settings.memoryDepthIndex = 1;
    r.state.settings.captureMode = 0;
    r.state.settings.rateCode = 22;
    r.state.samplePeriodPs = 2e8;
    r.state.views[0].triggerCursor = 65536;
    rebuildTriggerWordChars("XXXXXXXX XXXXXXXX 00010000", r.state.triggerWordChars);
    r.device.statuses = {0, 0, 4, 1, 1, 3};
    r.tickNow = 0;
    r.run->run();
    ASSERT_TRUE(r.run->step());
    EXPECT_EQ(r.progress.back(), 0);
    r.tickNow = 6554;  // half the pre-trigger time
    ASSERT_TRUE(r.run->step());
    EXPECT_EQ(r.progress.back(), 50);
    r.tickNow = 6600;  // waiting for the trigger: no time to expect
    ASSERT_TRUE(r.run->step());
    EXPECT_EQ(r.progress.back(), -1);
    r.tickNow = 10000;  // triggered: the post-trigger part starts from 0
    ASSERT_TRUE(r.run->step());
    EXPECT_EQ(r.progress.back(), 0);
    r.tickNow = 10000 + 3277;  // a quarter of it
    ASSERT_TRUE(r.run->step());
    EXPECT_EQ(r.progress.back(), 25);
    EXPECT_FALSE(r.run->step());  // complete
    EXPECT_EQ(r.progress.back(), -1);
}

TEST(CaptureRun, ProgressTimesFollowTheMemoryAndTheClock) {
    // 2K at 100 MHz takes 20 us: never shown.
    EXPECT_EQ(phaseProgress(0, expectedFillTimes(2048, 1024, false, 10'000).postMs), -1);
    // Free run keeps the whole memory after the forced trigger: 131072 x 0.2 ms.
    const FillTimes free = expectedFillTimes(131072, 65536, true, 2e8);
    EXPECT_DOUBLE_EQ(free.preMs, 0);
    EXPECT_DOUBLE_EQ(free.postMs, 26214.4);
    // An external clock gives no period: nothing to show.
    EXPECT_EQ(phaseProgress(500, expectedFillTimes(131072, 1024, false, 0).preMs), -1);
    // A phase that overruns its time stays just short of full.
    EXPECT_EQ(phaseProgress(30000, free.postMs), 99);
    // A trigger position beyond the memory counts the whole memory as pre-trigger.
    EXPECT_DOUBLE_EQ(expectedFillTimes(2048, 5000, false, 1e9).preMs, 2048.0);
    EXPECT_DOUBLE_EQ(expectedFillTimes(2048, 5000, false, 1e9).postMs, 0.0);
}

TEST(CaptureRun, StepsComeSoonWhenTheUnitShouldBeDone) {
    // 2K at 100 MHz in free run: the memory fills in 20 us, so the run polls again after
    // a millisecond and starts the next pass at once.
    Rig r;
    r.state.settings.captureMode = 1;
    r.state.samplePeriodPs = 10'000;
    rebuildTriggerWordChars("XXXXXXXX XXXXXXXX XXXXXXXX", r.state.triggerWordChars);
    r.device.statuses = {1, 1, 3};
    r.run->run();
    ASSERT_TRUE(r.run->step());  // started; the trigger is forced, post-trigger filling
    EXPECT_EQ(r.run->nextStepDelayMs(), 1);
    ASSERT_TRUE(r.run->step());  // complete
    ASSERT_TRUE(r.run->step());  // read out; Normal: the next pass comes
    EXPECT_EQ(r.run->nextStepDelayMs(), 0);
    // The same capture on an external clock: no rate to go by, the usual pace.
    r.state.settings.clockSource = 1;
    r.device.statuses = {1};
    ASSERT_TRUE(r.run->step());
    EXPECT_EQ(r.run->nextStepDelayMs(), CaptureRun::kPollMs);
    r.run->stop();
    EXPECT_FALSE(r.run->step());

    // Waiting for a trigger word: the usual pace, to leave the processor idle.
    Rig w;
    w.state.settings.captureMode = 1;
    w.state.samplePeriodPs = 10'000;
    rebuildTriggerWordChars("XXXXXXXX 11111111 XXXXXXXX", w.state.triggerWordChars);
    w.device.statuses = {4};
    w.run->run();
    ASSERT_TRUE(w.run->step());
    EXPECT_EQ(w.run->nextStepDelayMs(), CaptureRun::kPollMs);

    // 128K at 5 kHz after the trigger: 13 s to go, the usual pace.
    Rig slow;
    slow.state.settings.memoryDepthIndex = 1;
    slow.state.samplePeriodPs = 2e8;
    slow.state.views[0].triggerCursor = 65536;
    rebuildTriggerWordChars("XXXXXXXX 11111111 XXXXXXXX", slow.state.triggerWordChars);
    slow.device.statuses = {1};
    slow.run->run();
    ASSERT_TRUE(slow.run->step());
    EXPECT_EQ(slow.run->nextStepDelayMs(), CaptureRun::kPollMs);
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
