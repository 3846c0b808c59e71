// Names as the library compares them (A-Z as a-z, trailing white space left out), as keys
// of the checker's tables; and the variables that exist without a program setting them.
#pragma once
#include "check/finding.hpp"

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace vornmac::check {

std::string fold_name(std::string_view name);

template <typename Value> using NameMap = std::unordered_map<std::string, Value>;
using NameSet = std::unordered_set<std::string>;

// The variable file's, -D's, the library's own (names that begin with "_"), the command
// variables (sys_c1 ... sys_n5) and what start-up sets (argc, argv0, argv1 ...).
bool is_known_variable(const CheckSettings &settings, const std::string &name);

} // namespace vornmac::check
