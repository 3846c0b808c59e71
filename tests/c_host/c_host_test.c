#define _POSIX_C_SOURCE 200809L
/* A host written in plain C: creates a context with its recovery mark, sets and reads
 * variables, runs a program with an error in it through the recovery-mark protocol, writes
 * a message to the log and finishes, as a real host does. */
#include <vornmac/vornmac.h>

#include <setjmp.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int failures = 0;
static jmp_buf mark;

static void check(int ok, const char *what) {
    if (!ok) {
        fprintf(stderr, "failed: %s\n", what);
        ++failures;
    }
}

static void write_text(const char *path, const char *text) {
    FILE *file = fopen(path, "wb");
    if (file == NULL) return;
    fputs(text, file);
    fclose(file);
}

/* What the trace callback saw, and what it tried to do to the context it was called for. */
static struct {
    char lines[1024];
    int events;
    int refused;
} traced;

static void on_trace(void *user, const vornmac_trace_event *event) {
    parser_context *ctx = (parser_context *)user;
    char line[200];
    snprintf(line, sizeof line, "%d:%s:%d:%d:%d:%s|", event->kind, event->name, event->line,
             event->column, event->depth, event->text != NULL ? event->text : "-");
    if (strlen(traced.lines) + strlen(line) < sizeof traced.lines) strcat(traced.lines, line);
    ++traced.events;
    /* Calls that would change the context in the middle of its scan do nothing. */
    call_gettoken(ctx);
    if (call_savemacrochar(ctx, 0, "x", "changed") == NULL) ++traced.refused;
    finish_parser(ctx, 2);
}

/* A traced run: the callback sees each reference and function, innermost first, with what
 * it handed back, and cannot disturb the run. */
static void trace_run(const char *home, const char *options, const char *log_path) {
    static char tokens[256];
    static parser_context *ctx;
    char first[200];
    tokens[0] = '\0';
    ctx = init_parser(NULL, 0, NULL, "%let x=4; &x %eval(&x+1) end\n", home, VORNMAC_OPTIONS_TAG,
                      options, VORNMAC_LOG_TAG, log_path);
    check(ctx != NULL, "traced init_parser gives a context");
    if (ctx == NULL) return;
    vornmac_set_trace(ctx, on_trace, ctx);
    if (setjmp(mark) == 0) {
        set_jmpmark(ctx, mark);
        start_parser_module(ctx, first);
        strcat(tokens, first);
        for (;;) {
            call_gettoken(ctx);
            strcat(tokens, addcurrtoken(ctx));
        }
    }
    check(strcmp(tokens, "4 5 ") == 0, "traced run gives the tokens of an untraced one");
    /* Columns after a variable's text count one on, as error columns do. */
    check(strcmp(traced.lines, "1:let:1:0:0:-|4:x:1:10:0:4|4:x:1:20:1:4|2:eval:1:14:0:5|") == 0,
          "trace events in order, with their text");
    check(traced.refused == traced.events, "the callback cannot store variables");
    check(strcmp(call_optstring(ctx, "x"), "4") == 0, "the callback changed nothing");
    vornmac_set_trace(ctx, NULL, NULL);
    finish_parser(ctx, 2);
}

static void raise_from_host(parser_context *ctx, int16_t number, ...) {
    va_list args;
    va_start(args, number);
    call_errorproc(ctx, number, args);
    va_end(args);
}

int main(void) {
    char dir[] = "/tmp/vornmac_c_host_XXXXXX";
    char home[64], log_path[96], options[96], messages[96];
    char name[256];
    char first[200];
    char contents[4096] = {0};
    const char *argv[] = {"ignored", "first", "second"};
    const char *option_names[] = {"_errorfile"};
    const char *option_values[] = {"host.msg"};
    static parser_context *ctx;
    static int jumps = 0;
    static int last_jump = 0;
    static char seen[512];
    FILE *log;

    if (mkdtemp(dir) == NULL) return 1;
    snprintf(home, sizeof home, "%s/", dir);
    snprintf(log_path, sizeof log_path, "%shost.log", home);
    snprintf(options, sizeof options, "%svorn_opt.dat", home);
    snprintf(messages, sizeof messages, "%shost.msg", home);
    check(vornmac_write_variable_file(options, 1, option_names, option_values) == 0,
          "variable file written");
    write_text(messages, "173 4 end of input\n2021 1 no variable %s\n7000 5 host: %s %d\n"
                         "32000 0 end\n");

    check(version_number() == 80, "version_number is 80");
    ctx = init_parser(NULL, 2, argv, "one &missing two three\n", home, VORNMAC_OPTIONS_TAG, options,
                      VORNMAC_LOG_TAG, log_path);
    check(ctx != NULL, "init_parser gives a context");
    if (ctx == NULL) return 1;

    switch (setjmp(mark)) {
    case 0:
        set_jmpmark(ctx, mark);
        set_modulename(ctx, "c-host");
        check(strcmp(call_optstring(ctx, "argc"), "2") == 0, "argc is 2");
        check(strcmp(call_optstring(ctx, "argv0"), "Batch Editor") == 0, "argv0 for host text");
        check(strcmp(call_optstring(ctx, "argv2"), "second") == 0, "argv2 copied");
        check(call_savemacrochar(ctx, 0, "answer", "42") != NULL, "savemacrochar stores");
        check(strcmp(call_optstring(ctx, "ANSWER"), "42") == 0, "names ignore case");
        start_parser_module(ctx, first);
        strcat(seen, first);
        break;
    case 1:
        ++jumps;
        last_jump = 1;
        break;
    default:
        ++jumps;
        last_jump = 99;
        break;
    }
    if (last_jump == 1 && strncmp(call_optstring(ctx, "_errormessage"), "ERROR #173", 10) == 0) {
        /* The token that was being delivered when the input ran out. */
        strcat(seen, addcurrtoken(ctx));
        strcat(seen, "<end>");
    } else {
        for (;;) {
            call_gettoken(ctx);
            strcat(seen, addcurrtoken(ctx));
        }
    }
    check(jumps == 2, "one jump for the error, one for the end of the input");
    check(strcmp(seen, "one two three <end>") == 0, "tokens follow the failing reference");
    check(strcmp(call_optstring(ctx, "_errortype"), "4") == 0, "end of input has its own type");

    if (setjmp(mark) == 0) {
        set_jmpmark(ctx, mark);
        raise_from_host(ctx, 7000, "disk", 12);
        check(0, "a host error jumps");
    }
    check(strcmp(call_optstring(ctx, "_errormessage"), "ERROR #7000 : host: disk 12\n") == 0,
          "host error formatted from its arguments");

    check(get_logfileptr(ctx, name) != NULL, "log is open");
    check(strcmp(name, log_path) == 0, "log name reported");
    outmesdbs(ctx, 12, 3, 0, "out.dbs");
    finish_parser(ctx, 2);

    log = fopen(log_path, "rb");
    check(log != NULL, "log file exists");
    if (log != NULL) {
        size_t n = fread(contents, 1, sizeof contents - 1, log);
        contents[n] = '\0';
        fclose(log);
    }
    check(strstr(contents, "ERROR #2021 : no variable missing \r\n") != NULL,
          "error message in the log");
    check(strstr(contents, "12 Records Of 3 Variables Written To out.dbs\r\n\r\n") != NULL,
          "outmesdbs line without bytes");
    trace_run(home, options, log_path);

    unlink(log_path);
    unlink(options);
    unlink(messages);
    rmdir(dir);

    printf("%s\n", failures == 0 ? "passed" : "failed");
    return failures == 0 ? 0 : 1;
}
