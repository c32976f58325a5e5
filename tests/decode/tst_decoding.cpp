// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding through the installed decoders, from captures built in the test with the bytes
// worked by hand; the text and CSV writers; decoding on a thread of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "captures.h"
#include "decode/annotation_writers.h"
#include "decode/decoder_text.h"
#include "decode/decoding.h"
#include "decode/decoding_session.h"
#include "interop/vcd_writer.h"

using namespace kv::decode;
using kvtest::Capture;

namespace {

// The texts of one row, "UART: RX" and the like, in output order.
std::vector<std::string> rowTexts(const DecodeResult &r, const std::string &title) {
    std::vector<std::string> out;
    for (const auto &a : r.annotations)
        for (const auto &row : r.rows)
            if (row.decoder == a.decoder && row.row == a.row && row.title == title)
                out.push_back(a.text());
    return out;
}

std::vector<Annotation> rowAnnotations(const DecodeResult &r, const std::string &title) {
    std::vector<Annotation> out;
    for (const auto &a : r.annotations)
        for (const auto &row : r.rows)
            if (row.decoder == a.decoder && row.row == a.row && row.title == title)
                out.push_back(a);
    return out;
}

// The byte annotations of the receive row (class 0 of the decoder's classes).
std::vector<Annotation> dataOf(const std::vector<Annotation> &row) {
    std::vector<Annotation> out;
    for (const auto &a : row)
        if (a.annClass == 0) out.push_back(a);
    return out;
}

DecoderStack stackOf(const std::string &text) {
    DecoderTextParse p = parseDecoderText(text, {});
    EXPECT_EQ(p.error, "") << text;
    return p.stack;
}

// "KV" and CR on D11 at 250 000 baud, sampled at 1 MHz: four samples a bit.
struct UartCapture {
    Capture c;
    std::vector<int64_t> frames;
    UartCapture() {
        c.set(11, true);
        c.hold(20);
        for (uint8_t b : {uint8_t('K'), uint8_t('V'), uint8_t('\r')}) {
            frames.push_back(kvtest::uartByte(c, 11, 4, b));
            c.hold(6);
        }
        c.hold(20);
    }
};

}  // namespace

TEST(Decoding, UartBytesAndWhereTheyLie) {
    ASSERT_EQ(initialise(), "");
    UartCapture u;
    DecodeResult r = decodeWords(stackOf("uart:rx=D11,baudrate=250000"), u.c.words.data(),
                                 int64_t(u.c.words.size()), 1'000'000);
    ASSERT_EQ(r.error, "");
    // Each frame: its start bit, the byte ('K' = 0x4B, 'V' = 0x56, CR = 0x0D), its stop bit.
    EXPECT_EQ(rowTexts(r, "UART: RX"),
              (std::vector<std::string>{"Start bit", "4B", "Stop bit", "Start bit", "56",
                                        "Stop bit", "Start bit", "0D", "Stop bit"}));
    // Each byte covers its eight data bits: from the end of the start bit (frame + 4) to the
    // start of the stop bit (frame + 36), give or take the half bit the decoder samples at.
    auto data = dataOf(rowAnnotations(r, "UART: RX"));
    ASSERT_EQ(data.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(double(data[i].start), double(u.frames[i] + 4), 2.0);
        EXPECT_NEAR(double(data[i].end), double(u.frames[i] + 36), 2.0);
    }
    // At half the baud rate a frame is read as other bits: the bytes are gone.
    DecodeResult slow = decodeWords(stackOf("uart:rx=D11,baudrate=125000"), u.c.words.data(),
                                    int64_t(u.c.words.size()), 1'000'000);
    ASSERT_EQ(slow.error, "");
    auto slowTexts = rowTexts(slow, "UART: RX");
    EXPECT_EQ(std::count(slowTexts.begin(), slowTexts.end(), "4B"), 0);
    // The same capture from the planes of a data set, started two samples in.
    std::vector<uint8_t> p0, p1, p2;
    for (uint32_t w : u.c.words) {
        p0.push_back(uint8_t(w));
        p1.push_back(uint8_t(w >> 8));
        p2.push_back(uint8_t(w >> 16));
    }
    DecodeResult fromPlanes =
        decodePlanes(stackOf("uart:rx=D11,baudrate=250000"), {p0.data(), p1.data(), p2.data()}, 2,
                     int64_t(p0.size()) - 2, 1'000'000);
    auto planeData = dataOf(rowAnnotations(fromPlanes, "UART: RX"));
    ASSERT_EQ(planeData.size(), 3u);
    EXPECT_EQ(planeData[0].start, data[0].start - 2);
}

TEST(Decoding, SpiMode0BytesOnClockAndData) {
    Capture c;
    c.hold(8);
    kvtest::spiByte(c, 8, 9, 0xA5, 2);
    c.hold(8);
    kvtest::spiByte(c, 8, 9, 0x3C, 2);
    c.hold(8);
    DecodeResult r = decodeWords(stackOf("spi:clk=D8,mosi=D9"), c.words.data(),
                                 int64_t(c.words.size()), 1'000'000);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(rowTexts(r, "SPI: MOSI data"), (std::vector<std::string>{"A5", "3C"}));
    // Sampled on the falling edge instead (clock phase 1), each bit is read half a bit late:
    // 0xA5 = 1010 0101 shifts to x101 0010 1, so the first byte is no longer A5.
    DecodeResult late = decodeWords(stackOf("spi:clk=D8,mosi=D9,cpha=1"), c.words.data(),
                                    int64_t(c.words.size()), 1'000'000);
    auto lateTexts = rowTexts(late, "SPI: MOSI data");
    ASSERT_FALSE(lateTexts.empty());
    EXPECT_NE(lateTexts.front(), "A5");
}

TEST(Decoding, I2cAddressWriteAndData) {
    Capture c;
    // 0xA0 = address 0x50 with the write bit, then the data byte 0x3C. The decoder marks the
    // direction bit ("Write") before the address it ends.
    kvtest::i2cTransfer(c, 0, 1, {0xA0, 0x3C}, 2);
    DecodeResult r = decodeWords(stackOf("i2c:scl=D0,sda=D1"), c.words.data(),
                                 int64_t(c.words.size()), 1'000'000);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(rowTexts(r, "I²C: Address/Data"),
              (std::vector<std::string>{"Start", "Write", "Address write: 50", "ACK",
                                        "Data write: 3C", "ACK", "Stop"}));
}

TEST(Decoding, ChannelsMappedByTheirNames) {
    std::array<std::string, 24> names{};
    names[4] = "scl";
    names[7] = "S D A";
    DecoderTextParse p = parseDecoderText("i2c", names);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.stack[0].channels, (std::map<std::string, int>{{"scl", 4}, {"sda", 7}}));
    Capture c;
    kvtest::i2cTransfer(c, 4, 7, {0xA1}, 2);  // address 0x50, read
    DecodeResult r = decodeWords(p.stack, c.words.data(), int64_t(c.words.size()), 1'000'000);
    auto texts = rowTexts(r, "I²C: Address/Data");
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[1], "Read");
    EXPECT_EQ(texts[2], "Address read: 50");
}

TEST(Writers, TextAsTheCommandLineFrontEndPrintsIt) {
    // The same capture written as VCD and decoded by the decoding library's own front end.
    UartCapture u;
    std::vector<uint8_t> p0, p1, p2;
    for (uint32_t w : u.c.words) {
        p0.push_back(uint8_t(w));
        p1.push_back(uint8_t(w >> 8));
        p2.push_back(uint8_t(w >> 16));
    }
    kv::interop::SampleSet set;
    set.planes = {p0.data(), p1.data(), p2.data()};
    set.count = int64_t(p0.size());
    set.periodPs = 1'000'000;  // 1 us
    set.channelNames = kv::interop::defaultChannelNames();
    auto dir = std::filesystem::temp_directory_path() / ("kvdecode-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto vcd = dir / "uart.vcd";
    {
        std::ofstream out(vcd);
        kv::interop::writeVcd(out, set, {.groupVectors = false});
    }
    std::string command = std::string(KV_SIGROK_CLI) + " -i " + vcd.string() +
                          " -P uart:rx=Chan_D_11:baudrate=250000 2>&1";
    std::string theirs;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
            theirs.append(buffer, n);
        pclose(pipe);
    }
    std::filesystem::remove_all(dir);

    DecodeResult r =
        decodePlanes(stackOf("uart:rx=D11,baudrate=250000"), set.planes, 0, set.count, 1'000'000);
    std::ostringstream ours;
    writeAnnotationsText(ours, r);
    EXPECT_NE(ours.str().find("uart-1: 4B\n"), std::string::npos) << ours.str();
    EXPECT_EQ(ours.str(), theirs);
}

TEST(Writers, CsvTimesFromTheTriggerAndQuotedTexts) {
    DecodeResult r;
    r.rows = {{0, 0, "uart", "UART: RX"}, {0, 1, "uart", "UART: RX warnings"}};
    r.annotations = {{10, 14, 0, 0, 0, {"4B", "K"}}, {2, 3, 0, 0, 1, {"Frame error, \"bad\""}}};
    std::ostringstream out;
    // Trigger at sample 4, samples 1 us apart.
    writeAnnotationsCsv(out, r, 4, 1'000'000);
    EXPECT_EQ(
        out.str(),
        "Time (s),End (s),Decoder,Row,Text\n"
        "0.000006000000,0.000010000000,uart,UART: RX,4B\n"
        "-0.000002000000,-0.000001000000,uart,UART: RX warnings,\"Frame error, \"\"bad\"\"\"\n");
}

TEST(Session, DecodesOffTheCallersThreadAndDropsACancelledRun) {
    UartCapture u;
    std::vector<uint8_t> p0, p1, p2;
    for (uint32_t w : u.c.words) {
        p0.push_back(uint8_t(w));
        p1.push_back(uint8_t(w >> 8));
        p2.push_back(uint8_t(w >> 16));
    }
    std::promise<std::pair<int, std::vector<DecodeResult>>> promise;
    auto future = promise.get_future();
    DecodingSession session;
    // A long run (the capture repeated) is started and replaced at once; only the second
    // run reports.
    std::vector<uint8_t> long0(1 << 20, 0xFF), long1(1 << 20, 0xFF), long2(1 << 20, 0xFF);
    int calls = 0;
    session.start({stackOf("uart:rx=D11,baudrate=250000")},
                  {long0.data(), long1.data(), long2.data()}, 0, int64_t(long0.size()), 1'000'000,
                  [&](int, std::vector<DecodeResult>) { ++calls; });
    int second = session.start(
        {stackOf("uart:rx=D11,baudrate=250000"), stackOf("uart:rx=D11,baudrate=125000")},
        {p0.data(), p1.data(), p2.data()}, 0, int64_t(p0.size()), 1'000'000,
        [&](int generation, std::vector<DecodeResult> results) {
            promise.set_value({generation, std::move(results)});
        });
    ASSERT_EQ(future.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    auto [generation, results] = future.get();
    EXPECT_EQ(generation, second);
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(results.size(), 2u);
    auto bytes = dataOf(rowAnnotations(results[0], "UART: RX"));
    ASSERT_EQ(bytes.size(), 3u);
    EXPECT_EQ(bytes[2].text(), "0D");
    // At 125 000 baud the second stack reads other bytes.
    auto slow = dataOf(rowAnnotations(results[1], "UART: RX"));
    EXPECT_TRUE(slow.empty() || slow[0].text() != "4B");
}
