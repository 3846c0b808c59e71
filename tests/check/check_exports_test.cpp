// The checker through the C interface: the home's variable file gives the saved variables
// and the macros of the libraries in its slots, read without changing anything; -D names
// count as set; a file that cannot be read is handed to its own callback.
#include "support/program_run.hpp"
#include "support/test_home.hpp"

#include <vornmac/vornmac.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vornmac::testing;

struct Seen {
    std::vector<std::string> findings;
    std::vector<std::string> unreadable;
};

void on_finding(void *user, const vornmac_check_finding *f) {
    static_cast<Seen *>(user)->findings.push_back(
        std::to_string(f->line) + ":" + std::to_string(f->column) +
        (f->warning ? " warning " : " error ") + f->name + ": " + f->message);
}

void on_unreadable(void *user, const char *file, const char *) {
    static_cast<Seen *>(user)->unreadable.push_back(file);
}

TEST(CheckExports, HomeLibrariesSavedVariablesAndDefinedNames) {
    TestHome home;
    const std::string library = home.path("lib.mac");
    const TestHome installed({{"_macromacro", library}, {"_macro1", library}, {"kept", "1"}});
    run_text(installed, "%macro greet[name, greeting=Hello]; &greeting &name %mend;\n");
    const std::string library_before = installed.read("lib.mac");
    installed.write("p.vm",
                    "%greet[a, greeting=Hi] %greet[a, b]\n&kept &given &nothing %missing x\n");

    const std::string program = installed.path("p.vm");
    const std::string missing = installed.path("none.vm");
    const char *files[] = {program.c_str(), missing.c_str()};
    const char *defined[] = {"given"};
    const std::string variables = installed.options_file();
    const vornmac_check_options options{variables.c_str(), defined, 1, 1};
    Seen seen;
    EXPECT_EQ(vornmac_check_programs(files, 2, &options, &seen, on_finding, on_unreadable), 3);
    EXPECT_EQ(seen.findings,
              (std::vector<std::string>{"1:33 error too-many-arguments: the macro greet takes 1 "
                                        "positional argument: b is one more",
                                        "2:13 warning undefined-variable: &nothing: nothing in the "
                                        "files checked sets this variable",
                                        "2:22 error unknown-macro: %missing is no keyword and no "
                                        "macro of the home's libraries or of "
                                        "the files checked before it"}));
    EXPECT_EQ(seen.unreadable, std::vector<std::string>{missing});
    EXPECT_EQ(installed.read("lib.mac"), library_before);

    Seen quiet;
    const char text[] = "%do; %end; %greet[x]";
    EXPECT_EQ(vornmac_check_text("t.vm", text, sizeof text - 1, nullptr, &quiet, on_finding), 1);
    EXPECT_EQ(quiet.findings.size(), 1u); // no home: greet is unknown
}

} // namespace
