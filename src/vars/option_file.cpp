#include "vars/option_file.hpp"

#include "error/message_format.hpp"
#include "host/parser_context.hpp"
#include "input/input_image.hpp"
#include "platform/message_box.hpp"
#include "platform/path_class.hpp"
#include "platform/raw_file.hpp"
#include "vars/variable_file.hpp"

#include <cstdio>

namespace vornmac {

namespace {
const char *const caption = "Options File Error";
constexpr int16_t cannot_write_file = 2042;
constexpr int16_t cannot_rename_file = 3018;

bool read_whole_file(int handle, std::string &bytes) {
    char block[4096];
    int32_t got;
    while ((got = platform::raw_read(handle, block, sizeof block)) > 0)
        bytes.append(block, static_cast<size_t>(got));
    return got == 0;
}

// Opens the file by its name, else "vorn_opt.dat" in the home directory, else the name
// once more. `tried` is the name last tried.
int open_variable_file(const ParserContext &context, const std::string &name, std::string &tried) {
    tried = name;
    int handle = platform::raw_open_existing(name.c_str(), platform::Access::read);
    if (handle >= 0) return handle;
    const std::string in_home = context.home_dir + default_variable_file;
    const PathClass kind = classify_path(in_home.c_str());
    if (kind == PathClass::writable || kind == PathClass::readable) tried = in_home;
    return platform::raw_open_existing(tried.c_str(), platform::Access::read);
}

bool refuse(const std::string &format, const std::vector<ErrorArg> &args) {
    platform::show_message_box(caption, format_message(format, args).c_str());
    return false;
}
} // namespace

bool load_options(ParserContext &context, const char *name) {
    context.options_path = name != nullptr ? name : default_variable_file;
    context.errors.suppressed = true;
    std::string tried;
    const int handle = open_variable_file(context, context.options_path, tried);
    context.errors.suppressed = false;
    if (handle < 0)
        return refuse("ERROR #2042: Cannot Open Macro Variable Disk File -> %s", {tried.c_str()});
    std::string bytes;
    const bool complete = read_whole_file(handle, bytes);
    platform::raw_close(handle);

    VariableFileContents contents;
    const LoadOutcome outcome = read_variable_file(bytes, context.vars, contents);
    if (outcome.result == LoadResult::wrong_version)
        return refuse("ERROR #3004: Macrovariable File -> %s is not the right version.  Wanted "
                      "Version=%d.  Got Version=%d.\n",
                      {tried.c_str(), static_cast<int>(variable_file_version),
                       static_cast<int>(outcome.version)});
    if (!complete || outcome.result == LoadResult::damaged)
        return refuse("ERROR #4607: Macrovariable File -> %s is damaged or truncated",
                      {tried.c_str()});
    for (size_t i = 0; i < contents.input_records.size(); ++i)
        context.input.install(static_cast<int16_t>(i),
                              source_from_image(contents.input_records[i]));
    context.input.top = 0;
    context.flags.upper_case = context.vars.optyes("_upper");
    return true;
}

ReplaceResult replace_file(const std::string &path, const std::string &temporary,
                           const std::string &bytes, bool quiet) {
    {
        std::unique_ptr<BufferedFile> file =
            BufferedFile::open(temporary.c_str(), quiet ? "W" : "w");
        if (!file) return ReplaceResult::cannot_create;
        file->write(bytes.data(), static_cast<int32_t>(bytes.size()));
        file->close();
        if (file->write_failed()) {
            std::remove(temporary.c_str());
            return ReplaceResult::cannot_write;
        }
    }
    // rename replaces the old file atomically: there is never a moment without one.
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return ReplaceResult::cannot_rename;
    return ReplaceResult::replaced;
}

void save_variable_file(ParserContext &context) {
    VariableFileContents contents;
    for (int16_t i = 0; i <= context.input.top; ++i)
        if (const InputSource *source = context.input.slot(i))
            contents.input_records.push_back(image_of(*source));
    const std::string &path = context.options_path;
    const std::string temporary = temporary_variable_file_name(path);
    switch (replace_file(path, temporary, write_variable_file(context.vars, contents), false)) {
    case ReplaceResult::cannot_create:
        context.errors.raise(cannot_write_file, {"create", temporary.c_str()});
        break;
    case ReplaceResult::cannot_write:
        context.errors.raise(cannot_write_file, {"write", temporary.c_str()});
        break;
    case ReplaceResult::cannot_rename:
        context.errors.raise(cannot_rename_file, {temporary.c_str(), path.c_str(), -1});
        break;
    case ReplaceResult::replaced:
        break;
    }
}

} // namespace vornmac
