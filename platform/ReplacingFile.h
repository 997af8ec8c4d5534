#pragma once

#include <string>

#include "platform/OsFile.h"

namespace sonavel {

// Writes a file beside its target and puts it in the target's place only on Commit, so a
// failed or abandoned write never damages the file that was there. The file beside the
// target has a short name of fixed length (".sonavel-XXXXXXXX.part"), so any target name the
// file system takes can be written; a name already taken is retried with another. It is
// recorded in the program folder, so that it is removed even when the program is killed.
class TReplacingFile {
  public:
    explicit TReplacingFile(std::string target);
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;
    // Removes the partial file unless committed.
    ~TReplacingFile();

    TOsFile& File() { return File_; }
    // Closes the file and renames it over the target (keeping the target's permissions).
    void Commit();

  private:
    TOsFile CreatePartFile();

    std::string Target_;
    std::string Record_;
    TOsFile File_;
    bool Committed_ = false;
};

}  // namespace sonavel
