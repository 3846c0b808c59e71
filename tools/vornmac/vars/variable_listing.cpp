#include "vars/variable_listing.hpp"

namespace vornmac::tool {

namespace {

void collect_input(void *user, const vornmac_saved_input *input) {
    static_cast<Listing *>(user)->inputs.push_back(
        {*input, input->source_name, input->current_name});
}

void collect_value(void *user, int16_t level, const char *name, const char *text) {
    static_cast<Listing *>(user)->values.push_back({level, name, text});
}

} // namespace

std::variant<Listing, std::string> read_listing(const char *path) {
    Listing listing;
    char problem[300];
    if (vornmac_read_variable_file(path, &listing, collect_input, collect_value, problem,
                                   sizeof problem) != 0)
        return std::string(problem);
    return listing;
}

} // namespace vornmac::tool
