// SPDX-License-Identifier: GPL-3.0-or-later
// The text form of a decoder stack: channels by number or name, typed options, stacking,
// and a clear reason for each text that is refused; the decoder settings file.
#include <gtest/gtest.h>

#include <sstream>

#include "decode/decoder_settings.h"
#include "decode/decoder_text.h"

using namespace kv::decode;

namespace {
std::array<std::string, 24> names() {
    std::array<std::string, 24> n{};
    for (int i = 0; i < 24; ++i)
        n[size_t(i)] = "Chan D " + std::to_string(i);
    n[11] = "Serial out";
    return n;
}
}  // namespace

TEST(DecoderText, ChannelsOptionsAndStacking) {
    DecoderTextParse p =
        parseDecoderText("uart:rx=D11,baudrate=250000,parity=even,stop_bits=1.5", names());
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.stack.size(), 1u);
    EXPECT_EQ(p.stack[0].id, "uart");
    EXPECT_EQ(p.stack[0].channels, (std::map<std::string, int>{{"rx", 11}}));
    EXPECT_EQ(std::get<int64_t>(p.stack[0].options.at("baudrate")), 250000);
    EXPECT_EQ(std::get<std::string>(p.stack[0].options.at("parity")), "even");
    EXPECT_EQ(std::get<double>(p.stack[0].options.at("stop_bits")), 1.5);

    // A channel by its name, blanks, '_' and case alike; "d3" as D3.
    p = parseDecoderText("uart:rx=serial_OUT,tx=d3", names());
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.stack[0].channels, (std::map<std::string, int>{{"rx", 11}, {"tx", 3}}));

    // Stacked: the second takes the first's output and needs no channels.
    p = parseDecoderText("i2c:scl=D0,sda=D1+eeprom24xx", names());
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.stack.size(), 2u);
    EXPECT_EQ(p.stack[1].id, "eeprom24xx");

    // Written out and read back.
    DecoderStack stack =
        parseDecoderText("i2c:scl=D0,sda=D1,address_format=unshifted+eeprom24xx", names()).stack;
    EXPECT_EQ(formatDecoderText(stack), "i2c:scl=D0,sda=D1,address_format=unshifted+eeprom24xx");
    EXPECT_EQ(parseDecoderText(formatDecoderText(stack), {}).stack, stack);
}

TEST(DecoderText, RefusedTextsSayWhy) {
    auto error = [](const std::string &text) { return parseDecoderText(text, names()).error; };
    EXPECT_EQ(error(""), "no decoder given");
    EXPECT_EQ(error("nosuch:rx=D1"), "no decoder named \"nosuch\" is installed");
    EXPECT_EQ(error("uart:rx=D24"), "uart: channel rx: no channel \"D24\"");
    EXPECT_EQ(error("uart:rx=clock"), "uart: channel rx: no channel \"clock\"");
    EXPECT_EQ(error("uart:rx=D1,baudrate=fast"),
              "uart: option baudrate takes a whole number, not \"fast\"");
    EXPECT_EQ(error("uart:rx=D1,parity=maybe"),
              "uart: option parity takes one of none, odd, even, zero, one, ignore, not \"maybe\"");
    EXPECT_EQ(error("uart:rx=D1,speed=9600"), "uart has no channel or option \"speed\"");
    EXPECT_EQ(error("uart:rx"), "uart: \"rx\" is not key=value");
    EXPECT_EQ(error("spi:mosi=D9"), "spi: channel clk is not mapped");
    EXPECT_EQ(error("eeprom24xx"), "eeprom24xx decodes the output of another decoder, not samples");
    EXPECT_EQ(error("uart:rx=D1+eeprom24xx"), "eeprom24xx cannot take the output of uart");
}

TEST(DecoderSettings, ViewsWrittenAndReadBackWithBadLinesNamed) {
    ViewDecoders views;
    views[0] = {parseDecoderText("uart:rx=D11,baudrate=250000", {}).stack,
                parseDecoderText("spi:clk=D8,mosi=D9", {}).stack};
    views[3] = {parseDecoderText("i2c:scl=D0,sda=D1+eeprom24xx", {}).stack};
    std::ostringstream out;
    writeDecoderSettings(out, views);
    EXPECT_EQ(out.str(),
              "# Protocol decoders of the timing views\n"
              "[Timing1]\nuart:rx=D11,baudrate=250000\nspi:clk=D8,mosi=D9\n"
              "[Timing4]\ni2c:scl=D0,sda=D1+eeprom24xx\n");
    std::istringstream in(out.str());
    DecoderSettingsRead read = readDecoderSettings(in);
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.views, views);

    std::istringstream bad(
        "uart:rx=D1\r\n[Timing2]\r\nuart:rx=D40\r\nuart:rx=D2\r\n[Timing11]\r\n");
    read = readDecoderSettings(bad);
    EXPECT_EQ(read.problems,
              (std::vector<std::string>{"line 1: outside a view",
                                        "line 3: uart: channel rx: no channel \"D40\"",
                                        "line 5: no such view"}));
    ASSERT_EQ(read.views.size(), 1u);
    EXPECT_EQ(read.views[1][0][0].channels.at("rx"), 2);
}
