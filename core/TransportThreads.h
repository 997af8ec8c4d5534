#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "core/PlaybackEngine.h"
#include "core/TransportControl.h"

namespace sonavel {

// A thread running one playback or recording of a stream. The control timer creates one
// after it has set the state word to "starting2"; the document owns it.
//
// Lifetime: the thread works on the stream and calls back into its owner, so the owner (the
// document) holds the thread object and destroys it before its stream: the destructor asks
// the run to stop and joins the thread, so nothing runs against a closed document afterwards.
// Callbacks run on the thread and must not wait for the owner's thread (that would deadlock
// with the join); they post their updates to the user interface instead.
class TTransportThread {
  public:
    using TFailed = std::function<void(const std::string& message)>;

    ~TTransportThread();
    TTransportThread(const TTransportThread&) = delete;
    TTransportThread& operator=(const TTransportThread&) = delete;

    // Waits for the run to end by itself.
    void Join();

  protected:
    // Starts body at once. A failure (a stream file error) reaches onFailed after the state
    // word has returned to "stopped" and the finishing step has run. If the thread cannot be
    // created the word returns to "stopped" and the error propagates.
    TTransportThread(TStateWord& word, std::function<void()> body, TFailed onFailed);

  private:
    TStateWord& Word_;
    std::thread Thread_;
};

// Where the document's cursor goes after playback: Position, at most the last sample.
std::uint32_t CursorAfterPlayback(std::uint32_t position, std::uint32_t sampleCount);

// Plays a document: PlayStream from Position (set by the timer) to PlayEnd, then reports
// where the cursor goes.
class TPlayThread : public TTransportThread {
  public:
    struct TParams {
        int Channel = -1;  // -1 all channels, else the one heard
        std::uint32_t PlayEnd = 0;
        std::uint32_t SampleCount = 0;  // the document's length, for the cursor
    };
    using TFinished = std::function<void(std::uint32_t cursorPos)>;

    TPlayThread(const TPlaybackEngine& engine, TAudioStream& stream, TParams params,
                TFinished onFinished, TFailed onFailed = {});
};

// Records into a document: Position := the cursor, RecordStream, then reports the
// document's new length (the caller rebuilds its graph and marks it modified).
class TRecordThread : public TTransportThread {
  public:
    struct TParams {
        int Channel = -1;  // -1 all channels, else the one written
        std::uint32_t CursorPos = 0;
    };
    using TFinished = std::function<void(std::uint32_t sampleCount)>;

    TRecordThread(const TPlaybackEngine& engine, TAudioStream& stream, TParams params,
                  TFinished onFinished, TFailed onFailed = {});
};

}  // namespace sonavel
