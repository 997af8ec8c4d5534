#include "core/TransportControl.h"

#include <chrono>
#include <thread>

namespace sonavel {

namespace {

constexpr std::chrono::milliseconds StopPollInterval{10};

}  // namespace

bool RequestStart(TStateWord& word) {
    TTransportState expected = TTransportState::Stopped;
    return word.compare_exchange_strong(expected, TTransportState::Starting);
}

bool TakeStartRequest(TStateWord& word) {
    TTransportState expected = TTransportState::Starting;
    return word.compare_exchange_strong(expected, TTransportState::Starting2);
}

bool MarkStarted(TStateWord& word) {
    TTransportState current = word.load();
    while (current != TTransportState::Stopping) {
        if (word.compare_exchange_weak(current, TTransportState::Started)) {
            return true;
        }
    }
    return false;
}

void RequestStop(TStateWord& word) {
    TTransportState current = word.load();
    for (;;) {
        TTransportState next = TTransportState::Stopping;
        switch (current) {
            case TTransportState::Stopped:
            case TTransportState::Stopping:
                return;
            case TTransportState::Starting:
                next = TTransportState::Stopped;
                break;
            case TTransportState::Starting2:
            case TTransportState::Started:
                break;
        }
        if (word.compare_exchange_weak(current, next)) {
            return;
        }
    }
}

void WaitUntilStopped(const TStateWord& word) {
    while (word.load() != TTransportState::Stopped) {
        std::this_thread::sleep_for(StopPollInterval);
    }
}

void StopTransport(TAudioStream& stream) {
    RequestStop(stream.PlayState);
    WaitUntilStopped(stream.PlayState);
    RequestStop(stream.RecordState);
    WaitUntilStopped(stream.RecordState);
}

}  // namespace sonavel
