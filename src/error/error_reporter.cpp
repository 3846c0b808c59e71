#include "error/error_reporter.hpp"

#include "host/parser_context.hpp"

#include <cstdio>

namespace vornmac {

void ErrorReporter::raise(int16_t number) {
    last_number_ = number;
    ++raised_count_;
    // Until the message file is read, the log gets the bare number so nothing is lost.
    if (context_.log) {
        char line[32];
        std::snprintf(line, sizeof line, "ERROR #%d", number);
        context_.log->write_string(line);
        context_.log->write_line_end();
    }
}

} // namespace vornmac
