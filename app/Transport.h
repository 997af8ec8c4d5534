#pragma once

#include <atomic>

#include "core/AudioStream.h"

namespace sonavel {

// Ends playback and recording of a stream before it is changed: asks for "stopping" and
// waits, looking every 10 ms, until the engine answers "stopped". A start that was requested
// but not yet picked up is withdrawn at once, since nobody would ever answer it.
void StopTransport(TAudioStream& stream);
void StopTransportWord(std::atomic<TTransportState>& word);

}  // namespace sonavel
