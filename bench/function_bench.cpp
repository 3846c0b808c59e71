// Built-in function calls as a host drives them: lines of %eval and string functions whose
// results are read back in place of each call. Every call reads its arguments through the
// scanner and pushes its result as a new input source, so this measures that round trip.
#include "bench_home.hpp"
#include "bench_host.hpp"
#include "vornmac/vornmac.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int calls_per_line = 6;

std::string make_program(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "x = %eval((" + std::to_string(i) +
                " + &n) * 3 mod 7); %scan(alpha beta gamma,2) %substr(abcdef,2,3) "
                "%index(banana,na) %upcase(total) %str(a, b);\n";
    return text;
}

void BM_FunctionCalls(benchmark::State &state) {
    BenchHome home;
    const auto lines = static_cast<int>(state.range(0));
    const std::string program = home.dir + "program.vm";
    std::ofstream(program) << make_program(lines);
    const std::string options = home.dir + "vorn_opt.dat";
    const std::string log = home.dir + "bench.log";
    for (auto _ : state) {
        auto run = std::make_unique<Run>();
        run->ctx = init_parser(program.c_str(), 0, nullptr, nullptr, home.dir.c_str(),
                               VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, log.c_str());
        call_savemacrochar(run->ctx, 0, "n", "5");
        drive(*run);
        finish_parser(run->ctx, 2);
        std::filesystem::remove(log);
    }
    state.counters["calls/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * lines * calls_per_line,
                           benchmark::Counter::kIsRate);
}

BENCHMARK(BM_FunctionCalls)->Arg(100)->Arg(10000);

} // namespace
