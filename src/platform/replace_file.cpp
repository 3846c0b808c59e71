#include "platform/replace_file.hpp"

#include "platform/file_lock.hpp"
#include "platform/raw_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vornmac::platform {

namespace {

// The highest N of the NAME.PID.N names a writer tries when NAME is taken.
constexpr int own_names = 100;

bool same_file(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool is_standard_output_or_error(const struct stat &file) {
    for (const int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat status {};
        if (::fstat(stream, &status) == 0 && same_file(status, file)) return true;
    }
    return false;
}

bool still_named(int handle, const std::string &name) {
    struct stat held {};
    struct stat named {};
    return ::fstat(handle, &held) == 0 && ::lstat(name.c_str(), &named) == 0 &&
           same_file(held, named);
}

// NAME itself, or NAME.PID.N as a writer names its own temporary.
bool is_temporary_of(std::string_view entry, std::string_view name) {
    const auto is_number = [](std::string_view text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (entry == name) return true;
    if (entry.size() <= name.size() || entry.substr(0, name.size()) != name ||
        entry[name.size()] != '.')
        return false;
    const std::string_view numbers = entry.substr(name.size() + 1);
    const size_t dot = numbers.find('.');
    return dot != std::string_view::npos && is_number(numbers.substr(0, dot)) &&
           is_number(numbers.substr(dot + 1));
}

// Removes the temporary at `path` when no writer holds it any more.
void remove_if_abandoned(const std::string &path) {
    const int opened = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0) return;
    const UniqueHandle file(opened);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return;
    // While this lock is held no other remover can take the file, so the name checked here
    // is still the file's when it is removed.
    if (try_lock_file(file.get(), LockKind::exclusive) != LockResult::held ||
        !still_named(file.get(), path))
        return;
    ::unlink(path.c_str());
}

struct DirectoryCloser {
    void operator()(DIR *directory) const { ::closedir(directory); }
};

void remove_abandoned_temporaries(const std::string &temporary_name) {
    const size_t slash = temporary_name.rfind('/');
    const std::string directory =
        slash == std::string::npos ? "." : temporary_name.substr(0, slash + 1);
    const std::string name =
        slash == std::string::npos ? temporary_name : temporary_name.substr(slash + 1);
    const std::string prefix = slash == std::string::npos ? "" : directory;
    const std::unique_ptr<DIR, DirectoryCloser> search(::opendir(directory.c_str()));
    if (!search) return;
    while (const dirent *entry = ::readdir(search.get()))
        if (is_temporary_of(entry->d_name, name)) remove_if_abandoned(prefix + entry->d_name);
}

// The mask new files get, without changing it (umask(2) can only be read by setting it).
mode_t current_umask() {
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> status(std::fopen("/proc/self/status", "re"),
                                                            &std::fclose);
    char line[256];
    while (status && std::fgets(line, sizeof line, status.get()) != nullptr)
        if (std::strncmp(line, "Umask:", 6) == 0)
            return static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
    return 022;
}

// The file that takes the replaced file's mode, owner and group, or those of a new file.
void adopt_permissions(int handle, const std::string &target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) {
        ::fchmod(handle, 0666 & ~current_umask());
        return;
    }
    struct stat own {};
    if (::fstat(handle, &own) == 0 && (own.st_uid != old.st_uid || own.st_gid != old.st_gid)) {
        // Only a privileged process may give a file away; the group is kept where the
        // process belongs to it. Either way the mode below is set after, as chown may
        // clear the set-id bits.
        if (::fchown(handle, old.st_uid, old.st_gid) != 0 &&
            ::fchown(handle, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // the new file stays the process's own
        }
    }
    ::fchmod(handle, old.st_mode & 07777);
}

// The file a replacement of `target` replaces: a symbolic link's file, else the target.
std::string replaced_file(const std::string &target, const struct stat &link) {
    if (!S_ISLNK(link.st_mode)) return target;
    const std::unique_ptr<char, void (*)(void *)> real(::realpath(target.c_str(), nullptr),
                                                       &std::free);
    return real ? std::string(real.get()) : target;
}

} // namespace

void remove_abandoned_replacements(const std::string &target,
                                   const FileReplacement::TemporaryName &temporary_name_of) {
    struct stat link {};
    if (::lstat(target.c_str(), &link) != 0) return;
    remove_abandoned_temporaries(temporary_name_of(replaced_file(target, link)));
}

FileReplacement::FileReplacement(const std::string &target, const TemporaryName &temporary_name_of)
    : target_(target) {
    struct stat link {};
    struct stat file {};
    if (::lstat(target.c_str(), &link) == 0 && ::stat(target.c_str(), &file) == 0) {
        if (!S_ISREG(file.st_mode) || is_standard_output_or_error(file)) {
            in_place_ = true;
            temporary_ = target;
            note_file_change();
            handle_ = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            return;
        }
        target_ = replaced_file(target, link);
    }
    const std::string name = temporary_name_of(target_);
    remove_abandoned_temporaries(name);
    temporary_ = name;
    for (int attempt = -1; attempt < own_names; ++attempt) {
        if (attempt >= 0)
            temporary_ = name + "." + std::to_string(::getpid()) + "." + std::to_string(attempt);
        const int created = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (created < 0) {
            if (errno == EEXIST) continue;
            return;
        }
        // A remover that opened the new file before it was locked has taken it: leave it.
        if (try_lock_file(created, LockKind::exclusive) == LockResult::busy ||
            !still_named(created, temporary_)) {
            raw_close(created);
            continue;
        }
        handle_ = created;
        return;
    }
}

FileReplacement::~FileReplacement() {
    if (handle_ < 0) return;
    if (!done_ && !keep_ && !in_place_) ::unlink(temporary_.c_str());
    raw_close(handle_);
}

FileReplacement::Commit FileReplacement::commit() {
    if (handle_ < 0) return Commit::cannot_write;
    if (in_place_) {
        done_ = true;
        return Commit::replaced;
    }
    adopt_permissions(handle_, target_);
    if (!raw_sync(handle_)) return Commit::cannot_write;
    note_file_change();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Commit::cannot_rename;
    done_ = true;
    return Commit::replaced;
}

} // namespace vornmac::platform
