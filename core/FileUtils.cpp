#include "core/FileUtils.h"

#include <algorithm>
#include <cstring>

namespace sonavel {

TFile::TFile(TOsFile file) : File_(std::move(file)) {}

std::uint8_t* TFile::Reserve(int index, std::uint64_t bytes) {
    // A window's buffer grows as far as the window reaches, up to WindowSize: a short file
    // (a header probed, an empty restore point) never costs a whole window.
    TWindow& w = Windows_[index];
    if (bytes > w.Capacity) {
        const auto capacity = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            WindowSize, std::max<std::uint64_t>(bytes, 2 * std::uint64_t{w.Capacity})));
        auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(
            std::max<std::uint32_t>(capacity, MinBuffer));
        if (w.Length > 0) {
            std::memcpy(buffer.get(), w.Buffer.get(), w.Length);
        }
        w.Buffer = std::move(buffer);
        w.Capacity = std::max<std::uint32_t>(capacity, MinBuffer);
    }
    return w.Buffer.get();
}

std::unique_ptr<TFile> TFile::Create(const std::string& fileName) {
    return std::unique_ptr<TFile>(new TFile(TOsFile::CreateTruncate(fileName)));
}

std::unique_ptr<TFile> TFile::CreateNew(const std::string& fileName) {
    auto file = TOsFile::CreateExclusive(fileName);
    if (!file) {
        return nullptr;
    }
    return std::unique_ptr<TFile>(new TFile(std::move(*file)));
}

std::unique_ptr<TFile> TFile::Open(const std::string& fileName, TMode mode) {
    // The windows must be filled from disk, so a write-only file is opened for reading too.
    const auto access = mode == ReadOnly ? TOsFile::TAccess::ReadOnly : TOsFile::TAccess::ReadWrite;
    std::unique_ptr<TFile> f(new TFile(TOsFile::OpenExisting(fileName, access)));
    f->DiskSize_ = f->File_.SizeOnDisk();
    f->FillWindowsFromStart();
    return f;
}

TFile::~TFile() {
    try {
        WriteBack();
    } catch (...) {  // NOLINT(bugprone-empty-catch): a destructor has no one to tell
    }
}

void TFile::FillWindowsFromStart() {
    const auto length = static_cast<std::uint32_t>(std::min<std::uint64_t>(DiskSize_, WindowSize));
    Windows_[0].Length = 0;
    Windows_[1].Length = 0;
    const std::size_t got = length == 0 ? 0 : File_.ReadAt(Reserve(0, length), length, 0);
    if (got > 0) {
        std::memcpy(Reserve(1, got), Windows_[0].Buffer.get(), got);
    }
    for (auto& w : Windows_) {
        w.Start = 0;
        w.Length = static_cast<std::uint32_t>(got);
        w.Dirty = false;
    }
    LastWindow_ = 1;
}

std::uint64_t TFile::SizeLocked() const {
    std::uint64_t size = DiskSize_;
    for (const auto& w : Windows_) {
        size = std::max(size, w.Start + w.Length);
    }
    return size;
}

std::uint64_t TFile::Size() {
    const std::scoped_lock lock(Lock_);
    return SizeLocked();
}

void TFile::WriteBack() {
    for (auto& w : Windows_) {
        if (w.Dirty) {
            File_.WriteAt(w.Buffer.get(), w.Length, w.Start);
            DiskSize_ = std::max(DiskSize_, w.Start + w.Length);
            w.Dirty = false;
        }
    }
}

void TFile::Flush() {
    const std::scoped_lock lock(Lock_);
    WriteBack();
}

void TFile::Discard() {
    const std::scoped_lock lock(Lock_);
    for (auto& w : Windows_) {
        w.Dirty = false;
    }
}

void TFile::LoadWindow(std::uint64_t p) {
    const int victim = 1 - LastWindow_;
    WriteBack();
    if (p >= DiskSize_) {
        // The disk file grows with zeros to just behind p.
        File_.Truncate(p + 1);
        DiskSize_ = p + 1;
    }
    TWindow& w = Windows_[victim];
    if (p < WindowSize) {
        w.Start = 0;
    } else if (p >= w.Start) {
        w.Start = p;
    } else {
        // Moving backward: start half a window below, so walking down keeps hitting memory.
        w.Start = p - WindowSize / 2;
    }
    const auto length =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(DiskSize_ - w.Start, WindowSize));
    w.Length = 0;  // nothing of the old content is kept
    w.Length = static_cast<std::uint32_t>(File_.ReadAt(Reserve(victim, length), length, w.Start));
    w.Dirty = false;
}

std::uint64_t TFile::ReadBytes(void* dest, std::uint64_t position, std::uint64_t count) {
    const std::scoped_lock lock(Lock_);
    auto* out = static_cast<std::uint8_t*>(dest);
    std::uint64_t p = position;
    const std::uint64_t end = position + count;
    while (p < end) {
        const int w = Holds(0, p) ? 0 : (Holds(1, p) ? 1 : -1);
        if (w >= 0) {
            std::uint64_t chunkEnd = std::min(end, Windows_[w].Start + Windows_[w].Length);
            // Window 0 answers first wherever it holds a byte.
            if (w == 1 && Windows_[0].Length > 0 && Windows_[0].Start > p) {
                chunkEnd = std::min(chunkEnd, Windows_[0].Start);
            }
            std::memcpy(out + (p - position), Windows_[w].Buffer.get() + (p - Windows_[w].Start),
                        chunkEnd - p);
            LastWindow_ = w;
            p = chunkEnd;
        } else if (p >= SizeLocked()) {
            std::memset(out + (p - position), 0, end - p);
            p = end;
        } else {
            LoadWindow(p);
        }
    }
    return end;
}

std::uint64_t TFile::WriteBytes(const void* src, std::uint64_t position, std::uint64_t count) {
    const std::scoped_lock lock(Lock_);
    const auto* in = static_cast<const std::uint8_t*>(src);
    std::uint64_t p = position;
    const std::uint64_t end = position + count;
    while (p < end) {
        const bool held[2] = {Holds(0, p), Holds(1, p)};
        if (held[0] || held[1]) {
            // Every window holding the byte takes it, so overlapping windows stay identical.
            std::uint64_t chunkEnd = end;
            for (int w = 0; w < 2; ++w) {
                if (held[w]) {
                    chunkEnd = std::min(chunkEnd, Windows_[w].Start + Windows_[w].Length);
                } else if (Windows_[w].Start > p) {
                    chunkEnd = std::min(chunkEnd, Windows_[w].Start);
                }
            }
            for (int w = 0; w < 2; ++w) {
                if (held[w]) {
                    std::memcpy(Windows_[w].Buffer.get() + (p - Windows_[w].Start),
                                in + (p - position), chunkEnd - p);
                    Windows_[w].Dirty = true;
                    LastWindow_ = w;
                }
            }
            p = chunkEnd;
            continue;
        }
        const bool covers[2] = {CapacityCovers(0, p), CapacityCovers(1, p)};
        if (covers[0] || covers[1]) {
            // Extend every window whose capacity reaches p, zero-filling any gap.
            std::uint64_t chunkEnd = end;
            for (int w = 0; w < 2; ++w) {
                if (covers[w]) {
                    chunkEnd = std::min(chunkEnd, Windows_[w].Start + WindowSize);
                } else if (Windows_[w].Start > p) {
                    chunkEnd = std::min(chunkEnd, Windows_[w].Start);
                }
            }
            for (int w = 0; w < 2; ++w) {
                if (covers[w]) {
                    TWindow& win = Windows_[w];
                    const std::uint64_t offset = p - win.Start;
                    Reserve(w, chunkEnd - win.Start);
                    std::memset(win.Buffer.get() + win.Length, 0, offset - win.Length);
                    std::memcpy(win.Buffer.get() + offset, in + (p - position), chunkEnd - p);
                    win.Length = static_cast<std::uint32_t>(chunkEnd - win.Start);
                    win.Dirty = true;
                    LastWindow_ = w;
                }
            }
            p = chunkEnd;
            continue;
        }
        LoadWindow(p);
    }
    return end;
}

std::uint64_t TFile::ReadString(std::string& s, std::uint64_t position, std::uint32_t length) {
    s.assign(length, '\0');
    return ReadBytes(s.data(), position, length);
}

void TFile::InsertBytes(std::uint64_t position, std::uint64_t count) {
    const std::scoped_lock lock(Lock_);
    const std::uint64_t s = SizeLocked();
    WriteBack();
    if (position < s) {
        // Move the tail up from the top down, a window's worth at a time, straight on disk.
        // The gap keeps its old bytes; callers overwrite it.
        const TProgressScope progress(s - position + 1);
        std::uint8_t* buffer = Reserve(0, std::min<std::uint64_t>(s - position, WindowSize));
        std::uint64_t hi = s;
        while (hi > position) {
            const std::uint64_t chunk = std::min<std::uint64_t>(hi - position, WindowSize);
            hi -= chunk;
            TProgressScope::Step(s - hi - chunk + 1);
            File_.ReadAt(buffer, chunk, hi);
            File_.WriteAt(buffer, chunk, hi + count);
        }
        TProgressScope::Step(s - position);
        DiskSize_ = std::max(DiskSize_, s + count);
    } else if (count > 0) {
        const TProgressScope progress(count);
        File_.Truncate(std::max(DiskSize_, position + count));
        DiskSize_ = std::max(DiskSize_, position + count);
        TProgressScope::Step(count - 1);
    }
    FillWindowsFromStart();
}

void TFile::DeleteBytes(std::uint64_t position, std::uint64_t count) {
    const std::scoped_lock lock(Lock_);
    const std::uint64_t s = SizeLocked();
    if (position >= s) {
        return;
    }
    const std::uint64_t n = std::min(count, s - position);
    const std::uint64_t e = s > n ? s - n : 0;
    const TProgressScope progress(e - position + 1);
    WriteBack();
    std::uint8_t* buffer = Reserve(0, std::min<std::uint64_t>(e - position, WindowSize));
    for (std::uint64_t done = 0; done < e - position;) {
        const std::uint64_t chunk = std::min<std::uint64_t>(e - position - done, WindowSize);
        TProgressScope::Step(done + 1);
        File_.ReadAt(buffer, chunk, position + n + done);
        File_.WriteAt(buffer, chunk, position + done);
        done += chunk;
    }
    TProgressScope::Step(e - position);
    File_.Truncate(e);
    DiskSize_ = e;
    FillWindowsFromStart();
}

TFile::TWindowState TFile::Window(int index) const {
    const std::scoped_lock lock(Lock_);
    const TWindow& w = Windows_[index];
    return {w.Start, w.Length, w.Dirty};
}

int TFile::LastWindow() const {
    const std::scoped_lock lock(Lock_);
    return LastWindow_;
}

}  // namespace sonavel
