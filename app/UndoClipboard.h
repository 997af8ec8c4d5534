#pragma once

#include <memory>

#include "app/Document.h"
#include "core/AudioStream.h"

namespace sonavel {

// A full, bit-exact copy of the document's stream.
std::unique_ptr<TAudioStream> CopyWholeStream(TAudioStream& stream);

// Takes a restore point before an undoable operation: drops points beyond maxUndos, then
// puts a copy of the document in front (the oldest point giving way when the list is full).
// Nothing is made when maxUndos is 0.
void AddRestorePoint(TDocument& document, int maxUndos);

// Replaces the document's stream by the newest restore point, which is used up, and clears
// the selection. The stream it replaces goes to the front of the redo list. Modified tells
// whether the result differs from the content last saved. The caller guarantees at least
// one restore point.
void UndoLast(TDocument& document);
// The reverse of UndoLast: the newest redo point becomes the stream, which goes to the front
// of the restore points. The caller guarantees at least one redo point.
void RedoLast(TDocument& document);

// Selects what a paste of `source` at the cursor wrote: its length converted to the
// document's sample rate.
void PasteSelection(TDocument& document, std::uint32_t position, TAudioStream& source);

// Holds what is needed to put a document back exactly as it was if the operation that
// follows fails: the restore point just taken (or a private copy when restore points are
// off), the oldest point it pushed out, and the document's selection, cursor and view.
class TRollbackGuard {
  public:
    TRollbackGuard(TDocument& document, int maxUndos, bool safetyCopyWithoutUndo);
    TRollbackGuard(const TRollbackGuard&) = delete;
    TRollbackGuard& operator=(const TRollbackGuard&) = delete;
    // Without Commit the document is put back.
    ~TRollbackGuard();
    void Commit();
    // The copy of the content before the operation (the restore point just taken or the
    // private copy); nullptr when there is none.
    TAudioStream* LastCompleted() const;

  private:
    struct TFields {
        std::uint32_t SampleCount, SelStart, SelEnd, CursorPos, ViewStart, ViewLength, GraphStart,
            GraphLength;
        std::int32_t PlayEnd;
        bool SelStartSet, SelEndSet, Modified;
        int ChannelItem;
    };

    TDocument& Document_;
    TFields Saved_;
    bool InRestorePoints_ = false;
    std::unique_ptr<TAudioStream> SafetyCopy_;
    std::unique_ptr<TAudioStream> PushedOut_;
    bool Committed_ = false;
};

}  // namespace sonavel
