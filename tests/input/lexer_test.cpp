// The lexer's token shapes, read from a text in memory, and the proof that they are the
// scanner's: random programs are cut by the lexer and by the scanner reading them as a
// program file, token by token and place by place; and the shapes over text in view, which
// the scanner's fast paths use, give what the lexer reads from the same characters.
#include "input/lexer.hpp"

#include "error/recovery_jump.hpp"
#include "host/parser_context.hpp"
#include "input/input_stack.hpp"
#include "support/test_home.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vornmac {
namespace {

using namespace std::string_view_literals; // texts may hold zero bytes

// The tokens of a text, "kind:text" each, read in mode 0 with triggers acting; the word
// after a trigger is read as the scanner reads it after `%` (mode 1) or `&` (mode 0).
std::vector<std::string> tokens_of(std::string_view text, int16_t mode = 0) {
    static constexpr const char *kinds[] = {"word",   "other",  "trigger", "name",
                                            "marker", "quoted", "comment", "end"};
    Lexer lexer(text);
    std::vector<std::string> tokens;
    for (Token token = lexer.next(true, mode); token.kind != TokenKind::end;
         token = lexer.next(true, mode)) {
        tokens.push_back(std::string(kinds[static_cast<int>(token.kind)]) + ":" +
                         std::string(token.text));
        if (token.kind == TokenKind::trigger) {
            const Token name = lexer.trigger_word(token.text[0] == '%' ? 1 : 0);
            tokens.push_back("name:" + std::string(name.text));
        }
    }
    return tokens;
}

using Tokens = std::vector<std::string>;

TEST(Lexer, WordOrOneCharacterThenItsWhiteSpaceUpToALineFeed) {
    EXPECT_EQ(tokens_of("copy  in=a1;\n\n  x \t\n"),
              (Tokens{"word:copy  ", "word:in", "other:=", "word:a1", "other:;\n", "other:\n  ",
                      "word:x \t\n"}));
    // A name character after white space starts the next word; bytes of 128 and above are
    // name characters.
    EXPECT_EQ(tokens_of("a b\xe9_9 \xff;"),
              (Tokens{"word:a ", "word:b\xe9_9 ", "word:\xff", "other:;"}));
    // In mode 1 only the first white-space character is taken.
    EXPECT_EQ(tokens_of("a  ;\n\n", 1), (Tokens{"word:a ", "other: ", "other:;\n", "other:\n"}));
}

TEST(Lexer, CommentsRunFromSlashStarToStarSlashWithTheWhiteSpaceAfterThem) {
    EXPECT_EQ(tokens_of("a /* x * / y */ \n b"),
              (Tokens{"word:a ", "comment:/* x * / y */ \n ", "word:b"}));
    // Blanks may stand between the slash and the asterisk, but no line feed; comments do
    // not nest, and one that is not closed runs to the end.
    EXPECT_EQ(
        tokens_of("/ \t* /* */x /\n* /* open"),
        (Tokens{"comment:/ \t* /* */", "word:x ", "other:/\n", "other:* ", "comment:/* open"}));
    EXPECT_EQ(tokens_of("/ * */", 1), (Tokens{"other:/ ", "other:* ", "other:*", "other:/"}));
}

TEST(Lexer, MarkersTakeTheirCodeAndQuotedCharactersAllTheirWhiteSpace) {
    EXPECT_EQ(tokens_of("\x01\x03x \x01\x01\x01\x02"sv),
              (Tokens{"marker:\x01\x03", "word:x ", "marker:\x01\x01", "marker:\x01\x02"}));
    EXPECT_EQ(tokens_of("\x02\x01 \n\n y\x02"
                        "A"sv),
              (Tokens{"quoted:\x02\x01 \n\n ", "word:y",
                      "quoted:\x02"
                      "A"}));
}

TEST(Lexer, TriggersActOnTheWordAfterThemAndAreTextBeforeWhiteSpace) {
    EXPECT_EQ(tokens_of("%let x=&y..z"), (Tokens{"trigger:%", "name:let ", "word:x", "other:=",
                                                 "trigger:&", "name:y.", "other:.", "word:z"}));
    // A trigger followed by white space takes all of it, line feeds too: it is text.
    EXPECT_EQ(tokens_of("% \n x &\t;"), (Tokens{"other:% \n ", "word:x ", "other:&\t", "other:;"}));
    // After a trigger a special character is a word alone. A word ends before an ampersand
    // right after it, which is a reference whatever follows it.
    EXPECT_EQ(tokens_of("%(a) &&b c&d e& ;"),
              (Tokens{"trigger:%", "name:(", "word:a", "other:) ", "trigger:&", "name:&", "word:b ",
                      "word:c", "trigger:&", "name:d ", "word:e", "trigger:&",
                      "name:", "other: ", "other:;"}));
    // Where triggers do not act, a trigger is one other character.
    Lexer quoted("%let ");
    EXPECT_EQ(quoted.next(false).text, "%");
    EXPECT_EQ(quoted.next(false).text, "let ");
}

TEST(Lexer, TokensHoldAtMostOneHundredNinetyNineCharacters) {
    const std::string long_word(250, 'w');
    EXPECT_EQ(
        tokens_of(long_word + " x"),
        (Tokens{"word:" + std::string(199, 'w'), "word:" + std::string(51, 'w') + " ", "word:x"}));
    const std::string blanks(300, ' ');
    EXPECT_EQ(tokens_of(";" + blanks),
              (Tokens{"other:;" + std::string(198, ' '), "other:" + std::string(102, ' ')}));
}

TEST(Lexer, PositionsCountLinesAndTheCharactersReadOnEach) {
    // A carriage return and the character after it are read as one line feed.
    Lexer lexer("ab cd\r\nef\rXg\n\n  h");
    std::vector<std::string> seen;
    for (Token token = lexer.next(); token.kind != TokenKind::end; token = lexer.next())
        seen.push_back(std::to_string(token.start.line) + ":" + std::to_string(token.start.column));
    EXPECT_EQ(seen, (Tokens{"1:0", "1:3", "2:0", "3:0", "4:0", "5:2"}));
    // The line feed after the text ends its last line.
    EXPECT_EQ(lexer.position().line, 6);
    EXPECT_EQ(lexer.position().column, 0);
}

// A random program without statements or references: words, white space with carriage
// returns, punctuation, quotes, comments, markers without effect, quoted characters, zero
// bytes, words longer than a token, and triggers that are text.
std::string random_text(std::mt19937 &random, size_t pieces) {
    static constexpr std::string_view piece[] = {"copy"sv,       "in=file12.dbf"sv,
                                                 " "sv,          "  \t"sv,
                                                 "\n"sv,         "\r\n"sv,
                                                 "\r"sv,         ";"sv,
                                                 "'"sv,          "\""sv,
                                                 "("sv,          ")"sv,
                                                 "/* note */"sv, "/ *x*/"sv,
                                                 "/"sv,          "*"sv,
                                                 "\x01\x01"sv,   "\x01\x02"sv,
                                                 "\x02\x01"sv,   "\x02\x03 \n"sv,
                                                 "a\0b"sv,       "\xe9t\xe9 \xff"sv,
                                                 "\n\n"sv,       " \t\v\f\n"sv,
                                                 "% "sv,         " &\n"sv,
                                                 "MiXed"sv,      "."sv};
    std::uniform_int_distribution<size_t> pick(0, std::size(piece) - 1);
    std::uniform_int_distribution<size_t> long_word(150, 260);
    std::string text;
    for (size_t i = 0; i < pieces; ++i) {
        const size_t chosen = pick(random);
        if (chosen == 0 && i % 5 == 0) text += std::string(long_word(random), 'w');
        text += piece[chosen];
    }
    return text;
}

// A token's text as the scanner stores it: a carriage return and the character after it
// become one line feed.
std::string folded(std::string_view text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i] == '\r' ? '\n' : text[i];
        if (text[i] == '\r') ++i;
    }
    return result;
}

TEST(Lexer, CutsProgramsAsTheScannerReadsThem) {
    std::mt19937 random(20261207);
    testing::TestHome home;
    for (int round = 0; round < 60; ++round) {
        const std::string text = random_text(random, 20 + static_cast<size_t>(round) * 8);
        home.write("program.vm", text);
        const std::string file = home.path("program.vm");
        parser_context *ctx = home.create(file.c_str(), nullptr);
        ASSERT_NE(ctx, nullptr);
        auto &context = *static_cast<ParserContext *>(ctx);
        Scanner &scanner = context.scanner;
        // A program file's text ends before bytes of 128 and above at its end.
        const std::string_view program =
            std::string_view(text).substr(0, program_text_length(text));
        Lexer lexer(program);
        // Quotes are tracked as the scanner does: triggers do not act inside them.
        bool in_quotes = false;
        try {
            for (int i = 0;; ++i) {
                const int16_t mode = i % 3 == 2 ? 1 : 0;
                scanner.scan_token(mode, 0);
                Token token = lexer.next(!in_quotes, mode);
                // The scanner drops a comment and scans on in mode 0.
                while (token.kind == TokenKind::comment)
                    token = lexer.next(!in_quotes, 0);
                ASSERT_NE(token.kind, TokenKind::end) << "round " << round << " token " << i;
                const std::string scanned(scanner.next_token_text,
                                          static_cast<size_t>(scanner.next_length));
                std::string cut = folded(token.text);
                // A trigger taken as text drops the period that ends it.
                if (is_trigger(static_cast<unsigned char>(cut[0])) && cut.back() == '.')
                    cut.pop_back();
                // The line feed after the text belongs to its last token.
                if (token.text.data() + token.text.size() == program.data() + program.size() &&
                    scanned == cut + "\n")
                    cut += "\n";
                ASSERT_EQ(scanned, cut) << "round " << round << " token " << i;
                ASSERT_EQ(scanner.token_start_line, token.start.line) << "round " << round;
                ASSERT_EQ(scanner.token_start_column, token.start.column) << "round " << round;
                if (token.kind == TokenKind::other && token.text[0] == '\'') in_quotes = !in_quotes;
            }
        } catch (const InputExhausted &) {
        }
        // The scanner finds the input used up inside the comments and the token it was
        // reading on past the line feed after the text; the lexer gives them as far as the
        // text goes.
        Token rest = lexer.next(false);
        while (rest.kind == TokenKind::comment)
            rest = lexer.next(false);
        if (rest.kind != TokenKind::end) rest = lexer.next(false);
        EXPECT_EQ(rest.kind, TokenKind::end) << "round " << round;
        finish_parser(ctx, 2);
    }
}

// The shapes over text in view give what the lexer reads from the same characters, where
// they decide; a decided token never reaches the end of what is in view.
TEST(Lexer, ShapesInViewAgreeWithTheReaders) {
    std::mt19937 random(7);
    int decided = 0;
    for (int round = 0; round < 2000; ++round) {
        const std::string text = random_text(random, 4);
        for (const int16_t mode : {0, 1}) {
            PlainToken plain{};
            if (plain_token(text, mode, plain)) {
                ++decided;
                Lexer lexer(text);
                const Token token = lexer.next(true, mode);
                ASSERT_EQ(token.text.size(), plain.length) << round;
                ASSERT_LT(plain.length, text.size());
                EXPECT_EQ(plain.ends_line, token.text.size() > 1 && token.text.back() == '\n');
            }
        }
        TriggerName name;
        const NameInView read = trigger_name_in_view(text, name);
        if (read.taken != 0) {
            Lexer lexer(text);
            const Token word = lexer.trigger_word(0);
            ASSERT_EQ(word.text.size(), read.taken) << round;
            EXPECT_EQ(std::string(name.word) + (read.ending == '.' ? "." : ""), word.text);
        }
    }
    EXPECT_GT(decided, 1000);
}

} // namespace
} // namespace vornmac
