// Error numbers the variable store raises.
#pragma once
#include <cstdint>

namespace vornmac::var_errors {

inline constexpr int16_t level_too_deep = 2041;
inline constexpr int16_t level_out_of_range = 4600;
inline constexpr int16_t text_too_long = 4601;
inline constexpr int16_t table_full = 4602;
inline constexpr int16_t empty_name = 4603;

} // namespace vornmac::var_errors
