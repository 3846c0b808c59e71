// The manual's test: runs every example of a Markdown document (docs/language.md,
// docs/choices.md) through the vornmac tool and fails when one of them gives other output,
// files or log than the document shows, or when the document breaks the example rules (a
// program without its output block, no example at all). Each failure is named by its line
// in the document, so an editor can jump to it.
//
// Usage: manual_examples TOOL MANUAL [LINE...]
// With LINEs, only the examples whose program block opens on one of those lines run.
#include "example_run.hpp"
#include "manual_examples.hpp"
#include "text_diff.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace vornmac::docs;

namespace {

// Returns the report of one example's differences, empty when it passed.
std::string check(const std::string &tool, const ManualExample &example) {
    const ExampleResult result = run_example(tool, example);
    std::string report;
    if (!result.failure.empty()) report += "  " + result.failure + "\n";
    if (result.output != example.expected_output)
        report +=
            "  output (- manual, + actual):\n" + line_diff(example.expected_output, result.output);
    for (const auto &[name, expected] : example.expected_files) {
        const std::string &actual = result.files.at(name);
        if (actual != expected)
            report += "  file " + name + " (- manual, + actual):\n" + line_diff(expected, actual);
    }
    if (example.checks_log && result.log != example.expected_log)
        report += "  log (- manual, + actual):\n" + line_diff(example.expected_log, result.log);
    return report;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::cerr << "usage: manual_examples TOOL MANUAL [LINE...]\n";
        return 2;
    }
    // The tool runs in each example's own folder, so a relative path would not find it.
    const std::string tool = std::filesystem::absolute(argv[1]).string();
    const std::string manual = argv[2];
    std::vector<int> only;
    for (int i = 3; i < argc; ++i)
        only.push_back(std::atoi(argv[i]));

    std::ifstream in(manual, std::ios::binary);
    if (!in) {
        std::cerr << manual << ": cannot be read\n";
        return 2;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const ManualParse parse = parse_manual(text.str());

    int failed = 0;
    int run = 0;
    for (const std::string &problem : parse.problems) {
        std::cout << manual << ":" << problem << "\n";
        ++failed;
    }
    for (const ManualExample &example : parse.examples) {
        if (!only.empty() && std::ranges::find(only, example.line) == only.end()) continue;
        ++run;
        const std::string report = check(tool, example);
        if (report.empty()) continue;
        std::cout << manual << ":" << example.line << ": example differs\n" << report;
        ++failed;
    }
    std::cout << run << " examples run, " << failed << " failed or broken\n";
    return failed == 0 ? 0 : 1;
}
