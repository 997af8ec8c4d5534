#pragma once

#include <string>

namespace sonavel {

// The versions of the sound libraries the program runs with, for the version window.
struct TLibraryVersions {
    std::string PortAudio;
    std::string Mpg123;
    std::string Lame;
};

TLibraryVersions LibraryVersions();

}  // namespace sonavel
