// What all the files of one check share: the macros known and defined so far, the
// variables set, the findings, and what is checked only once every file has been read.
#pragma once
#include "check/known_names.hpp"
#include "check/program_checker.hpp"
#include "input/lexer.hpp"

#include <string>
#include <vector>

namespace vornmac::check {

// A call or reference noted while reading, checked when all files are read.
struct Deferred {
    size_t file;
    Position at;
    std::string name;
};

struct ProgramChecker::State {
    explicit State(CheckSettings given) : settings(std::move(given)) {
        for (const MacroShape &shape : settings.library_macros)
            library.emplace(fold_name(shape.name), &shape);
    }

    CheckSettings settings;
    NameMap<const MacroShape *> library;
    NameMap<MacroShape> defined; // by %macro in the files checked, so far
    NameSet set_variables;
    std::vector<std::string> files;
    std::vector<std::vector<Finding>> findings;
    std::vector<Deferred> body_calls; // calls in macro bodies: checked once all are read
    std::vector<Deferred> references;

    const MacroShape *macro(const std::string &name) const {
        const std::string key = fold_name(name);
        if (const auto found = defined.find(key); found != defined.end()) return &found->second;
        if (const auto found = library.find(key); found != library.end()) return found->second;
        return nullptr;
    }
};

} // namespace vornmac::check
