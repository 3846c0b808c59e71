// Random program text for robustness tests: the characters that drive the scanner (the
// triggers, quotes, comments, markers, line ends) and a few names they can meet.
#pragma once
#include <random>
#include <string>

namespace vornmac::testing {

inline std::string random_text(std::mt19937 &random, size_t length) {
    static const std::string alphabet = "&&&%%%..''\"()/**;  \n\r\t\x01\x02\x03\x04\x05\x07\x08"
                                        "abxyz_sys_c1SYS";
    std::string text;
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (size_t i = 0; i < length; ++i)
        text += alphabet[pick(random)];
    return text;
}

} // namespace vornmac::testing
