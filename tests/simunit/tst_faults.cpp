// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/tick.h"
#include "protocol.h"
#include "simunit/attach.h"

using namespace kvtest;
using kv::sim::Attachment;
using kv::sim::Simulator;

namespace {

Attachment at(Attachment::Link link, uint16_t base = 0) {
    Attachment a;
    a.link = link;
    a.base = base;
    return a;
}

}  // namespace

TEST(SimulatedFaults, AbsentUnitIsNotThere) {
    Simulator epp(at(Attachment::Link::Epp, 0x378));
    epp.unit().faults().absent = true;
    auto b = epp.backends();
    auto link = makeHostLink(LinkKind::Epp, *b.port, *b.usb, 0x378);
    link->powerOn();
    Host host(*link);
    EXPECT_EQ(host.presence().first, 0xFF);

    Simulator usb(at(Attachment::Link::Usb));
    usb.unit().faults().absent = true;
    EXPECT_EQ(usb.backends().usb->open(kv::platform::UsbFamily::Generic, 0), -1);
}

TEST(SimulatedFaults, UnpoweredUnitAnswersNothing) {
    // EPP cycles do not touch the supply line: a port never switched on has no unit.
    {
        Simulator sim(at(Attachment::Link::Epp, 0x278));
        auto b = sim.backends();
        auto link = makeHostLink(LinkKind::Epp, *b.port, *b.usb, 0x278);
        Host host(*link);
        EXPECT_EQ(host.presence().first, 0xFF);
        kv::platform::ManualClock clock{1000};
        auto *previous = kv::platform::setTickSource(&clock);
        link->powerOn();
        clock.advance(kv::sim::Unit::kSettleMs);  // the supply settles first
        EXPECT_EQ(host.presence().first & 0x40, 0);
        kv::platform::setTickSource(previous);
    }
    // A unit whose supply fails answers on neither parallel link.
    for (auto kind : {LinkKind::Epp, LinkKind::Bpp}) {
        Simulator sim(
            at(kind == LinkKind::Epp ? Attachment::Link::Epp : Attachment::Link::Bpp, 0x278));
        sim.unit().faults().unpowered = true;
        auto b = sim.backends();
        auto link = makeHostLink(kind, *b.port, *b.usb, 0x278);
        link->powerOn();
        Host host(*link);
        EXPECT_EQ(host.presence().first, 0xFF) << linkName(kind);
    }
}

TEST(SimulatedFaults, UnitOnlyAnswersAtItsOwnBase) {
    Simulator sim(at(Attachment::Link::Epp, 0x378));
    auto b = sim.backends();
    auto wrong = makeHostLink(LinkKind::Epp, *b.port, *b.usb, 0x278);
    wrong->powerOn();
    Host host(*wrong);
    EXPECT_EQ(host.presence().first, 0xFF);
}

TEST(SimulatedFaults, UsbRequestsFailFromTheNth) {
    Simulator sim(at(Attachment::Link::Usb));
    auto *usb = sim.usb();
    auto link = makeHostLink(LinkKind::Usb, *sim.backends().port, *usb, 0);
    Host host(*link);
    sim.unit().faults().usbFailFrom = usb->requestCount() + 2;
    EXPECT_EQ(host.status(), 0x00);  // select + read: requests n and n+1 succeed
    EXPECT_EQ(host.status(), 0xFF);  // from here on every request fails
    EXPECT_EQ(usb->open(kv::platform::UsbFamily::Generic, 0), -1);
}

TEST(SimulatedFaults, ShortBulkReads) {
    kv::platform::ManualClock clock(5);
    auto *previous = kv::platform::setTickSource(&clock);
    Simulator sim(at(Attachment::Link::Usb));
    auto link = makeHostLink(LinkKind::Usb, *sim.backends().port, *sim.backends().usb, 0);
    Host host(*link);
    host.loadClock(0x178088, 0);
    host.loadCounter(0x3F00);
    host.arm(false);
    host.force();
    clock.advance(1);
    host.stop();
    sim.unit().faults().shortBulkBy = 47;
    EXPECT_EQ(host.readPlane(0, 2047).size(), 2000u);
    kv::platform::setTickSource(previous);
}

TEST(SimulatedFaults, SignalsThatNeverMeetTheTrigger) {
    kv::platform::ManualClock clock(5);
    auto *previous = kv::platform::setTickSource(&clock);
    Simulator sim(at(Attachment::Link::Usb));
    sim.unit().faults().neverTrigger = true;
    auto link = makeHostLink(LinkKind::Usb, *sim.backends().port, *sim.backends().usb, 0);
    Host host(*link);
    host.loadClock(0x178088, 0);
    host.loadTrigger("XXXXXXXXXXXXXXXX00010000", false);  // met every 256 us normally
    host.loadCounter(16258);
    host.arm(false);
    clock.advance(50);
    EXPECT_EQ(host.status() & 0x10, 0);
    host.force();
    clock.advance(1);
    EXPECT_EQ(host.status() & 0x30, 0x10);  // complete
    kv::platform::setTickSource(previous);
}

TEST(FaultOptions, ChosenWhereTheUnitIsAttached) {
    std::string why;
    auto a =
        kv::sim::parseAttachment("usb2,unplug-after=3000,replug-after=8000,fail-from=40", &why);
    ASSERT_TRUE(a) << why;
    EXPECT_EQ(a->link, kv::sim::Attachment::Link::Usb);
    EXPECT_EQ(a->unplugAfterMs, 3000u);
    EXPECT_EQ(a->replugAfterMs, 8000u);
    EXPECT_EQ(a->faults.usbFailFrom, 40);
    a = kv::sim::parseAttachment("epp:0x378,unpowered,never-trigger,short-reads");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->base, 0x378);
    EXPECT_TRUE(a->faults.unpowered);
    EXPECT_TRUE(a->faults.neverTrigger);
    EXPECT_GT(a->faults.shortBulkBy, 0);
    // A mixed-signal unit beside the first unit, or alone.
    a = kv::sim::parseAttachment("none,mixed=usb1");
    ASSERT_TRUE(a && a->mixed);
    EXPECT_EQ(a->link, kv::sim::Attachment::Link::None);
    EXPECT_EQ(a->mixed->link, kv::sim::Attachment::Link::Usb);
    EXPECT_FALSE(a->mixed->highSpeed);
    a = kv::sim::parseAttachment("usb2,mixed=bpp:0x3BC,never-trigger");
    ASSERT_TRUE(a && a->mixed);
    EXPECT_EQ(a->mixed->link, kv::sim::Attachment::Link::Bpp);
    EXPECT_EQ(a->mixed->base, 0x3BC);
    EXPECT_TRUE(a->faults.neverTrigger);
    // Unknown options and values are refused with the reason; so is a fault for no unit.
    for (const char *bad : {"usb2,unplug", "usb2,unplug-after=soon", "usb2,unplug-after=-5",
                            "usb2,", "none,unpowered", "usb3", "epp:0x378,fail-from=1x",
                            "none,mixed=none", "usb2,mixed=usb3", "usb2,mixed="}) {
        why.clear();
        EXPECT_FALSE(kv::sim::parseAttachment(bad, &why)) << bad;
        EXPECT_NE(why.find("KV6830_SIMULATE: unknown"), std::string::npos) << bad << ": " << why;
    }
}
