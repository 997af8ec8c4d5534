#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sonavel {

// A folder of one running program inside a shared temporary folder: "sonavel-XXXXXXXX/" with
// a lock file "sonavel-XXXXXXXX.lock" beside it, locked (flock) while the program lives. The
// folder holds the program's channel files and a record (a symbolic link "part-...") of every
// partial output it is writing beside a target. A folder whose lock is free belongs to a
// program that ended or died, and whoever finds it removes it with all it records.
class TProgramFolder {
  public:
    // Creates and locks a new folder in parent (which ends in '/'). Throws TFileError.
    explicit TProgramFolder(const std::string& parent);
    // Removes the folder, its files, the partial outputs it records, then the lock.
    ~TProgramFolder();
    TProgramFolder(const TProgramFolder&) = delete;
    TProgramFolder& operator=(const TProgramFolder&) = delete;

    // The folder, with a trailing '/'.
    const std::string& Path() const noexcept { return Path_; }
    const std::string& Parent() const noexcept { return Parent_; }
    bool Exists() const;
    // Removes everything in the folder (recorded partial outputs first), the folder and the
    // lock file; the lock itself is held until the object goes. Never throws.
    void Clear() noexcept;

  private:
    std::string Parent_;
    std::string Path_;
    std::string LockPath_;
    int LockFd_ = -1;
};

// Removes from parent the folders of programs that are gone (their lock is free), with the
// channel files and partial outputs they record. Returns how many were removed. A folder
// holding a recovery note (the editor's description of an open document) stays for the
// editor to offer its documents back; see TDeadProgramFolder.
int RemoveDeadProgramFolders(const std::string& parent);

// "doc-*.txt": the name of a note an editor keeps beside the channel files of an open document
// so that a later start can bring the document back if the editor dies.
bool IsRecoveryNoteName(const std::string& name);

// A dead program's folder that holds recovery notes, claimed: its lock is held, so no other
// program removes or claims it while the documents are taken over. Released (and left as it
// is) when the object goes, unless removed.
class TDeadProgramFolder {
  public:
    TDeadProgramFolder(std::string path, std::string lockPath, int lockFd) noexcept;
    ~TDeadProgramFolder();
    TDeadProgramFolder(const TDeadProgramFolder&) = delete;
    TDeadProgramFolder& operator=(const TDeadProgramFolder&) = delete;

    // The folder, with a trailing '/'.
    const std::string& Path() const noexcept { return Path_; }
    // The names of its recovery notes, sorted.
    std::vector<std::string> NoteNames() const;
    // Removes the folder with everything it holds, then its lock file.
    void Remove() noexcept;

  private:
    std::string Path_;
    std::string LockPath_;
    int LockFd_ = -1;
};

// Claims every folder in parent of a program that is gone and left recovery notes.
std::vector<std::unique_ptr<TDeadProgramFolder>> ClaimDeadFoldersWithNotes(
    const std::string& parent);

// The name of a partial output written beside a target: ".sonavel-XXXXXXXX.part", short and
// of fixed length whatever the target's name.
std::string PartialOutputName();
bool IsPartialOutputName(const std::string& name);

// The process's program folders: one per temporary folder used, the current one created when
// first needed (removing dead programs' folders there first). Thread-safe.
// The program folder inside parent, created when needed.
std::string ProgramFolderIn(const std::string& parent);

// Holds the registry while a partial output is created and recorded, so that a clean-up on a
// termination signal sees either neither or both.
std::unique_lock<std::mutex> LockProgramFolders();
// Records a partial output in the most recently used program folder (the caller holds the
// lock); returns the record's path, empty when no program folder exists yet.
std::string RecordPartialOutput(const std::string& partPath,
                                const std::unique_lock<std::mutex>& held);
// Removes a record made by RecordPartialOutput (the partial output is no more).
void ForgetPartialOutput(const std::string& record) noexcept;

// Removes every program folder of this process with its channel files and the partial
// outputs it records, and keeps the registry locked for good: for a process about to end on
// a signal. Never throws.
void ClearProgramFoldersForExit() noexcept;

}  // namespace sonavel
