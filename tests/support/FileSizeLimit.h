#pragma once

// A full disk, simulated with a file-size limit that binds every user (root
// included): while one lives, a write past the limit fails with EFBIG
// instead of raising SIGXFSZ.

#include <csignal>

#include <sys/resource.h>

namespace kqm52::test {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        if (active_) ::setrlimit(RLIMIT_FSIZE, &saved_);
        if (handler_ != SIG_ERR) std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }

  private:
    rlimit saved_{};
    void (*handler_)(int) = SIG_ERR;
    bool active_ = false;
};

} // namespace kqm52::test
