// A host for the golden cases, written against the public C interface only, as a real host
// is: it creates a parser in a fresh home directory, starts the module and asks for tokens
// until the input runs out, recording every token the scanner completes and every jump to
// its recovery mark.
//
// The recorded tokens are the first token of start_parser_module, its next token, and then
// the next token after each call_gettoken: together the whole stream, including the last
// token, which a host only ever sees as the next token before the end-of-input error. Plain
// tokens it takes two at a time with vornmac_gettokens, as the vornmac tool takes them.
#pragma once

#include "golden_case.hpp"
#include "golden_text.hpp"
#include "support/fast_paths.hpp"
#include "vornmac/vornmac.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <stdio_ext.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace golden {

inline constexpr int end_of_input_error_type = 4;
inline constexpr std::size_t max_events = 5000;

inline const char *const error_variables[] = {"_errormessage", "_errortype",  "_errorline",
                                              "_errorcolumn",  "_errordepth", "_errormodule"};

class TempHome {
  public:
    TempHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vornmac_golden_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern + "/";
    }
    ~TempHome() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;
    // The home directory with its trailing separator, as init_parser gets it.
    const std::string &dir() const { return dir_; }
    std::string path(const std::string &name) const { return dir_ + name; }

  private:
    std::string dir_;
};

// Points the process's standard input or output at a file for the life of the object. The
// stdio buffers are emptied on both sides, so no byte crosses from one case to another.
class StreamRedirect {
  public:
    StreamRedirect(FILE *stream, const std::string &path) : stream_(stream), fd_(fileno(stream)) {
        const bool input = stream == stdin;
        settle();
        saved_ = dup(fd_);
        const int opened = input ? open(path.c_str(), O_RDONLY)
                                 : open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (saved_ < 0 || opened < 0) throw std::runtime_error("cannot redirect to " + path);
        dup2(opened, fd_);
        close(opened);
    }
    ~StreamRedirect() {
        settle();
        dup2(saved_, fd_);
        close(saved_);
    }
    StreamRedirect(const StreamRedirect &) = delete;
    StreamRedirect &operator=(const StreamRedirect &) = delete;

  private:
    void settle() {
        if (stream_ == stdin)
            __fpurge(stdin);
        else
            std::fflush(stream_);
        clearerr(stream_);
    }
    FILE *stream_;
    int fd_;
    int saved_ = -1;
};

struct ParserCloser {
    void operator()(parser_context *ctx) const { finish_parser(ctx, 2); }
};
using ParserHandle = std::unique_ptr<parser_context, ParserCloser>;

// One trace event as a line of expected.trace: two blanks per depth, the kind, the name
// (with its arguments for a macro call), where its trigger stood (source kind ' ' as "file",
// 'm' as "macro", 's' as "var"; the source name; its stack index, line and column), the
// text it handed back in quotes (escaped form) or "-" for none, and the error when there
// was one:  `  macro m[a="1"] macro:outer#1:2:3 -> "text" error 2021`
inline std::string trace_line(const vornmac_trace_event &e) {
    static const char *const kinds[] = {"?",     "statement", "function",
                                        "macro", "reference", "command"};
    std::string line(static_cast<std::size_t>(std::max<int>(e.depth, 0)) * 2, ' ');
    line += kinds[e.kind >= 1 && e.kind <= 5 ? e.kind : 0];
    line += " ";
    line += e.name;
    if (e.argument_count > 0) {
        line += "[";
        for (int i = 0; i < e.argument_count; ++i) {
            if (i > 0) line += ",";
            line += e.argument_names[i];
            line += "=\"" + escape(e.argument_values[i]) + "\"";
        }
        line += "]";
    }
    line += e.source_kind == 'm' ? " macro:" : e.source_kind == 's' ? " var:" : " file:";
    line += std::string(e.source_name) + "#" + std::to_string(e.source_index) + ":" +
            std::to_string(e.line) + ":" + std::to_string(e.column);
    line += e.text == nullptr ? " -> -"
                              : " -> \"" + escape(std::string_view(e.text, e.text_length)) + "\"";
    if (e.error != 0) line += " error " + std::to_string(e.error);
    return line;
}

struct HostRun {
    bool started = false;
    std::vector<Event> events;
    std::vector<std::string> trace;
    // Breaches of the token-pair protocol, described for the failure report.
    std::vector<std::string> protocol_faults;
    std::vector<Assignment> final_vars;
    std::string log;
    std::string standard_output;
};

enum class HostCall { start, next_token };

// One library call under a fresh recovery mark: 0 when it returned, else the jump value.
// The mark lives in this frame, which stays alive for as long as the call can jump.
[[gnu::noinline]] inline int guarded_call(parser_context *ctx, HostCall call, char *first_token) {
    std::jmp_buf mark;
    switch (setjmp(mark)) {
    case 0:
        break;
    case 1:
        return 1;
    case 2:
        return 2;
    case 100:
        return 100;
    default:
        return -1;
    }
    set_jmpmark(ctx, mark);
    if (call == HostCall::start) {
        if (start_parser_module(ctx, first_token) != 0) return -2;
    } else {
        call_gettoken(ctx);
    }
    return 0;
}

class GoldenHost {
  public:
    GoldenHost(const GoldenCase &c, const std::string &default_messages)
        : case_(c), default_messages_(default_messages) {}

    HostRun run() {
        prepare_home();
        std::vector<const char *> argv{"host's own argv0"};
        for (const std::string &a : case_.args)
            argv.push_back(a.c_str());
        const std::string program_path = home_.path("program");
        const std::string options_path = home_.path("vorn_opt.dat");
        const std::string log_path = home_.path("test.log");
        ParserHandle ctx(init_parser(case_.program_as_text ? nullptr : program_path.c_str(),
                                     static_cast<int16_t>(case_.args.size()), argv.data(),
                                     case_.program_as_text ? case_.program.c_str() : nullptr,
                                     home_.dir().c_str(), VORNMAC_OPTIONS_TAG, options_path.c_str(),
                                     VORNMAC_LOG_TAG, log_path.c_str()));
        if (ctx == nullptr) return std::move(run_);
        vornmac::testing::use_test_fast_paths(ctx.get());
        run_.started = true;
        set_modulename(ctx.get(), "golden");
        if (case_.keep_whitespace) vornmac_set_blank_whitespace(ctx.get(), 0);
        if (case_.expected_trace) vornmac_set_trace(ctx.get(), record_trace, &run_.trace);
        for (const Assignment &v : case_.vars)
            call_savemacrochar(ctx.get(), 0, v.name.c_str(), with_home(v.value).c_str());
        {
            const std::string input_path = home_.path("stdin.txt");
            write_file(input_path, case_.standard_input.value_or(""));
            StreamRedirect input(stdin, input_path);
            StreamRedirect output(stdout, home_.path("stdout.txt"));
            drive(ctx.get());
            for (std::string &line : run_.trace)
                line = normalised(line);
            for (const Assignment &want : case_.expected_vars)
                run_.final_vars.push_back(
                    {want.name, normalised(call_optstring(ctx.get(), want.name.c_str()))});
            ctx.reset();
        }
        run_.standard_output = read_file(home_.path("stdout.txt"));
        if (std::filesystem::exists(log_path)) run_.log = normalised(read_file(log_path));
        return std::move(run_);
    }

  private:
    std::string with_home(std::string text) const {
        replace_all(text, "<HOME>/", home_.dir());
        return text;
    }

    void prepare_home() {
        if (!case_.files.empty())
            std::filesystem::copy(case_.files, home_.dir(),
                                  std::filesystem::copy_options::recursive);
        write_file(home_.path("program"), case_.program);
        write_file(home_.path("test.msg"), case_.messages.value_or(default_messages_));
        std::vector<const char *> names;
        std::vector<const char *> values;
        std::vector<std::string> option_values;
        option_values.reserve(case_.options.size());
        bool names_error_file = false;
        for (const Assignment &o : case_.options) {
            option_values.push_back(with_home(o.value));
            names.push_back(o.name.c_str());
            values.push_back(option_values.back().c_str());
            names_error_file = names_error_file || o.name == "_errorfile";
        }
        if (!names_error_file) {
            names.push_back("_errorfile");
            values.push_back("test.msg");
        }
        if (vornmac_write_variable_file(home_.path("vorn_opt.dat").c_str(),
                                        static_cast<int>(names.size()), names.data(),
                                        values.data()) != 0)
            throw std::runtime_error("cannot write the variable file");
    }

    void drive(parser_context *ctx) {
        char first_token[256] = {};
        bool previous_returned = false;
        int jumped = guarded_call(ctx, HostCall::start, first_token);
        if (jumped == 0) {
            if (std::string(first_token) != addcurrtoken(ctx))
                fault("start_parser_module's buffer differs from the current token");
            run_.events.push_back({EventKind::token, first_token, 0, {}});
            record_next(ctx);
            previous_returned = true;
        } else if (!record_jump(ctx, jumped)) {
            return;
        }
        // A jump out of start_parser_module can leave the first token undelivered in the
        // current token; the next request delivers it along with the next token.
        bool start_jumped = jumped != 0;
        while (run_.events.size() < max_events) {
            if (previous_returned && take_plain_tokens(ctx)) continue;
            jumped = guarded_call(ctx, HostCall::next_token, nullptr);
            if (jumped != 0) {
                if (!record_jump(ctx, jumped)) return;
                previous_returned = false;
                continue;
            }
            if (start_jumped && *addcurrtoken(ctx) != '\0')
                run_.events.push_back({EventKind::token, addcurrtoken(ctx), 0, {}});
            start_jumped = false;
            if (previous_returned && run_.events.back().token != addcurrtoken(ctx))
                fault("current token after call_gettoken is not the previous next token \"" +
                      escape(run_.events.back().token) + "\"");
            record_next(ctx);
            previous_returned = true;
        }
        fault("no end of input after " + std::to_string(max_events) + " events");
    }

    // Plain tokens two at a time, as a host passing the text on takes them: the text
    // delivered must be the two tokens the pair then holds (one: the next token), and the
    // first must follow the previous next token as call_gettoken would have it.
    bool take_plain_tokens(parser_context *ctx) {
        char text[400];
        size_t written = 0;
        const int count = vornmac_gettokens(ctx, text, sizeof text, 2, &written);
        if (count == 0) return false;
        const std::string previous = run_.events.back().token;
        if (count == 1 && previous != addcurrtoken(ctx))
            fault("current token after vornmac_gettokens is not the previous next token");
        if (count == 2) run_.events.push_back({EventKind::token, addcurrtoken(ctx), 0, {}});
        record_next(ctx);
        std::string delivered = run_.events.back().token;
        if (count == 2) delivered.insert(0, addcurrtoken(ctx));
        if (std::string(text, written) != delivered)
            fault("vornmac_gettokens delivered \"" + escape(std::string(text, written)) +
                  "\", not the tokens of its pair");
        return true;
    }

    void record_next(parser_context *ctx) {
        const std::string next = addnextoken(ctx);
        if (next.size() >= 200) fault("token longer than 199 bytes");
        run_.events.push_back({EventKind::token, next, 0, {}});
    }

    // Records a jump; false when the run is over (end of input or the library gave up).
    bool record_jump(parser_context *ctx, int value) {
        Event e{EventKind::jump, {}, value, {}};
        for (const char *name : error_variables)
            e.vars.push_back({name, normalised(call_optstring(ctx, name))});
        const std::string &message = e.vars[0].value;
        const bool end_of_input = message.starts_with("ERROR #173 ") ||
                                  e.vars[1].value == std::to_string(end_of_input_error_type);
        if (value == 100) {
            e.kind = EventKind::abort;
        } else if (value > 0 && end_of_input) {
            e.kind = EventKind::end;
        } else if (value != 1 && value != 2) {
            fault("jump with an unexpected value " + std::to_string(value));
        }
        run_.events.push_back(std::move(e));
        return run_.events.back().kind == EventKind::jump;
    }

    void fault(const std::string &what) { run_.protocol_faults.push_back(what); }

    static void record_trace(void *user, const vornmac_trace_event *event) {
        static_cast<std::vector<std::string> *>(user)->push_back(trace_line(*event));
    }

    // The temporary home directory reads as <HOME>/ in values and the log.
    std::string normalised(std::string text) const {
        replace_all(text, home_.dir(), "<HOME>/");
        return text;
    }

    const GoldenCase &case_;
    const std::string &default_messages_;
    TempHome home_;
    HostRun run_;
};

} // namespace golden
