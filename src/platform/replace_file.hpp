// Replacing a file as a whole (the variable file, the tool's -o output): the new bytes go
// into a temporary file beside the target, which is forced to the disk and renamed over the
// target in one step, so readers and later runs see the old file or the new one, never a
// part of it, whatever happens to the writer.
//
// The protocol, in order:
// 1. Leftovers first. A writer that was killed left its temporary behind, possibly full
//    size. Every writer holds an exclusive lock on its temporary (an open-file-description
//    lock, which the kernel drops when the writer dies, however it dies), so a temporary
//    of this kind whose lock can be taken has no writer any more: it is removed, after
//    checking that the name still names the file that was locked. A live writer's
//    temporary is never touched.
// 2. The temporary is created exclusively under the name given, or, when that is taken
//    (another writer at this moment), under NAME.PID.N. It is locked at once and kept only
//    when the name still names it: a remover may have taken it between the two steps.
// 3. It starts readable by its owner alone; at the commit it takes the mode and, where the
//    process may, the owner and group of the file it replaces (a new file gets the usual
//    0666 less the umask), is forced to the disk and renamed over the target.
//
// A target that is no regular file (a device such as /dev/null, a FIFO, the process's own
// standard output or error) has nothing to replace: it is opened and written in place. A
// symbolic link to a regular file is followed, so the file it names is replaced and the
// link stays.
#pragma once
#include <functional>
#include <string>

namespace vornmac::platform {

class FileReplacement {
  public:
    enum class Commit { replaced, cannot_write, cannot_rename };

    // The temporary's name for a target path: beside it, so that the rename stays on one
    // file system.
    using TemporaryName = std::function<std::string(const std::string &target)>;

    // Prepares the replacement of `target`. created() tells whether a file to write into
    // was obtained.
    FileReplacement(const std::string &target, const TemporaryName &temporary_name_of);
    // An uncommitted temporary is removed, unless keep_temporary() was called.
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    bool created() const { return handle_ >= 0; }
    // The descriptor to write the new contents to (close-on-exec), -1 when none.
    int handle() const { return handle_; }
    // The file replaced: the target, or the file a symbolic link there names.
    const std::string &target() const { return target_; }
    // The name the temporary got; the target itself when it is written in place.
    const std::string &temporary() const { return temporary_; }
    // Written in place: the target was emptied, not replaced.
    bool in_place() const { return in_place_; }

    // Forces the written bytes to the disk and puts the temporary in the target's place.
    Commit commit();
    // A failed rename leaves the new contents in the temporary for the user to recover;
    // the next writer of this kind removes it.
    void keep_temporary() { keep_ = true; }

  private:
    std::string target_;
    std::string temporary_;
    int handle_ = -1;
    bool in_place_ = false;
    bool done_ = false;
    bool keep_ = false;
};

// Step 1 of the protocol alone, for a writer that finds the target (a regular file) already
// holds what it would write: the temporaries killed writers left are removed as a replacement
// of it would.
void remove_abandoned_replacements(const std::string &target,
                                   const FileReplacement::TemporaryName &temporary_name_of);

} // namespace vornmac::platform
