// sonavel-cli: runs the editor's operations headlessly. For now it opens a WAV file and
// writes it back, the first steps of the script language to come.
#include <cstring>
#include <iostream>
#include <string>

#include "core/AudioStream.h"
#include "formats/FormatError.h"
#include "formats/PCM_Format.h"
#include "platform/OsFile.h"

namespace {

constexpr const char* Usage =
    "Usage: sonavel-cli INPUT.wav -o OUTPUT.wav\n"
    "       sonavel-cli --help\n"
    "\n"
    "Opens a PCM WAV file (8 to 32 bits, any channel count) and saves it again.\n"
    "Channel files are kept in $TEMP, else $TMPDIR, else /tmp.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace sonavel;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << Usage;
        return 0;
    }
    if (argc != 4 || std::strcmp(argv[2], "-o") != 0) {
        std::cerr << Usage;
        return 2;
    }
    const std::string input = argv[1];
    if (!FileExists(input)) {
        std::cerr << "File not found\n";
        return 2;
    }
    if (!IsWaveFile(input)) {
        std::cerr << "Unknown format\n";
        return 2;
    }
    try {
        TAudioStream stream;
        TPCM(input).LoadStream(stream);
        SavePCMFile(stream, argv[3]);
    } catch (const TFormatError& e) {
        std::cerr << "Unknown format: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
