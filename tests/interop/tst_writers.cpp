// SPDX-License-Identifier: GPL-3.0-or-later
// The VCD and CSV writers on small sample sets worked by hand.
#include <gtest/gtest.h>

#include <sstream>

#include "interop/csv_writer.h"
#include "interop/time_scale.h"
#include "interop/vcd_writer.h"

using namespace kv::interop;

namespace {

// Four samples, 20 ns apart, trigger at the second: D0 high, then D1 instead, then D23 too.
struct Fixture {
    uint8_t p0[4] = {0x01, 0x01, 0x02, 0x02};
    uint8_t p1[4] = {0, 0, 0, 0};
    uint8_t p2[4] = {0, 0, 0, 0x80};
    SampleSet samples;
    Fixture() {
        samples.planes = {p0, p1, p2};
        samples.first = 0;
        samples.count = 4;
        samples.triggerSample = 1;
        samples.periodPs = 20000;
        samples.channelNames = defaultChannelNames();
        samples.channelNames[1] = "clock, inverted";
        samples.channelNames[2] = "";
        // Bit 0 from D1, bit 1 from D0.
        samples.groups = {{"Swap pair", {1, 0}}};
    }
};

}  // namespace

TEST(TimeScale, LongestUnitThatDividesThePeriod) {
    EXPECT_EQ(timeScaleFor(10000).text(), "10 ns");
    EXPECT_EQ(timeScaleFor(20000).text(), "10 ns");
    EXPECT_EQ(timeScaleFor(2500).text(), "100 ps");
    EXPECT_EQ(timeScaleFor(5'000'000).text(), "1 us");
    EXPECT_EQ(timeScaleFor(1'000'000'000'000).text(), "1 s");
    EXPECT_EQ(parseTimeScale("1ns")->femtoseconds, 1'000'000);
    EXPECT_EQ(parseTimeScale(" 100 ps ")->femtoseconds, 100'000);
    EXPECT_EQ(parseTimeScale("10 s")->femtoseconds, 10'000'000'000'000'000);
    EXPECT_FALSE(parseTimeScale("5 ns"));
    EXPECT_FALSE(parseTimeScale("10 xs"));
    EXPECT_EQ(secondsText(-600000), "-0.000000600000");
    EXPECT_EQ(secondsText(1'500'000'000'001), "1.500000000001");
    EXPECT_EQ(secondsText(0), "0.000000000000");
}

TEST(VcdWriter, WiresGroupsTimesAndTheTrigger) {
    Fixture f;
    std::ostringstream out;
    writeVcd(out, f.samples);
    std::string expected =
        "$version KV-6830 host software $end\n"
        "$comment time 0 is the trigger, sample 1 of this file $end\n"
        "$timescale 10 ns $end\n"
        "$timezero -2 $end\n"
        "$scope module kv6830 $end\n"
        "$var wire 1 ! Chan_D_0 $end\n"
        "$var wire 1 \" clock,_inverted $end\n"
        "$var wire 1 # D2 $end\n";
    for (int n = 3; n < 24; ++n) {
        expected += "$var wire 1 " + std::string(1, static_cast<char>('!' + n)) + " Chan_D_" +
                    std::to_string(n) + " $end\n";
    }
    expected += "$var wire 2 9 Swap_pair [1:0] $end\n$upscope $end\n$enddefinitions $end\n";
    expected += "#0\n$dumpvars\n1!\n";
    for (int n = 1; n < 24; ++n)
        expected += "0" + std::string(1, static_cast<char>('!' + n)) + "\n";
    // Group: bit 1 = D0 = 1, bit 0 = D1 = 0.
    expected += "b10 9\n$end\n";
    // Sample 2 at 40 ns: D0 falls, D1 rises, the group becomes 01.
    expected += "#4\n0!\n1\"\nb1 9\n";
    // Sample 3: only D23 (code '8'); the group is unchanged.
    expected += "#6\n18\n";
    // The end of the last sample.
    expected += "#8\n";
    EXPECT_EQ(out.str(), expected);
}

TEST(VcdWriter, ChannelsOnlyAndAnOffsetRecord) {
    Fixture f;
    f.samples.first = 2;  // the data set's record offset
    f.samples.count = 2;
    f.samples.triggerSample = 3;
    std::ostringstream out;
    writeVcd(out, f.samples, VcdOptions{false});
    const std::string text = out.str();
    EXPECT_EQ(text.find("$var wire 2"), std::string::npos);
    EXPECT_NE(text.find("$comment time 0 is the trigger, sample 1 of this file $end\n"
                        "$timescale 10 ns $end\n$timezero -2 $end\n"),
              std::string::npos);
    const std::string body = text.substr(text.find("$enddefinitions $end\n") + 21);
    std::string expected = "#0\n$dumpvars\n0!\n1\"\n";
    for (int n = 2; n < 24; ++n)
        expected += "0" + std::string(1, static_cast<char>('!' + n)) + "\n";
    expected += "$end\n#2\n18\n#4\n";
    EXPECT_EQ(body, expected);
}

TEST(CsvWriter, EverySampleAndEveryChange) {
    Fixture f;
    std::string header = "Time (s),Chan D 0,\"clock, inverted\",";
    for (int n = 3; n < 24; ++n)
        header += ",Chan D " + std::to_string(n);
    header += "\n";
    std::string zeros21;  // D2 .. D22
    for (int n = 2; n < 23; ++n)
        zeros21 += ",0";
    const std::string row0 = "-0.000000020000,1,0" + zeros21 + ",0\n";
    const std::string row1 = "0.000000000000,1,0" + zeros21 + ",0\n";
    const std::string row2 = "0.000000020000,0,1" + zeros21 + ",0\n";
    const std::string row3 = "0.000000040000,0,1" + zeros21 + ",1\n";
    std::ostringstream every, changes;
    writeCsv(every, f.samples, CsvRows::EverySample);
    EXPECT_EQ(every.str(), header + row0 + row1 + row2 + row3);
    writeCsv(changes, f.samples, CsvRows::EveryChange);
    EXPECT_EQ(changes.str(), header + row0 + row2 + row3);

    // Unchanged to the end: the last sample still closes the table.
    f.p2[3] = 0;
    std::ostringstream closing;
    writeCsv(closing, f.samples, CsvRows::EveryChange);
    EXPECT_EQ(closing.str(), header + row0 + row2 + "0.000000040000,0,1" + zeros21 + ",0\n");
}
