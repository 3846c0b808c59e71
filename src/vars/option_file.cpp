#include "vars/option_file.hpp"

#include "error/error_numbers.hpp"
#include "error/message_format.hpp"
#include "host/parser_context.hpp"
#include "input/input_image.hpp"
#include "platform/message_box.hpp"
#include "platform/path_class.hpp"
#include "platform/raw_file.hpp"
#include "platform/replace_file.hpp"
#include "vars/variable_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace vornmac {

namespace {
const char *const caption = "Options File Error";

// The whole file; false when it is larger than any variable file or cannot be read.
bool read_whole_file(int handle, std::string &bytes) {
    const int64_t size = platform::raw_size(handle);
    if (size < 0 || size > max_variable_file_size) return false;
    bytes.reserve(static_cast<size_t>(size));
    char block[4096];
    int32_t got;
    while ((got = platform::raw_read(handle, block, sizeof block)) > 0) {
        bytes.append(block, static_cast<size_t>(got));
        if (static_cast<int64_t>(bytes.size()) > max_variable_file_size) return false;
    }
    return got == 0;
}

// Opens the file by its name, else "vorn_opt.dat" in the home directory, else the name
// once more. `tried` is the name last tried. Only regular files are opened: a FIFO would
// block the start, a device never ends.
platform::OpenedFile open_variable_file(const ParserContext &context, const std::string &name,
                                        std::string &tried) {
    tried = name;
    const platform::OpenedFile given =
        platform::raw_open_file(name.c_str(), platform::Access::read, false);
    if (given.handle >= 0 || given.wrong_kind) return given;
    const std::string in_home = context.home_dir + default_variable_file;
    const PathClass kind = classify_path(in_home.c_str());
    if (kind == PathClass::writable || kind == PathClass::readable) tried = in_home;
    return platform::raw_open_file(tried.c_str(), platform::Access::read, false);
}

// The box's texts are fixed, so they are not looked up in the message file.
bool refuse(int16_t number, const std::string &format, std::vector<ErrorArg> args) {
    args.insert(args.begin(), ErrorArg(static_cast<int>(number)));
    platform::show_message_box(caption, format_message("ERROR #%d: " + format, args).c_str());
    return false;
}

bool write_all(int handle, const std::string &bytes) {
    constexpr size_t piece_size = size_t{1} << 20;
    for (size_t at = 0; at < bytes.size(); at += piece_size) {
        const auto piece = static_cast<int32_t>(std::min(bytes.size() - at, piece_size));
        if (platform::raw_write(handle, bytes.data() + at, piece) != piece) return false;
    }
    return true;
}
} // namespace

LoadOutcome inspect_variable_file(const std::string &path, VariableFileContents &contents) {
    const platform::OpenedFile opened =
        platform::raw_open_file(path.c_str(), platform::Access::read, false);
    if (opened.handle < 0)
        return {LoadResult::damaged, 0,
                opened.wrong_kind ? "not a regular file"
                                  : std::string("cannot open it: ") + std::strerror(errno)};
    const platform::UniqueHandle file(opened.handle);
    std::string bytes;
    if (!read_whole_file(file.get(), bytes))
        return {LoadResult::damaged, 0, "larger than any variable file, or unreadable"};
    LoadOutcome outcome = parse_variable_file(bytes, contents);
    if (outcome.result == LoadResult::wrong_version)
        outcome.problem = "version " + std::to_string(outcome.version) + ", expected " +
                          std::to_string(variable_file_version);
    return outcome;
}

bool load_options(ParserContext &context, const char *name) {
    context.options_path = name != nullptr ? name : default_variable_file;
    context.errors.suppressed = true;
    std::string tried;
    const platform::OpenedFile opened = open_variable_file(context, context.options_path, tried);
    context.errors.suppressed = false;
    if (opened.wrong_kind)
        return refuse(error::variable_file_not_regular,
                      "Macrovariable File -> %s is not a regular file", {tried.c_str()});
    if (opened.handle < 0)
        return refuse(error::variable_file_not_written,
                      "Cannot Open Macro Variable Disk File -> %s", {tried.c_str()});
    std::string bytes;
    bool complete;
    {
        const platform::UniqueHandle file(opened.handle);
        complete = read_whole_file(file.get(), bytes);
    }
    VariableFileContents contents;
    const LoadOutcome outcome = complete ? read_variable_file(bytes, context.vars, contents)
                                         : LoadOutcome{LoadResult::damaged, 0, {}};
    if (outcome.result == LoadResult::wrong_version)
        return refuse(error::variable_file_wrong_version,
                      "Macrovariable File -> %s is not the right version.  Wanted "
                      "Version=%d.  Got Version=%d.\n",
                      {tried.c_str(), static_cast<int>(variable_file_version),
                       static_cast<int>(outcome.version)});
    if (outcome.result == LoadResult::damaged)
        return refuse(error::variable_file_damaged,
                      "Macrovariable File -> %s is damaged or truncated", {tried.c_str()});
    for (size_t i = 0; i < contents.input_records.size(); ++i)
        context.input.install(static_cast<int16_t>(i),
                              source_from_image(contents.input_records[i]));
    context.input.top = 0;
    context.flags.upper_case = context.vars.optyes("_upper");
    return true;
}

ReplaceOutcome replace_variable_file(const std::string &path, const std::string &bytes,
                                     bool quiet) {
    platform::FileReplacement file(path, temporary_variable_file_name);
    ReplaceOutcome outcome{ReplaceResult::replaced, file.temporary(), file.target()};
    if (!file.created()) {
        if (!quiet) platform::show_message_box("File Creation Error", file.temporary().c_str());
        outcome.result = ReplaceResult::cannot_create;
        return outcome;
    }
    const bool written = write_all(file.handle(), bytes);
    const platform::FileReplacement::Commit commit =
        written ? file.commit() : platform::FileReplacement::Commit::cannot_write;
    if (commit == platform::FileReplacement::Commit::cannot_write) {
        platform::show_message_box("Database Error", "Write File Error");
        outcome.result = ReplaceResult::cannot_write;
    } else if (commit == platform::FileReplacement::Commit::cannot_rename) {
        // The values are in the temporary file; the next save removes it.
        file.keep_temporary();
        outcome.result = ReplaceResult::cannot_rename;
    }
    return outcome;
}

void save_variable_file(ParserContext &context) {
    VariableFileContents contents;
    for (int16_t i = 0; i <= context.input.top; ++i)
        if (const InputSource *source = context.input.slot(i))
            contents.input_records.push_back(image_of(*source));
    std::vector<SavedValue> left_out;
    const std::string bytes = write_variable_file(context.vars, contents, &left_out);
    for (const SavedValue &value : left_out)
        context.errors.raise(error::value_not_saved, {value.name, static_cast<int>(value.level)});
    const ReplaceOutcome outcome = replace_variable_file(context.options_path, bytes, false);
    const char *temporary = outcome.temporary.c_str();
    switch (outcome.result) {
    case ReplaceResult::cannot_create:
        context.errors.raise(error::variable_file_not_written, {"create", temporary});
        break;
    case ReplaceResult::cannot_write:
        context.errors.raise(error::variable_file_not_written, {"write", temporary});
        break;
    case ReplaceResult::cannot_rename:
        context.errors.raise(error::variable_file_not_renamed,
                             {temporary, outcome.path.c_str(), -1});
        break;
    case ReplaceResult::replaced:
        break;
    }
}

} // namespace vornmac
