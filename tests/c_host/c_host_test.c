#define _POSIX_C_SOURCE 200809L
/* A host written in plain C: creates a context with its recovery mark, sets and reads
 * variables, writes a message to the log and finishes, as a real host does. */
#include <vornmac/vornmac.h>

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok) {
        fprintf(stderr, "failed: %s\n", what);
        ++failures;
    }
}

int main(void) {
    char dir[] = "/tmp/vornmac_c_host_XXXXXX";
    char log_path[256];
    char name[256];
    char contents[512] = {0};
    const char *argv[] = {"ignored", "first", "second"};
    jmp_buf mark;
    parser_context *ctx;
    FILE *log;

    if (mkdtemp(dir) == NULL) return 1;
    snprintf(log_path, sizeof log_path, "%s/host.log", dir);

    check(version_number() == 80, "version_number is 80");
    ctx = init_parser(NULL, 2, argv, "text", dir, 0, NULL, VORNMAC_LOG_TAG, log_path);
    check(ctx != NULL, "init_parser gives a context");
    if (ctx == NULL) return 1;
    if (setjmp(mark) != 0) {
        check(0, "no jump expected");
        return 1;
    }
    set_jmpmark(ctx, mark);
    set_modulename(ctx, "c-host");

    check(strcmp(call_optstring(ctx, "argc"), "2") == 0, "argc is 2");
    check(strcmp(call_optstring(ctx, "argv0"), "Batch Editor") == 0, "argv0 for host text");
    check(strcmp(call_optstring(ctx, "argv2"), "second") == 0, "argv2 copied");
    check(call_savemacrochar(ctx, 0, "answer", "42") != NULL, "savemacrochar stores");
    check(strcmp(call_optstring(ctx, "ANSWER"), "42") == 0, "names ignore case");
    check(strcmp(call_optstring(ctx, "missing"), "") == 0, "missing gives empty text");

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
    check(strcmp(contents, "12 Records Of 3 Variables Written To out.dbs\r\n\r\n") == 0,
          "outmesdbs line without bytes");
    unlink(log_path);
    rmdir(dir);

    printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
