#include "platform/ProgramFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <utility>
#include <vector>

#include "platform/FileError.h"

namespace sonavel {

namespace {

constexpr const char* FolderPrefix = "sonavel-";
constexpr const char* LockSuffix = ".lock";
constexpr const char* PartPrefix = ".sonavel-";
constexpr const char* PartSuffix = ".part";
constexpr const char* RecordPrefix = "part-";
constexpr std::size_t TagLength = 8;
constexpr const char* NotePrefix = "doc-";
constexpr const char* NoteSuffix = ".txt";

std::string RandomTag() {
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string tag(TagLength, 'a');
    for (char& c : tag) {
        c = Letters[random() % (sizeof Letters - 1)];
    }
    return tag;
}

bool IsTag(const std::string& s, std::size_t from) {
    return s.size() >= from + TagLength &&
           std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from),
                       s.begin() + static_cast<std::ptrdiff_t>(from + TagLength),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// "sonavel-XXXXXXXX" + suffix, exactly.
bool IsProgramName(const std::string& name, const std::string& suffix) {
    const std::string prefix = FolderPrefix;
    return name.size() == prefix.size() + TagLength + suffix.size() && StartsWith(name, prefix) &&
           IsTag(name, prefix.size()) &&
           name.compare(prefix.size() + TagLength, suffix.size(), suffix) == 0;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

std::string BaseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Removes the partial outputs recorded in folder, every file in it and the folder. Files
// created while this runs (by a thread still at work) are caught by the next pass.
void ClearFolder(const std::string& folder) noexcept {
    for (int pass = 0; pass < 10; ++pass) {
        for (const std::string& name : Entries(folder)) {
            const std::string path = folder + name;
            if (StartsWith(name, RecordPrefix)) {
                char target[4096];
                const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
                // Only a name this program gives its partial outputs is ever removed.
                if (n > 0 && IsPartialOutputName(
                                 BaseNameOf(std::string(target, static_cast<std::size_t>(n))))) {
                    ::unlink(std::string(target, static_cast<std::size_t>(n)).c_str());
                }
            }
            ::unlink(path.c_str());
        }
        if (::rmdir(folder.c_str()) == 0 || errno == ENOENT) {
            return;
        }
    }
}

bool HoldsRecoveryNotes(const std::string& folder) {
    const std::vector<std::string> names = Entries(folder);
    return std::any_of(names.begin(), names.end(), IsRecoveryNoteName);
}

// A real folder (no link) of this user: in a temporary folder shared with other users, only
// this user's documents are offered back.
bool IsOwnFolder(const std::string& folder) {
    struct stat st {};
    return ::lstat(folder.substr(0, folder.size() - 1).c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid();
}

bool SameFile(int fd, const std::string& path) {
    struct stat byFd {};
    struct stat byPath {};
    return ::fstat(fd, &byFd) == 0 && ::stat(path.c_str(), &byPath) == 0 &&
           byFd.st_dev == byPath.st_dev && byFd.st_ino == byPath.st_ino;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class TRegistry {
  public:
    ~TRegistry() {
        const std::scoped_lock lock(Lock);
        Folders.clear();
    }

    std::mutex Lock;
    std::vector<std::unique_ptr<TProgramFolder>> Folders;  // the current one last
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

}  // namespace

TProgramFolder::TProgramFolder(const std::string& parent) : Parent_(parent) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = FolderPrefix + RandomTag();
        const std::string lockPath = parent + name + LockSuffix;
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            throw TFileError(errno, lockPath, "Cannot create");
        }
        // A program cleaning up at this moment may take the fresh lock file for a dead one
        // and remove it: then it is no longer the file at that path, and another name is tried.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !SameFile(fd, lockPath)) {
            ::close(fd);
            continue;
        }
        const std::string folder = parent + name;
        if (::mkdir(folder.c_str(), 0700) != 0) {
            const int code = errno;
            ::unlink(lockPath.c_str());
            ::close(fd);
            if (code == EEXIST) {
                continue;
            }
            throw TFileError(code, folder, "Cannot create");
        }
        Path_ = folder + "/";
        LockPath_ = lockPath;
        LockFd_ = fd;
        return;
    }
    throw TFileError(EEXIST, parent, "Cannot create a folder of its own in");
}

TProgramFolder::~TProgramFolder() {
    Clear();
    if (LockFd_ >= 0) {
        ::close(LockFd_);
    }
}

bool TProgramFolder::Exists() const {
    return IsFolder(Path_);
}

void TProgramFolder::Clear() noexcept {
    ClearFolder(Path_);
    // The lock file goes last: a folder without one is known to be an orphan.
    if (LockFd_ >= 0 && SameFile(LockFd_, LockPath_)) {
        ::unlink(LockPath_.c_str());
    }
}

int RemoveDeadProgramFolders(const std::string& parent) {
    int removed = 0;
    const std::vector<std::string> names = Entries(parent);
    for (const std::string& name : names) {
        if (IsProgramName(name, LockSuffix)) {
            const std::string lockPath = parent + name;
            const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0) {
                continue;
            }
            const std::string folder =
                parent + name.substr(0, name.size() - std::string(LockSuffix).size()) + "/";
            // Documents an editor can bring back are the editor's to recover or discard.
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, lockPath) &&
                !HoldsRecoveryNotes(folder)) {
                ClearFolder(folder);
                ::unlink(lockPath.c_str());
                ++removed;
            }
            ::close(fd);
        } else if (IsProgramName(name, "") && IsFolder(parent + name) &&
                   ::access((parent + name + LockSuffix).c_str(), F_OK) != 0) {
            // Its lock file is gone: whoever was removing it died half-way (a live program's
            // lock file outlives its folder).
            ClearFolder(parent + name + "/");
            ++removed;
        }
    }
    return removed;
}

bool IsRecoveryNoteName(const std::string& name) {
    const std::string prefix = NotePrefix;
    const std::string suffix = NoteSuffix;
    return name.size() > prefix.size() + suffix.size() && StartsWith(name, prefix) &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TDeadProgramFolder::TDeadProgramFolder(std::string path, std::string lockPath, int lockFd) noexcept
    : Path_(std::move(path)), LockPath_(std::move(lockPath)), LockFd_(lockFd) {}

TDeadProgramFolder::~TDeadProgramFolder() {
    if (LockFd_ >= 0) {
        ::close(LockFd_);
    }
}

std::vector<std::string> TDeadProgramFolder::NoteNames() const {
    std::vector<std::string> names = Entries(Path_);
    std::erase_if(names, [](const std::string& name) { return !IsRecoveryNoteName(name); });
    std::sort(names.begin(), names.end());
    return names;
}

void TDeadProgramFolder::Remove() noexcept {
    ClearFolder(Path_);
    if (LockFd_ >= 0 && SameFile(LockFd_, LockPath_)) {
        ::unlink(LockPath_.c_str());
    }
}

std::vector<std::unique_ptr<TDeadProgramFolder>> ClaimDeadFoldersWithNotes(
    const std::string& parent) {
    std::vector<std::unique_ptr<TDeadProgramFolder>> claimed;
    for (const std::string& name : Entries(parent)) {
        if (!IsProgramName(name, LockSuffix)) {
            continue;
        }
        const std::string lockPath = parent + name;
        const std::string folder =
            parent + name.substr(0, name.size() - std::string(LockSuffix).size()) + "/";
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, lockPath) && IsOwnFolder(folder) &&
            HoldsRecoveryNotes(folder)) {
            claimed.push_back(std::make_unique<TDeadProgramFolder>(folder, lockPath, fd));
        } else {
            ::close(fd);
        }
    }
    std::sort(claimed.begin(), claimed.end(),
              [](const auto& a, const auto& b) { return a->Path() < b->Path(); });
    return claimed;
}

std::string PartialOutputName() {
    return PartPrefix + RandomTag() + PartSuffix;
}

bool IsPartialOutputName(const std::string& name) {
    const std::string prefix = PartPrefix;
    const std::string suffix = PartSuffix;
    return name.size() == prefix.size() + TagLength + suffix.size() && StartsWith(name, prefix) &&
           IsTag(name, prefix.size()) &&
           name.compare(prefix.size() + TagLength, suffix.size(), suffix) == 0;
}

std::string ProgramFolderIn(const std::string& parent) {
    TRegistry& r = Registry();
    const std::scoped_lock lock(r.Lock);
    // Folders removed from under the program (a test's folder going) are let go.
    std::erase_if(r.Folders, [](const auto& f) { return !f->Exists(); });
    const auto it = std::find_if(r.Folders.begin(), r.Folders.end(),
                                 [&](const auto& f) { return f->Parent() == parent; });
    if (it == r.Folders.end()) {
        RemoveDeadProgramFolders(parent);
        r.Folders.push_back(std::make_unique<TProgramFolder>(parent));
    } else if (it + 1 != r.Folders.end()) {
        std::rotate(it, it + 1, r.Folders.end());
    }
    return r.Folders.back()->Path();
}

std::unique_lock<std::mutex> LockProgramFolders() {
    return std::unique_lock<std::mutex>(Registry().Lock);
}

std::string RecordPartialOutput(const std::string& partPath,
                                const std::unique_lock<std::mutex>& /*held*/) {
    TRegistry& r = Registry();
    if (r.Folders.empty() || !r.Folders.back()->Exists()) {
        return {};
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string record = r.Folders.back()->Path() + RecordPrefix + RandomTag();
        if (::symlink(partPath.c_str(), record.c_str()) == 0) {
            return record;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

void ForgetPartialOutput(const std::string& record) noexcept {
    if (!record.empty()) {
        ::unlink(record.c_str());
    }
}

void ClearProgramFoldersForExit() noexcept {
    TRegistry& r = Registry();
    r.Lock.lock();  // for good: nothing is created from here to the end of the process
    for (const auto& folder : r.Folders) {
        folder->Clear();
    }
}

}  // namespace sonavel
