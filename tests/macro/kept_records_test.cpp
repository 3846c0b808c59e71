// A call keeps the record it read from an open library slot, with its whole body, and reads
// neither again while the slot's file stays unchanged; the body is read in place. Every
// program must run the same with the records kept and with each call reading the file, and
// with the body read in place and copied block by block: each golden case, and programs
// that change or swap a library between calls, inside a call's arguments, or call a body
// longer than one read block.
#include "macro/macro_library.hpp"
#include "support/golden_both_ways.hpp"
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

TEST(KeptRecords, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::macro_records), 100);
}

TEST(BodiesInPlace, GoldenCasesGiveTheSameRunEitherWay) {
    EXPECT_GT(testing::expect_golden_cases_agree(&FastPaths::macro_in_place), 100);
}

// The program's tokens, run with the fast path on and off; both must be `expected`.
void expect_tokens_either_way(const std::string &program, const std::string &expected,
                              bool FastPaths::*fast_path = &FastPaths::macro_records) {
    testing::TestHome home;
    std::string text = program;
    for (size_t at; (at = text.find("HOME/")) != std::string::npos;)
        text.replace(at, 5, home.dir());
    home.write("program.vm", text);
    const std::string file = home.path("program.vm");
    testing::ProgramRequest request;
    request.file = file.c_str();
    const auto [kept, read] = testing::run_both_ways(fast_path, [&] {
        std::remove(home.path("one.mac").c_str());
        std::remove(home.path("two.mac").c_str());
        return testing::run_program(home, request);
    });
    // The only jump is the one for the end of the input.
    EXPECT_EQ(kept.jumps.size(), 1u);
    EXPECT_EQ(read.jumps.size(), 1u);
    EXPECT_EQ(testing::joined(kept.tokens), expected);
    EXPECT_EQ(testing::joined(read.tokens), expected);
}

TEST(KeptRecords, RedefinitionBetweenCallsIsSeen) {
    // Defining into the slot's file closes the slot, so the next call reads the new record:
    // also one of the same size in the same place, which only the slot's reopening tells
    // from the record the last call located.
    expect_tokens_either_way("%let _macromacro=HOME/one; %macro m[a]; old &a %mend;\n"
                             "%macinstall 1 HOME/one.mac;\n"
                             "%m[x] %m[y]\n"
                             "%macro m[a]; new &a %mend; %m[w]\n"
                             "%macro m[a,b]; new &a/&b %mend;\n"
                             "%m[z,q] end.",
                             "; |old |x |; |old |y |; |new |w |; |new |z|/|q |end|. ");
}

TEST(KeptRecords, SlotSwappedInsideTheArgumentsReadsTheNewFile) {
    // Both files hold `m` at the same offset with bodies of one length; the call found it
    // in one.mac, its arguments install two.mac in the slot, and the body is read from
    // there, as the file now open for the slot holds it.
    expect_tokens_either_way("%let _macromacro=HOME/one; %macro m[a]; one &a %mend;\n"
                             "%let _macromacro=HOME/two; %macro m[a]; two &a %mend;\n"
                             "%macinstall 1 HOME/one.mac;\n"
                             "%m[x] %m[%macinstall 1 HOME/two.mac; y] %m[z] end.",
                             "; |one |x |; |two |y |; |two |z |end|. ");
}

TEST(KeptRecords, LongBodyIsReadWholeOnEveryCall) {
    std::string words;
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        words += "w" + std::to_string(i) + " ";
        expected += "w" + std::to_string(i) + " |";
        // A call in the body, whose own body is read before the rest of this block.
        if (i == 150) {
            words += "%wrap[&a] ";
            expected += "; |<|";
        }
    }
    // The outer call's argument calls the same slot again while the outer record is held.
    const std::string program = "%let _macromacro=HOME/one; %macro long[a]; " + words +
                                "&a %mend; %macro wrap[b]; <&b> %mend;\n"
                                "%macinstall 1 HOME/one.mac;\n"
                                "%wrap[%long[q]] %long[r] end.";
    const auto with = [&](const std::string &argument) {
        std::string shown = expected;
        const size_t at = shown.find("<|");
        return shown.replace(at, 2, "<|" + argument + "|> |");
    };
    const std::string tokens = "; |<|; |" + with("q") + "q |> |; |" + with("r") + "r |end|. ";
    for (bool FastPaths::*fast_path : {&FastPaths::macro_records, &FastPaths::macro_in_place})
        expect_tokens_either_way(program, tokens, fast_path);
}

} // namespace
} // namespace vornmac
