// Raising numbered errors. The reporter writes the input trace, looks the number up in the
// message file that `_errorfile` names (in the home directory), writes the message to the
// log unless `_errorlog` begins with "n", leaves the facts in the error variables for the
// host, and then goes back to the host's recovery mark by throwing RecoveryJump. Without a
// host mark it returns and the raising code goes on, so every raising site must leave its
// state consistent before it raises.
#pragma once
#include "error/message_format.hpp"

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vornmac {

class ParserContext;

class ErrorReporter {
  public:
    explicit ErrorReporter(ParserContext &context) : context_(context) {}

    // The library's own raising: ignored while errors are suppressed.
    void raise(int16_t number, std::vector<ErrorArg> args = {});
    // The host's raising: its arguments are taken as the message's conversions ask.
    void raise_from_host(int16_t number, va_list args);
    // Raising for the host with the library's own arguments: never suppressed.
    void raise_for_host(int16_t number, std::vector<ErrorArg> args);

    int16_t last_number() const { return last_number_; }
    int raised_count() const { return raised_count_; }

    bool suppressed = false;
    // When false, errors are reported but never jump (used while the context finishes).
    bool jumps_allowed = true;
    char log_switch = 'y';
    int16_t depth = 0; // trace entries written so far; never lowered

  private:
    using ArgumentSource = std::function<std::vector<ErrorArg>(const std::string &format)>;
    void run_error_steps(int16_t number, const ArgumentSource &arguments);
    void report_error_message(const std::string &text);
    void go_back(int value);

    ParserContext &context_;
    int16_t last_number_ = 0;
    int raised_count_ = 0;
    bool reporting_ = false;
};

} // namespace vornmac
