// SPDX-License-Identifier: GPL-3.0-or-later
// The VCD reader: files of other tools worked by hand, and what the writer wrote.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "interop/vcd_reader.h"
#include "interop/vcd_writer.h"

using namespace kv::interop;

namespace {

uint32_t wordAt(const VcdImport &file, size_t k) {
    return static_cast<uint32_t>(file.planes[2][k]) << 16 |
           static_cast<uint32_t>(file.planes[1][k]) << 8 | file.planes[0][k];
}

VcdImport read(const std::string &text, int64_t periodPs, int64_t length,
               std::array<std::string, kChannels> names = defaultChannelNames()) {
    std::istringstream in(text);
    return readVcd(in, names, periodPs, length);
}

}  // namespace

TEST(VcdReader, WrittenSamplesComeBackAtEveryPeriodAndOffset) {
    // A record with a random part and long runs, written from sample 5 on, read back.
    std::mt19937 random(7);
    std::array<std::vector<uint8_t>, 3> planes;
    for (auto &p : planes) {
        p.resize(3000);
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = i < 1500 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(i / 300);
    }
    for (int64_t period : {2500, 10000, 20000, 5'000'000}) {
        SampleSet samples;
        samples.planes = {planes[0].data(), planes[1].data(), planes[2].data()};
        samples.first = 5;
        samples.count = 2995;
        samples.triggerSample = 65;
        samples.periodPs = period;
        samples.channelNames = defaultChannelNames();
        samples.groups = {{"Hexdecimal", {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                          12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}}};
        std::ostringstream out;
        writeVcd(out, samples);
        const VcdImport file = read(out.str(), period, 3000);
        ASSERT_TRUE(file.ok) << file.error;
        EXPECT_EQ(file.fileSamples, 2995);
        EXPECT_EQ(file.unmapped, std::vector<std::string>{"Hexdecimal [23:0] (24 bits)"});
        for (size_t k = 0; k < 2995; ++k)
            ASSERT_EQ(wordAt(file, k), samples.word(static_cast<int64_t>(k) + 5)) << k;
        // The five samples after the file's end keep its last values.
        for (size_t k = 2995; k < 3000; ++k)
            ASSERT_EQ(wordAt(file, k), samples.word(2999));

        // Read at twice the period: every other sample.
        const VcdImport half = read(out.str(), period * 2, 1000);
        ASSERT_TRUE(half.ok);
        EXPECT_EQ(half.fileSamples, 1498);  // 2995 samples end at 1497.5 periods
        EXPECT_EQ(half.droppedSamples, 498);
        for (size_t k = 0; k < 1000; ++k)
            ASSERT_EQ(wordAt(half, k), samples.word(static_cast<int64_t>(2 * k) + 5)) << k;
    }
}

TEST(VcdReader, AnotherToolsFileByNameAndTime) {
    // 1 ns units read every 10 ns: a change at 15 ns shows from sample 2 (20 ns), one at
    // exactly 30 ns in sample 3. Text before the header (a tool's own line) is passed over.
    const std::string text =
        "META samplerate: 100000000\n"
        "$date today $end\n$timescale 1ns $end\n"
        "$scope module top $end\n"
        "$var wire 1 ! Chan D 3 $end\n"   // channel 3 by its name
        "$var wire 1 \" D5 $end\n"        // channel 5 by "D<n>"
        "$var wire 1 # clk $end\n"        // no channel
        "$var wire 4 $ bus [3:0] $end\n"  // vectors are not channels
        "$var real 64 % level $end\n"
        "$upscope $end\n$enddefinitions $end\n"
        "$comment anything $end\n"
        "#0\n$dumpvars\n1! x\" 0# b0000 $ r1.5 % $end\n"
        "#15\n0! 1\" b1x01 $ 1#\n"
        "#30\nb1 \"\n"
        "#30\n1!\n"
        "#41\n";
    const VcdImport file = read(text, 10000, 8);
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_TRUE(file.matched[3]);
    EXPECT_TRUE(file.matched[5]);
    EXPECT_FALSE(file.matched[0]);
    EXPECT_EQ(file.unmapped,
              (std::vector<std::string>{"clk", "bus [3:0] (4 bits)", "level (real)"}));
    EXPECT_TRUE(file.unknownValues);  // the x of D5 at time 0
    EXPECT_EQ(file.fileSamples, 5);   // 41 ns ends in sample 5 (50 ns)
    const uint32_t d3 = 1u << 3, d5 = 1u << 5;
    const uint32_t expected[8] = {d3, d3, d5, d3 | d5, d3 | d5, d3 | d5, d3 | d5, d3 | d5};
    for (size_t k = 0; k < 8; ++k)
        EXPECT_EQ(wordAt(file, k), expected[k]) << k;
}

TEST(VcdReader, NamesWithBlanksAndTheWritersUnderscores) {
    auto names = defaultChannelNames();
    names[0] = "Data  Strobe";
    const std::string text =
        "$timescale 1 us $end\n$var wire 1 a data_strobe $end\n"
        "$var wire 1 b Chan_D_1 $end\n$var wire 1 c CHAN D 2 $end\n$enddefinitions $end\n"
        "#0 1a 1b 1c\n#2\n";
    const VcdImport file = read(text, 1'000'000, 4, names);
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_TRUE(file.matched[0] && file.matched[1] && file.matched[2]);
    EXPECT_TRUE(file.unmapped.empty());
    EXPECT_EQ(file.fileSamples, 2);
    EXPECT_EQ(wordAt(file, 0), 7u);
}

TEST(VcdReader, FilesThatCannotBeTakenSayWhere) {
    const std::string head = "$timescale 1 ns $end\n$var wire 1 ! D0 $end\n$enddefinitions $end\n";
    const auto error = [&](const std::string &text) {
        const VcdImport file = read(text, 1000, 4);
        EXPECT_FALSE(file.ok);
        return file.error;
    };
    EXPECT_EQ(error(head + "#5\n1!\n#3\n"), "line 6: time goes back at \"#3\"");
    EXPECT_EQ(error(head + "#0\n1?\n"), "line 5: no signal has the code \"?\"");
    EXPECT_EQ(error(head + "#0\nhello\n"), "line 5: \"hello\" is neither a time stamp nor a value");
    EXPECT_EQ(error("$timescale 1 ns $end\n$var wire 1 ! D0 $end\n"),
              "line 3: the file has no $enddefinitions");
    EXPECT_EQ(error("$timescale 3 ns $end\n"),
              "line 1: the time unit \"3ns\" is not one VCD allows");
    EXPECT_EQ(error("$timescale 1 ns $end\n$var wire 1 ! clk $end\n$enddefinitions $end\n#0\n"),
              "line 3: no signal of the file is named like a channel");
    EXPECT_EQ(error("$timescale 1 ns $end\n$var wire 1 ! D0\n"),
              "line 3: the file ends inside $var");
}
