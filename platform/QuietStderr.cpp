#include "platform/QuietStderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace sonavel {

TQuietStderr::TQuietStderr() {
    if (std::getenv("SONAVEL_DEBUG") != nullptr) {
        return;
    }
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) {
        return;
    }
    std::fflush(stderr);
    Saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (Saved_ >= 0 && ::dup2(null, STDERR_FILENO) < 0) {
        ::close(Saved_);
        Saved_ = -1;
    }
    ::close(null);
}

TQuietStderr::~TQuietStderr() {
    if (Saved_ >= 0) {
        std::fflush(stderr);
        ::dup2(Saved_, STDERR_FILENO);
        ::close(Saved_);
    }
}

}  // namespace sonavel
