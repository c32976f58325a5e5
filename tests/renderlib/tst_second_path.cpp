// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a mixed-signal unit, the parallel port test and the supply line.
#include <string>
#include <vector>

#include "platform/mixed_unit_registers.h"
#include "second_path_fixture.h"
#include "simunit/links.h"
#include "simunit/unit.h"

using namespace kvtest;
using kv::sim::MixedModel;
using kv::sim::ParallelMode;

namespace {

std::vector<std::string> controls(uint16_t base, std::vector<int> values) {
    std::vector<std::string> out;
    for (int v : values)
        out.push_back(
            RecordingPort::line("out", static_cast<uint16_t>(base + 2), static_cast<uint8_t>(v)));
    return out;
}

void append(std::vector<std::string> &to, const std::vector<std::string> &more) {
    to.insert(to.end(), more.begin(), more.end());
}

// A register read on the parallel port: the address, then the unit drives the lines.
std::vector<std::string> registerRead(uint8_t reg, uint8_t value) {
    std::vector<std::string> e = {RecordingPort::line("out", 0x378, reg)};
    append(e, controls(0x378, {0x0C, 0x04, 0x24, 0x26}));
    e.push_back(RecordingPort::line("in", 0x378, value));
    append(e, controls(0x378, {0x24, 0x04}));
    return e;
}

}  // namespace

using FindPortTest = SecondPathTest;

TEST_F(FindPortTest, NothingBeforeFindHardwareChoseThePortFunctions) {
    port.dataReads = 0x55;
    EXPECT_EQ(path.findPort(0x378), 0);
    EXPECT_TRUE(port.events.empty());
}

TEST_F(FindPortTest, WithoutTheFirstPatternNoSecondIsWritten) {
    port.dataReads = 0x00;  // a data register that does not hold what is written
    EXPECT_EQ(find(), 0);
    port.events.clear();
    EXPECT_EQ(path.findPort(0x378), 0);
    EXPECT_EQ(port.events, (std::vector<std::string>{"out 37A 04", "out 378 55", "in 378 00"}));
}

TEST_F(FindPortTest, BothPatternsReadBack) {
    onParallel(0x278, ParallelMode::Bpp);
    EXPECT_EQ(find(), 43);
    port.events.clear();
    EXPECT_EQ(path.findPort(0x278), 1);
    EXPECT_EQ(port.events, (std::vector<std::string>{"out 27A 04", "out 278 55", "in 278 55",
                                                     "out 278 AA", "in 278 AA"}));
}

using FindHardwareTest = SecondPathTest;

TEST_F(FindHardwareTest, ParallelSearchWritesEventByEvent) {
    onParallel(0x378, ParallelMode::Bpp);
    record[146] = 1234;
    EXPECT_EQ(find(), 43);
    EXPECT_EQ(model, 43);
    // 0x3BC: nothing echoes its data register.
    std::vector<std::string> e = {"out 3BE C4", "out 3BE 04", "out 3BC 55", "in 3BC FF"};
    // 0x378: the port test, the handshake, the mode test (no EPP answer).
    append(e, {"out 37A C4", "out 37A 04", "out 378 55", "in 378 55", "out 378 AA", "in 378 AA",
               "out 37A 0C", "in 379 28", "out 37A 04", "in 379 10", "out 37B 5A", "in 37C FF"});
    // The initialisation writes.
    append(e, {"out 378 B7", "out 378 B7"});
    append(e, controls(0x378, {0x0C, 0x0C, 0x07, 0x07, 0x0C, 0x0C}));
    append(e, {"out 378 BC", "out 378 BC"});
    append(e, controls(0x378, {0x0C, 0x0C, 0x07, 0x07, 0x0C, 0x0C}));
    // Configuration 0x07 and class 2: byte-valued channels, deep memory -> 34 + 8 + 1.
    append(e, registerRead(0xE8, 0x07));
    append(e, registerRead(0xE9, 0x02));
    EXPECT_EQ(port.events, e);

    EXPECT_EQ(unit->resets(), 1);
    EXPECT_TRUE(unit->enabled());
    EXPECT_EQ(state[1007], 1);
    EXPECT_EQ(state[1008], 2);
    EXPECT_EQ(state[32], 1);
    EXPECT_EQ(state[29], 0x04);
    EXPECT_EQ(state[176], 43);
    EXPECT_EQ(state[1003], 2);
    EXPECT_EQ(state[173], 2);
    EXPECT_EQ(state[1005], 4);
    EXPECT_EQ(state[1010], 0);
    EXPECT_EQ(state[1012], 0);
    EXPECT_EQ(state[175], 0xFF);
    EXPECT_EQ(state[1000], 1);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(state[157 + k], k);
        EXPECT_EQ(state[165 + k], k);
        EXPECT_EQ(record[28 + k], 0x378 + k);
    }
    EXPECT_EQ(record[91], 0);
    EXPECT_EQ(record[110], 0);
    EXPECT_EQ(record[111], 0x80400);
    for (int i = 127; i <= 150; ++i)
        EXPECT_EQ(record[i], i == 146 ? 1234 : 0xFB00) << i;
}

TEST_F(FindHardwareTest, EppModeIsRecorded) {
    onParallel(0x278, ParallelMode::Epp);
    EXPECT_EQ(find(), 43);
    EXPECT_EQ(state[1007], 2);
    EXPECT_EQ(state[1008], 1);
    EXPECT_EQ(state[32], 2);
    EXPECT_EQ(record[28], 0x278);
}

TEST_F(FindHardwareTest, StillImageFamilyWithoutUsbTouchesNoPort) {
    onParallel(0x378, ParallelMode::Bpp);
    state[1007] = 9;
    state[1008] = 9;
    EXPECT_EQ(find(2), 0);
    EXPECT_EQ(model, 0);
    EXPECT_TRUE(port.events.empty());
    EXPECT_EQ(state[1007], 0);
    EXPECT_EQ(state[1008], 0);
    EXPECT_EQ(record[91], 2);
    // The writer does nothing, so the unit was never reset, and nothing else answers.
    EXPECT_EQ(unit->resets(), 0);
    EXPECT_EQ(path.findPort(0x378), 0);
    EXPECT_TRUE(port.events.empty());
    uint8_t destinations[6] = {};
    kv::render::CaptureArgs a;
    a.record = record.data();
    a.state = state.data();
    a.destinations[0] = destinations;
    EXPECT_EQ(path.capture(a), 0u);
    EXPECT_EQ(path.getTrigStat(a), 0);
    EXPECT_EQ(path.endCapture(a), 0);
    EXPECT_TRUE(port.events.empty());
}

TEST_F(FindHardwareTest, UsbUnitAfterAFirstFamilyUnitOnTheSamePairs) {
    // Device 0 is a unit of the first family: it refuses the loop-back request and is
    // closed again; device 1 answers.
    kv::sim::Unit first;
    kv::sim::SimUsbDriver firstUsb(first, kv::sim::UsbIdentity{0x05E3, 0x0185, true});
    onUsb(MixedModel{}, false, &firstUsb);
    EXPECT_EQ(find(), 43);
    EXPECT_EQ(firstUsb.openHandles(), 0);
    EXPECT_EQ(usb->openHandles(), 1);
    EXPECT_EQ(state[1007], 4);
    EXPECT_EQ(state[1008], 3);  // full speed
    EXPECT_EQ(state[115], 0);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(record[28 + k], 0x3BC + k);
    EXPECT_TRUE(port.events.empty());  // USB found it: no parallel port was tried
}

TEST_F(FindHardwareTest, ModelCodesFromConfigurationAndClass) {
    struct Case {
        uint8_t configuration, identification, code, option1003, option1010;
    };
    const Case cases[] = {{0x00, 0, 28, 0, 1}, {0x01, 3, 31, 0, 0}, {0x02, 0, 34, 2, 1},
                          {0x03, 0, 35, 2, 0}, {0x02, 1, 38, 2, 1}, {0x03, 1, 39, 2, 0},
                          {0x0A, 3, 42, 2, 1}, {0x07, 2, 43, 2, 0}};
    for (const Case &c : cases) {
        onUsb(MixedModel{c.configuration, c.identification});
        EXPECT_EQ(find(), c.code) << int(c.configuration) << " " << int(c.identification);
        EXPECT_EQ(state[176], c.code);
        EXPECT_EQ(state[1003], c.option1003);
        EXPECT_EQ(state[1010], c.option1010);
        EXPECT_EQ(state[1012], c.configuration & 0x08);
        EXPECT_EQ(state[1008], 4);
    }
}

TEST_F(FindHardwareTest, NoUnitLeavesTheLinkBytesAtZero) {
    onParallel(0x378, ParallelMode::Bpp);
    EXPECT_EQ(find(), 43);
    // The unit is gone; a second search clears what the first found.
    parallel.reset();
    port.setInner(nullptr);
    EXPECT_EQ(find(), 0);
    EXPECT_EQ(model, 0);
    for (int i : {176, 1003, 1007, 1008, 1010})
        EXPECT_EQ(state[i], 0) << i;
}

using SupplyTest = SecondPathTest;

TEST_F(SupplyTest, PowerSwitchesBitTwoAndWaitsFiftyMilliseconds) {
    onParallel(0x3BC, ParallelMode::Bpp);
    EXPECT_EQ(find(), 43);
    state[29] = 0x08;
    port.events.clear();
    const uint32_t before = clock.now();
    path.power(record.data(), state.data(), false);
    EXPECT_EQ(clock.now() - before, 50u);
    EXPECT_EQ(state[29], 0x08);
    EXPECT_FALSE(parallel->powered());
    path.power(record.data(), state.data(), true);
    EXPECT_EQ(clock.now() - before, 100u);
    EXPECT_EQ(state[29], 0x0C);
    EXPECT_EQ(port.events, (std::vector<std::string>{"out 3BE 08", "out 3BE 0C"}));
    EXPECT_TRUE(parallel->powered());
}
