// SPDX-License-Identifier: GPL-3.0-or-later
// Protocol decoding against redrawing: ten views of 28 tracks, 1920-pixel pictures, the
// simulated board's 128K capture at 100 MHz, "Magnify 1".
//  - decoding a 128K capture of the board at 1 MHz (four samples a bit) with the
//    asynchronous serial decoder, as a ratio to one
//    redraw of all views (real time: the decoders run on threads of their own);
//  - redrawing all views with three decoder rows each, as a ratio to redrawing them
//    without, and its share of one 60 Hz frame (goal: inside it).
// Run offscreen: QT_QPA_PLATFORM=offscreen build/bin/bench_decode
#include <benchmark/benchmark.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <map>

#include "core/program_state.h"
#include "decode/decoder_text.h"
#include "decode/decoding.h"
#include "simunit/board.h"
#include "timing/view_drawing.h"
#include "timing/view_model.h"

namespace {

constexpr int kSamples = 128 * 1024;

struct Scene {
    kv::app::ProgramState state;
    std::unique_ptr<kv::app::RenderLibrary> render;
    std::vector<QImage> pictures;
    std::vector<uint32_t> words;
    std::vector<uint32_t> dense;  // the board at 1 MHz: four samples a bit
    kv::app::ViewAnnotations rows;

    Scene() {
        state.setDefaultTables();
        state.highestViewIndex = 9;
        state.capture.allocate(10);
        state.settings.memoryDepthIndex = 1;
        kv::app::applyMemoryDepth(state);
        for (int i = 0; i < kSamples; ++i)
            words.push_back(kv::sim::boardSample(static_cast<uint64_t>(i) * 10));
        for (int i = 0; i < kSamples; ++i)
            dense.push_back(kv::sim::boardSample(static_cast<uint64_t>(i) * 1000));
        for (int set = 0; set < 10; ++set) {
            for (int p = 0; p < 3; ++p) {
                uint8_t *plane = state.capture.plane(set, p);
                for (int i = 0; i < kSamples; ++i)
                    plane[i] = static_cast<uint8_t>(words[size_t(i)] >> (8 * p));
            }
        }
        render = std::make_unique<kv::app::RenderLibrary>(
            [](const std::string &e) { std::fprintf(stderr, "%s\n", e.c_str()); });
        for (int v = 0; v < 10; ++v) {
            state.views[static_cast<size_t>(v)].open = true;
            state.views[static_cast<size_t>(v)].dataSet = v;
            kv::app::applyZoomStep(state, v, 5);
            state.views[static_cast<size_t>(v)].pixelsPerSample = kv::app::pixelsPerSampleOf(5);
            // The decoder rows end up in the picture's lower part, below the 28 tracks.
            pictures.emplace_back(1920, 1100, QImage::Format_RGB32);
        }
        // Three rows: the received bytes, their bits, and the synchronous bytes.
        auto uart = decode(uartText());
        auto spi = decode("spi:clk=D8,mosi=D9,cs=D10");
        kv::app::ViewAnnotations all = kv::app::arrangeRows({uart, spi});
        for (auto &row : all.rows) {
            if (row.name.title == "UART: RX" || row.name.title == "UART: RX bits" ||
                row.name.title == "SPI: MOSI data")
                rows.rows.push_back(row);
        }
        rows.results = all.results;
        std::printf("decoder rows: %zu\n", rows.rows.size());
    }
    static const char *uartText() { return "uart:rx=D11,baudrate=250000"; }
    kv::decode::DecodeResult decode(const char *text) const {
        return kv::decode::decodeWords(kv::decode::parseDecoderText(text, {}).stack, words.data(),
                                       kSamples, 100'000'000);
    }
    // The same record taken at 1 MHz: about 3 270 bytes on the line instead of 32.
    kv::decode::DecodeResult decodeDense(const char *text) const {
        return kv::decode::decodeWords(kv::decode::parseDecoderText(text, {}).stack, dense.data(),
                                       kSamples, 1'000'000);
    }

    void redrawAll(bool withRows) {
        const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        for (int v = 0; v < 10; ++v) {
            kv::app::DrawContext c{state, *render, pictures[static_cast<size_t>(v)], font, 0,
                                   1920,  false};
            if (withRows) c.decoded = &rows;
            kv::app::drawView(c, v);
        }
    }
};

Scene &scene() {
    static Scene s;
    return s;
}

void BM_RedrawAll(benchmark::State &st) {
    for (auto _ : st)
        scene().redrawAll(false);
}
void BM_RedrawAll_ThreeDecoderRows(benchmark::State &st) {
    for (auto _ : st)
        scene().redrawAll(true);
    st.counters["frame_budget_share"] = benchmark::Counter(
        16.7e-3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
void BM_DecodeUart128K(benchmark::State &st) {
    size_t n = 0;
    for (auto _ : st)
        n += scene().decode(Scene::uartText()).annotations.size();
    benchmark::DoNotOptimize(n);
}
void BM_DecodeUart128KAt1MHz(benchmark::State &st) {
    size_t n = 0;
    for (auto _ : st)
        n = scene().decodeDense(Scene::uartText()).annotations.size();
    st.counters["annotations"] = static_cast<double>(n);
}

// Ratios of real times measured in this run.
class Ratios : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                m_times[r.benchmark_name().substr(0, r.benchmark_name().find('/'))] =
                    r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double redraw = m_times["BM_RedrawAll"];
        const double rows = m_times["BM_RedrawAll_ThreeDecoderRows"];
        const double decode = m_times["BM_DecodeUart128K"];
        const double dense = m_times["BM_DecodeUart128KAt1MHz"];
        if (redraw > 0) {
            std::printf("ratio decoding 128K UART at 100 MHz / redraw all views = %.1f\n",
                        decode / redraw);
            std::printf("ratio decoding 128K UART at 1 MHz / redraw all views = %.1f\n",
                        dense / redraw);
            std::printf("ratio redraw all with three decoder rows / without = %.2f\n",
                        rows / redraw);
        }
    }

  private:
    std::map<std::string, double> m_times;
};

}  // namespace

BENCHMARK(BM_RedrawAll)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_RedrawAll_ThreeDecoderRows)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);
BENCHMARK(BM_DecodeUart128K)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DecodeUart128KAt1MHz)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    scene();  // the captures and the decoder rows, made before anything is timed
    Ratios reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
