#include "platform/FileError.h"

#include <cstring>

namespace sonavel {

namespace {

std::string Reason(int code) {
    return code == NotRegularFileCode ? "Not a regular file" : std::strerror(code);
}

}  // namespace

TFileError::TFileError(int code, std::string fileName, const std::string& action)
    : std::runtime_error(action + " '" + fileName + "': " + Reason(code)),
      Code_(code),
      FileName_(std::move(fileName)),
      Action_(action) {}

}  // namespace sonavel
