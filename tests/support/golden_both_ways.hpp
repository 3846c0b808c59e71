// Differential runs for the fast paths that sit beside general ones: every golden case is
// run with a fast path on and then off, and the two runs must agree on the events the host
// saw, standard output, the log and the variables read at the end. Each run has a home of its own,
// whose name a program may show; it is left out of the comparison.
#pragma once
#include "programs/golden_case.hpp"
#include "programs/golden_host.hpp"
#include "support/fast_paths.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

namespace vornmac::testing {

inline std::string without_home(const std::string &text) {
    static const std::regex home("vornmac_golden_[A-Za-z0-9]+");
    return std::regex_replace(text, home, "<HOME>");
}

// The log with the clock times of its input trace left out: two runs seconds apart differ
// there.
inline std::string without_clock(const std::string &log) {
    static const std::regex clock("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] "
                                  "[0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}");
    return std::regex_replace(log, clock, "<TIME>");
}

// Runs `run` with the fast path on, then off in the contexts it makes, and gives both results.
template <typename Run> auto run_both_ways(bool FastPaths::*fast_path, Run run) {
    auto fast = run();
    struct Off {
        bool FastPaths::*path;
        explicit Off(bool FastPaths::*p) : path(p) { new_context_fast_paths.*path = false; }
        ~Off() { new_context_fast_paths.*path = true; }
    } off(fast_path);
    auto general = run();
    return std::pair{std::move(fast), std::move(general)};
}

// Compares the two runs of every golden case; gives the number of cases compared.
inline int expect_golden_cases_agree(bool FastPaths::*fast_path) {
    const std::filesystem::path root = GOLDEN_CASES_DIR;
    const std::string messages = golden::read_file(root / "test.msg");
    int compared = 0;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!std::filesystem::exists(entry.path() / "expected.tokens")) continue;
        const golden::GoldenCase c = golden::load_case(entry.path());
        const auto [fast, general] =
            run_both_ways(fast_path, [&] { return golden::GoldenHost(c, messages).run(); });
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(without_home(golden::render_events(fast.events)),
                  without_home(golden::render_events(general.events)))
            << name;
        EXPECT_EQ(without_home(fast.standard_output), without_home(general.standard_output))
            << name;
        EXPECT_EQ(without_clock(fast.log), without_clock(general.log)) << name;
        EXPECT_EQ(fast.final_vars.size(), general.final_vars.size()) << name;
        for (size_t i = 0; i < fast.final_vars.size() && i < general.final_vars.size(); ++i)
            EXPECT_EQ(without_home(fast.final_vars[i].value),
                      without_home(general.final_vars[i].value))
                << name;
        ++compared;
    }
    return compared;
}

} // namespace vornmac::testing
