// The put file: where %put and the macro listings write. It is chosen by %file and
// %fileappend, or, the first time something is written without a choice, from `_file`:
// the log when `_file` is empty, else that file opened for appending.
//
// States: none chosen yet; the log (the put-to-log flag); a file of its own, which this
// object owns and closes when the choice changes or the context ends. `_file` names the
// choice and lives at the saved level only, so the next run writes to the same place.
#pragma once
#include "host/buffered_file.hpp"

#include <memory>
#include <string>

namespace vornmac {

class ParserContext;

class PutFile {
  public:
    explicit PutFile(ParserContext &context) : context_(context) {}

    // The file to write to, chosen from `_file` when nothing is chosen yet. Null when
    // that file cannot be opened (error 2080 has been raised) or there is no log.
    BufferedFile *file();
    // %file; and %fileappend; without a name: back to the log, `_file` emptied.
    void switch_to_log();
    // %file ("w": created or truncated) and %fileappend ("a") with a name. When the open
    // fails, error 2080 is raised and no put file is left chosen.
    void switch_to_file(const std::string &name, const char *mode);

    bool to_log() const { return to_log_; }
    bool chosen() const { return to_log_ || own_ != nullptr; }

  private:
    void open_own(const std::string &name, const char *mode);
    void remember_choice(const std::string &name);

    ParserContext &context_;
    std::unique_ptr<BufferedFile> own_;
    bool to_log_ = false;
};

} // namespace vornmac
