// The fast paths of the contexts the test helpers make (TestHome::create, run_program, the
// golden host): each context they create gets these, so that run_both_ways can run a
// program with one fast path off and compare.
#pragma once
#include "input/fast_paths.hpp"
#include "vornmac/vornmac.h"

namespace vornmac::testing {

inline FastPaths new_context_fast_paths;

// Gives the context (null: none was made) the fast paths above.
void use_test_fast_paths(parser_context *ctx);

} // namespace vornmac::testing
