#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/TempPath.h"

namespace sonavel::fuzz {

// The readers take file names, so every input is written to a file first. The folder is
// private to the process (in memory where /dev/shm exists) and also takes the streams'
// channel files.
class TFuzzFolder {
  public:
    TFuzzFolder() {
        const std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/sonavel-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        Path_ = pattern + "/";
        SetTempPath(Path_);
    }
    ~TFuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Path_, ignored);
    }
    TFuzzFolder(const TFuzzFolder&) = delete;
    TFuzzFolder& operator=(const TFuzzFolder&) = delete;

    std::string Write(const std::uint8_t* data, std::size_t size, const char* name) const {
        const std::string path = Path_ + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size)) {
            std::perror("writing the fuzz input");
            std::abort();
        }
        std::fclose(f);
        return path;
    }

  private:
    std::string Path_;
};

inline const TFuzzFolder& Folder() {
    static const TFuzzFolder folder;
    return folder;
}

}  // namespace sonavel::fuzz
