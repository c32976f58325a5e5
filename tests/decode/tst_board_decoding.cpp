// SPDX-License-Identifier: GPL-3.0-or-later
// The demonstration board's serial lines read by the standard decoders as its text.
#include <gtest/gtest.h>

#include "decode/decoder_text.h"
#include "decode/decoding.h"
#include "simunit/board.h"

using namespace kv::decode;

namespace {

// The bytes of the data annotations (class `dataClass`) of the decoder, as characters.
std::string textOf(const DecodeResult &r, int dataClass) {
    std::string out;
    for (const auto &a : r.annotations)
        if (a.annClass == dataClass) out += char(std::stoi(a.text(), nullptr, 16));
    return out;
}

std::vector<uint32_t> boardCapture(uint64_t periodNs, int samples) {
    std::vector<uint32_t> words;
    for (int s = 0; s < samples; ++s)
        words.push_back(kv::sim::boardSample(uint64_t(s) * periodNs));
    return words;
}

}  // namespace

TEST(BoardDecoding, AsynchronousLineReadsTheBoardText) {
    // 128K samples at 10 MHz: 13 ms, two of the board's 6.4 ms periods.
    auto words = boardCapture(100, 128 * 1024);
    DecodeResult r = decodeWords(parseDecoderText("uart:rx=D11,baudrate=250000", {}).stack,
                                 words.data(), int64_t(words.size()), 10'000'000);
    ASSERT_EQ(r.error, "");
    EXPECT_NE(textOf(r, 0).find("KV-6830 board!\r\nKV-6830 board!\r\n"), std::string::npos)
        << textOf(r, 0);
}

TEST(BoardDecoding, SynchronousLinesReadTheBoardText) {
    auto words = boardCapture(100, 128 * 1024);
    DecodeResult r = decodeWords(parseDecoderText("spi:clk=D8,mosi=D9,cs=D10", {}).stack,
                                 words.data(), int64_t(words.size()), 10'000'000);
    ASSERT_EQ(r.error, "");
    EXPECT_NE(textOf(r, 1).find("KV-6830 board!\r\nKV-6830 board!\r\n"), std::string::npos)
        << textOf(r, 1);
}
