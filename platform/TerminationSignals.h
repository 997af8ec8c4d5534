#pragma once

#include <functional>

namespace sonavel {

// Catches SIGINT, SIGTERM and SIGHUP for the whole process. The first one runs cleanUp on a
// thread of its own (not in the signal handler, so it may do anything but wait on the threads
// at work) and ends the process at once with the usual status, 128 + the signal's number
// (130, 143, 129). The threads at work are not waited for: a save in progress never reaches
// its target. Call once, early.
void EndOnTerminationSignals(std::function<void()> cleanUp);

}  // namespace sonavel
