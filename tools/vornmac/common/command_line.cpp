#include "common/command_line.hpp"

#include <CLI/CLI.hpp>

#include <memory>
#include <sstream>
#include <utility>
#include <vector>

namespace vornmac::tool {

namespace {

// The usage forms replace CLI11's generated usage line, which cannot show that the words
// after a program are its own; the description follows them, the notes end the page.
class CommandFormatter : public CLI::Formatter {
  public:
    explicit CommandFormatter(std::vector<std::string> forms) : forms_(std::move(forms)) {}

    std::string make_description(const CLI::App *) const override { return {}; }

    std::string make_usage(const CLI::App *app, std::string name) const override {
        std::ostringstream out;
        const char *lead = "Usage: ";
        for (const std::string &form : forms_) {
            out << lead << name << ' ' << form << '\n';
            lead = "       ";
        }
        out << '\n' << app->get_description() << '\n';
        return out.str();
    }

    // CLI11 writes a description on one line however long; break it at blanks so that the
    // page fits a terminal (CLI11 indents the lines after a line feed to the column).
    std::string make_option_desc(const CLI::Option *option) const override {
        return wrapped(CLI::Formatter::make_option_desc(option), page_width - column_width_);
    }

  private:
    static constexpr size_t page_width = 90;

    static std::string wrapped(const std::string &text, size_t width) {
        std::string out;
        size_t line_start = 0;
        std::istringstream words(text);
        for (std::string word; words >> word;) {
            if (out.size() > line_start && out.size() - line_start + 1 + word.size() > width) {
                out += '\n';
                line_start = out.size();
            } else if (out.size() > line_start) {
                out += ' ';
            }
            out += word;
        }
        return out;
    }

    std::vector<std::string> forms_;
};

// The last command the words chose ("print" of "vornmac lib print"), and its full name, so
// that an error names the command whose help explains it.
const CLI::App *chosen_command(const CLI::App *app, std::string &name) {
    name = app->get_name();
    while (!app->get_subcommands().empty()) {
        app = app->get_subcommands().front();
        name += ' ' + app->get_name();
    }
    return app;
}

// "a, b or c" (or "and").
std::string listed(const std::vector<std::string> &names, const char *last_joint) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? last_joint : ", ") + names[i];
    return text;
}

// CLI11 says "A subcommand is required" for a command that needs one whatever the words
// held; the words it could not place tell what the user meant.
std::string missing_command_message(const CLI::App &command) {
    std::vector<std::string> names;
    for (const CLI::App *sub : command.get_subcommands({}))
        names.push_back(sub->get_name());
    const std::vector<std::string> rest = command.remaining();
    if (rest.empty()) return "a command is required: " + listed(names, " or ");
    if (rest.front().starts_with('-')) return "unknown option " + rest.front();
    return "unknown command " + rest.front() + " (the commands are " + listed(names, " and ") + ")";
}

std::string failure_message(const CLI::App *root, const CLI::Error &error) {
    std::string command;
    const CLI::App *chosen = chosen_command(root, command);
    const bool missing_command = dynamic_cast<const CLI::RequiredError *>(&error) != nullptr &&
                                 chosen->get_require_subcommand_min() > 0;
    return command + ": " + (missing_command ? missing_command_message(*chosen) : error.what()) +
           "\nRun \"" + command + " --help\" for more information.\n";
}

} // namespace

void describe_command(CLI::App &command, std::initializer_list<const char *> forms,
                      std::string notes) {
    auto formatter =
        std::make_shared<CommandFormatter>(std::vector<std::string>(forms.begin(), forms.end()));
    formatter->column_width(24);
    command.formatter(std::move(formatter));
    command.footer(std::move(notes));
}

std::optional<int> parse_command_line(CLI::App &root, int argc, const char *const *argv) {
    root.failure_message(failure_message);
    try {
        root.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        // Help and the version count as success; every other outcome is a bad command line.
        return root.exit(error) == 0 ? 0 : 2;
    }
    return std::nullopt;
}

CLI::Option *take_assignments(CLI::Option *option) {
    return option->type_name("NAME=VALUE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->check([](const std::string &word) -> std::string {
            const size_t equals = word.find('=');
            if (equals == std::string::npos || equals == 0)
                return "needs NAME=VALUE with a name, got \"" + word + "\"";
            return {};
        });
}

Assignment split_assignment(const std::string &word) {
    const size_t equals = word.find('=');
    return {word.substr(0, equals), word.substr(equals + 1)};
}

} // namespace vornmac::tool
