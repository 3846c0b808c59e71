// The recursions that a program's text can deepen, and their bounds. A host may drive the
// library from a thread with a 256 KiB stack, so every construct that nests on the stack
// counts its levels here, for the whole context: a count kept per statement or per
// expression would let the kinds multiply (parentheses inside a function inside a copied
// %if branch inside a function ...). Everything else the library does runs in loops or on
// the heap (input sources, macro calls, loop bodies), so these three are the only places
// where the stack grows with the input:
//   dispatch:   a handler that runs inside the scan of another handler (a statement, a
//               function or a macro call written inside another's argument, condition or
//               expression: dispatch, handler, scanner, dispatch ...);
//   expression: a "(" or a "!" / "not" the evaluator has entered and not yet left,
//               counted across all the expressions being evaluated at once;
//   copied_if:  a %if nested in the branch of a %if the copiers are reading, counted
//               across all copiers at work.
//
// The bounds come from the stack that one level of each kind takes at most, measured on
// the longest call path from one level to the next (gcc -fcallgraph-info=su, which sees the
// frames after inlining): in the optimised build a dispatch level takes at most 3.0 KiB, an
// expression level 0.9 KiB and a copied %if 0.25 KiB; the deepest call made at the
// innermost level (an error report, which reads the message file) about 12 KiB more. With
// all three kinds at their bound at once that is at most 32 * 3.0 + 64 * 0.9 + 200 * 0.25
// + 12 = 215 KiB, which leaves room in 256 KiB for the host's own frames. (The sanitizer
// build takes about three times as much per level.)
#pragma once
#include <cstdint>

namespace vornmac {

struct NestingDepths {
    int16_t dispatch = 0;
    int16_t expression = 0;
    int16_t copied_if = 0;

    static constexpr int16_t dispatch_bound = 32;   // error 4642
    static constexpr int16_t expression_bound = 64; // error 4643
    static constexpr int16_t copied_if_bound = 200; // error 4641
};

// One level of one kind, counted while it lives, also when it is left by an error.
class NestingLevel {
  public:
    explicit NestingLevel(int16_t &depth) : depth_(depth) { ++depth_; }
    ~NestingLevel() { --depth_; }
    NestingLevel(const NestingLevel &) = delete;
    NestingLevel &operator=(const NestingLevel &) = delete;

    // Whether this level lies past `bound` levels: it must then not go deeper.
    bool beyond(int16_t bound) const { return depth_ > bound; }

  private:
    int16_t &depth_;
};

} // namespace vornmac
