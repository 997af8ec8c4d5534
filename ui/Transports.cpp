#include "ui/Transports.h"

#include "app/Document.h"
#include "core/TransportControl.h"

namespace sonavel {

namespace {

// Ends a finished thread. Its destructor asks its word to stop, which would withdraw a new
// start the window has requested meanwhile; that request is put back.
template <class TThread>
void EndFinished(std::unique_ptr<TThread>& thread, TStateWord& word) {
    if (!thread) {
        return;
    }
    const bool requested = word.load() == TTransportState::Starting;
    thread.reset();
    if (requested) {
        RequestStart(word);
    }
}

}  // namespace

TTransports::~TTransports() {
    while (!Entries_.empty()) {
        Forget(*Entries_.begin()->first);
    }
}

bool TTransports::StartPlay(TDocument& document, const TPlaybackEngine& engine,
                            TPlayThread::TFinished onFinished, TPlayThread::TFailed onFailed) {
    TAudioStream& stream = *document.Stream;
    if (stream.PlayState.load() != TTransportState::Starting) {
        return false;
    }
    TEntry& entry = Entries_[&document];
    EndFinished(entry.Play, stream.PlayState);
    if (!TakeStartRequest(stream.PlayState)) {
        return false;
    }
    stream.Position.store(document.CursorPos);
    const TPlayThread::TParams params{document.Channel(),
                                      static_cast<std::uint32_t>(std::max(document.PlayEnd, 0)),
                                      document.SampleCount};
    entry.Play = std::make_unique<TPlayThread>(engine, stream, params, std::move(onFinished),
                                               std::move(onFailed));
    return true;
}

bool TTransports::StartRecord(TDocument& document, const TPlaybackEngine& engine,
                              TRecordThread::TFinished onFinished,
                              TRecordThread::TFailed onFailed) {
    TAudioStream& stream = *document.Stream;
    if (stream.RecordState.load() != TTransportState::Starting) {
        return false;
    }
    TEntry& entry = Entries_[&document];
    EndFinished(entry.Record, stream.RecordState);
    if (!TakeStartRequest(stream.RecordState)) {
        return false;
    }
    stream.Position.store(document.CursorPos);
    entry.RecordPending = true;
    const TRecordThread::TParams params{document.Channel(), document.CursorPos};
    entry.Record = std::make_unique<TRecordThread>(engine, stream, params, std::move(onFinished),
                                                   std::move(onFailed));
    return true;
}

bool TTransports::Recording(const TDocument& document) const {
    if (document.Stream && document.Stream->RecordState.load() != TTransportState::Stopped) {
        return true;
    }
    const auto entry = Entries_.find(&document);
    return entry != Entries_.end() && entry->second.RecordPending;
}

void TTransports::RecordingDone(const TDocument& document) {
    const auto entry = Entries_.find(&document);
    if (entry != Entries_.end()) {
        entry->second.RecordPending = false;
    }
}

std::shared_ptr<TTransports::TThreads> TTransports::Take(const TDocument& document) {
    auto threads = std::make_shared<TThreads>();
    const auto entry = Entries_.find(&document);
    if (entry != Entries_.end()) {
        threads->Play = std::move(entry->second.Play);
        threads->Record = std::move(entry->second.Record);
    }
    return threads;
}

void TTransports::Forget(const TDocument& document) {
    const auto entry = Entries_.find(&document);
    if (entry == Entries_.end()) {
        return;
    }
    // Destroying a thread asks its run to stop and waits for it.
    entry->second.Play.reset();
    entry->second.Record.reset();
    Entries_.erase(entry);
}

}  // namespace sonavel
