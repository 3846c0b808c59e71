// Keeps fuzzed programs from starting processes: %system with any text would otherwise
// run whatever command the fuzzer composes, as the user who runs it, and every child
// slows the run down. The library calls posix_spawn only through its platform layer, so
// this definition, linked into the targets that run programs, takes the place of the C
// library's and reports every program as not found.
#include <cerrno>
#include <spawn.h>

extern "C" int posix_spawn(pid_t *, const char *, const posix_spawn_file_actions_t *,
                           const posix_spawnattr_t *, char *const[], char *const[]) {
    return ENOENT;
}
