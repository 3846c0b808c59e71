// The examples of the language manual, as the manual's test reads them out of the Markdown
// text. An example is a fenced block whose info string begins with the word `vornmac` (the
// program) or is `script` (a shell script that runs the tool, as a build does), and the
// `output` block that must come next (standard output, then standard error, exactly). Blocks before
// the program give it files (`file NAME`) and standard input (`stdin`); blocks after its output
// give the files it must leave behind
// (`written NAME`) and the log it must write (`log`). docs/language.md documents the rules
// for its writers; this reader enforces them and reports a broken example by its line.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vornmac::docs {

struct ManualExample {
    int line = 0;        // line of the program block's opening fence
    bool script = false; // the program is a shell script that runs `vornmac` itself
    std::string program;
    std::vector<std::string> environment; // NAME=VALUE words before the options
    std::vector<std::string> options;     // words before "--", given before the program
    std::vector<std::string> arguments;   // words after "--", given after the program
    std::map<std::string, std::string> files;
    std::string standard_input;
    std::string expected_output;
    std::map<std::string, std::string> expected_files;
    bool checks_log = false;
    std::string expected_log;
};

struct ManualParse {
    std::vector<ManualExample> examples;
    std::vector<std::string> problems; // "LINE: what is wrong", in the order found
};

ManualParse parse_manual(const std::string &markdown);

} // namespace vornmac::docs
