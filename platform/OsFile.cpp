#include "platform/OsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/FileError.h"

namespace sonavel {

namespace {

int OpenOrThrow(const std::string& path, int flags, const char* action) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw TFileError(errno, path, action);
    }
    return fd;
}

}  // namespace

TOsFile TOsFile::CreateTruncate(const std::string& path) {
    return TOsFile(OpenOrThrow(path, O_RDWR | O_CREAT | O_TRUNC, "Cannot create"), path);
}

std::optional<TOsFile> TOsFile::CreateExclusive(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) {
            return std::nullopt;
        }
        throw TFileError(errno, path, "Cannot create");
    }
    return TOsFile(fd, path);
}

TOsFile TOsFile::OpenExisting(const std::string& path, TAccess access) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int flags = (access == TAccess::ReadOnly ? O_RDONLY : O_RDWR) | O_NONBLOCK;
    TOsFile file(OpenOrThrow(path, flags, OpenAction), path);
    struct stat st {};
    if (::fstat(file.Fd_, &st) != 0) {
        throw TFileError(errno, path, OpenAction);
    }
    if (S_ISDIR(st.st_mode)) {
        throw TFileError(EISDIR, path, OpenAction);
    }
    if (!S_ISREG(st.st_mode)) {
        throw TFileError(NotRegularFileCode, path, OpenAction);
    }
    const int status = ::fcntl(file.Fd_, F_GETFL);
    if (status < 0 || ::fcntl(file.Fd_, F_SETFL, status & ~O_NONBLOCK) != 0) {
        throw TFileError(errno, path, OpenAction);
    }
    return file;
}

TOsFile::TOsFile(TOsFile&& other) noexcept
    : Fd_(std::exchange(other.Fd_, -1)), Path_(std::move(other.Path_)) {}

TOsFile& TOsFile::operator=(TOsFile&& other) noexcept {
    if (this != &other) {
        if (Fd_ >= 0) {
            ::close(Fd_);
        }
        Fd_ = std::exchange(other.Fd_, -1);
        Path_ = std::move(other.Path_);
    }
    return *this;
}

TOsFile::~TOsFile() {
    if (Fd_ >= 0) {
        ::close(Fd_);
    }
}

std::size_t TOsFile::ReadAt(void* dest, std::size_t count, std::uint64_t pos) const {
    auto* out = static_cast<char*>(dest);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(Fd_, out + done, count - done, static_cast<off_t>(pos + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw TFileError(errno, Path_, "Cannot read");
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void TOsFile::WriteAt(const void* src, std::size_t count, std::uint64_t pos) {
    const auto* in = static_cast<const char*>(src);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(Fd_, in + done, count - done, static_cast<off_t>(pos + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw TFileError(errno, Path_, "Cannot write");
        }
        if (n == 0) {
            throw TFileError(ENOSPC, Path_, "Cannot write");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::uint64_t TOsFile::SizeOnDisk() const {
    struct stat st {};
    if (::fstat(Fd_, &st) != 0) {
        throw TFileError(errno, Path_, "Cannot query the size of");
    }
    return static_cast<std::uint64_t>(st.st_size);
}

void TOsFile::Truncate(std::uint64_t size) {
    if (::ftruncate(Fd_, static_cast<off_t>(size)) != 0) {
        throw TFileError(errno, Path_, "Cannot resize");
    }
}

void TOsFile::SetMode(unsigned mode) {
    if (::fchmod(Fd_, static_cast<mode_t>(mode)) != 0) {
        throw TFileError(errno, Path_, "Cannot set permissions of");
    }
}

void TOsFile::Close() {
    const int fd = std::exchange(Fd_, -1);
    if (fd >= 0 && ::close(fd) != 0) {
        throw TFileError(errno, Path_, "Cannot close");
    }
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

void RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw TFileError(errno, path, "Cannot delete");
    }
}

void RenameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throw TFileError(errno, to, "Cannot replace");
    }
}

std::optional<unsigned> FileMode(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<unsigned>(st.st_mode & 07777);
}

}  // namespace sonavel
