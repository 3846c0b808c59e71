// A temporary home directory for one test: a variable file with the given saved options
// (the message file "test.msg" among them), a small message file, and the log. Everything
// is removed when the test ends.
#pragma once
#include "vornmac/vornmac.h"

#include <string>
#include <utility>
#include <vector>

namespace vornmac::testing {

using Options = std::vector<std::pair<std::string, std::string>>;

class TestHome {
  public:
    explicit TestHome(const Options &options = {});
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    const std::string &dir() const { return dir_; } // ends in "/"
    std::string path(const std::string &name) const { return dir_ + name; }
    std::string options_file() const { return path("vorn_opt.dat"); }
    std::string log_file() const { return path("test.log"); }
    void write(const std::string &name, const std::string &bytes) const;
    // A context for the program file or text, with this home's variable file.
    parser_context *create(const char *file, const char *text) const;
    std::string read(const std::string &name) const;

  private:
    std::string dir_;
};

// The message file every test home gets.
extern const char *const test_messages;

} // namespace vornmac::testing
