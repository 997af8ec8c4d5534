#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

#include "platform/FileError.h"

namespace sonavel {

namespace {

// The handler's end of the pipe; the handler may do no more than write to it.
int SignalPipe = -1;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): for the handler

extern "C" void OnTerminationSignal(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(SignalPipe, &byte, 1);
    errno = savedErrno;
}

}  // namespace

void EndOnTerminationSignals(std::function<void()> cleanUp) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw TFileError(errno, "pipe", "Cannot create");
    }
    SignalPipe = fds[1];
    std::thread([readEnd = fds[0], cleanUp = std::move(cleanUp)] {
        unsigned char signal = 0;
        while (::read(readEnd, &signal, 1) != 1) {
            if (errno != EINTR) {
                return;
            }
        }
        cleanUp();
        ::_exit(128 + signal);
    }).detach();
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace sonavel
