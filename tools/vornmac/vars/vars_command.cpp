#include "vars/vars_command.hpp"

#include "common/command_line.hpp"

#include "common/text_escape.hpp"
#include "vars/variable_listing.hpp"
#include "vars/vars_edit.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vornmac::tool {

namespace {

constexpr const char vars_notes[] =
    R"(The listing shows the file's version, the input records saved with it, and every saved
value with its level, one per line. Texts are shown in double quotes, with control
characters, quotes and backslashes escaped; names are escaped the same way, without the
quotes. With NAME, the command prints that saved
value's text as it stands, followed by a line feed.

--set and --unset change saved values in place, in the order given: --set gives NAME the
text VALUE (adding it when the file has none), --unset removes NAME. The new file replaces
the old one in one step; on any failure the old file is left as it was. The input records
saved by the last run are not kept.

Exit status: 0 when done, 1 for a file that cannot be read or is malformed, a NAME it does
not save, or an edit that was refused, 2 for a bad command line.
)";

constexpr int variable_file_version = 2;

void print(const Listing &file) {
    std::printf("version %d\n", variable_file_version);
    std::printf("input records %zu\n", file.inputs.size());
    for (size_t i = 0; i < file.inputs.size(); ++i) {
        const vornmac_saved_input &in = file.inputs[i].fields;
        std::printf("  %zu kind %s source %s current %s line %d column %d offset %d length %d "
                    "level %d end-blanks %d\n",
                    i, escaped_quoted(std::string(1, in.kind)).c_str(),
                    escaped_quoted(file.inputs[i].source_name).c_str(),
                    escaped_quoted(file.inputs[i].current_name).c_str(), in.line, in.column,
                    in.offset, in.length, in.level, in.end_blanks);
    }
    std::printf("values %zu\n", file.values.size());
    for (const SavedValue &value : file.values)
        std::printf("  %d %s = %s\n", value.level, escaped(value.name).c_str(),
                    escaped_quoted(value.text).c_str());
}

int print_value(const char *path, const Listing &file, const std::string &name) {
    const auto found = std::ranges::find(file.values, name, &SavedValue::name);
    if (found == file.values.end()) {
        std::fprintf(stderr, "vornmac vars: %s: no saved value %s\n", path, name.c_str());
        return 1;
    }
    std::fwrite(found->text.data(), 1, found->text.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

// Collects the edits in the order their words came, --set and --unset interleaved.
std::vector<VarsEdit> edits_in_order(const CLI::App &vars, const CLI::Option *set,
                                     const CLI::Option *unset) {
    std::vector<VarsEdit> edits;
    size_t next_set = 0, next_unset = 0;
    for (const CLI::Option *option : vars.parse_order()) {
        if (option == set) {
            const Assignment assignment = split_assignment(set->results()[next_set++]);
            edits.push_back({true, assignment.name, assignment.value});
        } else if (option == unset) {
            edits.push_back({false, unset->results()[next_unset++], ""});
        }
    }
    return edits;
}

struct VarsRequest {
    std::string path;
    std::optional<std::string> name; // print this value only
    std::vector<VarsEdit> edits;     // --set and --unset, in the order given
};

class VarsCommand : public Command {
  public:
    using Command::Command;
    int run() override;

    VarsRequest request;
};

int VarsCommand::run() {
    const char *path = request.path.c_str();
    auto read = read_listing(path);
    if (const auto *problem = std::get_if<std::string>(&read)) {
        std::fprintf(stderr, "vornmac vars: %s: %s\n", path, problem->c_str());
        return 1;
    }
    Listing &listing = std::get<Listing>(read);
    if (request.name) return print_value(path, listing, *request.name);
    if (request.edits.empty()) {
        print(listing);
        return 0;
    }
    if (const auto problem = edit_variable_file(path, std::move(listing), request.edits)) {
        std::fprintf(stderr, "vornmac vars: %s: %s\n", path, problem->c_str());
        return 1;
    }
    return 0;
}

} // namespace

std::unique_ptr<Command> add_vars_command(CLI::App &root) {
    CLI::App &vars =
        *root.add_subcommand("vars", "list the options and saved values of a variable file");
    auto command = std::make_unique<VarsCommand>(vars);
    VarsRequest &request = command->request;
    describe_command(vars, {"FILE", "FILE NAME", "FILE (--set NAME=VALUE | --unset NAME)..."},
                     vars_notes);
    vars.add_option("FILE", request.path, "the variable file (vorn_opt.dat in the vornmac home)")
        ->type_name("")
        ->required();
    CLI::Option *name =
        vars.add_option("NAME", request.name, "print this saved value only")->type_name("");
    CLI::Option *set = take_assignments(
        vars.add_option("--set", "give the saved value NAME the text VALUE (repeatable)"));
    CLI::Option *unset = vars.add_option("--unset", "remove the saved value NAME (repeatable)")
                             ->type_name("NAME")
                             ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                             ->allow_extra_args(false);
    name->excludes(set)->excludes(unset);
    vars.callback(
        [&request, &vars, set, unset] { request.edits = edits_in_order(vars, set, unset); });
    return command;
}

} // namespace vornmac::tool
