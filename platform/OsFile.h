#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace sonavel {

// An open operating-system file addressed by absolute position (pread/pwrite). Owns the
// descriptor; every failing call throws TFileError.
class TOsFile {
  public:
    enum class TAccess { ReadOnly, ReadWrite };

    // Creates the file or truncates an existing one.
    static TOsFile CreateTruncate(const std::string& path);
    // Creates the file only if no file of that name exists; nullopt when one does.
    static std::optional<TOsFile> CreateExclusive(const std::string& path);
    // Opens a regular file; a directory, pipe, device or socket is refused at once (TFileError
    // with EISDIR or NotRegularFileCode) without waiting on it.
    static TOsFile OpenExisting(const std::string& path, TAccess access);

    TOsFile(TOsFile&& other) noexcept;
    TOsFile& operator=(TOsFile&& other) noexcept;
    TOsFile(const TOsFile&) = delete;
    TOsFile& operator=(const TOsFile&) = delete;
    ~TOsFile();

    // Reads up to count bytes; fewer only at the end of the file.
    std::size_t ReadAt(void* dest, std::size_t count, std::uint64_t pos) const;
    void WriteAt(const void* src, std::size_t count, std::uint64_t pos);
    std::uint64_t SizeOnDisk() const;
    void Truncate(std::uint64_t size);
    void SetMode(unsigned mode);
    // Closes now and reports a failure (the destructor cannot).
    void Close();

    const std::string& Path() const noexcept { return Path_; }

  private:
    TOsFile(int fd, std::string path) : Fd_(fd), Path_(std::move(path)) {}
    int Fd_ = -1;
    std::string Path_;
};

bool FileExists(const std::string& path);
// Removes a file; a missing file is not an error.
void RemoveFile(const std::string& path);
void RenameFile(const std::string& from, const std::string& to);
// Permission bits of an existing file, nullopt if there is none.
std::optional<unsigned> FileMode(const std::string& path);

}  // namespace sonavel
