// The end of a process whose code broke a contract it states (see error/contract.hpp): the
// broken condition and its place on standard error, then abort, so that a debugger or the
// sanitizers' report shows where.
#pragma once

namespace vornmac::platform {

[[noreturn]] void report_broken_contract(const char *condition, const char *file, int line);

} // namespace vornmac::platform
