// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/device_api.h"

namespace kvtest {

// Answers the program's device calls from a script and keeps what it was given.
class FakeDevice : public kv::app::DeviceApi {
  public:
    uint8_t findResult = 0;
    uint8_t linkKind = 0;
    std::deque<uint8_t> statuses;   // GetTrigStat1 answers; the last one repeats
    std::deque<uint8_t> linkStats;  // GetLinkStat1 answers; the last one repeats
    int linkQuestions = 0;
    bool endWritesPlanes = false;  // EndCapture1 fills the planes with 0xAB
    std::vector<StartArgs> starts;
    std::vector<EndArgs> ends;
    int forces = 0, polls = 0, powerOffs = 0, demos = 0;
    uint32_t lastPlatform = 0;

    uint8_t findBoard1(uint16_t, uint8_t *, uint8_t *state, uint8_t *,
                       uint32_t platformId) override {
        lastPlatform = platformId;
        state[1007] = 0;
        state[1008] = linkKind;
        return findResult;
    }
    uint8_t findDemoBoard1(uint16_t, uint8_t *, uint8_t *state) override {
        ++demos;
        state[1007] = 4;
        state[1008] = 4;
        return 4;
    }
    void powerOff1(uint16_t) override { ++powerOffs; }
    std::vector<std::string> startWords;  // the 26 trigger word characters of each start
    uint8_t startCapture1(const StartArgs &a) override {
        starts.push_back(a);
        startWords.emplace_back(reinterpret_cast<const char *>(a[24]), 26);
        return 1;
    }
    uint8_t getTrigStat1(uint16_t, uint8_t *, uint8_t *) override {
        ++polls;
        if (statuses.empty()) return 0;
        const uint8_t s = statuses.front();
        if (statuses.size() > 1) statuses.pop_front();
        return s;
    }
    void forceTrigger1(uint16_t, uint8_t *, uint8_t *) override { ++forces; }
    uint8_t endCapture1(const EndArgs &a) override {
        ends.push_back(a);
        if (endWritesPlanes) {
            for (int p = 0; p < 3; ++p)
                std::memset(reinterpret_cast<uint8_t *>(a[static_cast<size_t>(p)]), 0xAB, 2047);
            *reinterpret_cast<int32_t *>(a[26]) = 5;
        }
        return 0;
    }
    uint8_t getLinkStat1(uint16_t, uint8_t *, uint8_t *) override {
        ++linkQuestions;
        if (linkStats.empty()) return 0;
        const uint8_t s = linkStats.front();
        if (linkStats.size() > 1) linkStats.pop_front();
        return s;
    }
};

}  // namespace kvtest
