#pragma once
// A write limit of this process: the system's file-size limit, which every machine allows, as a
// disk that fills once a file reaches a size.
#include <csignal>
#include <sys/resource.h>

namespace quillan::test {

// While it lives, no file of this process can grow past `bytes`: a write beyond fails with EFBIG
// (the signal that would end the process is ignored meanwhile).
class WriteLimit {
public:
    explicit WriteLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = saved_;
        l.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &l) == 0;
    }
    ~WriteLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*handler_)(int) = SIG_DFL;
    bool ok_ = false;
};

} // namespace quillan::test
