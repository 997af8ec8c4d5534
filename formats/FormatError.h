#pragma once

#include <stdexcept>

namespace sonavel {

// A file whose content this program cannot take; the user is told "Unknown format".
class TFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace sonavel
