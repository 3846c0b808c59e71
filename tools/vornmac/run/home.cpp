#include "run/home.hpp"

#include "run/default_messages.hpp"
#include "run/replaced_file.hpp"

#include <vornmac/vornmac.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vornmac::tool {

namespace {

// The saved options a new home starts with; the README's "Running programs" section
// documents each of them.
struct DefaultVariable {
    const char *name;
    const char *value;
};
constexpr std::array<DefaultVariable, 7> default_variables{{
    {"_errorfile", "vornmac.msg"},
    {"_errorlog", "yes"},
    {"_logfile", ""},
    {"_upper", "no"},
    {"_expand_macros_in_quotes", "no"},
    {"_prgextend", "vm"},
    {"_pathprg", ""},
}};

// The home as an absolute path ending in "/": the library stores paths made from it (the
// macro library's name in the variable file), and a relative one would mean another place
// to a run started in another directory.
std::string home_directory(const std::string &named) {
    std::error_code error;
    std::string directory = std::filesystem::absolute(named, error).lexically_normal().string();
    if (error) directory = named;
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

// Writes through a temporary file beside the file, renamed over it once complete, so two
// first runs at once never leave a half-written file behind. Gives 0 or the errno.
int write_whole_file(const std::string &path, std::string_view bytes) {
    ReplacedFile file(path, ".tmp");
    if (file.write(bytes.data(), bytes.size()) && file.commit()) return 0;
    return file.reason();
}

// Besides the constant defaults, the home's macro library is both the file that %macro
// writes into and the first library searched, so a definition can be called at once and
// is still there on the next run. Gives 0 or the errno.
int write_default_variable_file(const Home &home) {
    const std::string library = home.macro_library();
    std::vector<const char *> names{"_macromacro", "_macro1"};
    std::vector<const char *> values{library.c_str(), library.c_str()};
    for (const DefaultVariable &v : default_variables) {
        names.push_back(v.name);
        values.push_back(v.value);
    }
    errno = 0;
    if (vornmac_write_variable_file(home.variable_file().c_str(), static_cast<int>(names.size()),
                                    names.data(), values.data()) == 0)
        return 0;
    return errno != 0 ? errno : EIO;
}

// Runs started together on a new home each find the library missing: it is created so
// that none replaces the one another has already defined macros in. Gives 0 or the errno.
int create_empty_macro_library(const std::string &path) {
    return vornmac_create_macro_library(path.c_str()) >= 0 ? 0 : errno;
}

std::string cannot_write(const std::string &path, int reason) {
    return "cannot write " + path + ": " + std::strerror(reason);
}

} // namespace

std::optional<Home> locate_home(const std::optional<std::string> &option) {
    if (option && !option->empty()) return Home{home_directory(*option)};
    if (const char *env = std::getenv("VORNMAC_HOME"); env != nullptr && *env != '\0')
        return Home{home_directory(env)};
    if (const char *user = std::getenv("HOME"); user != nullptr && *user != '\0')
        return Home{home_directory(std::string(user) + "/.vornmac")};
    return std::nullopt;
}

std::optional<std::string> prepare_home(const Home &home) {
    std::error_code error;
    std::filesystem::create_directories(home.directory, error);
    if (error) return "cannot create the home " + home.directory + ": " + error.message();
    if (!std::filesystem::exists(home.message_file(), error))
        if (const int reason = write_whole_file(home.message_file(), default_message_file()))
            return cannot_write(home.message_file(), reason);
    if (!std::filesystem::exists(home.macro_library(), error))
        if (const int reason = create_empty_macro_library(home.macro_library()))
            return cannot_write(home.macro_library(), reason);
    if (!std::filesystem::exists(home.variable_file(), error))
        if (const int reason = write_default_variable_file(home))
            return cannot_write(home.variable_file(), reason);
    return std::nullopt;
}

} // namespace vornmac::tool
