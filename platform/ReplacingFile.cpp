#include "platform/ReplacingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/FileError.h"
#include "platform/ProgramFolder.h"

namespace sonavel {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The record of a partial output is a link, read from the program folder: it must not be
// relative to the working folder.
std::string Absolute(const std::string& path) {
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    char cwd[4096];
    return ::getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" + path : path;
}

unsigned DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666U & ~static_cast<unsigned>(mask);
}

}  // namespace

TOsFile TReplacingFile::CreatePartFile() {
    const std::string folder = FolderOf(Target_);
    // Created and recorded under the program folders' lock, so that a clean-up on a signal
    // finds either neither or both. Recorded first: a kill between the two steps (no lock
    // stops that) then leaves a record of nothing, which the next start drops, rather than a
    // partial output nobody knows of.
    const auto held = LockProgramFolders();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string part = folder + PartialOutputName();
        const std::string record = RecordPartialOutput(Absolute(part), held);
        std::optional<TOsFile> file;
        try {
            file = TOsFile::CreateExclusive(part);
        } catch (const TFileError& error) {
            ForgetPartialOutput(record);
            throw TFileError(error.Code(), Target_, "Cannot create");  // the name the user knows
        }
        if (file) {
            Record_ = record;
            return std::move(*file);
        }
        ForgetPartialOutput(record);  // the name is taken
    }
    throw TFileError(EEXIST, Target_, "Cannot create a temporary file for");
}

TReplacingFile::TReplacingFile(std::string target)
    : Target_(std::move(target)), File_(CreatePartFile()) {}

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
    ForgetPartialOutput(Record_);
}

void TReplacingFile::Commit() {
    File_.SetMode(FileMode(Target_).value_or(DefaultMode()));
    File_.Close();
    RenameFile(File_.Path(), Target_);
    Committed_ = true;
}

}  // namespace sonavel
