// Loops as a host meets them: a counted loop whose body sets a variable on every pass. The
// body is copied once and re-read from memory, and each pass gives back to the block pool
// what it takes, so memory must not grow with the number of passes. Reported: passes per
// second, and the process's peak resident size during the run against its size before.
#include "bench_home.hpp"
#include "bench_host.hpp"
#include "bench_memory.hpp"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

void BM_CountedLoopSettingAVariable(benchmark::State &state) {
    BenchHome home;
    const std::string passes = std::to_string(state.range(0));
    const std::string program = home.dir + "loop.vm";
    std::ofstream(program) << "%do i = 1 %to " + passes +
                                  "; %let x = &i; %append y = .; %let y = ; %end;\n"
                                  "done &x.\n";
    const std::string options = home.dir + "vorn_opt.dat";
    const std::string log = home.dir + "bench.log";
    long rss_before = 0;
    long peak = 0;
    for (auto _ : state) {
        auto run = std::make_unique<Run>();
        run->ctx = init_parser(program.c_str(), 0, nullptr, nullptr, home.dir.c_str(),
                               VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, log.c_str());
        rss_before = status_kb("VmRSS:");
        reset_peak();
        drive(*run);
        peak = status_kb("VmHWM:");
        finish_parser(run->ctx, 2);
    }
    state.counters["passes/s"] = benchmark::Counter(static_cast<double>(state.range(0)) *
                                                        static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    state.counters["rss_before_kb"] = static_cast<double>(rss_before);
    state.counters["peak_rss_kb"] = static_cast<double>(peak);
    state.counters["growth_kb"] = static_cast<double>(peak - rss_before);
}

BENCHMARK(BM_CountedLoopSettingAVariable)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
