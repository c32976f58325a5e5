// SPDX-License-Identifier: GPL-3.0-or-later
// Compressed zooms (2 to 200 samples a column) on structured signals: single-sample
// pulses on a low line and single-sample gaps on a high line, at periods that share no
// factor with the 8-, 32- and 64-byte loads, slid through every lane of every load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "column_levels.h"
#include "recorder.h"
#include "reference.h"

using namespace kvtest;
using kv::render::kColumnBoth;
using kv::render::kColumnHigh;
using kv::render::kColumnLow;

namespace {

constexpr long kSamplesPerColumn[] = {2, 5, 10, 20, 50, 100, 200};  // zoom 6 .. 12
constexpr int kPeriods[] = {3,  5,  7,  11, 13, 17, 19, 23, 29, 31, 37, 41,
                            43, 47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97};

// Bit 3 of every sample set to `line`, except at sample phase, phase + period, ...
std::vector<uint8_t> pulses(size_t n, int period, int phase, bool line) {
    std::vector<uint8_t> p(n, line ? 0xF8 : 0x07);  // other bits opposite, to be ignored
    for (size_t s = static_cast<size_t>(phase); s < n; s += static_cast<size_t>(period))
        p[s] = line ? 0xF0 : 0x0F;
    return p;
}

// The column levels sample by sample: the definition, nothing clever.
std::vector<uint8_t> byDefinition(const std::vector<uint8_t> &p, long first, long d, int columns) {
    std::vector<uint8_t> out;
    for (int x = 0; x < columns; ++x) {
        const uint8_t level = (p[static_cast<size_t>(first + x * d)] >> 3) & 1;
        uint8_t v = level ? kColumnHigh : kColumnLow;
        for (long s = first + x * d; s <= first + x * d + d; ++s) {
            if (((p[static_cast<size_t>(s)] >> 3) & 1) != level) v = kColumnBoth;
        }
        out.push_back(v);
    }
    return out;
}

using Path = void (*)(const uint8_t *, long, long, int, uint8_t, uint8_t *);

struct NamedPath {
    const char *name;
    Path path;
};

std::vector<NamedPath> paths() {
    std::vector<NamedPath> all = {{"portable", kv::render::columnLevelsPortable},
                                  {"dispatched", kv::render::columnLevels}};
    if (kv::render::avx2Available()) all.push_back({"avx2", kv::render::columnLevelsAvx2});
    return all;
}

kv::render::TrackArgs singleTrack(Recorder &r, const std::vector<uint8_t> &plane, int zoom,
                                  int width, int start) {
    kv::render::TrackArgs a;
    a.dc = r.surface();
    a.plane = plane.data();
    a.start = start;
    a.bit = 3;
    a.zoom = zoom;
    a.width = width;
    a.y0 = 10;
    a.colour = 7;
    a.selector = 33;
    return a;  // u = 6: high at 16, low at 28, a bar from 16 to 29
}

int bars(const Recorder &r) {
    return static_cast<int>(r.only("move").size());
}

}  // namespace

TEST(CompressedColumns, EveryPulseAndGapInEveryLaneAtEveryZoomOnEveryPath) {
    constexpr int kColumns = 48;
    for (const NamedPath &path : paths()) {
        for (const long d : kSamplesPerColumn) {
            const size_t n = static_cast<size_t>(kColumns * d + d + 64 + 1);
            for (const int period : kPeriods) {
                for (const bool line : {false, true}) {
                    const auto plane = pulses(n, period, 0, line);
                    // Sliding the first sample by 0..63 puts each pulse in every lane of
                    // the 8-, 32- and 64-byte loads, and at every place against the
                    // overlapping load at a column's end.
                    for (long first = 0; first < 64; ++first) {
                        std::vector<uint8_t> got(kColumns, 0xAA);
                        path.path(plane.data(), first, d, kColumns, 1u << 3, got.data());
                        ASSERT_EQ(got, byDefinition(plane, first, d, kColumns))
                            << path.name << " d " << d << " period " << period << " line " << line
                            << " first " << first;
                    }
                }
            }
        }
    }
}

TEST(CompressedColumns, DrawLaMatchesThePlainVersionOnPulsesAndGaps) {
    for (int zoom = 6; zoom <= 12; ++zoom) {
        for (const int period : kPeriods) {
            for (const bool line : {false, true}) {
                // The plain version reads width + 50 columns.
                const auto plane = pulses(200 * 180 + 400, period, period / 2, line);
                for (int start = 1; start <= 33; start += 4) {
                    Recorder fast, plain;
                    kv::render::drawTrack(singleTrack(fast, plane, zoom, 120, start));
                    kv::render::drawTrackReference(singleTrack(plain, plane, zoom, 120, start));
                    ASSERT_EQ(fast.calls, plain.calls)
                        << "zoom " << zoom << " period " << period << " start " << start;
                }
            }
        }
    }
}

TEST(CompressedColumns, BarCountsWorkedByHand) {
    // Start 1: column x holds samples 10x .. 10x + 10 at zoom 8. A pulse every 3 samples
    // puts three or four pulses in each of them: 20 columns, 20 bars.
    {
        const auto plane = pulses(400, 3, 0, false);
        Recorder r;
        kv::render::drawTrack(singleTrack(r, plane, 8, 20, 1));
        EXPECT_EQ(bars(r), 20);
        EXPECT_TRUE(r.only("pixel").empty());
    }
    // Zoom 10, 50 samples a column: column x holds 50x .. 50x + 50. Pulses at 0, 97,
    // 194, ..., 970 fall in columns 0, 1, 3, 5, ..., 19 (97k is never a multiple of 50
    // but for k = 0): 11 bars, and the 9 columns 2, 4, ..., 18 are low pixels.
    {
        const auto plane = pulses(1200, 97, 0, false);
        Recorder r;
        kv::render::drawTrack(singleTrack(r, plane, 10, 20, 1));
        EXPECT_EQ(bars(r), 11);
        const auto pixels = r.only("pixel");
        ASSERT_EQ(pixels.size(), 9u);
        for (size_t i = 0; i < pixels.size(); ++i)
            EXPECT_EQ(pixels[i], "pixel " + std::to_string(2 + 2 * i) + " 28 7");
    }
    // Zoom 11, 100 samples a column, gaps on a high line every 37 samples: every column
    // of 101 samples holds two or three of them: 15 bars.
    {
        const auto plane = pulses(2000, 37, 5, true);
        Recorder r;
        kv::render::drawTrack(singleTrack(r, plane, 11, 15, 1));
        EXPECT_EQ(bars(r), 15);
    }
}

TEST(CompressedColumns, Zoom12BarWhereverTheChangeLies) {
    // Column 1 holds samples 200 .. 400 (start 1). One pulse anywhere in it makes it a
    // bar; the shared end samples 200 and 400 make column 0 or column 2 a bar as well.
    for (const bool line : {false, true}) {
        for (int q = 200; q <= 400; ++q) {
            std::vector<uint8_t> plane(1000, line ? 0x08 : 0x00);
            plane[static_cast<size_t>(q)] ^= 0x08;
            Recorder r;
            kv::render::drawTrack(singleTrack(r, plane, 12, 3, 1));
            std::vector<std::string> expected;
            for (int x = 0; x < 3; ++x) {
                const bool bar = x == 1 || (x == 0 && q == 200) || (x == 2 && q == 400);
                if (bar) {
                    expected.push_back("move " + std::to_string(x) + " 16");
                    expected.push_back("line " + std::to_string(x) + " 29");
                } else {
                    expected.push_back("pixel " + std::to_string(x) + (line ? " 16 7" : " 28 7"));
                }
            }
            ASSERT_EQ(r.calls, expected) << "pulse at " << q << " line " << line;
        }
    }
}
