#include "input/token_copy.hpp"

namespace vornmac {

uint64_t load_token_tail(std::string_view text, size_t at) {
    char bytes[token_word_size] = {};
    text.substr(at).copy(bytes, token_word_size);
    return load_token_word(bytes);
}

} // namespace vornmac
