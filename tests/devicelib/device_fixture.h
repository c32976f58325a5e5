// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "device.h"
#include "platform/tick.h"
#include "recording.h"
#include "simunit/attach.h"

namespace kvtest {

enum class Place { Epp378, Epp278, Bpp278, Bpp378, Bpp3BC, Epp3BC, Usb2, Usb1 };

inline kv::sim::Attachment attachmentFor(Place place) {
    kv::sim::Attachment a;
    switch (place) {
        case Place::Epp378:
            a.link = kv::sim::Attachment::Link::Epp;
            a.base = 0x378;
            break;
        case Place::Epp278:
            a.link = kv::sim::Attachment::Link::Epp;
            a.base = 0x278;
            break;
        case Place::Epp3BC:
            a.link = kv::sim::Attachment::Link::Epp;
            a.base = 0x3BC;
            break;
        case Place::Bpp278:
            a.link = kv::sim::Attachment::Link::Bpp;
            a.base = 0x278;
            break;
        case Place::Bpp378:
            a.link = kv::sim::Attachment::Link::Bpp;
            a.base = 0x378;
            break;
        case Place::Bpp3BC:
            a.link = kv::sim::Attachment::Link::Bpp;
            a.base = 0x3BC;
            break;
        case Place::Usb2:
            break;
        case Place::Usb1:
            a.highSpeed = false;
            break;
    }
    return a;
}

// A device library instance wired to a simulated unit through recording backends, on a
// manual clock, with the caller-owned blocks and planes.
class DeviceRig {
  public:
    explicit DeviceRig(Place place)
        : sim(attachmentFor(place)),
          port(sim.backends().port),
          usb(sim.backends().usb),
          device(&port, &usb),
          selection(2020, 0),
          state(1009, 0) {
        m_previous = kv::platform::setTickSource(&clock);
        for (auto &p : planes)
            p.assign(131072, 0xEE);
    }
    // Every test runs the protocol exactly as the unit expects it, unless it says it
    // looks at the unit's violation records itself.
    ~DeviceRig() {
        if (!m_violationsExpected) {
            EXPECT_EQ(kv::sim::describe(sim.unit().violations()), "")
                << "protocol violations recorded by the unit on " << sim.unit().link();
        }
        kv::platform::setTickSource(m_previous);
    }
    const std::vector<kv::sim::Violation> &expectViolations() {
        m_violationsExpected = true;
        return sim.unit().violations();
    }

    uint8_t find(uint16_t family = 1) {
        return device.findBoard1(0x3BC, selection.data(), state.data(), family);
    }

    uint16_t base() { return sim.parallel() ? sim.parallel()->base() : 0x3BC; }

    void start(const char *triggerWord, bool deep, int32_t position, uint8_t rate = 4,
               uint8_t condition = 1, uint8_t source = 0, uint8_t edge = 0) {
        kv::dev::StartArgs a;
        a.port = base();
        a.stateBlock = state.data();
        a.deep = deep;
        a.triggerPosition = position;
        a.clockSource = source;
        a.edgeCode = edge;
        a.rateCode = rate;
        a.triggerWord = triggerWord;
        a.condition = condition;
        a.threshold = &threshold;
        device.startCapture(a);
    }
    // Polls once a millisecond until complete; returns the last status.
    uint8_t waitComplete(int limitMs = 2000) {
        uint8_t status = 0;
        for (int i = 0; i < limitMs && status != 3; ++i) {
            status = device.getTrigStat(base(), state.data());
            if (status != 3) clock.advance(1);
        }
        return status;
    }
    void end(const char *triggerWord, bool deep, int32_t triggerIndex, uint8_t condition = 1) {
        kv::dev::EndArgs e;
        for (int i = 0; i < 3; ++i)
            e.planes[i] = planes[i].data();
        e.port = base();
        e.stateBlock = state.data();
        e.flags = flags;
        e.n = 3;
        e.a = 1;
        e.b = 3;
        lengths[0] = lengths[1] = lengths[2] = deep ? 131072 : 2048;
        e.lengths = lengths;
        e.triggerWord = triggerWord;
        e.triggerIndex = triggerIndex;
        e.condition = condition;
        e.offsets = offsets;
        device.endCapture(e);
    }

    kv::platform::ManualClock clock{50'000};
    kv::sim::Simulator sim;
    RecordingPort port;
    RecordingUsb usb;
    kv::dev::Device device;
    std::vector<uint8_t> selection, state;
    std::vector<uint8_t> planes[3];
    uint16_t threshold = 20;
    uint8_t flags[3] = {1, 1, 1};
    int32_t lengths[3] = {2048, 2048, 2048};
    int32_t offsets[3] = {-99, -99, -99};

  private:
    kv::platform::TickSource *m_previous = nullptr;
    bool m_violationsExpected = false;
};

}  // namespace kvtest
