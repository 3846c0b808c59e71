#include "host/start_up.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "vars/option_file.hpp"

#include <string>

namespace vornmac {

std::string log_file_name(const ParserContext &context, const char *log_argument,
                          const char *logfile_variable) {
    if (log_argument != nullptr && *log_argument != '\0') return log_argument;
    if (logfile_variable != nullptr && *logfile_variable != '\0') return logfile_variable;
    std::string name = context.home_dir;
    if (!name.empty() && name.back() != '/' && name.back() != '\\') name += '/';
    return name + "vorntool.log";
}

bool start_up(ParserContext &context, const StartUpArguments &arguments) {
    VarStore &vars = context.vars;
    if (!load_options(context, arguments.options_file)) return false;
    vars.drop_local_levels();
    vars.save(0, "_screenlines", "25");
    // No input source exists yet, so no running macro text needs its library again.
    context.input.top = -1;
    context.macros.configure_slots();
    context.input.top = 0;
    vars.save(0, "_optlist", "optlist.dat");

    context.log_name = log_file_name(context, arguments.log_file, vars.optstring("_logfile"));
    bool not_a_file = false;
    context.log = BufferedFile::open_log(context.log_name.c_str(), "a", &not_a_file);
    if (!context.log)
        context.errors.raise(not_a_file ? error::log_not_a_file : error::log_cannot_open,
                             {context.log_name.c_str()});

    if (arguments.program_name != nullptr || arguments.program_text != nullptr) {
        InputStack &in = context.input;
        if (in.open_main(arguments.program_name, arguments.program_text) &&
            in.live.kind == SourceKind::program && !in.interactive)
            context.main_program_file = in.source_name();
    }

    vars.save(0, "argc", std::to_string(context.argc).c_str());
    for (int16_t i = 0; i <= context.argc; ++i) {
        const std::string name = "argv" + std::to_string(i);
        vars.save(0, name.c_str(), context.argv[static_cast<size_t>(i)]);
    }
    return true;
}

} // namespace vornmac
