// Token throughput as a host sees it: whole programs run through the C interface, from
// init_parser to the end of the input. Programs are generated so that the sizes scale.
#include "bench_home.hpp"
#include "bench_host.hpp"
#include "vornmac/vornmac.h"

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

// Lines of words, punctuation, a comment and, when asked, variable references.
std::string make_program(int lines, bool references) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += "data out.set_" + std::to_string(i) + "; set in.master (keep=a b c);";
        text += references ? " where &field. > &limit;\n" : " where f1 > 10; /* note */\n";
    }
    return text;
}

void run_program(benchmark::State &state, bool references) {
    BenchHome home;
    const std::string program = home.dir + "program.vm";
    std::ofstream(program) << make_program(static_cast<int>(state.range(0)), references);
    const std::string options = home.dir + "vorn_opt.dat";
    const std::string log = home.dir + "bench.log";
    long tokens = 0;
    for (auto _ : state) {
        auto run = std::make_unique<Run>();
        run->ctx = init_parser(program.c_str(), 0, nullptr, nullptr, home.dir.c_str(),
                               VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, log.c_str());
        call_savemacrochar(run->ctx, 0, "field", "amount");
        call_savemacrochar(run->ctx, 0, "limit", "100");
        drive(*run);
        finish_parser(run->ctx, 2);
        std::filesystem::remove(log);
        tokens += run->tokens;
    }
    state.counters["tokens/s"] =
        benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
}

void BM_PlainProgram(benchmark::State &state) {
    run_program(state, false);
}
void BM_ProgramWithReferences(benchmark::State &state) {
    run_program(state, true);
}

BENCHMARK(BM_PlainProgram)->Arg(100)->Arg(10000);
BENCHMARK(BM_ProgramWithReferences)->Arg(100)->Arg(10000);

} // namespace
