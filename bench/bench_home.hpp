// A scratch vornmac home for one benchmark: a variable file that names the message file
// and keeps errors out of the log, and the message file itself. Removed at the end.
#pragma once
#include "vornmac/vornmac.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class BenchHome {
  public:
    explicit BenchHome(const std::string &messages = "173 4 end of input\n32000 0 end\n") {
        char pattern[] = "/tmp/vornmac_bench_XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        dir = std::string(pattern) + "/";
        const char *names[] = {"_errorfile", "_errorlog"};
        const char *values[] = {"bench.msg", "no"};
        vornmac_write_variable_file((dir + "vorn_opt.dat").c_str(), 2, names, values);
        std::ofstream(dir + "bench.msg", std::ios::binary) << messages;
    }
    ~BenchHome() { std::filesystem::remove_all(dir); }
    BenchHome(const BenchHome &) = delete;
    BenchHome &operator=(const BenchHome &) = delete;
    std::string dir;
};
