#include "check/known_names.hpp"

#include "vars/name_compare.hpp"

#include <algorithm>

namespace vornmac::check {

std::string fold_name(std::string_view name) {
    while (!name.empty() && is_white(static_cast<unsigned char>(name.back())))
        name.remove_suffix(1);
    std::string folded(name.substr(0, name_compare_limit));
    for (char &c : folded)
        c = static_cast<char>(fold_name_char(static_cast<unsigned char>(c)));
    return folded;
}

bool is_known_variable(const CheckSettings &settings, const std::string &name) {
    const std::string folded = fold_name(name);
    if (folded.empty() || folded.front() == '_' || folded.rfind("sys_", 0) == 0 || folded == "argc")
        return true;
    if (folded.size() > 4 && folded.rfind("argv", 0) == 0 &&
        std::all_of(folded.begin() + 4, folded.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return true;
    return std::any_of(settings.known_variables.begin(), settings.known_variables.end(),
                       [&](const std::string &known) { return fold_name(known) == folded; });
}

} // namespace vornmac::check
