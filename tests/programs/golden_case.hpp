// One golden case: a directory that holds the program and what a host must see.
//
//   program          the program file, bytes exact (or `text`: the program passed as host text)
//   vars             NAME=VALUE lines set at level 0 before the module starts (escaped form)
//   options          NAME=VALUE lines saved in the variable file (level -1)
//   args             the host's arguments 1, 2, ..., one per line (escaped form)
//   settings         host settings, one per line: keep-whitespace
//   files/           files copied into the home before the run (include files, libraries)
//   stdin            what the program reads from standard input (%input, the terminal)
//   expected.stdout  what the program writes to standard output (%display), bytes exact
//   test.msg         replaces the default message file
//   expected.tokens  the events, in order:
//                      "text"    a token the scanner completed (escaped form)
//                      jump N    a jump to the host's mark with N
//                      end       the jump for error 173: all input has been read
//                      abort     the jump with 100: the library cannot go on
//                      *         any run of events
//                    followed, after a jump, end or abort, by indented lines
//                    `  NAME "pattern"` for the error variables read at that jump
//   expected.vars    `NAME "pattern"` lines read with call_optstring after the last event
//   expected.log     the log file, line ends as line feeds, <HOME>/ for the home directory
//   expected.trace   the trace events, one line each (see trace_line in golden_host.hpp);
//                    the host registers its trace callback only when this file exists
// "<HOME>/" in vars and options stands for the home directory, so that a case can name its
// own files. Lines beginning with "#" are comments in the expected files.
#pragma once

#include "golden_text.hpp"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace golden {

struct Assignment {
    std::string name;
    std::string value;
};

enum class EventKind { token, jump, end, abort, any };

// An event the host saw, or one expected; for expected jumps `vars` holds patterns.
struct Event {
    EventKind kind = EventKind::token;
    std::string token;
    int jump_value = 0;
    std::vector<Assignment> vars;
};

struct GoldenCase {
    std::string program;
    bool program_as_text = false;
    bool keep_whitespace = false;
    std::vector<Assignment> vars;
    std::vector<Assignment> options;
    std::vector<std::string> args;
    std::optional<std::string> messages;
    std::vector<Event> expected_events;
    std::vector<Assignment> expected_vars;
    std::optional<std::string> expected_log;
    std::optional<std::string> expected_trace;
    std::filesystem::path files; // empty when the case has none
    std::optional<std::string> standard_input;
    std::optional<std::string> expected_stdout;
};

inline bool is_comment_or_blank(const std::string &line) {
    return line.empty() || line.front() == '#';
}

inline std::string quoted_value(const std::string &text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        throw std::runtime_error("expected a quoted value: " + text);
    return unescape(text.substr(1, text.size() - 2));
}

// `NAME "value"`.
inline Assignment named_value(const std::string &line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) throw std::runtime_error("expected NAME \"value\": " + line);
    return {line.substr(0, blank), quoted_value(line.substr(blank + 1))};
}

inline std::vector<Assignment> read_assignments(const std::filesystem::path &path) {
    std::vector<Assignment> result;
    if (!std::filesystem::exists(path)) return result;
    for (const std::string &line : split_lines(read_file(path))) {
        if (line.empty()) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) throw std::runtime_error("expected NAME=VALUE: " + line);
        result.push_back({line.substr(0, equals), unescape(line.substr(equals + 1))});
    }
    return result;
}

inline std::vector<Assignment> read_named_values(const std::filesystem::path &path) {
    std::vector<Assignment> result;
    if (!std::filesystem::exists(path)) return result;
    for (const std::string &line : split_lines(read_file(path)))
        if (!is_comment_or_blank(line)) result.push_back(named_value(line));
    return result;
}

inline Event parse_event(const std::string &line) {
    if (line.front() == '"') return {EventKind::token, quoted_value(line), 0, {}};
    if (line == "end") return {EventKind::end, {}, 1, {}};
    if (line == "abort") return {EventKind::abort, {}, 100, {}};
    if (line == "*") return {EventKind::any, {}, 0, {}};
    if (line.starts_with("jump ")) return {EventKind::jump, {}, std::stoi(line.substr(5)), {}};
    throw std::runtime_error("unknown event line: " + line);
}

inline std::vector<Event> parse_events(const std::string &text) {
    std::vector<Event> events;
    for (const std::string &line : split_lines(text)) {
        if (is_comment_or_blank(line)) continue;
        if (line.starts_with("  ")) {
            if (events.empty() || events.back().kind == EventKind::token ||
                events.back().kind == EventKind::any)
                throw std::runtime_error("variable line without a jump: " + line);
            events.back().vars.push_back(named_value(line.substr(2)));
            continue;
        }
        events.push_back(parse_event(line));
    }
    return events;
}

inline GoldenCase load_case(const std::filesystem::path &dir) {
    GoldenCase c;
    if (std::filesystem::exists(dir / "text")) {
        c.program = read_file(dir / "text");
        c.program_as_text = true;
    } else {
        c.program = read_file(dir / "program");
    }
    c.vars = read_assignments(dir / "vars");
    c.options = read_assignments(dir / "options");
    if (std::filesystem::exists(dir / "args"))
        for (const std::string &line : split_lines(read_file(dir / "args")))
            c.args.push_back(unescape(line));
    if (std::filesystem::exists(dir / "settings"))
        for (const std::string &line : split_lines(read_file(dir / "settings"))) {
            if (line != "keep-whitespace") throw std::runtime_error("unknown setting: " + line);
            c.keep_whitespace = true;
        }
    if (std::filesystem::exists(dir / "test.msg")) c.messages = read_file(dir / "test.msg");
    c.expected_events = parse_events(read_file(dir / "expected.tokens"));
    c.expected_vars = read_named_values(dir / "expected.vars");
    if (std::filesystem::exists(dir / "expected.log"))
        c.expected_log = read_file(dir / "expected.log");
    if (std::filesystem::exists(dir / "expected.trace"))
        c.expected_trace = read_file(dir / "expected.trace");
    if (std::filesystem::is_directory(dir / "files")) c.files = dir / "files";
    if (std::filesystem::exists(dir / "stdin")) c.standard_input = read_file(dir / "stdin");
    if (std::filesystem::exists(dir / "expected.stdout"))
        c.expected_stdout = read_file(dir / "expected.stdout");
    return c;
}

inline std::string render_events(const std::vector<Event> &events) {
    std::string out;
    for (const Event &e : events) {
        switch (e.kind) {
        case EventKind::token:
            out += "\"" + escape(e.token) + "\"\n";
            break;
        case EventKind::jump:
            out += "jump " + std::to_string(e.jump_value) + "\n";
            break;
        case EventKind::end:
            out += "end\n";
            break;
        case EventKind::abort:
            out += "abort\n";
            break;
        case EventKind::any:
            out += "*\n";
            break;
        }
        for (const Assignment &v : e.vars)
            out += "  " + v.name + " \"" + escape(v.value) + "\"\n";
    }
    return out;
}

// An actual event matches an expected one when the kinds agree, and the token text, or the
// jump value and every listed error variable, agree.
inline bool event_matches(const Event &expected, const Event &actual) {
    if (expected.kind != actual.kind) return false;
    if (expected.kind == EventKind::token) return expected.token == actual.token;
    if (expected.jump_value != actual.jump_value) return false;
    for (const Assignment &want : expected.vars) {
        const Assignment *got = nullptr;
        for (const Assignment &v : actual.vars)
            if (v.name == want.name) got = &v;
        if (got == nullptr || !glob_match(want.value, got->value)) return false;
    }
    return true;
}

inline bool events_match(const std::vector<Event> &expected, std::size_t i,
                         const std::vector<Event> &actual, std::size_t j) {
    if (i == expected.size()) return j == actual.size();
    if (expected[i].kind == EventKind::any) {
        for (std::size_t skip = j; skip <= actual.size(); ++skip)
            if (events_match(expected, i + 1, actual, skip)) return true;
        return false;
    }
    return j < actual.size() && event_matches(expected[i], actual[j]) &&
           events_match(expected, i + 1, actual, j + 1);
}

} // namespace golden
