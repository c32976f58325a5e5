// SPDX-License-Identifier: GPL-3.0-or-later
// kv6830-capture --decode: the demonstration board's serial text through the tool, read
// the way sigrok-cli reads the tool's own VCD of the same capture; annotation files and
// decoders the tool refuses.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <sstream>

#include "tool_process.h"

namespace {

const std::vector<std::string> kUart = {"--decode", "uart:rx=D11,baudrate=250000"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string commandOutput(const std::string &command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

}  // namespace

TEST(DecodeTool, UartTextAsSigrokCliReadsTheToolsVcd) {
    const std::string folder = kvtest::freshFolder("decode-uart");
    const auto r = kvtest::runTool(
        with({"--rate", "1MSa", "-o", "run.vcd", "--vcd-channels-only"}, kUart), "usb2", folder);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The board sends "KV-6830 board!" CR LF over and over at 250 kbaud: 40 us a byte, so
    // the 2048 samples at 1 MSa hold about 51 bytes, three whole lines.
    std::string text;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        // A data byte: "uart-1: " and two hexadecimal digits.
        const std::string prefix = "uart-1: ";
        if (line.size() == prefix.size() + 2 && line.rfind(prefix, 0) == 0 &&
            std::isxdigit(static_cast<unsigned char>(line[8])) &&
            std::isxdigit(static_cast<unsigned char>(line[9])))
            text += static_cast<char>(std::stoi(line.substr(8), nullptr, 16));
    }
    EXPECT_NE(text.find("KV-6830 board!\r\nKV-6830 board!\r\n"), std::string::npos) << text;
    const std::string sigrok = commandOutput("cd '" + folder +
                                             "' && sigrok-cli -i run.vcd -P "
                                             "uart:rx=Chan_D_11:baudrate=250000 2>&1");
    EXPECT_EQ(r.out, sigrok);
}

TEST(DecodeTool, AnnotationFilesAndDecodersRefused) {
    const std::string folder = kvtest::freshFolder("decode-files");
    auto r = kvtest::runTool(with({"--rate", "1MSa", "-n", "2", "--annotations", "ann.csv"}, kUart),
                             "usb2", folder);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(kvtest::folderNames(folder), (std::vector<std::string>{"ann-0.csv", "ann-1.csv"}));
    EXPECT_EQ(
        kvtest::readAll(folder + "/ann-0.csv").rfind("Time (s),End (s),Decoder,Row,Text\n", 0), 0u);

    const std::string empty = kvtest::freshFolder("decode-refused");
    for (const auto &arguments : std::vector<std::vector<std::string>>{
             {"--decode", "nosuchdecoder:rx=D1", "-o", "run.vcd"},
             {"--decode", "uart:rx=D24", "-o", "run.vcd"},
             {"--decode", "uart:rx=D11,baudrate=fast", "-o", "run.vcd"},
             with({"--annotations", "ann.pdf"}, kUart),
             {"--annotations", "ann.txt", "-o", "run.vcd"}}) {
        r = kvtest::runTool(arguments, "usb2", empty);
        EXPECT_EQ(r.exitCode, 2) << arguments[1] << ": " << r.err;
        EXPECT_NE(r.err, "") << arguments[1];
    }
    EXPECT_TRUE(kvtest::folderNames(empty).empty());
}
