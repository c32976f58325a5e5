// SPDX-License-Identifier: GPL-3.0-or-later
// A decoder that raises a Python error: the run reports it naming the decoder, and the next
// run with a sound decoder works.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "captures.h"
#include "decode/decoder_text.h"
#include "decode/decoding.h"

using namespace kv::decode;

TEST(DecoderError, RaisingDecoderIsNamedAndTheNextRunWorks) {
    auto dir =
        std::filesystem::temp_directory_path() / ("kvdecoders-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "kvraise");
    std::ofstream(dir / "kvraise" / "__init__.py")
        << "'''Fails on the first edge.'''\nfrom .pd import Decoder\n";
    std::ofstream(dir / "kvraise" / "pd.py")
        << "import sigrokdecode as srd\n"
           "class Decoder(srd.Decoder):\n"
           "    api_version = 3\n"
           "    id = 'kvraise'\n"
           "    name = 'Raise'\n"
           "    longname = 'Raises an error'\n"
           "    desc = 'Fails on the first edge.'\n"
           "    license = 'gplv2+'\n"
           "    inputs = ['logic']\n"
           "    outputs = []\n"
           "    channels = ({'id': 'data', 'name': 'Data', 'desc': 'Data line'},)\n"
           "    annotations = (('note', 'Note'),)\n"
           "    def start(self):\n"
           "        self.out_ann = self.register(srd.OUTPUT_ANN)\n"
           "    def reset(self):\n"
           "        pass\n"
           "    def decode(self):\n"
           "        self.wait({0: 'e'})\n"
           "        self.put(0, 1, self.out_ann, [0, ['before']])\n"
           "        raise ValueError('edge at sample %d' % self.samplenum)\n";
    ASSERT_EQ(initialise(dir.string()), "");
    ASSERT_NE(findDecoder("kvraise"), nullptr);

    kvtest::Capture c;
    c.hold(10);
    c.set(5, true);
    c.hold(10);
    DecoderTextParse p = parseDecoderText("kvraise:data=D5", {});
    ASSERT_EQ(p.error, "");
    DecodeResult r = decodeWords(p.stack, c.words.data(), int64_t(c.words.size()), 1'000'000);
    EXPECT_EQ(r.error.rfind("Decoder kvraise: ", 0), 0u) << r.error;
    EXPECT_NE(r.error.find("edge at sample 10"), std::string::npos) << r.error;
    EXPECT_TRUE(r.annotations.empty());

    kvtest::Capture u;
    u.set(2, true);
    u.hold(8);
    kvtest::uartByte(u, 2, 4, 'A');
    u.hold(8);
    DecodeResult ok = decodeWords(parseDecoderText("uart:rx=D2,baudrate=250000", {}).stack,
                                  u.words.data(), int64_t(u.words.size()), 1'000'000);
    EXPECT_EQ(ok.error, "");
    bool seen = false;
    for (const auto &a : ok.annotations)
        seen = seen || a.text() == "41";
    EXPECT_TRUE(seen);
    std::filesystem::remove_all(dir);
}
