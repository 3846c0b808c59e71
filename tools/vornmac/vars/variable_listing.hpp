// The contents of a variable file as the library reads them: its saved input records and
// its saved values, in file order. Both `vornmac vars` listing and editing start from it.
#pragma once
#include <vornmac/vornmac.h>

#include <string>
#include <variant>
#include <vector>

namespace vornmac::tool {

struct SavedInput {
    vornmac_saved_input fields;
    std::string source_name;
    std::string current_name;
};

struct SavedValue {
    int16_t level;
    std::string name;
    std::string text;
};

struct Listing {
    std::vector<SavedInput> inputs;
    std::vector<SavedValue> values;
};

// Reads the file by the very rules a start-up loads it with; the library's description of
// the first fault when it would refuse the file.
std::variant<Listing, std::string> read_listing(const char *path);

} // namespace vornmac::tool
