#include "app/Transport.h"

#include <chrono>
#include <thread>

namespace sonavel {

void StopTransportWord(std::atomic<TTransportState>& word) {
    TTransportState state = word.load();
    while (state != TTransportState::Stopped) {
        if (state == TTransportState::Starting) {
            if (word.compare_exchange_weak(state, TTransportState::Stopped)) {
                return;
            }
            continue;
        }
        if (state != TTransportState::Stopping &&
            !word.compare_exchange_weak(state, TTransportState::Stopping)) {
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        state = word.load();
    }
}

void StopTransport(TAudioStream& stream) {
    StopTransportWord(stream.PlayState);
    StopTransportWord(stream.RecordState);
}

}  // namespace sonavel
