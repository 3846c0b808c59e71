// Calling a macro: `%name` that is no keyword, or the name after a true %macro_if.
//
// The macro is looked up in the library slots from the first slot searched to the last;
// the first slot whose file holds the name supplies it. Its arguments, when it has
// parameters, are read from the tokens after the name and set as variables one level
// above the caller; then the body is pushed as macro text, read straight from the library
// file, and followed by the blanks that followed the name in the call. When the body is
// used up, reading resumes in the caller and the call's variables are gone.
//
// Calls are frequent, so what every call needs is kept from one call to the next in
// MacroCalls: the `_macrocolon` option as a known name, and buffers for argument texts; and
// each record that a slot keeps holds its parameters as known names (CalledMacro).
// A call inside an argument is bound while the outer call is still being bound, so each
// binding leases a buffer of its own for as long as it runs.
#pragma once
#include "vars/var_store.hpp"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vornmac {

class ParserContext;

// The texts of one call's parameters, by parameter; reassigned, not freed, between calls.
using ArgumentTexts = std::vector<std::string>;

class MacroCalls {
  public:
    KnownName macrocolon{"_macrocolon"};

    // The buffer of one binding, given back when the binding ends, however it ends.
    class Lease {
      public:
        explicit Lease(MacroCalls &calls);
        ~Lease() { --calls_.in_use_; }
        Lease(const Lease &) = delete;
        Lease &operator=(const Lease &) = delete;
        ArgumentTexts &texts() { return texts_; }

      private:
        MacroCalls &calls_;
        ArgumentTexts &texts_;
    };

  private:
    // Each buffer is held by pointer, so a deeper binding that adds one moves none in use.
    std::vector<std::unique_ptr<ArgumentTexts>> buffers_;
    size_t in_use_ = 0;
};

// `name` is the text after "%", possibly with the blanks that followed it; it must stay
// unchanged during the call (the arguments are read meanwhile).
void invoke_macro(ParserContext &context, const char *name);

} // namespace vornmac
