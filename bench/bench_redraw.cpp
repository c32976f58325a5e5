// SPDX-License-Identifier: GPL-3.0-or-later
// Redraw all views: ten views of 28 tracks (4 bus tracks, 24 channels), 1920-pixel
// pictures, the simulated board's 128K capture, at "Magnify 1/200" and "Magnify 1".
// Goal: a redraw of all ten views within one 60 Hz frame (16.7 ms). Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bin/bench_redraw
#include <benchmark/benchmark.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>

#include "core/program_state.h"
#include "simunit/board.h"
#include "timing/view_drawing.h"
#include "timing/view_model.h"

namespace {

struct Scene {
    kv::app::ProgramState state;
    std::unique_ptr<kv::app::RenderLibrary> render;
    std::vector<QImage> pictures;

    Scene() {
        state.setDefaultTables();
        state.highestViewIndex = 9;
        state.capture.allocate(10);
        state.settings.memoryDepthIndex = 1;
        kv::app::applyMemoryDepth(state);
        for (int set = 0; set < 10; ++set) {
            uint8_t *p[3] = {state.capture.plane(set, 0), state.capture.plane(set, 1),
                             state.capture.plane(set, 2)};
            for (int i = 0; i < 131071; ++i) {
                const uint32_t w = kv::sim::boardSample(static_cast<uint64_t>(i) * 10);
                p[0][i] = static_cast<uint8_t>(w);
                p[1][i] = static_cast<uint8_t>(w >> 8);
                p[2][i] = static_cast<uint8_t>(w >> 16);
            }
        }
        render = std::make_unique<kv::app::RenderLibrary>(
            [](const std::string &e) { std::fprintf(stderr, "%s\n", e.c_str()); });
        for (int v = 0; v < 10; ++v) {
            state.views[static_cast<size_t>(v)].open = true;
            state.views[static_cast<size_t>(v)].dataSet = v;
            pictures.emplace_back(1920, 820, QImage::Format_RGB32);
        }
    }

    void redrawAll() {
        const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        for (int v = 0; v < 10; ++v) {
            kv::app::DrawContext c{state, *render, pictures[static_cast<size_t>(v)], font, 0,
                                   1920,  false};
            kv::app::drawView(c, v);
        }
    }
};

Scene &scene() {
    static Scene s;
    return s;
}

void redraw(benchmark::State &st, int zoom) {
    Scene &s = scene();
    for (int v = 0; v < 10; ++v) {
        kv::app::applyZoomStep(s.state, v, zoom);
        s.state.views[static_cast<size_t>(v)].pixelsPerSample = kv::app::pixelsPerSampleOf(zoom);
    }
    s.state.persistence = std::getenv("KV_BENCH_PERSIST") != nullptr;
    for (auto _ : st)
        s.redrawAll();
    st.counters["frame_budget_share"] = benchmark::Counter(
        16.7e-3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RedrawAll_Magnify1_200(benchmark::State &st) {
    redraw(st, 12);
}
void BM_RedrawAll_Magnify1(benchmark::State &st) {
    redraw(st, 5);
}

}  // namespace

BENCHMARK(BM_RedrawAll_Magnify1_200)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_RedrawAll_Magnify1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
