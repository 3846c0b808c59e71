#include "check/home_settings.hpp"

#include "macro/library_check.hpp"
#include "platform/raw_file.hpp"
#include "vars/option_file.hpp"

#include <cerrno>
#include <cstring>

namespace vornmac::check {

namespace {

using platform::Access;
using platform::UniqueHandle;

int open_for_reading(const std::string &path) {
    return platform::raw_open_file(path.c_str(), Access::read, false).handle;
}

void read_library(const std::string &path, CheckSettings &settings) {
    const UniqueHandle file(open_for_reading(path));
    if (file.get() < 0) return;
    const maclib::LibraryReport report = maclib::inspect_library(maclib::LibraryFile(file.get()));
    for (const maclib::MacroRecord &record : report.records) {
        MacroShape shape{record.name, 0, {}};
        for (const maclib::MacroParameter &parameter : record.parameters) {
            if (parameter.named)
                shape.named.push_back(parameter.name);
            else
                ++shape.positional;
        }
        settings.library_macros.push_back(std::move(shape));
    }
}

} // namespace

void read_home(const std::string &variable_file, CheckSettings &settings) {
    VariableFileContents contents;
    if (inspect_variable_file(variable_file, contents).result != LoadResult::loaded) return;
    for (const SavedValue &value : contents.values) {
        settings.known_variables.push_back(value.name);
        const std::string &name = value.name;
        if (name.size() == 7 && name.compare(0, 6, "_macro") == 0 && name[6] >= '1' &&
            name[6] <= '7' && !value.text.empty())
            read_library(value.text, settings);
    }
}

bool read_program_file(const std::string &path, std::string &text, std::string &reason) {
    const UniqueHandle file(open_for_reading(path));
    if (file.get() < 0) {
        reason = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const int32_t count = platform::raw_read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            reason = std::strerror(errno);
            return false;
        }
        if (count == 0) return true;
        text.append(buffer, static_cast<size_t>(count));
    }
}

} // namespace vornmac::check
