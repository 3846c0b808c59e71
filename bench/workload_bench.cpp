// The five workloads that bench/compare times against GNU m4, run through the C interface
// at sizes that finish in a second or two, so a slower scanner, input stack or statement
// shows up here as a number:
//   W1 plain command text passed through       W2 lines with five references each
//   W3 a %do loop writing `line &i`            W4 a macro called in a loop
//   W5 %eval in a loop
// W3 also reports how far the peak resident size rose above the size before the run.
#include "bench_home.hpp"
#include "bench_host.hpp"
#include "bench_memory.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Workload {
    std::string program;
    std::vector<std::pair<std::string, std::string>> variables;
};

// Runs the program once to its end; gives the peak resident growth in kilobytes.
long run_once(const BenchHome &home, const Workload &work, long &tokens) {
    const std::string program = home.dir + "program.vm";
    const std::string options = home.dir + "vorn_opt.dat";
    const std::string log = home.dir + "bench.log";
    auto run = std::make_unique<Run>();
    run->ctx = init_parser(program.c_str(), 0, nullptr, nullptr, home.dir.c_str(),
                           VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, log.c_str());
    for (const auto &[name, value] : work.variables)
        call_savemacrochar(run->ctx, 0, name.c_str(), value.c_str());
    const long before = status_kb("VmRSS:");
    reset_peak();
    drive(*run);
    const long growth = status_kb("VmHWM:") - before;
    finish_parser(run->ctx, 2);
    std::filesystem::remove(log);
    tokens += run->tokens;
    return growth;
}

void run_workload(benchmark::State &state, const Workload &work) {
    BenchHome home;
    const std::string library = home.dir + "lib.mac";
    const char *names[] = {"_errorfile", "_errorlog", "_macromacro", "_macro1"};
    const char *values[] = {"bench.msg", "no", library.c_str(), library.c_str()};
    vornmac_write_variable_file((home.dir + "vorn_opt.dat").c_str(), 4, names, values);
    std::ofstream(home.dir + "program.vm", std::ios::binary) << work.program;
    long tokens = 0;
    long growth = 0;
    for (auto _ : state)
        growth = run_once(home, work, tokens);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(work.program.size()));
    state.counters["tokens/s"] =
        benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
    state.counters["peak_growth_kb"] = static_cast<double>(growth);
}

std::string repeated_lines(long lines, const std::string &line) {
    std::string text;
    text.reserve(static_cast<size_t>(lines) * (line.size() + 8));
    for (long i = 0; i < lines; ++i)
        text += line;
    return text;
}

void BM_W1_PlainText(benchmark::State &state) {
    std::string text;
    for (long i = 0; i < state.range(0); ++i)
        text += "copy in=file" + std::to_string(i % 97) + ".dbf out=out" + std::to_string(i % 13) +
                ".sav keep alpha beta;\n";
    run_workload(state, {text, {}});
}

void BM_W2_References(benchmark::State &state) {
    run_workload(
        state,
        {repeated_lines(state.range(0), "copy in=&src..dbf out=&dst..sav keep=&k1 &k2 &k3;\n"),
         {{"src", "master"}, {"dst", "result"}, {"k1", "alpha"}, {"k2", "beta"}, {"k3", "gamma"}}});
}

void BM_W3_LoopLines(benchmark::State &state) {
    run_workload(state,
                 {"%do i = 1 %to " + std::to_string(state.range(0)) + "; line &i %end;\n", {}});
}

void BM_W4_MacroCallsInALoop(benchmark::State &state) {
    run_workload(state, {"%macro m[a,b]; &a-&b %mend;\n%do i = 1 %to " +
                             std::to_string(state.range(0)) + "; %m[x,&i] %end;\n",
                         {}});
}

void BM_W5_EvalInALoop(benchmark::State &state) {
    run_workload(state, {"%do i = 1 %to " + std::to_string(state.range(0)) +
                             "; %eval((&i*3+7)/2-&i mod 5) %end;\n",
                         {}});
}

BENCHMARK(BM_W1_PlainText)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W2_References)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W3_LoopLines)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_W4_MacroCallsInALoop)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_W5_EvalInALoop)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
