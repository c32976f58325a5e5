// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Console output plus, at the end, the ratios of chosen benchmarks to their baselines
// measured in the same run (processor time, so that load on the other core does not tilt
// them).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kvbench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // (subject, baseline, goal): the goal is the largest ratio that meets the target.
    struct Ratio {
        std::string subject, baseline;
        double goal;
    };
    explicit RatioReporter(std::vector<Ratio> ratios) : m_ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                m_times[r.benchmark_name()] = r.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Ratio &q : m_ratios) {
            const auto s = m_times.find(q.subject), b = m_times.find(q.baseline);
            if (s == m_times.end() || b == m_times.end() || b->second <= 0) continue;
            const double ratio = s->second / b->second;
            std::printf("ratio %s / %s = %.2f (goal <= %.2f): %s\n", q.subject.c_str(),
                        q.baseline.c_str(), ratio, q.goal, ratio <= q.goal ? "met" : "NOT MET");
        }
    }

  private:
    std::vector<Ratio> m_ratios;
    std::map<std::string, double> m_times;
};

inline int runWithRatios(int argc, char **argv, std::vector<RatioReporter::Ratio> ratios) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace kvbench
