#pragma once

#include <stdexcept>
#include <string>

namespace sonavel {

// A failed file-system call: the OS error code and the file it concerned travel with the
// exception so that the user interface can say what went wrong and where.
class TFileError : public std::runtime_error {
  public:
    TFileError(int code, std::string fileName, const std::string& action);

    int Code() const noexcept { return Code_; }
    const std::string& FileName() const noexcept { return FileName_; }
    // What was being done: "Cannot open", "Cannot write", ...
    const std::string& Action() const noexcept { return Action_; }

  private:
    int Code_;
    std::string FileName_;
    std::string Action_;
};

// The code of a TFileError for a path that names a pipe, a device or a socket where a
// regular file is needed (no errno value says that).
inline constexpr int NotRegularFileCode = -1;

inline const char* const OpenAction = "Cannot open";

}  // namespace sonavel
