#include "core/TempPath.h"

#include <cstdlib>
#include <mutex>

#include "platform/ProgramFolder.h"

namespace sonavel {

namespace {

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::mutex& PathLock() {
    static std::mutex lock;
    return lock;
}

std::string& PathValue() {
    static std::string value = DefaultTempPath();
    return value;
}

}  // namespace

std::string DefaultTempPath() {
    for (const char* name : {"TEMP", "TMPDIR"}) {
        const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): read-only use
        if (value != nullptr && *value != '\0') {
            return WithTrailingSlash(value);
        }
    }
    return "/tmp/";
}

std::string TempPath() {
    const std::scoped_lock lock(PathLock());
    return PathValue();
}

void SetTempPath(const std::string& folder) {
    const std::scoped_lock lock(PathLock());
    PathValue() = WithTrailingSlash(folder);
}

std::string ChannelFolder() {
    return ProgramFolderIn(TempPath());
}

void RemoveLeftovers() {
    RemoveDeadProgramFolders(TempPath());
}

}  // namespace sonavel
