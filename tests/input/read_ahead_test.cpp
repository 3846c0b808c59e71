// A file source's windows are copied from bytes read ahead of them. A program that changes
// its own file while it reads it, with a command or through its %put file, must still read
// what the file holds at each window, as when every window was read from the file: those
// changes drop the bytes read ahead.
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vornmac {
namespace {

// The program's text: `head`, the statement `rewrite` (which starts in the second window,
// after the first bytes have been read ahead), then 24 KiB of `body_line`. The text ends in
// the statement's window in either case, so what follows shows which text was read.
std::string self_program(const std::string &rewrite, const std::string &body_line) {
    std::string text;
    while (text.size() < 1100)
        text += "h\n";
    text += rewrite + "\n";
    while (text.size() < 24 * 1024)
        text += body_line;
    return text;
}

// How many tokens of the program `file` begin with each of 'o' and 'n'.
std::pair<int, int> body_tokens(const testing::TestHome &home, const std::string &file) {
    testing::ProgramRequest request;
    request.file = file.c_str();
    request.max_tokens = 100000;
    std::pair<int, int> counts;
    for (const std::string &token : testing::run_program(home, request).tokens) {
        counts.first += token[0] == 'o';
        counts.second += token[0] == 'n';
    }
    return counts;
}

TEST(ReadAhead, ProgramReadsItsOwnTextAsItRewritesIt) {
    testing::TestHome home;
    const std::string self = home.path("self.vm");
    const std::string copy_command = "%system cp " + home.path("next.vm") + " " + self + ";";
    const std::string put_command = "%file " + self + "; %put x; %file;";
    for (const std::string &rewrite : {copy_command, put_command}) {
        const std::string old_text = self_program(rewrite, "o\n");
        const std::string new_text = self_program(rewrite, "n\n");
        home.write("self.vm", old_text);
        home.write("next.vm", new_text);
        // The window holding the statement, read before it ran, ends at 2048; what follows
        // is the copied text, or nothing after %file emptied the file.
        const int old_lines = static_cast<int>(2048 - old_text.find(rewrite) - rewrite.size()) / 2;
        const int new_lines = rewrite == copy_command ? (24 * 1024 - 2048) / 2 : 0;
        EXPECT_EQ(body_tokens(home, self), std::make_pair(old_lines, new_lines)) << rewrite;
    }
}

} // namespace
} // namespace vornmac
