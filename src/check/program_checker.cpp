// The checker over all files: each file is read by a FileCheck (file_check.hpp); calls in
// macro bodies and references to variables are checked once every file has been read.
#include "check/program_checker.hpp"

#include "check/checker_state.hpp"
#include "check/file_check.hpp"
#include "check/known_names.hpp"

#include <algorithm>

namespace vornmac::check {

ProgramChecker::ProgramChecker(CheckSettings settings)
    : state_(std::make_unique<State>(std::move(settings))) {}

ProgramChecker::~ProgramChecker() = default;

void ProgramChecker::check(const std::string &file, std::string_view text) {
    state_->files.push_back(file);
    state_->findings.emplace_back();
    FileCheck(*state_, state_->files.size() - 1, text).run();
}

std::vector<Finding> ProgramChecker::finish() {
    State &state = *state_;
    for (const Deferred &call : state.body_calls)
        if (state.macro(call.name) == nullptr)
            state.findings[call.file].push_back(
                {state.files[call.file], call.at.line, call.at.column, Severity::error,
                 "%" + call.name +
                     " is no keyword and no macro of the home's libraries or of the files checked",
                 "unknown-macro"});
    for (const Deferred &reference : state.references) {
        const std::string key = fold_name(reference.name);
        if (state.set_variables.count(key) != 0 ||
            is_known_variable(state.settings, reference.name))
            continue;
        state.findings[reference.file].push_back(
            {state.files[reference.file], reference.at.line, reference.at.column, Severity::warning,
             "&" + reference.name + ": nothing in the files checked sets this variable",
             "undefined-variable"});
    }
    std::vector<Finding> all;
    for (std::vector<Finding> &file : state.findings) {
        std::stable_sort(file.begin(), file.end(), [](const Finding &a, const Finding &b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
        });
        all.insert(all.end(), file.begin(), file.end());
    }
    state.findings.clear();
    state.body_calls.clear();
    state.references.clear();
    return all;
}

} // namespace vornmac::check
