#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/RecoveryNote.h"
#include "app/Workspace.h"

namespace sonavel {

class TDeadProgramFolder;

// Brings the document's recovery note up to date (when the workspace keeps notes): the files
// of lastCompleted, or of the document's own stream when none is given, are written to disk
// and named in the note. Documents without channels, or whose files lie in more than one
// folder, have no note. Never throws.
void KeepRecoveryNote(const TWorkspace& workspace, TDocument& document,
                      TAudioStream* lastCompleted = nullptr) noexcept;
// While the document's files hold no completed content (a new document being filled).
void DropRecoveryNote(TDocument& document) noexcept;

// The documents a dead editor left in the temporary folder, with the folders claimed (no
// other program touches them) until they are recovered, discarded or this object goes.
class TRecoverableDocuments {
  public:
    // Looks in parent (ending in '/') for the folders of dead editors.
    explicit TRecoverableDocuments(const std::string& parent);
    ~TRecoverableDocuments();
    TRecoverableDocuments(const TRecoverableDocuments&) = delete;
    TRecoverableDocuments& operator=(const TRecoverableDocuments&) = delete;

    bool Empty() const { return Documents_.empty(); }
    // The documents' captions, for asking the user.
    std::vector<std::string> Captions() const;

    struct TResult {
        std::vector<TDocument*> Documents;  // added to the workspace, in order
        std::string Failure;                // why some could not be, in the interface language
    };
    // Copies every document into the workspace as a modified document with the same name,
    // format and selection, then removes the dead folders. A folder whose documents could not
    // all be brought back (a full disk) stays, for a later start.
    TResult Recover(TWorkspace& workspace);
    // Removes the dead folders with their documents.
    void Discard();

  private:
    struct TFound {
        std::size_t Folder;
        TDocumentNote Note;
    };
    std::vector<std::unique_ptr<TDeadProgramFolder>> Folders_;
    std::vector<TFound> Documents_;
};

}  // namespace sonavel
