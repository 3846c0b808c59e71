#include "common/help_command.hpp"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace vornmac::tool {

namespace {

class HelpCommand : public Command {
  public:
    HelpCommand(const CLI::App &words, const CLI::App &root) : Command(words), root_(root) {}
    int run() override {
        const CLI::App *page = topic.empty() ? &root_ : root_.get_subcommand(topic);
        const std::string name = topic.empty() ? root_.get_name() : root_.get_name() + ' ' + topic;
        std::fputs(page->get_formatter()->make_help(page, name, CLI::AppFormatMode::Normal).c_str(),
                   stdout);
        return 0;
    }

    std::string topic;

  private:
    const CLI::App &root_;
};

} // namespace

std::unique_ptr<Command> add_help_command(CLI::App &root) {
    CLI::App &help = *root.add_subcommand("help", "show this help, or the help of COMMAND");
    auto command = std::make_unique<HelpCommand>(help, root);
    help.add_option("COMMAND", command->topic, "a command")
        ->type_name("")
        ->check(
            [&root](const std::string &name) -> std::string {
                for (const CLI::App *known : root.get_subcommands({}))
                    if (known->get_name() == name && name != "help") return {};
                return "no command " + name;
            },
            "COMMAND");
    return command;
}

} // namespace vornmac::tool
