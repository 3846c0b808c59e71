// Runs programs for the system and file function tests in a temporary home whose message
// file knows their errors. The program text may name the home as &dir. (with its "/").
#pragma once
#include "support/program_run.hpp"

#include <filesystem>
#include <string>

namespace vornmac::testing {

inline const char *const system_messages = "173 4 input exhausted\n"
                                           "2010 1 %s must be followed by ( but found: %s\n"
                                           "2011 1 %s: missing parenthesis before: %s\n"
                                           "2036 1 too long: %s\n"
                                           "2039 1 Not a number: %s\n"
                                           "2075 1 %s: expected = but found: %s\n"
                                           "2080 3 cannot open output file %s\n"
                                           "3055 1 Too few arguments: %s\n"
                                           "4640 1 %s: name longer than 59: %s\n"
                                           "4670 1 %s: count %d over %d\n"
                                           "32000 0 end\n";

class SystemHome : public TestHome {
  public:
    SystemHome() { write("test.msg", system_messages); }

    ProgramRun run(const std::string &text, Options variables = {}) const {
        variables.emplace_back("dir", dir());
        return run_text(*this, text, std::move(variables));
    }
    bool exists(const std::string &name) const { return std::filesystem::exists(path(name)); }
};

} // namespace vornmac::testing
