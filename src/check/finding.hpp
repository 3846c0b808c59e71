// What the checker hands back: findings as data, for the tool to print and for editors and
// CI to read. A finding is where a mistake starts (line from 1, column as the library counts
// it in its error messages: the characters before the token on its line), how bad it is,
// one sentence on it and a short stable name that users can look up and filter on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vornmac::check {

enum class Severity : unsigned char { error, warning };

struct Finding {
    std::string file;
    int32_t line = 1;
    int32_t column = 0;
    Severity severity = Severity::error;
    std::string message;
    std::string name;
};

// What a call needs to know of a macro: how many positional parameters it has and the
// names of its named ones.
struct MacroShape {
    std::string name;
    int positional = 0;
    std::vector<std::string> named;
};

// What the checker knows before it reads the programs: the macros of the home's libraries,
// the variables that exist without a program setting them (the variable file, -D), and
// whether references to other variables are reported.
struct CheckSettings {
    std::vector<MacroShape> library_macros;
    std::vector<std::string> known_variables;
    bool report_undefined = false;
};

} // namespace vornmac::check
