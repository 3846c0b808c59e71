// Raising numbered errors. Every subsystem raises through `raise`; the reporter keeps the
// count and the last number so that a host and the tests can tell what went wrong.
// Messages from the error message file, the input trace and the jump to the host's
// recovery mark are built on top of this entry point.
#pragma once
#include <cstdint>

namespace vornmac {

class ParserContext;

class ErrorReporter {
  public:
    explicit ErrorReporter(ParserContext &context) : context_(context) {}

    void raise(int16_t number);

    int16_t last_number() const { return last_number_; }
    int raised_count() const { return raised_count_; }

  private:
    ParserContext &context_;
    int16_t last_number_ = 0;
    int raised_count_ = 0;
};

} // namespace vornmac
