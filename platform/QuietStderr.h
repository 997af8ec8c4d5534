#pragma once

namespace sonavel {

// While it lives, what libraries print on standard error goes nowhere: ALSA and JACK report
// every device they probe there, which a user starting the program need not read. With
// SONAVEL_DEBUG set in the environment nothing is hidden.
class TQuietStderr {
  public:
    TQuietStderr();
    ~TQuietStderr();
    TQuietStderr(const TQuietStderr&) = delete;
    TQuietStderr& operator=(const TQuietStderr&) = delete;

  private:
    int Saved_ = -1;
};

}  // namespace sonavel
