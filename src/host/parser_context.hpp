// The parser context: everything one program run needs, one object per subsystem. The
// host receives it as the opaque `parser_context` and passes it back on every call.
// Members are declared in dependency order, so they are destroyed in reverse: nothing
// outlives the memory it came from.
#pragma once
#include "error/error_reporter.hpp"
#include "func/evaluator.hpp"
#include "func/put_file.hpp"
#include "host/block_pool.hpp"
#include "host/buffered_file.hpp"
#include "host/nesting_depths.hpp"
#include "host/open_constructs.hpp"
#include "host/tracer.hpp"
#include "input/input_stack.hpp"
#include "input/scanner.hpp"
#include "input/text_chain.hpp"
#include "macro/macro_invocation.hpp"
#include "macro/macro_library.hpp"
#include "stmt/loop_records.hpp"
#include "vars/var_store.hpp"
#include "vornmac/vornmac.h"

#include <csetjmp>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The C interface's opaque handle; the real record derives from it.
struct parser_context {};

namespace vornmac {

// Host-set module flags; nothing in the library turns them off.
struct ModuleFlags {
    bool expand_in_quotes = false;
    bool write_program = true;
    bool echo_program = true; // the host's choice; write_program follows it at each start
    bool macro_echo = true;
    bool message = true;
    bool blank_whitespace = true;
    bool upper_case = false;
};

// A host that shows the terminal's prompts itself (vornmac_set_prompt).
struct PromptHook {
    vornmac_prompt_callback callback = nullptr;
    void *user = nullptr;
};

// The host's recovery mark. The library jumps to it only once the host has set it.
struct RecoveryMark {
    std::jmp_buf mark{};
    bool host_set = false;
};

class ParserContext : public parser_context {
  public:
    ParserContext(const char *home_dir, int16_t argc, std::vector<const char *> argv);

    ChunkAllocator chunks;
    BlockPool pool{chunks};
    ErrorReporter errors{*this};
    VarStore vars{chunks, pool, [this](int16_t number, std::vector<ErrorArg> args) {
                      errors.raise(number, std::move(args));
                  }};
    SegmentSupply segments{pool};
    InputStack input{*this};
    Scanner scanner{*this};
    MacroLibrary macros{*this};
    MacroCalls macro_calls;
    LoopRecords loops;
    ExpressionTexts expression_texts;
    NestingDepths nesting;

    Tracer trace;
    OpenConstructs open_constructs;
    ModuleFlags flags;
    RecoveryMark recovery;
    std::unique_ptr<BufferedFile> log;
    std::string log_name;
    PutFile put_file{*this};  // after the log, which it may stand for
    std::string options_path; // where finish_parser saves the variable file
    std::string home_dir;
    std::string module_name;
    // The name the main program file was opened under, after the search with _pathprg and
    // _prgextend; empty for program text or the terminal. A %goto does not change it.
    std::string main_program_file;
    int16_t argc;
    std::vector<const char *> argv; // argc + 1 entries; the strings stay the host's
    bool no_program = false;
    bool save_variables = true; // the host may keep finish_parser from writing the variable file
    PromptHook prompt;
    // Set while a token request runs; still set after a jump, so that the next request
    // delivers the interrupted token instead of moving past it.
    bool delivery_interrupted = false;

    static constexpr size_t module_name_size = 60;
};

} // namespace vornmac
