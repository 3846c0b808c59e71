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
// MacroCalls: the `_macrocolon` option as a known name, buffers for argument texts, and the
// macro the last call located; and each record that a slot keeps holds its parameters as
// known names (CalledMacro).
// A call inside an argument is bound while the outer call is still being bound, so each
// binding leases a buffer of its own for as long as it runs.
#pragma once
#include "vars/var_store.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vornmac {

class ParserContext;

// The texts of one call's parameters, by parameter; reassigned, not freed, between calls.
using ArgumentTexts = std::vector<std::string>;

struct CalledMacro;
struct DirectoryEntry;

class MacroCalls {
  public:
    KnownName macrocolon{"_macrocolon"};

    // The macro the last call located with kept records on. A call of the same spelling
    // takes the directory entry from here (entries are never removed), and the record too
    // when the search reaches the same slot and offset while the slot's names are the ones
    // it was found among (its generation): the slot's kept record is then this one.
    struct Located {
        std::string name;
        const DirectoryEntry *entry = nullptr;
        int16_t slot = -1;
        int32_t offset = -1;
        uint32_t generation = 0;
        std::shared_ptr<const CalledMacro> called;
    };
    Located located;

    // The buffer of one binding, given back when the binding ends, however it ends.
    class Lease {
      public:
        explicit Lease(MacroCalls &calls)
            : calls_(calls),
              texts_(calls.in_use_ < calls.buffers_.size() ? *calls.buffers_[calls.in_use_]
                                                           : calls.add_buffer()) {
            ++calls.in_use_;
        }
        ~Lease() { --calls_.in_use_; }
        Lease(const Lease &) = delete;
        Lease &operator=(const Lease &) = delete;
        ArgumentTexts &texts() { return texts_; }

      private:
        MacroCalls &calls_;
        ArgumentTexts &texts_;
    };

  private:
    ArgumentTexts &add_buffer();

    // Each buffer is held by pointer, so a deeper binding that adds one moves none in use.
    std::vector<std::unique_ptr<ArgumentTexts>> buffers_;
    size_t in_use_ = 0;
};

// `name` is the text after "%", possibly with the blanks that followed it; it must stay
// unchanged during the call (the arguments are read meanwhile).
void invoke_macro(ParserContext &context, const char *name);

} // namespace vornmac
