// A file-size limit on the test's own process, as a full disk would stop a write: while it is
// in force, a file cannot grow past the given size (the write fails; the signal such a write
// raises is ignored). It is lifted by lift() or at the end of its scope.
#pragma once

#include <csignal>

#include <sys/resource.h>

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
        if (saved_.rlim_max != RLIM_INFINITY && saved_.rlim_max < bytes) return;
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        applied_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
        if (!applied_) std::signal(SIGXFSZ, old_handler_);
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when this machine's hard limit is below the size (the test cannot run here).
    bool applied() const { return applied_; }

    void lift() {
        if (!applied_) return;
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
        applied_ = false;
    }

  private:
    rlimit saved_{};
    void (*old_handler_)(int) = SIG_DFL;
    bool applied_ = false;
};
