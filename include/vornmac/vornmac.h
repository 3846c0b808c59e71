/* vornmac: the macro-language preprocessor behind the vorntool command language.
 *
 * A host creates a parser context, sets its recovery mark, starts a module and then asks
 * for the tokens of its program one at a time. Operations are declared here as they
 * become available; every one declared here works. */
#ifndef VORNMAC_VORNMAC_H
#define VORNMAC_VORNMAC_H

#include <setjmp.h>
#include <stdint.h>

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
parser_context *init_parser(const char *program_name, int16_t argc, const char *const *argv,
                            const char *program_text, const char *home_dir, int32_t options_tag,
                            const char *options_file, int32_t log_tag, const char *log_file);
/* Copies the host's recovery mark, set with setjmp just before. */
void set_jmpmark(parser_context *ctx, jmp_buf mark);
/* The module name used in error messages (at most 59 characters are kept). */
void set_modulename(parser_context *ctx, const char *name);
/* The variable's text visible at the current level, or an empty text; never null. */
char *call_optstring(parser_context *ctx, const char *name);
/* Stores text as the variable's value at level (65535 is -1, the saved level). */
void *call_savemacrochar(parser_context *ctx, uint16_t level, const char *name, const char *text);
/* The log file record (null without a log); copies its name into name_buffer (at least
 * 200 bytes) when that is not null. */
void *get_logfileptr(parser_context *ctx, char *name_buffer);
/* Writes "N Records Of N Variables [And N Bytes] Written To target" to the log. */
void outmesdbs(parser_context *ctx, int32_t records, int16_t variables, int32_t bytes,
               const char *target);
/* Releases the context; mode 2 also closes the log, any other mode keeps it open for the
 * next context of the process. */
void finish_parser(parser_context *ctx, int32_t mode);

/* The interface version of the library: 80. */
int16_t version_number(void);

#ifdef __cplusplus
}
#endif

#endif
