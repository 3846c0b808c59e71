#include "vars/vars_edit.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vornmac::tool {

namespace {

constexpr int16_t saved_level = -1;
// What the file format and the variable store hold.
constexpr size_t longest_name = 99;
constexpr size_t longest_value = 65534;

std::optional<std::string> check(const VarsEdit &edit) {
    if (edit.name.empty()) return std::string("a variable name cannot be empty");
    if (edit.name.size() > longest_name)
        return "the name " + edit.name.substr(0, 20) + "... is longer than 99 characters";
    if (edit.value.size() > longest_value)
        return "the value of " + edit.name + " is longer than 65534 characters";
    return std::nullopt;
}

std::optional<std::string> apply(std::vector<SavedValue> &values, const VarsEdit &edit) {
    if (auto problem = check(edit)) return problem;
    const auto found = std::ranges::find(values, edit.name, &SavedValue::name);
    if (!edit.set) {
        if (found == values.end()) return "no saved value " + edit.name + " to unset";
        values.erase(found);
    } else if (found == values.end()) {
        values.push_back({saved_level, edit.name, edit.value});
    } else {
        found->text = edit.value;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> edit_variable_file(const char *path, Listing listing,
                                              std::span<const VarsEdit> edits) {
    // The writer keeps saved values only. The input records are where the last run's
    // program stood; every run that names a program starts afresh and saves its own, so
    // they are dropped. Values of other levels would be lost: such a file is refused.
    for (const SavedValue &value : listing.values)
        if (value.level != saved_level)
            return "the value " + value.name + " is saved at level " + std::to_string(value.level) +
                   ", which editing would lose";
    for (const VarsEdit &edit : edits)
        if (auto problem = apply(listing.values, edit)) return problem;

    std::vector<const char *> names;
    std::vector<const char *> texts;
    for (const SavedValue &value : listing.values) {
        names.push_back(value.name.c_str());
        texts.push_back(value.text.c_str());
    }
    if (vornmac_write_variable_file(path, static_cast<int>(names.size()), names.data(),
                                    texts.data()) != 0)
        return std::string("the file could not be written; it is left as it was");
    return std::nullopt;
}

} // namespace vornmac::tool
