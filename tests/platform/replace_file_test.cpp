// Replacing files whole: leftovers of killed writers go, a live writer's temporary stays,
// the replaced file keeps its mode and owner. Writers are real processes, killed for real.
#include "platform/platform_test_dir.hpp"
#include "platform/raw_file.hpp"
#include "platform/replace_file.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vornmac::platform {
namespace {

std::string temporary_of(const std::string &target) {
    return target + ".tmp";
}

std::string replace(const std::string &target, const std::string &bytes) {
    FileReplacement file(target, temporary_of);
    if (!file.created()) return "not created";
    if (raw_write(file.handle(), bytes.data(), static_cast<int32_t>(bytes.size())) !=
        static_cast<int32_t>(bytes.size()))
        return "short write";
    return file.commit() == FileReplacement::Commit::replaced ? "replaced" : "not committed";
}

mode_t mode_of(const std::string &path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// A writer in a process of its own: it writes a megabyte into its temporary, tells the
// temporary's name through a pipe, and then kills itself in the middle of the save, or
// waits, alive, until it is killed (at the latest when the Writer goes out of scope).
enum class Fate { killed_mid_write, waits };
class Writer {
  public:
    Writer(const std::string &target, Fate fate);
    ~Writer() { kill(); }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    pid_t pid() const { return pid_; }
    const std::string &temporary() const { return temporary_; }

  private:
    pid_t pid_ = -1;
    std::string temporary_;
};

Writer::Writer(const std::string &target, Fate fate) {
    int channel[2];
    if (::pipe(channel) != 0) return;
    std::fflush(nullptr); // the child must not write the test's buffered output again
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(channel[0]);
        FileReplacement file(target, temporary_of);
        const std::string megabyte(1 << 20, 'w');
        if (!file.created() || raw_write(file.handle(), megabyte.data(), 1 << 20) != 1 << 20)
            ::_exit(1);
        const std::string &name = file.temporary();
        if (::write(channel[1], name.data(), name.size()) != static_cast<ssize_t>(name.size()))
            ::_exit(1);
        ::close(channel[1]);
        if (fate == Fate::killed_mid_write) ::raise(SIGKILL);
        for (;;)
            ::pause();
    }
    ::close(channel[1]);
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        temporary_.append(buffer, static_cast<size_t>(got));
    ::close(channel[0]);
    if (fate == Fate::killed_mid_write) {
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

TEST(FileReplacement, LeftoversOfKilledWritersGoAndALiveWritersTemporaryStays) {
    testing::ScratchDir dir;
    const std::string target = dir.path("values.dat");
    dir.write("values.dat", "old");
    // The first writer stays alive holding the temporary's own name; the one killed after it
    // found the name taken and left NAME.PID.0 behind.
    Writer alive(target, Fate::waits);
    const Writer killed(target, Fate::killed_mid_write);
    ASSERT_EQ(alive.temporary(), temporary_of(target));
    ASSERT_EQ(killed.temporary().rfind(alive.temporary() + ".", 0), 0u) << killed.temporary();
    ASSERT_TRUE(std::filesystem::exists(killed.temporary()));
    // Names of other kinds are never touched, though no one holds them.
    const char *const others[] = {"values.dat.tmp.1", "values.dat.tmp.x.1", "values.dat.tmp.1.2.3",
                                  "values.dat.tmpx", "values.dat.tmp.1."};
    for (const char *other : others)
        dir.write(other);

    EXPECT_EQ(replace(target, "new"), "replaced");
    EXPECT_FALSE(std::filesystem::exists(killed.temporary()));
    EXPECT_EQ(std::filesystem::file_size(alive.temporary()), 1u << 20);
    for (const char *other : others)
        EXPECT_TRUE(dir.exists(other)) << other;

    alive.kill();
    EXPECT_EQ(replace(target, "newer"), "replaced");
    EXPECT_FALSE(std::filesystem::exists(alive.temporary()));
    std::string contents;
    std::getline(std::ifstream(target), contents);
    EXPECT_EQ(contents, "newer");
}

TEST(FileReplacement, TheReplacedFileKeepsItsModeAndOwner) {
    testing::ScratchDir dir;
    const std::string target = dir.path("private.dat");
    dir.write("private.dat", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    // Only a privileged process can give a file to another owner; others keep their own.
    const bool privileged = ::geteuid() == 0;
    if (privileged) {
        ASSERT_EQ(::chown(target.c_str(), 12345, 23456), 0);
    }
    EXPECT_EQ(replace(target, "new"), "replaced");
    EXPECT_EQ(mode_of(target), 0640u);
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    if (privileged) {
        EXPECT_EQ(status.st_uid, 12345u);
        EXPECT_EQ(status.st_gid, 23456u);
    }

    // A new file gets what any new file gets: 0666 less the umask.
    const mode_t mask = ::umask(027);
    EXPECT_EQ(replace(dir.path("fresh.dat"), "new"), "replaced");
    ::umask(mask);
    EXPECT_EQ(mode_of(dir.path("fresh.dat")), 0640u);
}

TEST(FileReplacement, ALinkKeepsPointingAtTheReplacedFileAndADeviceIsWrittenInPlace) {
    testing::ScratchDir dir;
    std::filesystem::create_directory(dir.path("real"));
    dir.write("real/file", "old");
    std::filesystem::create_symlink(dir.path("real/file"), dir.path("link"));
    EXPECT_EQ(replace(dir.path("link"), "new"), "replaced");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("link")));
    std::string contents;
    std::getline(std::ifstream(dir.path("real/file")), contents);
    EXPECT_EQ(contents, "new");
    EXPECT_FALSE(dir.exists("link.tmp"));

    EXPECT_EQ(replace("/dev/null", "gone"), "replaced");
    struct stat status {};
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}

TEST(FileReplacement, AnUncommittedTemporaryIsRemovedAndTheOldFileStays) {
    testing::ScratchDir dir;
    dir.write("kept", "old");
    {
        FileReplacement file(dir.path("kept"), temporary_of);
        ASSERT_TRUE(file.created());
        EXPECT_EQ(file.temporary(), dir.path("kept.tmp"));
        EXPECT_EQ(mode_of(file.temporary()), 0600u); // nobody else reads it half written
        raw_write(file.handle(), "half", 4);
    }
    EXPECT_FALSE(dir.exists("kept.tmp"));
    std::string contents;
    std::getline(std::ifstream(dir.path("kept")), contents);
    EXPECT_EQ(contents, "old");
}

} // namespace
} // namespace vornmac::platform
