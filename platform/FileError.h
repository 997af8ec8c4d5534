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

private:
    int Code_;
    std::string FileName_;
};

}  // namespace sonavel
