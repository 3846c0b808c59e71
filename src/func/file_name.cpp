#include "func/file_name.hpp"

#include "vars/name_compare.hpp"

namespace vornmac {

std::string file_name_from_text(std::string text) {
    while (!text.empty() && is_white(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

} // namespace vornmac
