// The static checker: reads macro programs through the lexer, as a run cuts them, and
// follows their statements without running any of them. No statement executes, no file is
// written, nothing is logged. It keeps the blocks that are open on a stack of its own (no
// recursion that program text could deepen), so any input is checked in a small stack.
//
// Programs are checked in the order given; a macro defined in one counts in those after
// it, and in the bodies of all of them (a body runs only when it is called). Findings are
// handed back by `finish`, file by file in the order given, each file's in the order of
// its text.
#pragma once
#include "check/finding.hpp"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vornmac::check {

class ProgramChecker {
  public:
    explicit ProgramChecker(CheckSettings settings);
    ~ProgramChecker();
    ProgramChecker(const ProgramChecker &) = delete;
    ProgramChecker &operator=(const ProgramChecker &) = delete;

    void check(const std::string &file, std::string_view text);
    std::vector<Finding> finish();

    struct State; // what all files share: macros, variables set, findings

  private:
    std::unique_ptr<State> state_;
};

} // namespace vornmac::check
