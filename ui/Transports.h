#pragma once

#include <map>
#include <memory>

#include "core/TransportThreads.h"

namespace sonavel {

class TDocument;

// The play and record threads of every document, each kept until the next one of its kind
// starts, the document is closed, or an operation on the document takes them over.
class TTransports {
  public:
    // A document's threads, handed over to be ended away from the user interface thread.
    struct TThreads {
        std::unique_ptr<TPlayThread> Play;
        std::unique_ptr<TRecordThread> Record;
    };

    TTransports() = default;
    ~TTransports();
    TTransports(const TTransports&) = delete;
    TTransports& operator=(const TTransports&) = delete;

    // The timer's start of a requested run: the previous thread of the kind is ended (keeping
    // the pending request), the request is taken, and the thread is started. False when no
    // request was pending.
    bool StartPlay(TDocument& document, const TPlaybackEngine& engine,
                   TPlayThread::TFinished onFinished, TPlayThread::TFailed onFailed);
    bool StartRecord(TDocument& document, const TPlaybackEngine& engine,
                     TRecordThread::TFinished onFinished, TRecordThread::TFailed onFailed);

    // A recording counts until its document has been brought up to date afterwards.
    bool Recording(const TDocument& document) const;
    void RecordingDone(const TDocument& document);

    // Hands the document's threads over: destroying them asks their runs to stop and waits.
    std::shared_ptr<TThreads> Take(const TDocument& document);
    // Stops the document's runs and waits for their threads (before the document goes).
    void Forget(const TDocument& document);

  private:
    struct TEntry {
        std::unique_ptr<TPlayThread> Play;
        std::unique_ptr<TRecordThread> Record;
        bool RecordPending = false;
    };

    std::map<const TDocument*, TEntry> Entries_;
};

}  // namespace sonavel
