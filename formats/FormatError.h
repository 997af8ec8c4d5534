#pragma once

#include <stdexcept>
#include <string>

namespace sonavel {

// A file whose content this program cannot take; the user is told "Unknown format". The file
// name is filled in by whoever knows it (the detail alone is for logs and tests).
class TFormatError : public std::runtime_error {
  public:
    explicit TFormatError(const std::string& detail, std::string fileName = {})
        : std::runtime_error(detail), FileName_(std::move(fileName)) {}

    const std::string& FileName() const noexcept { return FileName_; }

  private:
    std::string FileName_;
};

}  // namespace sonavel
