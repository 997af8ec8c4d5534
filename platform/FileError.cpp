#include "platform/FileError.h"

#include <cstring>

namespace sonavel {

TFileError::TFileError(int code, std::string fileName, const std::string& action)
    : std::runtime_error(action + " '" + fileName + "': " + std::strerror(code)),
      Code_(code),
      FileName_(std::move(fileName)) {}

}  // namespace sonavel
