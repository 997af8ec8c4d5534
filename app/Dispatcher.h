#pragma once

#include <string>

#include "app/OperationTable.h"
#include "app/Workspace.h"

namespace sonavel {

// What the worker tells the windows while it runs. The editor turns these into updates of
// the progress window and the document window on the user-interface thread; the
// command-line tool mostly ignores them.
class TOperationObserver {
  public:
    virtual ~TOperationObserver() = default;
    virtual void SetCaption(const std::string& /*caption*/) {}
    // The channel list is to be rebuilt and set back to all channels.
    virtual void FillChannelBox(TDocument& /*document*/) {}
    // The graph cache is to be rebuilt from GraphStart/GraphLength.
    virtual void BuildGraph(TDocument& /*document*/) {}
    virtual void ShowProperties(TDocument& /*document*/) {}
};

struct TOperationResult {
    bool Ok = true;
    // The operation's precondition failed and nothing was done (not Ok either).
    bool Refused = false;
    // Why, in the interface language, when not Ok; empty for a silent refusal.
    std::string Message;
    // Stopped by a cancel request: the document is as it was before (not Ok either, and
    // nothing to tell).
    bool Cancelled = false;
};

// Runs one operation on the active document: checks its precondition (a refused operation
// changes nothing at all), stops its transport, takes the restore point,
// runs the operation's branch with the values of its dialog, and brings the document's
// length, selection, cursor, view and channel choice up to date. A failure is reported in
// the result and the document is put back as it was (a clipboard or transfer copy that
// failed leaves the old one in place). A cancel requested while the operation works (see
// TCancellable) puts the document back the same way; once the operation has been committed
// the graph is built to its end. Runs on the calling thread: the editor calls it on its
// worker thread.
TOperationResult Execute(TWorkspace& workspace, TOperation operation, TOperationObserver& observer);

}  // namespace sonavel
