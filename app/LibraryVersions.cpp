#include "app/LibraryVersions.h"

#include <lame/lame.h>
#include <mpg123.h>
#include <portaudio.h>

namespace sonavel {

TLibraryVersions LibraryVersions() {
    TLibraryVersions versions;
    const PaVersionInfo* portAudio = Pa_GetVersionInfo();
    if (portAudio != nullptr) {
        versions.PortAudio = std::to_string(portAudio->versionMajor) + "." +
                             std::to_string(portAudio->versionMinor) + "." +
                             std::to_string(portAudio->versionSubMinor);
    }
#if MPG123_API_VERSION >= 48
    unsigned major = 0;
    unsigned minor = 0;
    unsigned patch = 0;
    mpg123_distversion(&major, &minor, &patch);
    versions.Mpg123 =
        std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
#else
    // Older releases cannot tell their version at run time; the one built against is close.
    versions.Mpg123 = SONAVEL_MPG123_VERSION;
#endif
    const char* lame = get_lame_version();
    versions.Lame = lame != nullptr ? lame : "";
    return versions;
}

}  // namespace sonavel
