// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of kv6830-capture: the values it takes, worked from the Parameters
// window's lists and the threshold's 50 mV steps, and what a bad argument does.
#include <gtest/gtest.h>

#include <fstream>
#include "capture_request.h"

#include "tool_process.h"

using namespace kv::cli;

TEST(Values, RatesByListTextRateOrPeriod) {
    // The list runs 100MSa(10ns) .. 5KSa(200us) over the rate codes 4..11, 13, 15, .., 22.
    EXPECT_EQ(rateCodeOf("100MSa(10ns)"), 4);
    EXPECT_EQ(rateCodeOf("1MSa"), 10);
    EXPECT_EQ(rateCodeOf("1us"), 10);
    EXPECT_EQ(rateCodeOf("1msa"), 10);
    EXPECT_EQ(rateCodeOf("200KSa"), 13);
    EXPECT_EQ(rateCodeOf("200us"), 22);
    EXPECT_EQ(rateCodeOf("400MSa"), std::nullopt);  // the unit's list has no 400 MSa
    EXPECT_EQ(rateCodeOf("1"), std::nullopt);
    EXPECT_EQ(rateCodeOf(""), std::nullopt);
}

TEST(Values, ThresholdInFiftyMillivoltStepsFromMinusOneToThreeVolts) {
    // Code 60 is 0 V; each code down is 50 mV up: 1.4 V is 60 - 28 = 32.
    EXPECT_EQ(thresholdCodeOf("1.4"), 32);
    EXPECT_EQ(thresholdCodeOf("1.4V"), 32);
    EXPECT_EQ(thresholdCodeOf("1400mV"), 32);
    EXPECT_EQ(thresholdCodeOf("0"), 60);
    EXPECT_EQ(thresholdCodeOf("3"), 0);
    EXPECT_EQ(thresholdCodeOf("-1"), 80);
    EXPECT_EQ(thresholdCodeOf("-200mV"), 64);
    EXPECT_EQ(thresholdCodeOf("3.05"), std::nullopt);   // above the range
    EXPECT_EQ(thresholdCodeOf("-1.05"), std::nullopt);  // below it
    EXPECT_EQ(thresholdCodeOf("1.42"), std::nullopt);   // between two steps
    EXPECT_EQ(thresholdCodeOf("V"), std::nullopt);
    EXPECT_EQ(thresholdCodeOf("1.4 V"), std::nullopt);
    EXPECT_EQ(thresholdCodeOf("nan"), std::nullopt);
}

TEST(Values, TriggerWordInTheProgramsForm) {
    EXPECT_EQ(triggerWordOf("XXXXXXXXXXXXXXXX00010000"), "XXXXXXXX XXXXXXXX 00010000");
    EXPECT_EQ(triggerWordOf("xxxxxxxx_xxxxxxxx_0001_0000"), "XXXXXXXX XXXXXXXX 00010000");
    EXPECT_EQ(triggerWordOf("1 0 X 1 0 X 1 0 X 1 0 X 1 0 X 1 0 X 1 0 X 1 0 X"),
              "10X10X10 X10X10X1 0X10X10X");
    EXPECT_EQ(triggerWordOf("XXXXXXXXXXXXXXXX0001000"), std::nullopt);    // 23 characters
    EXPECT_EQ(triggerWordOf("XXXXXXXXXXXXXXXX000100000"), std::nullopt);  // 25
    EXPECT_EQ(triggerWordOf("XXXXXXXXXXXXXXXX0001000z"), std::nullopt);
}

TEST(Values, OutputKindsAndNumberedSeries) {
    EXPECT_EQ(outputKindOf("run.osv"), OutputKind::Data);
    EXPECT_EQ(outputKindOf("dir.x/RUN.OSV"), OutputKind::Data);
    EXPECT_EQ(outputKindOf("a.vcd"), OutputKind::Vcd);
    EXPECT_EQ(outputKindOf("a.csv"), OutputKind::Csv);
    EXPECT_EQ(outputKindOf("a.txt"), OutputKind::Text);
    EXPECT_EQ(outputKindOf("a.cfg"), std::nullopt);
    EXPECT_EQ(outputKindOf("dir/.osv"), std::nullopt);  // no name before the extension
    EXPECT_EQ(outputKindOf("osv"), std::nullopt);
    EXPECT_EQ(numberedName("out/run.vcd", 0, 1), "out/run.vcd");
    EXPECT_EQ(numberedName("out/run.vcd", 0, 3), "out/run-0.vcd");
    EXPECT_EQ(numberedName("out/run.vcd", 12, 20), "out/run-12.vcd");
}

// Every bad argument: exit code 2, a message on standard error that names the problem,
// nothing on standard output, and no file touched, not even a file already there.
TEST(BadArguments, MessageExitCodeTwoAndNoFileTouched) {
    struct Case {
        std::vector<std::string> args;
        std::string named;  // a part of the message
    };
    const std::vector<Case> cases = {
        {{"--rate", "3MSa", "-o", "x.osv"}, "3MSa"},
        {{"--memory", "64k", "-o", "x.osv"}, "64k"},
        {{"--threshold", "5", "-o", "x.osv"}, "threshold"},
        {{"--trigger-word", "0101", "-o", "x.osv"}, "0101"},
        {{"--condition", "maybe", "-o", "x.osv"}, "maybe"},
        {{"--clock", "external", "-o", "x.osv"}, "external"},
        {{"--trigger-position", "2016", "-o", "x.osv"}, "2015"},
        {{"--memory", "128k", "--trigger-position", "131040", "-o", "x.osv"}, "131039"},
        {{"--trigger-position", "-1", "-o", "x.osv"}, "trigger position"},
        {{"--count", "0", "-o", "x.osv"}, "count"},
        {{"--count", "two", "-o", "x.osv"}, "two"},
        {{"--timeout", "0", "-o", "x.osv"}, "time-out"},
        {{"-o", "x.bin"}, "x.bin"},
        {{"-o", "x.osv", "extra"}, "extra"},
        {{"--no-such-option", "-o", "x.osv"}, "no-such-option"},
        {{"--rate"}, "rate"},
        {{}, "--output"},
    };
    const std::string folder = kvtest::freshFolder("bad-arguments");
    const std::string kept = "the file that was there\n";
    { std::ofstream(folder + "/x.osv") << kept; }
    for (const Case &c : cases) {
        std::string shown;
        for (const auto &a : c.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        const kvtest::ToolResult r = kvtest::runTool(c.args, "usb2", folder);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(kvtest::folderNames(folder), std::vector<std::string>{"x.osv"});
        EXPECT_EQ(kvtest::readAll(folder + "/x.osv"), kept);
    }
}

TEST(BadArguments, UnknownSimulatedUnitIsABadArgumentToo) {
    const std::string folder = kvtest::freshFolder("bad-simulate");
    const kvtest::ToolResult r = kvtest::runTool({"-o", "x.osv"}, "usb3", folder);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("usb3"), std::string::npos) << r.err;
    EXPECT_TRUE(kvtest::folderNames(folder).empty());
}

TEST(Help, HelpNamesEveryOptionAndTheExitCodesVersionTheVersion) {
    const std::string folder = kvtest::freshFolder("help");
    const kvtest::ToolResult help = kvtest::runTool({"--help"}, "none", folder);
    EXPECT_EQ(help.exitCode, 0);
    for (const char *option : {"--list", "--output", "--rate", "--memory", "--threshold",
                               "--trigger-word", "--condition", "--trigger-position", "--clock",
                               "--count", "--timeout", "--force", "--version"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    for (const char *code : {"0 done", "2 bad argument", "3 no unit", "4 time-out",
                             "5 a file could not be written", "6 the unit stopped"}) {
        EXPECT_NE(help.out.find(code), std::string::npos) << code;
    }
    const kvtest::ToolResult version = kvtest::runTool({"--version"}, "none", folder);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("kv6830-capture ", 0), 0u) << version.out;
    EXPECT_TRUE(kvtest::folderNames(folder).empty());
}
