/* vornmac: the macro-language preprocessor behind the vorntool command language.
 *
 * A host creates a parser context, sets its recovery mark, starts a module and then asks
 * for the tokens of its program one at a time.
 *
 * Calling order: init_parser; set_jmpmark with a buffer the host has just set with setjmp;
 * optionally set_modulename; start_parser_module; call_gettoken repeatedly, reading
 * addcurrtoken/addnextoken after each call; finish_parser last. When a statement fails,
 * the library jumps to the host's mark with 1 (program from a file or host text) or 2
 * (program from the terminal): the context is still usable and the host may call
 * call_gettoken again. A jump with 100 means the library cannot go on (the error message
 * file cannot be used, or the input ran out while the module was being started). */
#ifndef VORNMAC_VORNMAC_H
#define VORNMAC_VORNMAC_H

#include <setjmp.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

/* The shared library exports what this header declares and nothing else: it is built with
 * hidden visibility, and VORNMAC_API marks each declaration below as exported. */
#if defined(__GNUC__)
#define VORNMAC_API __attribute__((visibility("default")))
#else
#define VORNMAC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Tags that tell init_parser that the options-file and log-file arguments are present. */
#define VORNMAC_OPTIONS_TAG 0x7a3d286b
#define VORNMAC_LOG_TAG 0x7a3d287b

typedef struct parser_context parser_context;

/* Creates a parser context, or returns null when start-up failed. argv holds argc + 1
 * entries; entry 0 is not used. The strings must outlive the context. The options and
 * log file arguments count only when their tags carry the values above. */
VORNMAC_API parser_context *init_parser(const char *program_name, int16_t argc,
                                        const char *const *argv, const char *program_text,
                                        const char *home_dir, int32_t options_tag,
                                        const char *options_file, int32_t log_tag,
                                        const char *log_file);
/* Copies the host's recovery mark, set with setjmp just before. */
VORNMAC_API void set_jmpmark(parser_context *ctx, jmp_buf mark);
/* The module name used in error messages (at most 59 characters are kept). */
VORNMAC_API void set_modulename(parser_context *ctx, const char *name);
/* Primes the token pair and copies the first token (with its trailing white space) into
 * first_token, which holds at least 200 bytes. Returns 0. */
VORNMAC_API int16_t start_parser_module(parser_context *ctx, char *first_token);
/* Advances by one token: the next token becomes the current one and a new next token is
 * scanned, running every macro statement and expansion on the way. After a jump with 1 or
 * 2, the token the interrupted call was delivering is still the current token, and the
 * next call delivers it instead of moving past it; after the jump for the end of the input
 * (error 173), the current token holds the last token, not yet delivered. */
VORNMAC_API void call_gettoken(parser_context *ctx);
/* Many call_gettoken requests in one, for a host that passes the text on: while the next
 * token is plain program text (it runs no statement and holds no comment or quote; after
 * the first, a reference to a value of name characters may begin it) and at least 200
 * bytes of room are left, advances by one token and appends the new
 * next token's text, without terminator, at `to`. Stops after max_tokens. Returns how many
 * tokens it delivered and sets *written to the bytes appended; 0 when the next token needs
 * call_gettoken (or right after a jump). The token pair is then as that many call_gettoken
 * requests would leave it; nothing is written to standard output on the way, so `to` may
 * be the host's place in it. */
VORNMAC_API int vornmac_gettokens(parser_context *ctx, char *to, size_t room, int max_tokens,
                                  size_t *written);
/* The 200-byte buffers of the current and the next token; overwritten by call_gettoken. */
VORNMAC_API char *addcurrtoken(parser_context *ctx);
VORNMAC_API char *addnextoken(parser_context *ctx);
/* The variable's text visible at the current level, or an empty text; never null. The text is
 * read only (the library keeps its length): change a value with call_savemacrochar. */
VORNMAC_API char *call_optstring(parser_context *ctx, const char *name);
/* Stores text as the variable's value at level (65535 is -1, the saved level). */
VORNMAC_API void *call_savemacrochar(parser_context *ctx, uint16_t level, const char *name,
                                     const char *text);
/* Raises error `number` of the message file with the host's arguments, exactly as the
 * library raises its own errors. The message's conversions (d i u o x X c s, with flags,
 * width, precision, "*" and the h and l modifiers) say what each argument is: a char *
 * for %s (read no further than the precision), an int for "*" and every other conversion
 * (l does not make it a long). A directive of any other kind is shown as written and takes
 * no argument. */
VORNMAC_API void call_errorproc(parser_context *ctx, int16_t number, va_list args);
/* The log file record (null without a log); copies its name into name_buffer (at least
 * 200 bytes) when that is not null: at most 199 characters and the terminator, so a
 * longer name arrives cut. */
VORNMAC_API void *get_logfileptr(parser_context *ctx, char *name_buffer);
/* Writes "N Records Of N Variables [And N Bytes] Written To target" to the log. */
VORNMAC_API void outmesdbs(parser_context *ctx, int32_t records, int16_t variables, int32_t bytes,
                           const char *target);
/* Saves the variable file and releases the context. A failed save is reported in the log
 * only (vornmac_finish_parser returns it). The log's descriptor is shared by the contexts of
 * the process: mode 2 makes the next start open the log again, but the descriptor is closed
 * only when no context writes to it any more; any other mode keeps it open for the next
 * context. */
VORNMAC_API void finish_parser(parser_context *ctx, int32_t mode);

/* The interface version of the library: 80. */
VORNMAC_API int16_t version_number(void);

/* Extensions for hosts of this implementation. */

/* Error numbers a host tests for, in _errormessage ("ERROR #N : ..."), in the value
 * vornmac_finish_parser returns and in a trace event's error. Every other number the library
 * raises has its line in the message file (data/vornmac.msg) and is meant for people. */
enum {
    /* The input ran out: the normal end of every program, reported with type 4. */
    VORNMAC_ERROR_END_OF_INPUT = 173,
    /* The program did not run: its file cannot be opened, is 2 GiB or more, is a pipe whose
     * text no temporary file can hold, or the program text is over 65534 characters. */
    VORNMAC_ERROR_MAIN_PROGRAM_MISSING = 4504,
    VORNMAC_ERROR_PROGRAM_TEXT_TOO_LONG = 4608,
    VORNMAC_ERROR_PROGRAM_FILE_TOO_LARGE = 4610,
    VORNMAC_ERROR_PROGRAM_PIPE_NOT_KEPT = 4611,
    /* Runaway nesting, stopped at its bound: variable levels, input sources, references
     * nested in one another without a token of text, %if inside one branch, statements,
     * functions and macro calls written inside one another. */
    VORNMAC_ERROR_LEVELS_TOO_DEEP = 2041,
    VORNMAC_ERROR_INPUT_TOO_DEEP = 4604,
    VORNMAC_ERROR_REFERENCE_CYCLE = 4609,
    VORNMAC_ERROR_IF_TOO_DEEP = 4641,
    VORNMAC_ERROR_NESTED_TOO_DEEP = 4642,
    /* A macro library file is damaged; it is left as it was. */
    VORNMAC_ERROR_LIBRARY_DAMAGED = 4650,
    /* The finish did not replace the variable file (the old one stays; after the rename
     * error the values are in the temporary file the message names), or saved it without a
     * value the file cannot hold. */
    VORNMAC_ERROR_VARIABLE_FILE_NOT_WRITTEN = 2042,
    VORNMAC_ERROR_VARIABLE_FILE_NOT_RENAMED = 3018,
    VORNMAC_ERROR_VALUE_NOT_SAVED = 4622,
    /* Raised by vornmac_report_open_construct: the input ended inside a construct, or in the
     * middle of text that is lost. */
    VORNMAC_ERROR_INPUT_ENDED_INSIDE = 4680,
    VORNMAC_ERROR_INPUT_ENDED_IN_TEXT = 4681
};

/* Turns the blanking of white space inside tokens handed to the host off (0) or on
 * (anything else; the default). With it off, tokens keep their line feeds and tabs, so a
 * host can reproduce the line structure of the program. */
VORNMAC_API void vornmac_set_blank_whitespace(parser_context *ctx, int on);
/* Turns the echo of the program text into the log off (0) or on (anything else; the
 * default). Call it before start_parser_module. With it off, the log still gets the
 * library's messages, errors and their input traces, but not the text the program read,
 * so the log no longer grows by the size of every program run. */
VORNMAC_API void vornmac_set_program_echo(parser_context *ctx, int on);
/* The name the main program file was opened under (after the search with _pathprg and
 * _prgextend), "" for program text or the terminal. It stays the same after a %goto, so a
 * host can tell the main program from a file that %goto went on in. */
VORNMAC_API const char *vornmac_main_program_file(parser_context *ctx);
/* Writes a variable file with no saved input and the given variables at the saved level
 * -1, replacing `path` in one step. Returns 0, or -1 when the file cannot be written. */
VORNMAC_API int vornmac_write_variable_file(const char *path, int count, const char *const *names,
                                            const char *const *values);

/* Turns the saving of the variable file at finish_parser off (0) or on (anything else; the
 * default). With it off the variable file is read at start-up as always, and left as it was:
 * values a run saves (%savevar, options a program sets) and where its input stood are not
 * kept for the next run. */
VORNMAC_API void vornmac_set_variable_save(parser_context *ctx, int on);

/* Makes the library write its log to a duplicate of the open descriptor `handle` (the
 * host's standard error, say, which may be a pipe) instead of a log file: the next
 * init_parser uses it as it would reuse the log a finish in a mode other than 2 left open,
 * and the log file name that init_parser gets is only reported (get_logfileptr). A finish in
 * mode 2 closes the duplicate. Returns 0, or -1 with errno set when handle cannot be
 * duplicated. */
VORNMAC_API int vornmac_set_log_descriptor(int handle);

/* Prompts for a program typed at the terminal. By default the library writes "N? " to
 * standard output where its scanner reads a line feed from the terminal's program, which in
 * practice happens only at the end of the input. With a callback set it writes no prompt of
 * its own and calls callback before it reads each line from the terminal, with the number
 * that line will have, so the host can show a prompt where it likes (on the terminal when
 * standard output is redirected, say). The callback must return normally and must not call
 * the library for this context. Null restores the default. */
typedef void (*vornmac_prompt_callback)(void *user, int line);
VORNMAC_API void vornmac_set_prompt(parser_context *ctx, vornmac_prompt_callback callback,
                                    void *user);

/* finish_parser that tells the host whether the finish went well: it returns 0, or the
 * number of the last error raised while finishing (the variable file could not be saved,
 * or a value could not be kept in it). The error's message is then copied into message
 * (message_size bytes, terminated, cut when longer) when message is not null. The
 * context is released either way. */
VORNMAC_API int vornmac_finish_parser(parser_context *ctx, int32_t mode, char *message,
                                      size_t message_size);

/* One input record of a variable file, as a load would restore it. */
typedef struct vornmac_saved_input {
    char kind; /* ' ' program file or terminal, 'm' macro, 't' file, 's' variable text */
    int16_t line;
    int16_t column;
    int16_t level;
    int16_t end_blanks;
    int32_t offset; /* characters consumed so far */
    int32_t length; /* 9999999 for the terminal */
    const char *source_name;
    const char *current_name;
} vornmac_saved_input;

typedef void (*vornmac_input_visitor)(void *user, const vornmac_saved_input *input);
typedef void (*vornmac_value_visitor)(void *user, int16_t level, const char *name,
                                      const char *text);

/* Reads the variable file at path by exactly the rules init_parser loads it with, without
 * loading it. For a file that would load it calls on_input for each input record and
 * on_value for each value a load reads (either visitor may be null) and returns 0.
 * Otherwise it returns -1 and describes the first fault, with its byte offset where there
 * is one, in problem (problem_size bytes) when problem is not null. */
VORNMAC_API int vornmac_read_variable_file(const char *path, void *user,
                                           vornmac_input_visitor on_input,
                                           vornmac_value_visitor on_value, char *problem,
                                           size_t problem_size);

/* Files for hosts: the same file handling the library uses for its own files. */

/* Copies a token from one of the 200-byte token buffers (addcurrtoken, addnextoken, or a
 * buffer as large) to `to`, where 200 bytes are free, and gives its length. It moves eight
 * bytes at a time, which beats strlen and memcpy on texts as short as tokens; up to seven
 * bytes after the terminator are copied too. */
VORNMAC_API size_t vornmac_copy_token(const char *token, char *to);

/* Replacing a file as a whole: the bytes go into a temporary file beside the target (its
 * name plus temporary_suffix, or that plus ".PID.N" while another writer holds that name),
 * which the commit forces to the disk and renames over the target in one step, with the
 * target's mode. Readers see the old file or the new one, never a part; temporaries that
 * killed writers left are removed first. A target that is no regular file (/dev/null, a
 * FIFO, the process's standard output or error) is written in place. */
typedef struct vornmac_file_replacement vornmac_file_replacement;
/* Null when no file to write into can be made; errno then tells why. */
VORNMAC_API vornmac_file_replacement *vornmac_begin_file_replacement(const char *target,
                                                                     const char *temporary_suffix);
/* Appends count bytes; 0, or -1 with errno set when they could not all be written. */
VORNMAC_API int vornmac_write_file_replacement(vornmac_file_replacement *replacement,
                                               const void *bytes, size_t count);
/* Puts the written file in the target's place: 0, or -1 with errno set (the target is then
 * left as it was). */
VORNMAC_API int vornmac_commit_file_replacement(vornmac_file_replacement *replacement);
/* Releases the replacement; an uncommitted temporary is removed, the target left alone. */
VORNMAC_API void vornmac_end_file_replacement(vornmac_file_replacement *replacement);

/* Creates an empty macro library file at path, unless a file of that name is there: of runs
 * that create one together, one creates it whole and the others find it. Returns 0 when it
 * was created, 1 when a file was there, -1 with errno set when it could not be created. */
VORNMAC_API int vornmac_create_macro_library(const char *path);

/* One macro of a library file, as vornmac_read_macro_library shows it. Texts are as stored
 * (quoting markers included) unless said otherwise; all pointers are valid only during the
 * callback. */
typedef struct vornmac_library_macro {
    const char *name;
    const char *label; /* "" without one */
    int32_t offset;    /* where its record starts in the file */
    int32_t record_size;
    /* When it was defined, in local time; defined_valid is 0 for a record whose time stamp
     * is no time a clock gives, and the other fields are then 0. */
    int defined_valid;
    int year, month, day, hour, minute;
    /* Positional parameters first; a named one has its default text, a positional one null. */
    int parameter_count;
    const char *const *parameter_names;
    const char *const *parameter_defaults;
    /* The definition as program text that defines the macro again, "%macro NAME(LABEL)
     * [PARAMETERS]BODY%mend;" and a line feed, with the quoting markers taken out; null when
     * the body cannot be read. */
    const char *definition;
    size_t definition_length;
} vornmac_library_macro;

/* What a library holds besides its macros. */
typedef struct vornmac_library_summary {
    int32_t macros;
    int32_t free_blocks;
    int64_t free_bytes;
    uint32_t end_offset;
} vornmac_library_summary;

typedef void (*vornmac_macro_visitor)(void *user, const vornmac_library_macro *macro);
typedef void (*vornmac_fault_visitor)(void *user, int32_t offset, const char *what);

/* Reads the macro library file at path without changing it, under a shared lock (waiting up
 * to 10 seconds for a run that is changing it): on_macro gets each macro that can be read,
 * newest first, and on_fault every fault of the file's lists and records, with its byte
 * offset and what was expected (either may be null). Returns 0 for a sound file, 1 for a
 * damaged one, and -1 when the file cannot be read at all, with the reason in problem
 * (problem_size bytes) when problem is not null. summary, when not null, gets the counts of
 * what could be read. */
VORNMAC_API int vornmac_read_macro_library(const char *path, void *user,
                                           vornmac_macro_visitor on_macro,
                                           vornmac_fault_visitor on_fault,
                                           vornmac_library_summary *summary, char *problem,
                                           size_t problem_size);

/* The names the library looks for a program file under (the main program, %include and
 * %goto), in the order it tries them, given the extension (_prgextend) and the folder
 * (_pathprg, with its trailing "/"): name, name.extension, folder + name, folder +
 * name.extension; those with an empty extension or folder are left out. visit gets each,
 * with found 1 when it names a file that can be opened for reading. The library reads the
 * first one found, or the name as it stands when none is. */
typedef void (*vornmac_candidate_visitor)(void *user, const char *name, int found);
VORNMAC_API void vornmac_program_file_candidates(const char *name, const char *extension,
                                                 const char *folder, void *user,
                                                 vornmac_candidate_visitor visit);

/* Whether two names are the same variable or macro name to the library: 1 or 0. Letters A to
 * Z match their lower-case forms, any two white-space characters match, trailing white
 * space does not count, and only the first 200 characters do. */
VORNMAC_API int vornmac_same_name(const char *a, const char *b);

/* What was still open when the input ran out. The input running out is how every program
 * ends (error 173), so a program whose %do has no %end, whose comment, argument list or
 * %let is not closed, or whose last reference is cut off by the end of the input ends there
 * without an error of its own, the rest of it swallowed. After the end of the input the
 * library tells what was open at that moment, innermost first: each construct that was
 * still being read, and the text of a token or a name cut off there (which is lost). */
typedef struct vornmac_open_construct {
    /* What was open: "%do", "%if", "%macro", "%let" (a statement, up to its ";"),
     * "%upcase(" (a function), "%name[" (a macro call's arguments), the "/" "*" of a comment,
     * "&name" or "%name" (a name being read), or the text of a token cut off. */
    const char *construct;
    /* What would have closed it: "%end", "%mend", "%then", "%to", ";", ")", "]", the "*" "/"
     * of a comment; "" when the text itself is lost. */
    const char *closing;
    /* Where it began: its source as vornmac_trace_event names it; the line, and the
     * column as error messages count it, at its first character (the "%", the "&", the
     * "/" of a comment, the first character of a token), the characters before it on
     * its line. */
    char source_kind;
    const char *source_name;
    int16_t source_index;
    int16_t line;
    int16_t column;
} vornmac_open_construct;

/* The number of constructs open when the input last ran out (0 when it has not, or nothing
 * was open); fills *construct with entry `index` when there is one. The texts stay valid
 * until the next token request or the finish. */
VORNMAC_API int vornmac_open_constructs(parser_context *ctx, int index,
                                        vornmac_open_construct *construct);
/* Raises the error that tells of open construct `index`, as call_errorproc raises one:
 * VORNMAC_ERROR_INPUT_ENDED_INSIDE ("The input ended inside %s before its %s", with the
 * construct and its closing) or VORNMAC_ERROR_INPUT_ENDED_IN_TEXT ("The input ended in the
 * middle of %s, which is lost"), never suppressed. The input
 * is gone by then, so the error has no trace entry: where the construct began is told by
 * vornmac_open_constructs. The library then jumps to the host's mark with 1 (2 for the
 * terminal). Does nothing for an index out of range. */
VORNMAC_API void vornmac_report_open_construct(parser_context *ctx, int index);

/* Tracing: the library tells the host about each action it runs while it scans. */

/* What ran. */
enum {
    VORNMAC_TRACE_STATEMENT = 1,       /* a statement keyword: %let, %if, %do, %include ... */
    VORNMAC_TRACE_FUNCTION = 2,        /* a function keyword: %eval, %substr, %str ... */
    VORNMAC_TRACE_MACRO = 3,           /* a call of a macro from a library */
    VORNMAC_TRACE_REFERENCE = 4,       /* an &name reference */
    VORNMAC_TRACE_COMMAND_VARIABLE = 5 /* %sys_c1 ... %sys_c5 read as program text */
};

/* One action, reported when it is over: what it read (the references and calls inside
 * its arguments) has been reported before it, one level deeper, and what it produced is
 * read after it. All pointers are valid only during the callback. */
typedef struct vornmac_trace_event {
    int kind;         /* VORNMAC_TRACE_... */
    const char *name; /* the keyword in lower case, the macro or variable name as written
                         (without the white space after it); "&x" for &&x */
    /* Where its "%" or "&" stood: the line, and the column as error messages count it (the
     * characters before it on its line). Text handed back by a statement (a branch, a loop
     * body, a function result) counts as part of the source it came from. */
    char source_kind;        /* ' ' program file or terminal, 'm' macro body, 's' variable text */
    const char *source_name; /* the file name ("" for the terminal), the macro name, the
                                variable name ("_TEMP0" for program text given by the host) */
    int16_t source_index;    /* its place on the input stack: 0 is the main program */
    int16_t line;
    int16_t column;
    int16_t depth; /* sources above the main program plus the actions whose arguments
                      are being read around it */
    /* The text it handed back to be read next (the variable's value, the function's result,
     * the chosen branch, the loop body, the macro body), with the quoting markers taken
     * out; null when it handed back nothing (%let, %put, a failed call). */
    const char *text;
    size_t text_length;
    /* Macro calls: each parameter with the value bound to it (markers taken out, as in
     * text), positional ones first. */
    int argument_count;
    const char *const *argument_names;
    const char *const *argument_values;
    /* The last error raised while it ran (what it read included), 0 when there was none.
     * An action cut short by an error reports that error; 173 when the input ran out. */
    int error;
} vornmac_trace_event;

typedef void (*vornmac_trace_callback)(void *user, const vornmac_trace_event *event);

/* Registers the trace callback (null: no tracing, the default; tracing off costs nothing
 * measurable). It is called during call_gettoken and start_parser_module, in the middle
 * of a scan. It must return normally (no longjmp, no exception). It may read the event,
 * call call_optstring, addcurrtoken, addnextoken, get_logfileptr and version_number, call
 * vornmac_set_trace to change or stop tracing, and use other contexts freely. Operations
 * that would change this context's state are refused while it runs: start_parser_module,
 * call_gettoken, call_savemacrochar, call_errorproc, outmesdbs and finish_parser (and
 * vornmac_finish_parser) return at once and do nothing. */
VORNMAC_API void vornmac_set_trace(parser_context *ctx, vornmac_trace_callback callback,
                                   void *user);

/* Checking: programs read without running anything. No statement executes, no file is
 * written, nothing is logged; the home's variable file and macro libraries are only read. */

typedef struct vornmac_check_options {
    /* The home's variable file (its saved variables count as set, and the libraries of its
     * slots _macro1 ... _macro7 hold the macros a program may call); null for none. */
    const char *variable_file;
    /* Variables the host sets before a run (-D): references to them are not reported. */
    const char *const *defined;
    int defined_count;
    /* Non-zero: a reference to a variable that nothing sets is reported as a warning. */
    int report_undefined;
} vornmac_check_options;

/* One finding: where it starts (line from 1; column as error messages count it, the
 * characters before the token on its line), an error or a warning, one sentence, and a
 * short stable name such as "unclosed-do". Pointers are valid only during the callback. */
typedef struct vornmac_check_finding {
    const char *file;
    int32_t line;
    int32_t column;
    int warning; /* 0 error, 1 warning */
    const char *message;
    const char *name;
} vornmac_check_finding;

typedef void (*vornmac_finding_visitor)(void *user, const vornmac_check_finding *finding);
typedef void (*vornmac_unreadable_visitor)(void *user, const char *file, const char *reason);

/* Checks the program files in the order given (a macro one defines counts in the files
 * after it, and in every macro body) and calls on_finding for each finding, file by file,
 * each file's in the order of its text. A file that cannot be read goes to on_unreadable
 * with the reason and is left out. Returns the number of findings. */
VORNMAC_API int vornmac_check_programs(const char *const *files, int file_count,
                                       const vornmac_check_options *options, void *user,
                                       vornmac_finding_visitor on_finding,
                                       vornmac_unreadable_visitor on_unreadable);
/* The same for one program given as text, named `name` in the findings. */
VORNMAC_API int vornmac_check_text(const char *name, const char *text, size_t length,
                                   const vornmac_check_options *options, void *user,
                                   vornmac_finding_visitor on_finding);

#ifdef __cplusplus
}
#endif

#endif
