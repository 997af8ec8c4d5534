#include "platform/ReplacingFile.h"

#include <sys/stat.h>

#include <random>

#include "platform/FileError.h"

namespace sonavel {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

TOsFile CreatePartFile(const std::string& target) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::string folder = FolderOf(target);
    const std::string name = target.substr(folder.size());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string part = folder + "." + name + "." + std::to_string(random() % 1000000000) + ".part";
        if (auto file = TOsFile::CreateExclusive(part)) {
            return std::move(*file);
        }
    }
    throw TFileError(EEXIST, target, "Cannot create a temporary file for");
}

unsigned DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666U & ~static_cast<unsigned>(mask);
}

}  // namespace

TReplacingFile::TReplacingFile(std::string target)
    : Target_(std::move(target)), File_(CreatePartFile(Target_)) {}

TReplacingFile::~TReplacingFile() {
    if (!Committed_) {
        const std::string part = File_.Path();
        try {
            File_.Close();
        } catch (...) {  // NOLINT(bugprone-empty-catch): the partial file goes anyway
        }
        try {
            RemoveFile(part);
        } catch (...) {  // NOLINT(bugprone-empty-catch): nothing more can be done
        }
    }
}

void TReplacingFile::Commit() {
    File_.SetMode(FileMode(Target_).value_or(DefaultMode()));
    File_.Close();
    RenameFile(File_.Path(), Target_);
    Committed_ = true;
}

}  // namespace sonavel
