// SPDX-License-Identifier: GPL-3.0-or-later
// The render library against baselines of the same run:
//  - SearchVdata over a 131 072-sample record with no match, against a plain loop that
//    sums the same three planes (goal: at most 3 times the loop);
//  - DrawLa of one 1920-pixel single-channel track of a 128K record into a surface that
//    ignores the calls, zoom 12 against zoom 5 (goal: at most 2 times). The track is drawn
//    as the timing view draws it: the view draws (record length - screen start) x pixels
//    per sample - 10 columns at most, which at zoom 12 is 645 of the 1920. The *_Full
//    cases draw all 1920 columns at zoom 12 over a record four times as long, for
//    information.
//  - the column fold alone, portable path against the AVX2 path, for 1920 columns of D16
//    at zooms 8 and 12 (for information: the vector path has to earn its place).
// The record is the simulated board's capture at 100 MHz.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "column_levels.h"
#include "out47.h"
#include "ratio_reporter.h"
#include "search.h"
#include "simunit/board.h"
#include "track.h"

namespace {

constexpr int kRecord = 131072;

struct Record {
    // Guard room before and after, as the program's capture array keeps it.
    std::vector<uint8_t> planes[3];
    explicit Record(int repeat) {
        const size_t n = static_cast<size_t>(kRecord) * repeat + 8192;
        for (auto &p : planes)
            p.assign(n, 0);
        for (size_t i = 0; i + 4096 < n; ++i) {
            const uint32_t w = kv::sim::boardSample(static_cast<uint64_t>(i % kRecord) * 10);
            planes[0][i + 4096] = static_cast<uint8_t>(w);
            planes[1][i + 4096] = static_cast<uint8_t>(w >> 8);
            planes[2][i + 4096] = static_cast<uint8_t>(w >> 16);
        }
    }
    const uint8_t *plane(int p) const { return planes[p].data() + 4096; }
};

const Record &record() {
    static const Record r(1);
    return r;
}
const Record &longRecord() {
    static const Record r(4);  // for 1920 columns of 200 samples
    return r;
}

void BM_SumThreePlanes(benchmark::State &st) {
    const Record &r = record();
    for (auto _ : st) {
        uint32_t sum = 0;
        for (int i = 0; i < kRecord; ++i)
            sum += r.plane(0)[i] + r.plane(1)[i] + r.plane(2)[i];
        benchmark::DoNotOptimize(sum);
    }
}

void BM_SearchNoMatch(benchmark::State &st) {
    const Record &r = record();
    kv::render::SearchArgs a;
    for (int p = 0; p < 3; ++p)
        a.planes[p] = r.plane(p);
    a.value = 0xFFFFFF;  // D8..D15 all high never occurs on the board
    a.mask = 0;
    a.start = 0;
    a.count = kRecord;
    for (auto _ : st)
        benchmark::DoNotOptimize(kv::render::searchSamples(a));
}

void ignorePixel(void *, int, int, uint32_t) {}
void ignorePoint(void *, int, int) {}
void ignoreText(void *, int, int, const char *, int) {}

// Columns the timing view draws from screen start 0 of a 128K record.
int viewColumns(int zoom) {
    const double pixelsPerSample =
        zoom <= 5 ? kv::render::kZoomSteps[zoom] : 1.0 / kv::render::kZoomSteps[zoom];
    return std::min(1920, static_cast<int>(kRecord * pixelsPerSample - 10));
}

void drawSingle(benchmark::State &st, int zoom, int bit, const Record &r, int width) {
    Out47Surface surface{nullptr, ignorePixel, ignorePoint, ignorePoint, ignoreText};
    kv::render::TrackArgs a;
    a.dc = &surface;
    a.plane = r.plane(bit / 8);
    a.bit = bit % 8;
    a.start = 1;
    a.zoom = zoom;
    a.width = width;
    a.selector = 30 + bit;
    for (auto _ : st)
        kv::render::drawTrack(a);
}

// D0: the counter's lowest bit, a change every 100 samples; D7: every 12 800 samples;
// D16: every 2 samples.
void BM_DrawLa_Zoom5_D0(benchmark::State &st) {
    drawSingle(st, 5, 0, record(), viewColumns(5));
}
void BM_DrawLa_Zoom12_D0(benchmark::State &st) {
    drawSingle(st, 12, 0, record(), viewColumns(12));
}
void BM_DrawLa_Zoom5_D7(benchmark::State &st) {
    drawSingle(st, 5, 7, record(), viewColumns(5));
}
void BM_DrawLa_Zoom12_D7(benchmark::State &st) {
    drawSingle(st, 12, 7, record(), viewColumns(12));
}
void BM_DrawLa_Zoom5_D16(benchmark::State &st) {
    drawSingle(st, 5, 16, record(), viewColumns(5));
}
void BM_DrawLa_Zoom12_D16(benchmark::State &st) {
    drawSingle(st, 12, 16, record(), viewColumns(12));
}
void BM_DrawLa_Zoom12_Full_D0(benchmark::State &st) {
    drawSingle(st, 12, 0, longRecord(), 1920);
}
void BM_DrawLa_Zoom12_Full_D7(benchmark::State &st) {
    drawSingle(st, 12, 7, longRecord(), 1920);
}
void BM_DrawLa_Zoom12_Full_D16(benchmark::State &st) {
    drawSingle(st, 12, 16, longRecord(), 1920);
}

using ColumnsPath = void (*)(const uint8_t *, long, long, int, uint8_t, uint8_t *);

void foldColumns(benchmark::State &st, ColumnsPath path, long d) {
    if (path == kv::render::columnLevelsAvx2 && !kv::render::avx2Available()) {
        st.SkipWithError("no AVX2 on this processor");
        return;
    }
    uint8_t out[1920];
    for (auto _ : st) {
        path(longRecord().plane(2), 0, d, 1920, 1, out);
        benchmark::DoNotOptimize(out);
    }
}
void BM_Fold_Zoom8_Portable(benchmark::State &st) {
    foldColumns(st, kv::render::columnLevelsPortable, 10);
}
void BM_Fold_Zoom8_Avx2(benchmark::State &st) {
    foldColumns(st, kv::render::columnLevelsAvx2, 10);
}
void BM_Fold_Zoom12_Portable(benchmark::State &st) {
    foldColumns(st, kv::render::columnLevelsPortable, 200);
}
void BM_Fold_Zoom12_Avx2(benchmark::State &st) {
    foldColumns(st, kv::render::columnLevelsAvx2, 200);
}

}  // namespace

BENCHMARK(BM_SumThreePlanes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SearchNoMatch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom5_D0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom12_D0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom5_D7)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom12_D7)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom5_D16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom12_D16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom12_Full_D0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom12_Full_D7)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLa_Zoom12_Full_D16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fold_Zoom8_Portable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fold_Zoom8_Avx2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fold_Zoom12_Portable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fold_Zoom12_Avx2)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) {
    return kvbench::runWithRatios(argc, argv,
                                  {{"BM_SearchNoMatch", "BM_SumThreePlanes", 3.0},
                                   {"BM_DrawLa_Zoom12_D0", "BM_DrawLa_Zoom5_D0", 2.0},
                                   {"BM_DrawLa_Zoom12_D7", "BM_DrawLa_Zoom5_D7", 2.0},
                                   {"BM_DrawLa_Zoom12_D16", "BM_DrawLa_Zoom5_D16", 2.0}});
}
