#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

namespace sonavel::bench {

class TStopwatch {
  public:
    TStopwatch() : Start_(std::chrono::steady_clock::now()) {}
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start_).count();
    }

  private:
    std::chrono::steady_clock::time_point Start_;
};

// Peak resident memory of this process so far, in MiB.
inline double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace sonavel::bench
