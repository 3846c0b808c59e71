// Gives every fuzz target a timeout of its own: libFuzzer waits 20 minutes for one input
// by default, so a hang would hardly be noticed. Unless the command line names a
// -timeout, "-timeout=10" is added to it before libFuzzer reads its flags, and an input
// that runs longer is reported as a timeout with the input saved.
#include <cstring>
#include <vector>

namespace {
constexpr const char *default_timeout = "-timeout=10";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], "-timeout=", 9) == 0) return 0;
    // libFuzzer keeps the pointers for the whole run: the new vector must live as long.
    static std::vector<char *> with_timeout;
    with_timeout.assign(*argv, *argv + *argc);
    with_timeout.insert(with_timeout.begin() + 1, const_cast<char *>(default_timeout));
    with_timeout.push_back(nullptr);
    *argv = with_timeout.data();
    ++*argc;
    return 0;
}
