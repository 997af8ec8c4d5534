#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/Progress.h"
#include "platform/FileError.h"
#include "platform/OsFile.h"

namespace sonavel {

inline constexpr std::uint32_t WindowSize = 1048576;

// A random-access byte file behind two 1 MiB write-back windows. Every access names an
// absolute position and returns the position behind the bytes it handled, so callers chain
// field after field. Reading past the end yields zeros; writing past the end grows the file.
// Observable behaviour is that of a byte-at-a-time cache (which window answers, which one is
// reloaded and where), but bytes move window-chunk by window-chunk.
class TFile {
  public:
    enum TMode : std::uint8_t { ReadOnly = 0, WriteOnly = 1, ReadWrite = 2 };

    struct TWindowState {
        std::uint64_t Start;
        std::uint32_t Length;
        bool Dirty;
    };

    // Creates the file, or truncates an existing one, for reading and writing.
    static std::unique_ptr<TFile> Create(const std::string& fileName);
    // Like Create, but never touches an existing file: nullptr when the name is taken.
    static std::unique_ptr<TFile> CreateNew(const std::string& fileName);
    static std::unique_ptr<TFile> Open(const std::string& fileName, TMode mode);

    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    // Writes back dirty windows; errors there cannot be reported, call Flush first to see them.
    ~TFile();

    std::uint64_t ReadBytes(void* dest, std::uint64_t position, std::uint64_t count);
    std::uint64_t WriteBytes(const void* src, std::uint64_t position, std::uint64_t count);
    std::uint64_t ReadString(std::string& s, std::uint64_t position, std::uint32_t length);
    void InsertBytes(std::uint64_t position, std::uint64_t count);
    void DeleteBytes(std::uint64_t position, std::uint64_t count);
    std::uint64_t Size();

    // Writes every dirty window back to disk.
    void Flush();
    // Forgets the windows without writing them: for a file that is about to be deleted.
    void Discard();

    const std::string& FileName() const noexcept { return File_.Path(); }
    TWindowState Window(int index) const;
    int LastWindow() const;

  private:
    explicit TFile(TOsFile file);
    // The window's buffer, grown to hold at least bytes (keeping its Length bytes).
    std::uint8_t* Reserve(int index, std::uint64_t bytes);
    void FillWindowsFromStart();  // both windows at 0, as right after opening

    bool Holds(int w, std::uint64_t p) const {
        return Windows_[w].Start <= p && p < Windows_[w].Start + Windows_[w].Length;
    }
    bool CapacityCovers(int w, std::uint64_t p) const {
        return Windows_[w].Start <= p && p < Windows_[w].Start + WindowSize;
    }
    std::uint64_t SizeLocked() const;
    void LoadWindow(std::uint64_t p);
    void WriteBack();

    static constexpr std::uint32_t MinBuffer = 4096;

    struct TWindow {
        std::unique_ptr<std::uint8_t[]> Buffer;
        std::uint32_t Capacity = 0;
        std::uint64_t Start = 0;
        std::uint32_t Length = 0;
        bool Dirty = false;
    };

    TOsFile File_;
    std::uint64_t DiskSize_ = 0;  // our own writes are the only ones, so this mirrors fstat
    std::array<TWindow, 2> Windows_;
    int LastWindow_ = 1;
    mutable std::mutex Lock_;
};

}  // namespace sonavel
