// Contracts that a header states (what a caller must give, what a record keeps) are checked
// where they are relied on, with VORNMAC_ASSERT. The checks are on in the Debug and sanitizer
// builds (the build defines VORNMAC_CHECK_CONTRACTS), where a broken contract ends the
// process at once with its place; in the shipped build the condition is not evaluated.
#pragma once

#ifdef VORNMAC_CHECK_CONTRACTS
#include "platform/broken_contract.hpp"

#define VORNMAC_ASSERT(condition)                                                                  \
    ((condition) ? static_cast<void>(0)                                                            \
                 : ::vornmac::platform::report_broken_contract(#condition, __FILE__, __LINE__))
#else
// Compiled, so that its names stay in use, but never evaluated.
#define VORNMAC_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif
