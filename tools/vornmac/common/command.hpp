// One command of the tool (`run`, `vars`, `lib`, `help`). Each lives in a folder of its own
// and offers one function that adds it to the command line: it declares its words on the
// `CLI::App` it gets, binds them to a request record of its own and returns the command,
// which main runs once the words have chosen it. main holds the table of these functions,
// so a new command is one folder and one row there.
#pragma once
#include <memory>

namespace CLI {
class App;
} // namespace CLI

namespace vornmac::tool {

class Command {
  public:
    explicit Command(const CLI::App &words) : words_(words) {}
    virtual ~Command() = default;
    Command(const Command &) = delete;
    Command &operator=(const Command &) = delete;

    // Whether the command line named this command.
    bool chosen() const;
    // Carries the request out; gives the exit status.
    virtual int run() = 0;

  private:
    const CLI::App &words_;
};

// Adds a command to the root of the command line.
using AddCommand = std::unique_ptr<Command> (*)(CLI::App &root);

} // namespace vornmac::tool
