// SPDX-License-Identifier: GPL-3.0-or-later
// "Find all" over a 128K data set with 10 000 hits, against one SearchVdata call that
// scans the whole record (a word that nothing matches), in the same run.
//  - BM_FindAllFill: the whole list, in the window's steps, into the list model.
//  - BM_FindAllStep: one step of the fill, the longest the window waits between events.
// Goals: the whole list within 60 full scans (the scan is vectorised and the list makes a
// row of text per hit), one step within 2, so the window answers between steps as fast
// as a single search answers.
#include <benchmark/benchmark.h>

#include <vector>

#include "dialogs/search_window.h"
#include "out47.h"
#include "ratio_reporter.h"

namespace {

constexpr int32_t kLength = 128 * 1024;

// Planes with a moving background and D23..D16 = 0x5A at every thirteenth sample.
struct DataSet {
    std::vector<uint8_t> planes[3];
    DataSet() {
        for (int p = 0; p < 3; ++p)
            planes[p].resize(kLength + 64);
        for (int32_t q = 0; q < kLength; ++q) {
            const auto i = static_cast<size_t>(q);
            planes[0][i] = static_cast<uint8_t>(q);
            planes[1][i] = static_cast<uint8_t>(q >> 8);
            planes[2][i] = q % 13 == 0 && q / 13 < 10000 ? 0x5A : static_cast<uint8_t>(q & 0x0F);
        }
    }
};

const DataSet &data() {
    static const DataSet d;
    return d;
}

const kv::app::SearchMasks kMasks = kv::app::searchMasks("01011010xxxxxxxxxxxxxxxx");

void BM_SearchVdataFullScan(benchmark::State &state) {
    const DataSet &d = data();
    const int32_t origin = 0;
    for (auto _ : state) {
        uint32_t pattern[2] = {0xFFFFFFu, 0};  // all 24 channels high: never on this data
        int32_t positions[4] = {0, 0, 0, 0};
        SearchVdata(reinterpret_cast<intptr_t>(d.planes[0].data()),
                    reinterpret_cast<intptr_t>(d.planes[1].data()),
                    reinterpret_cast<intptr_t>(d.planes[2].data()), pattern, 0, 0, &origin,
                    positions, kLength);
        benchmark::DoNotOptimize(positions[3]);
    }
}
BENCHMARK(BM_SearchVdataFullScan);

void BM_FindAllFill(benchmark::State &state) {
    const DataSet &d = data();
    kv::app::HitListModel model([](int32_t) { return std::string(); }, nullptr);
    size_t hits = 0;
    for (auto _ : state) {
        model.clear();
        kv::app::SampleHitScan scan(d.planes[0].data(), d.planes[1].data(), d.planes[2].data(),
                                    kLength, kMasks);
        bool done = false;
        while (!done) {
            std::vector<kv::app::HitRow> rows;
            done = scan.step(kv::app::SearchWindow::kFillStep, rows);
            model.append(std::move(rows));
        }
        hits = static_cast<size_t>(model.rowCount());
    }
    if (hits != 10000) state.SkipWithError("expected 10 000 hits");
}
BENCHMARK(BM_FindAllFill);

void BM_FindAllStep(benchmark::State &state) {
    const DataSet &d = data();
    kv::app::HitListModel model([](int32_t) { return std::string(); }, nullptr);
    for (auto _ : state) {
        kv::app::SampleHitScan scan(d.planes[0].data(), d.planes[1].data(), d.planes[2].data(),
                                    kLength, kMasks);
        std::vector<kv::app::HitRow> rows;
        scan.step(kv::app::SearchWindow::kFillStep, rows);
        model.append(std::move(rows));
        state.PauseTiming();
        model.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FindAllStep);

}  // namespace

int main(int argc, char **argv) {
    return kvbench::runWithRatios(argc, argv,
                                  {{"BM_FindAllFill", "BM_SearchVdataFullScan", 60.0},
                                   {"BM_FindAllStep", "BM_SearchVdataFullScan", 2.0}});
}
