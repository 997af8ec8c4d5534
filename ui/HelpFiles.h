#pragma once

#include <QString>
#include <string>

namespace sonavel {

// The help pages kept among the program's resources, one set per language, written to a
// folder of the system's temporary directory so that a browser can show them. The folder
// holds one language at a time and is rewritten when the language or the program's version
// differs from what it holds.
class THelpFiles {
  public:
    // The folder of the help pages of this user in the system's temporary directory.
    static QString DefaultFolder();

    explicit THelpFiles(QString folder = DefaultFolder());

    // Writes the pages of the language unless they are there already; the path of the first
    // page, or empty when they cannot be written or the word is neither "RUS" nor "ENG".
    QString Write(const std::string& language) const;

    const QString& Folder() const { return Folder_; }

  private:
    QString Folder_;
};

}  // namespace sonavel
