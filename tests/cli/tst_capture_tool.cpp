// SPDX-License-Identifier: GPL-3.0-or-later
// kv6830-capture against the simulated unit on USB and EPP: a triggered capture checked
// against the demonstration board's documented signals and against the same capture made
// here through the libraries, and every exit code.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/capture_run.h"
#include "core/library_device.h"
#include "core/render_library.h"
#include "core/trigger_word.h"
#include "platform/tick.h"
#include "tool_process.h"

namespace {

// D7..D0 count once per microsecond; at 1 MSa each sample is one count on. The trigger
// word waits for the count 0x10 while D15..D12 send byte 0 of a frame: the count comes
// every 256 us, the byte every 320 us, so the two meet at one point of the board's cycle
// and every capture holds the same samples.
constexpr const char *kWord = "XXXXXXXX 0000XXXX 00010000";
const std::vector<std::string> kTriggered = {
    "--rate",  "1MSa", "--trigger-word", kWord, "-o",     "run.osv", "-o",
    "run.vcd", "-o",   "run.csv",        "-o",  "run.txt"};

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The CSV row's channel values D0 first as a number: "t,1,0,0,0,1,..." -> 0x11.
int rowValue(const std::string &row, int channels) {
    std::istringstream in(row);
    std::string cell;
    std::getline(in, cell, ',');  // the time
    int value = 0;
    for (int n = 0; n < channels && std::getline(in, cell, ','); ++n)
        if (cell == "1") value |= 1 << n;
    return value;
}

void expectTheTriggeredCapture(const std::string &folder) {
    EXPECT_EQ(kvtest::folderNames(folder),
              (std::vector<std::string>{"run.cfg", "run.csv", "run.osv", "run.txt", "run.vcd"}));
    // The data file: ten records of the 2k data file length, 2016 bytes.
    const std::string data = kvtest::readAll(folder + "/run.osv");
    ASSERT_EQ(data.size(), 10u * 2016u);
    for (size_t i = 1; i < 2016; ++i) {
        ASSERT_EQ(static_cast<uint8_t>(data[i]), static_cast<uint8_t>(data[i - 1] + 1))
            << "sample " << i;
    }
    // The CSV: a header, then the samples from the capture's trigger offset on; the row at
    // time 0 is the trigger sample, the first count 0x10, the row before it 0x0F.
    const std::vector<std::string> csv = lines(kvtest::readAll(folder + "/run.csv"));
    ASSERT_GT(csv.size(), 100u);
    EXPECT_EQ(csv[0].rfind("Time (s),", 0), 0u);
    size_t zero = 0;
    for (size_t i = 1; i < csv.size(); ++i) {
        if (csv[i].rfind("0.000000000000,", 0) == 0) zero = i;
    }
    ASSERT_GT(zero, 1u);
    EXPECT_EQ(rowValue(csv[zero], 8), 0x10);
    EXPECT_EQ(rowValue(csv[zero], 16) >> 12, 0);
    EXPECT_EQ(rowValue(csv[zero - 1], 8), 0x0F);
    EXPECT_EQ(csv[zero - 1].rfind("-0.000001000000,", 0), 0u) << csv[zero - 1];
    // The text table: a header and one line per sample of the 2k record.
    const std::vector<std::string> table = lines(kvtest::readAll(folder + "/run.txt"));
    ASSERT_EQ(table.size(), 2049u);
    EXPECT_EQ(table[0], "Position   D23-16     D15-8      D7-0\r");
    // The VCD: a wire per channel and the trigger at time 0.
    const std::string vcd = kvtest::readAll(folder + "/run.vcd");
    EXPECT_NE(vcd.find("$timescale 1 us $end"), std::string::npos);
    EXPECT_NE(vcd.find("$var wire 1"), std::string::npos);
    // The settings file names the rate and the trigger word.
    const std::string settings = kvtest::readAll(folder + "/run.cfg");
    EXPECT_NE(settings.find(kWord), std::string::npos);
}

// The same triggered capture made here through the libraries, with the program's capture
// run and the settings the tool was given, written as the program writes them.
struct LibraryCapture {
    std::string data;
};

LibraryCapture captureThroughTheLibraries() {
    using namespace kv::app;
    LibraryDevice device([](const std::string &why) { ADD_FAILURE() << why; });
    RenderLibrary render([](const std::string &why) { ADD_FAILURE() << why; });
    ProgramState state;
    state.setDefaultTables();
    state.capture.allocate(1);
    state.highestViewIndex = 0;
    state.settings.rateCode = 10;  // 1MSa(1us)
    state.samplePeriodPs = 1e6;
    state.settings.captureMode = 0;
    state.settings.triggerWord = kWord;
    rebuildTriggerWordChars(state.settings.triggerWord, state.triggerWordChars);
    state.recordLength = 2048;
    state.lastStart = 2016;
    const uint8_t found = device.findBoard1(0x3BC, state.selectionBlock.data(),
                                            state.stateBlock.data(), state.furtherBlock.data(), 1);
    EXPECT_EQ(found, 4);  // on USB
    RunHooks hooks;
    hooks.tick = [] { return kv::platform::tickMs(); };
    CaptureRun run(state, device, hooks);
    run.run();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (run.step() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(run.nextStepDelayMs()));
    LibraryCapture c;
    const std::string path = kvtest::freshFolder("libraries") + "/direct.osv";
    auto save = render.saveData();
    EXPECT_EQ(save(state.capture.plane(0, 0), state.lastStart, path.c_str()), 0);
    c.data = kvtest::readAll(path);
    return c;
}

}  // namespace

TEST(TriggeredCapture, OnUsbAndEppTheFilesHoldTheBoardAndMatchTheLibraries) {
    const std::string usb = kvtest::freshFolder("usb");
    const kvtest::ToolResult r = kvtest::runTool(kTriggered, "usb2", usb);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");  // no terminal: no progress line
    expectTheTriggeredCapture(usb);

    const std::string epp = kvtest::freshFolder("epp");
    const kvtest::ToolResult e = kvtest::runTool(kTriggered, "epp:0x378", epp);
    ASSERT_EQ(e.exitCode, 0) << e.err;
    expectTheTriggeredCapture(epp);
    // The board repeats and the trigger fixes the phase: both links capture the same.
    for (const char *name : {"run.osv", "run.cfg", "run.vcd", "run.csv", "run.txt"}) {
        EXPECT_EQ(kvtest::readAll(usb + "/" + name), kvtest::readAll(epp + "/" + name)) << name;
    }

    ::setenv("KV6830_SIMULATE", "usb2", 1);
    const LibraryCapture direct = captureThroughTheLibraries();
    EXPECT_EQ(direct.data, kvtest::readAll(usb + "/run.osv"));
}

TEST(Series, CountNumbersTheFilesOfEachCapture) {
    const std::string folder = kvtest::freshFolder("series");
    const kvtest::ToolResult r =
        kvtest::runTool({"-n", "3", "-o", "s.txt", "-o", "s.osv"}, "usb2", folder);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(kvtest::folderNames(folder),
              (std::vector<std::string>{"s-0.cfg", "s-0.osv", "s-0.txt", "s-1.cfg", "s-1.osv",
                                        "s-1.txt", "s-2.cfg", "s-2.osv", "s-2.txt"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines(kvtest::readAll(folder + "/s-" + std::to_string(i) + ".txt")).size(),
                  2049u);
    }
}

TEST(ExitCodes, ListNamesTheUnitOrExitsThree) {
    const std::string folder = kvtest::freshFolder("list");
    const kvtest::ToolResult usb = kvtest::runTool({"--list"}, "usb2", folder);
    EXPECT_EQ(usb.exitCode, 0) << usb.err;
    EXPECT_NE(usb.out.find("USB"), std::string::npos) << usb.out;
    EXPECT_NE(usb.out.find("2.0"), std::string::npos) << usb.out;
    const kvtest::ToolResult epp = kvtest::runTool({"--list"}, "epp:0x278", folder);
    EXPECT_EQ(epp.exitCode, 0) << epp.err;
    EXPECT_NE(epp.out.find("0x278"), std::string::npos) << epp.out;
    EXPECT_NE(epp.out.find("Epp"), std::string::npos) << epp.out;
    const kvtest::ToolResult none = kvtest::runTool({"--list"}, "none", folder);
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_EQ(none.out, "");
    EXPECT_TRUE(kvtest::folderNames(folder).empty());
}

TEST(ExitCodes, NoUnitIsThreeAndWritesNothing) {
    const std::string folder = kvtest::freshFolder("no-unit");
    const kvtest::ToolResult r = kvtest::runTool({"-o", "run.osv"}, "none", folder);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("no unit"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Cancel"), std::string::npos) << r.err;  // the window's offer
    EXPECT_TRUE(kvtest::folderNames(folder).empty());
}

TEST(ExitCodes, TimeOutIsFourUnlessTheTriggerIsForced) {
    const std::string folder = kvtest::freshFolder("time-out");
    const std::vector<std::string> args = {
        "--trigger-word", "XXXXXXXXXXXXXXXX00010000", "--timeout", "1", "-o", "run.vcd"};
    const auto start = std::chrono::steady_clock::now();
    const kvtest::ToolResult r = kvtest::runTool(args, "usb2,never-trigger", folder);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("no trigger within 1 s"), std::string::npos) << r.err;
    EXPECT_GE(took, std::chrono::milliseconds(1000));
    EXPECT_TRUE(kvtest::folderNames(folder).empty());

    std::vector<std::string> forced = args;
    forced.push_back("--force");
    const kvtest::ToolResult f = kvtest::runTool(forced, "usb2,never-trigger", folder);
    EXPECT_EQ(f.exitCode, 0) << f.err;
    EXPECT_EQ(kvtest::folderNames(folder), std::vector<std::string>{"run.vcd"});
}

TEST(ExitCodes, WriteFailureIsFiveAndKeepsTheFileThatWasThere) {
    const std::string folder = kvtest::freshFolder("write-failure");
    // A folder that is not there: found before the unit is asked.
    const kvtest::ToolResult missing = kvtest::runTool({"-o", "gone/run.osv"}, "usb2", folder);
    EXPECT_EQ(missing.exitCode, 5);
    EXPECT_NE(missing.err.find("gone"), std::string::npos) << missing.err;
    EXPECT_TRUE(kvtest::folderNames(folder).empty());
    // A read-only file among the outputs: refused, and left as it was.
    { std::ofstream(folder + "/run.txt") << "kept\n"; }
    ::chmod((folder + "/run.txt").c_str(), 0444);
    const kvtest::ToolResult readOnly =
        kvtest::runTool({"-o", "run.vcd", "-o", "run.txt"}, "usb2", folder);
    EXPECT_EQ(readOnly.exitCode, 5);
    EXPECT_NE(readOnly.err.find("run.txt"), std::string::npos) << readOnly.err;
    EXPECT_EQ(kvtest::readAll(folder + "/run.txt"), "kept\n");
    // The data file's settings companion counts as an output too.
    ::chmod((folder + "/run.txt").c_str(), 0644);
    std::filesystem::remove(folder + "/run.txt");
    std::filesystem::create_directory(folder + "/pair.cfg");
    const kvtest::ToolResult companion = kvtest::runTool({"-o", "pair.osv"}, "usb2", folder);
    EXPECT_EQ(companion.exitCode, 5);
    EXPECT_NE(companion.err.find("pair.cfg"), std::string::npos) << companion.err;
    EXPECT_FALSE(std::filesystem::exists(folder + "/pair.osv"));
}

TEST(ExitCodes, UnitLostDuringTheCaptureIsSix) {
    const std::string folder = kvtest::freshFolder("unit-lost");
    const kvtest::ToolResult r =
        kvtest::runTool({"--trigger-word", "XXXXXXXXXXXXXXXX00010000", "-o", "run.osv"},
                        "usb2,never-trigger,unplug-after=500", folder);
    EXPECT_EQ(r.exitCode, 6);
    EXPECT_NE(r.err.find("no longer answers"), std::string::npos) << r.err;
    EXPECT_TRUE(kvtest::folderNames(folder).empty());
}

TEST(ExitCodes, MissingLibraryIsOne) {
    // The tool alone in a folder, with no libraries beside it.
    const std::string folder = kvtest::freshFolder("alone");
    std::filesystem::create_directories(folder + "/bin");
    const std::string tool = folder + "/bin/kv6830-capture";
    std::filesystem::copy_file(KV_CAPTURE_TOOL, tool);
    const kvtest::ToolResult r = kvtest::runTool({"-o", "run.osv"}, "usb2", folder, tool);
    if (r.exitCode == 0) GTEST_SKIP() << "the libraries are installed on this system";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("libkv68dll.so"), std::string::npos) << r.err;
    EXPECT_EQ(kvtest::folderNames(folder), std::vector<std::string>{"bin"});
}
