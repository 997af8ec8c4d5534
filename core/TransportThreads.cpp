#include "core/TransportThreads.h"

#include <algorithm>
#include <exception>
#include <iostream>

namespace sonavel {

namespace {

void Report(const TTransportThread::TFailed& onFailed, const std::string& message) {
    if (!onFailed) {
        std::cerr << "sonavel: " << message << '\n';
        return;
    }
    try {
        onFailed(message);
    } catch (...) {  // NOLINT(bugprone-empty-catch): nobody is left to tell on this thread
    }
}

// The document is updated after a failed run too: a recording that failed midway has
// already changed it. The failure is passed on afterwards.
void FinishingAnyway(const std::function<void()>& run, const std::function<void()>& finish) {
    std::exception_ptr failure;
    try {
        run();
    } catch (...) {
        failure = std::current_exception();
    }
    finish();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace

TTransportThread::TTransportThread(TStateWord& word, std::function<void()> body, TFailed onFailed)
    : Word_(word) {
    try {
        Thread_ = std::thread([body = std::move(body), onFailed = std::move(onFailed)] {
            try {
                body();
            } catch (const std::exception& error) {
                Report(onFailed, error.what());
            } catch (...) {
                Report(onFailed, "Unknown error");
            }
        });
    } catch (...) {
        word.store(TTransportState::Stopped);  // no engine will ever answer "starting2"
        throw;
    }
}

TTransportThread::~TTransportThread() {
    RequestStop(Word_);
    Join();
}

void TTransportThread::Join() {
    if (Thread_.joinable()) {
        Thread_.join();
    }
}

std::uint32_t CursorAfterPlayback(std::uint32_t position, std::uint32_t sampleCount) {
    if (sampleCount == 0) {
        return 0;
    }
    return std::min(position, sampleCount - 1);
}

TPlayThread::TPlayThread(const TPlaybackEngine& engine, TAudioStream& stream, TParams params,
                         TFinished onFinished, TFailed onFailed)
    : TTransportThread(
          stream.PlayState,
          [&engine, &stream, params, onFinished = std::move(onFinished)] {
              FinishingAnyway([&] { engine.PlayStream(stream, params.Channel, params.PlayEnd); },
                              [&] {
                                  if (onFinished) {
                                      onFinished(CursorAfterPlayback(stream.Position.load(),
                                                                     params.SampleCount));
                                  }
                              });
          },
          std::move(onFailed)) {}

TRecordThread::TRecordThread(const TPlaybackEngine& engine, TAudioStream& stream, TParams params,
                             TFinished onFinished, TFailed onFailed)
    : TTransportThread(
          stream.RecordState,
          [&engine, &stream, params, onFinished = std::move(onFinished)] {
              stream.Position.store(params.CursorPos);
              FinishingAnyway([&] { engine.RecordStream(stream, params.Channel); },
                              [&] {
                                  if (onFinished) {
                                      onFinished(stream.GetLength());
                                  }
                              });
          },
          std::move(onFailed)) {}

}  // namespace sonavel
