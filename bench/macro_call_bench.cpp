// Macro calls as a host drives them: one definition stored in the home's library, then a
// program of many short calls with arguments. Each call reads its body from the library
// file through the input source's 1024-byte buffer, not a character at a time.
#include "bench_home.hpp"
#include "bench_host.hpp"
#include "vornmac/vornmac.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

void run_file(const BenchHome &home, const std::string &program) {
    const std::string options = home.dir + "vorn_opt.dat";
    const std::string log = home.dir + "bench.log";
    auto run = std::make_unique<Run>();
    run->ctx = init_parser(program.c_str(), 0, nullptr, nullptr, home.dir.c_str(),
                           VORNMAC_OPTIONS_TAG, options.c_str(), VORNMAC_LOG_TAG, log.c_str());
    drive(*run);
    finish_parser(run->ctx, 2);
    std::filesystem::remove(log);
}

void BM_MacroCalls(benchmark::State &state) {
    BenchHome home;
    const std::string library = home.dir + "lib.mac";
    const char *names[] = {"_errorfile", "_errorlog", "_macromacro", "_macro1"};
    const char *values[] = {"bench.msg", "no", library.c_str(), library.c_str()};
    vornmac_write_variable_file((home.dir + "vorn_opt.dat").c_str(), 4, names, values);
    const std::string definition = home.dir + "define.vm";
    std::ofstream(definition) << "%macro total[a, b=2]; sum(&a, &b) * rate %mend; x y\n";
    run_file(home, definition);
    const auto calls = static_cast<int>(state.range(0));
    std::string text;
    for (int i = 0; i < calls; ++i)
        text += "%total[" + std::to_string(i) + "];\n";
    const std::string program = home.dir + "program.vm";
    std::ofstream(program) << text;
    for (auto _ : state)
        run_file(home, program);
    state.counters["calls/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * calls,
                                                   benchmark::Counter::kIsRate);
}

BENCHMARK(BM_MacroCalls)->Arg(100)->Arg(10000);

} // namespace
