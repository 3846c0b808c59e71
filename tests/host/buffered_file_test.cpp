#include "host/buffered_file.hpp"
#include "support/file_size_limit.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

namespace vornmac {
namespace {

class BufferedFileTest : public ::testing::Test {
  protected:
    std::string path;
    void SetUp() override {
        char dir[] = "/tmp/vornmac_file_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        base = dir;
        path = base + "/f.txt";
    }
    void TearDown() override {
        std::remove(path.c_str());
        rmdir(base.c_str());
    }
    std::string contents() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void put(const std::string &text) const { std::ofstream(path, std::ios::binary) << text; }
    std::string base;
};

TEST_F(BufferedFileTest, WriteModeTruncatesAnExistingFile) {
    put("old contents");
    auto f = BufferedFile::open(path.c_str(), "w");
    ASSERT_TRUE(f);
    f->write_string("new");
    f->close();
    EXPECT_EQ(contents(), "new");
}

TEST_F(BufferedFileTest, AppendModeCreatesAMissingFileAndExtendsAnExistingOne) {
    auto f = BufferedFile::open(path.c_str(), "a");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->total(), 0);
    f->write_string("one");
    f->close();
    auto g = BufferedFile::open(path.c_str(), "a");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->total(), 3);
    g->write_string("two");
    g->close();
    EXPECT_EQ(contents(), "onetwo");
}

TEST_F(BufferedFileTest, AppendedFilesAddAtTheEndInWholeLines) {
    // Two records on one file, as two runs appending to one log: each adds at the end the
    // file has when it writes, and only whole lines, so the lines never mix. A line longer
    // than the buffer waits for its end too.
    auto first = BufferedFile::open(path.c_str(), "a");
    auto second = BufferedFile::open(path.c_str(), "A");
    ASSERT_TRUE(first && second);
    const std::string long_line(BufferedFile::buffer_size + 1, 'L');
    first->write_string("first ");
    second->write_string(long_line.c_str());
    first->flush();
    second->flush();
    EXPECT_EQ(contents(), "");
    first->write_string("line\r\nfirst rest");
    first->flush();
    second->write_line_end();
    second->write_string("second line\r\n");
    second->flush();
    EXPECT_EQ(contents(), "first line\r\n" + long_line + "\r\nsecond line\r\n");
    first->close(); // the partial line goes out when the file is closed
    EXPECT_EQ(contents(), "first line\r\n" + long_line + "\r\nsecond line\r\nfirst rest");
}

TEST_F(BufferedFileTest, ALineTooLongToKeepBackGoesOutInPiecesBeforeItsEnd) {
    // Gathering such a line whole would hold the whole echo of a program whose output has
    // no line end in memory.
    auto f = BufferedFile::open(path.c_str(), "a");
    ASSERT_TRUE(f);
    const std::string piece(BufferedFile::longest_whole_line, 'L');
    f->write_string(piece.c_str());
    f->write_string(piece.c_str());
    f->flush();
    const std::string written = contents();
    EXPECT_GE(written.size(), BufferedFile::longest_whole_line);
    EXPECT_LT(written.size(), 2 * BufferedFile::longest_whole_line);
    f->write_line_end();
    f->close();
    EXPECT_EQ(contents(), piece + piece + "\r\n");
}

TEST_F(BufferedFileTest, UpdateAndSilentReadOfAMissingFileGiveNothing) {
    EXPECT_FALSE(BufferedFile::open(path.c_str(), "u"));
    EXPECT_FALSE(BufferedFile::open(path.c_str(), "R"));
    EXPECT_FALSE(BufferedFile::open(nullptr, "R"));
}

TEST_F(BufferedFileTest, TextLineFeedsBecomeCarriageReturnLineFeed) {
    auto f = BufferedFile::open(path.c_str(), "w");
    f->write_text("a\nb");
    f->write_text("");
    f->write_line_end();
    f->close();
    EXPECT_EQ(contents(), "a\r\nb\r\n");
}

TEST_F(BufferedFileTest, TextOfAGivenLengthIsTranslatedAlikeWhereverTheBufferStands) {
    // The text is copied straight into the buffer (a token's a word at a time) when it fits
    // even were it all line feeds, in pieces otherwise: near the buffer's end, each way must
    // give the same bytes.
    const std::string text("ab\n\0\n\nc", 7);
    std::string expected;
    for (int32_t filled = BufferedFile::buffer_size - 16; filled <= BufferedFile::buffer_size;
         ++filled) {
        auto f = BufferedFile::open(path.c_str(), "w");
        const std::string before(static_cast<size_t>(filled), 'x');
        f->write(before.data(), filled);
        f->write_text(text.data(), text.size());
        f->write_text("z\n");
        char token[200] = "token line\n"; // a token buffer, read a word at a time
        f->write_token_line(token, std::strlen(token));
        f->close();
        EXPECT_EQ(contents(), before + std::string("ab\r\n\0\r\n\r\nc", 10) + "z\r\ntoken line\r\n")
            << filled;
    }
}

TEST_F(BufferedFileTest, AnEchoGatheredInSpansReachesTheFileAsTokenByToken) {
    // Tokens of a text with line ends, written token by token to one file and gathered in
    // spans for the other (a gap in the text now and then ends a span), with other writes and
    // flushes among them: the file must be written at the same moments with the same bytes.
    std::mt19937 random(7);
    std::string text;
    while (text.size() < 30000)
        text += random() % 9 == 0 ? "\n" : random() % 3 == 0 ? " " : "word";
    const std::string by_token_path = base + "/t.txt";
    auto spans = BufferedFile::open(path.c_str(), "a");
    auto by_token = BufferedFile::open(by_token_path.c_str(), "a");
    size_t at = 0;
    for (int step = 0; at < text.size(); ++step) {
        const size_t length = std::min<size_t>(1 + random() % 12, text.size() - at);
        by_token->write_text(text.data() + at, length);
        if (!spans->defer_echo(text.data() + at, length))
            spans->write_text(text.data() + at, length);
        at += length + (step % 50 == 49 ? 1 : 0);
        for (BufferedFile *f : {spans.get(), by_token.get()}) {
            if (step % 97 == 0) f->write_string("put\n");
            if (step % 331 == 0) f->flush();
        }
        ASSERT_EQ(std::filesystem::file_size(path), std::filesystem::file_size(by_token_path))
            << step;
    }
    EXPECT_EQ(spans->total(), by_token->total());
    spans->close();
    by_token->close();
    const std::string gathered = contents();
    path = by_token_path;
    EXPECT_EQ(gathered, contents());
    std::remove(by_token_path.c_str());
    path = base + "/f.txt";
}

TEST_F(BufferedFileTest, LargeWriteGoesThroughTheBufferInSteps) {
    auto f = BufferedFile::open(path.c_str(), "w");
    std::string data(5000, 'x');
    f->write(data.data(), 5000);
    EXPECT_EQ(f->waiting(), 904);
    EXPECT_EQ(contents().size(), 4096u);
    f->close();
    EXPECT_EQ(contents(), data);
}

TEST_F(BufferedFileTest, ReadPastTheEndGivesAShortCount) {
    put("abcd");
    auto f = BufferedFile::open(path.c_str(), "r");
    ASSERT_TRUE(f);
    char buf[10];
    EXPECT_EQ(f->read(buf, 10), 4);
    EXPECT_EQ(f->limit(), 0);
    EXPECT_EQ(f->read(buf, 0), 0);
}

TEST_F(BufferedFileTest, ReadsAcrossBufferRefills) {
    std::string data;
    for (int i = 0; i < 5000; ++i)
        data += static_cast<char>('a' + i % 26);
    put(data);
    auto f = BufferedFile::open(path.c_str(), "r");
    std::string got(5000, '\0');
    for (int at = 0; at < 5000; at += 100)
        ASSERT_EQ(f->read(&got[at], 100), 100);
    EXPECT_EQ(got, data);
}

TEST_F(BufferedFileTest, LogHandleOutlivesItsRecordUntilForgotten) {
    auto first = BufferedFile::open_log(path.c_str(), "a");
    ASSERT_TRUE(first);
    const int handle = BufferedFile::log_handle();
    first->write_string("one ");
    first->close();
    auto second = BufferedFile::open_log(path.c_str(), "a");
    EXPECT_EQ(BufferedFile::log_handle(), handle);
    second->write_string("two");
    BufferedFile::forget_log_handle();
    second->close();
    EXPECT_EQ(contents(), "one two");
    EXPECT_EQ(BufferedFile::log_handle(), -1);
}

TEST_F(BufferedFileTest, TheLogGathersUpTo64KiBOfWholeLines) {
    // Each write of the log is a system call: it goes out when its buffer is full, in whole
    // lines, and whenever the library flushes it.
    auto log = BufferedFile::open_log(path.c_str(), "a");
    ASSERT_TRUE(log);
    const std::string line = std::string(48, 'l') + "\r\n";
    std::string written;
    while (written.size() + line.size() <= static_cast<size_t>(BufferedFile::log_buffer_size)) {
        log->write_string(line.c_str());
        written += line;
    }
    log->write_string("part");
    EXPECT_EQ(contents(), "");
    log->write_string(line.c_str());
    EXPECT_EQ(contents(), written);
    log->flush();
    EXPECT_EQ(contents(), written + "part" + line);
    BufferedFile::forget_log_handle();
}

TEST_F(BufferedFileTest, AppendPositionsBeyondTwoGibibytesAreKept) {
    constexpr int64_t three_gib = int64_t{3} << 30;
    put("");
    std::filesystem::resize_file(path, three_gib); // sparse: no disk space is used
    auto f = BufferedFile::open(path.c_str(), "a");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->total(), three_gib);
    f->write_string("tail");
    f->close();
    EXPECT_EQ(f->total(), three_gib + 4);
    EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(three_gib + 4));
}

TEST_F(BufferedFileTest, AFailingFileShowsOneMessage) {
    std::string shown;
    {
        const testing::FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        ::testing::internal::CaptureStderr();
        {
            auto f = BufferedFile::open(path.c_str(), "w");
            const std::string data(20000, 'x');
            f->write(data.data(), static_cast<int32_t>(data.size()));
            f->close();
            EXPECT_TRUE(f->write_failed());
        }
        shown = ::testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(shown, "Database Error: Write File Error\n");
}

} // namespace
} // namespace vornmac
