#pragma once

#include <atomic>

#include "core/AudioStream.h"

namespace sonavel {

// The hand-over of a stream's PlayState or RecordState between the document window (which
// asks for a run), the control timer (which starts the thread), the engine (which runs while
// the word reads "started") and anyone who wants the run to end. Every change is a
// compare-and-swap, so that a stop request is never lost to a concurrent start.
using TStateWord = std::atomic<TTransportState>;

// Document window: asks for a run; false unless the word read "stopped".
bool RequestStart(TStateWord& word);

// Control timer: takes a pending request ("starting" -> "starting2"); true when the caller
// is now to start the playback or recording thread.
bool TakeStartRequest(TStateWord& word);

// Engine, once its first buffer is on the way: "started", unless a stop was asked for
// meanwhile; false then, and the engine ends without running.
bool MarkStarted(TStateWord& word);

// Asks a run to end. A request nobody has taken up yet ("starting") is withdrawn at once,
// since no thread would ever answer it; a run being started or running is told "stopping"
// and answers with "stopped".
void RequestStop(TStateWord& word);

// Polls every 10 ms until the word reads "stopped".
void WaitUntilStopped(const TStateWord& word);

// What the worker does before an operation: ends playback, then recording, of the stream
// and waits for each to read "stopped".
void StopTransport(TAudioStream& stream);

}  // namespace sonavel
