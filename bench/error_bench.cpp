// The cost of one reported error as the message file grows. The wanted line comes after
// a long stretch without line feeds, the worst case for a reader that looks for line
// ends: the lookup must stay linear in the file's size.
#include "bench_home.hpp"
#include "vornmac/vornmac.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_ErrorAfterLongMessageFile(benchmark::State &state) {
    const size_t filler = static_cast<size_t>(state.range(0)) << 20;
    BenchHome home(std::string(filler, 'x') + "\n2021 1 undefined variable %s\n32000 0 end\n");
    const std::string options = home.dir + "vorn_opt.dat";
    const std::string log = home.dir + "bench.log";
    for (auto _ : state) {
        // Without a host mark the error is reported and the start goes on.
        parser_context *ctx =
            init_parser(nullptr, 0, nullptr, "&nope. x\n", home.dir.c_str(), VORNMAC_OPTIONS_TAG,
                        options.c_str(), VORNMAC_LOG_TAG, log.c_str());
        char first[200];
        start_parser_module(ctx, first);
        finish_parser(ctx, 2);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(filler));
}

BENCHMARK(BM_ErrorAfterLongMessageFile)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

} // namespace
