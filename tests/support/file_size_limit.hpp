// Makes writes come up short, as a full disk would: while a FileSizeLimit lives, no file
// of this process grows past `bytes`, and the signal such a write raises is ignored, so
// the write call itself reports the failure. Both are restored on every way out of the
// scope, so a failed assertion cannot leave the limit on for the tests that follow.
#pragma once
#include <csignal>

#include <sys/resource.h>

namespace vornmac::testing {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        limited_ = getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        limited_ = limited_ && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        if (limited_) setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_handler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // False when the limit could not be set: the test has nothing to show then.
    bool active() const { return limited_; }

  private:
    rlimit saved_{};
    void (*previous_handler_)(int) = SIG_DFL;
    bool limited_ = false;
};

} // namespace vornmac::testing
