// Error numbers the statement handlers raise. Those from 4640 up are this library's own,
// for limits the statements keep instead of cutting or overflowing.
#pragma once
#include <cstdint>

namespace vornmac::stmt_errors {

inline constexpr int16_t end_needs_semicolon = 1001;      // "%End", token
inline constexpr int16_t branch_needs_percent = 2018;     // token
inline constexpr int16_t case_needs_semicolon = 2019;     // token
inline constexpr int16_t unknown_do_form = 2020;          // word
inline constexpr int16_t undefined_variable = 2021;       // name
inline constexpr int16_t loop_needs_equals = 2022;        // token
inline constexpr int16_t zero_step = 2023;                // none
inline constexpr int16_t assignment_needs_equals = 2033;  // token
inline constexpr int16_t put_file_cannot_open = 2080;     // file name
inline constexpr int16_t select_needs_parenthesis = 2083; // none

inline constexpr int16_t name_too_long = 4640;      // keyword, name
inline constexpr int16_t text_too_long = 4631;      // "%keyword"
inline constexpr int16_t if_nested_too_deep = 4641; // none

// Variable names that statements keep in buffers of 60 bytes.
inline constexpr int name_limit = 59;

} // namespace vornmac::stmt_errors
