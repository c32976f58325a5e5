// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/tick.h"
#include "protocol.h"
#include "simunit/attach.h"

namespace kvtest {

// A simulated unit on one link with a host talking to it, on a manual clock.
class UnitOnLink : public ::testing::TestWithParam<LinkKind> {
  protected:
    void SetUp() override {
        m_previous = kv::platform::setTickSource(&clock);
        kv::sim::Attachment where;
        if (GetParam() == LinkKind::Epp) {
            where.link = kv::sim::Attachment::Link::Epp;
            where.base = 0x378;
        } else if (GetParam() == LinkKind::Bpp) {
            where.link = kv::sim::Attachment::Link::Bpp;
            where.base = 0x278;
        }
        sim = std::make_unique<kv::sim::Simulator>(where);
        auto backends = sim->backends();
        link = makeHostLink(GetParam(), *backends.port, *backends.usb, where.base);
        link->powerOn();
        clock.advance(kv::sim::Unit::kSettleMs);
        host = std::make_unique<Host>(*link);
    }
    void TearDown() override {
        if (!m_violationsExpected) {
            EXPECT_EQ(kv::sim::describe(unit().violations()), "");
        }
        kv::platform::setTickSource(m_previous);
    }
    // The test checks the violation records itself.
    const std::vector<kv::sim::Violation> &expectViolations() {
        m_violationsExpected = true;
        return unit().violations();
    }

    kv::sim::Unit &unit() { return sim->unit(); }
    // The status byte read as 4 (waiting), 1 (filling) or 3 (complete).
    int progress() {
        const uint8_t s = host->status();
        if (!(s & 0x10)) return 4;
        return (s & 0x20) ? 1 : 3;
    }

    kv::platform::ManualClock clock{1000};
    std::unique_ptr<kv::sim::Simulator> sim;
    std::unique_ptr<HostLink> link;
    std::unique_ptr<Host> host;

  private:
    kv::platform::TickSource *m_previous = nullptr;
    bool m_violationsExpected = false;
};

inline std::string linkParamName(const ::testing::TestParamInfo<LinkKind> &info) {
    return linkName(info.param);
}

}  // namespace kvtest
