// Runs one manual example through the vornmac tool as a user would: in a fresh scratch
// folder that holds the example's files as the current directory and a fresh vornmac home
// beside it, as `vornmac run --home HOME --no-echo OPTIONS example.vm ARGUMENTS`, with the
// example's standard input (empty when it gives none). A script example is run as
// `sh example.sh` instead, with the tool first on PATH as `vornmac` and VORNMAC_HOME naming
// the home. Collects what the example is compared on; the folder is removed afterwards.
#pragma once

#include "manual_examples.hpp"

#include <map>
#include <string>

namespace vornmac::docs {

struct ExampleResult {
    std::string failure; // why the run itself failed (could not start, timed out)
    std::string output;  // standard output followed by standard error
    std::map<std::string, std::string> files; // the files the example expects, CR LF as LF
    std::string log;                          // the home's log without its start trace, CR LF as LF
};

ExampleResult run_example(const std::string &tool, const ManualExample &example);

// A file's text as the manual shows it: each carriage return and line feed as a line feed.
std::string shown_line_ends(const std::string &text);

// The log as the manual shows it: the trace each run starts with (a line of dashes and
// the "*** Input From" line with the date) left out, line ends as line feeds.
std::string shown_log(const std::string &log);

} // namespace vornmac::docs
