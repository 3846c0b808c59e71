#include "error/error_reporter.hpp"

#include "error/location_trace.hpp"
#include "error/message_file.hpp"
#include "error/recovery_jump.hpp"
#include "host/parser_context.hpp"
#include "platform/path_class.hpp"
#include "platform/raw_file.hpp"

#include <string>

namespace vornmac {

namespace {
constexpr int cannot_go_on = 100;
} // namespace

void ErrorReporter::raise(int16_t number, std::vector<ErrorArg> args) {
    if (suppressed) return;
    run_error_steps(number, [&](const std::string &) { return args; });
}

void ErrorReporter::raise_for_host(int16_t number, std::vector<ErrorArg> args) {
    run_error_steps(number, [&](const std::string &) { return args; });
}

void ErrorReporter::raise_from_host(int16_t number, va_list args) {
    run_error_steps(number,
                    [&](const std::string &format) { return args_from_va_list(format, args); });
}

void ErrorReporter::run_error_steps(int16_t number, const ArgumentSource &arguments) {
    // An error while reporting one (the variable table full, say) must not recurse.
    if (reporting_) return;
    reporting_ = true;
    last_number_ = number;
    ++raised_count_;
    VarStore &vars = context_.vars;
    log_switch = vars.optstring("_errorlog")[0];
    write_error_trace(context_);

    const std::string file_name = vars.optstring("_errorfile");
    if (file_name.empty()) {
        report_error_message("Either Insufficent Memory To Load Program or No Error File");
        reporting_ = false;
        go_back(cannot_go_on);
        return;
    }
    const std::string path = context_.home_dir + file_name;
    const PathClass kind = classify_path(path.c_str());
    const platform::UniqueHandle file(
        kind == PathClass::writable || kind == PathClass::readable
            ? platform::raw_open_file(path.c_str(), platform::Access::read, false).handle
            : -1);
    if (file.get() < 0) {
        report_error_message("Cannot Open Error File -> " + file_name);
        reporting_ = false;
        go_back(cannot_go_on);
        return;
    }
    std::string type = "2";
    const ReadBytes read = [&](char *buffer, int32_t count) {
        return platform::raw_read(file.get(), buffer, count);
    };
    if (const std::optional<MessageLine> line = find_message(read, number)) {
        report_error_message("ERROR #" + std::to_string(number) + " : " +
                             format_message(line->format, arguments(line->format)));
        type = std::to_string(line->type);
    } else {
        report_error_message(format_message("Cannot Find Error Number -> %d, On Error File -> %s",
                                            {static_cast<int>(number), file_name.c_str()}));
    }
    vars.save(0, "_errortype", type.c_str());
    vars.save(0, "_errordepth", std::to_string(depth).c_str());
    if (context_.log) context_.log->flush();
    reporting_ = false;
    go_back(context_.input.interactive ? 2 : 1);
}

void ErrorReporter::report_error_message(const std::string &text) {
    context_.vars.save(0, "_errormessage", text.c_str());
    context_.vars.save(0, "_errormodule", context_.module_name.c_str());
    if (log_switch == 'n' || !context_.log) return;
    context_.log->write_text(text.c_str());
    context_.log->write_line_end();
}

void ErrorReporter::go_back(int value) {
    if (context_.recovery.host_set && jumps_allowed) throw RecoveryJump{value};
}

} // namespace vornmac
