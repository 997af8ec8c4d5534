#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/AudioDevice.h"
#include "platform/DeviceEvent.h"

namespace sonavel {

// The buffers queued to a device and a thread that works them off in order, the way a sound
// driver does: when the device is finished with a buffer (or a reset takes it back) the
// buffer is marked done and the event signalled.
class TDeviceQueue {
  public:
    // What the working thread may ask while it moves one buffer.
    class TControl {
      public:
        // A reset (or the queue's end) wants the buffer back now.
        bool Cancelled() const;
        // Sleeps; false, early, when cancelled.
        bool Sleep(std::chrono::nanoseconds duration) const;

      private:
        friend class TDeviceQueue;
        explicit TControl(TDeviceQueue& queue) : Queue_(queue) {}
        TDeviceQueue& Queue_;
    };

    // Moves one buffer to or from the device; returns early when control says cancelled.
    using TTransfer = std::function<void(TDeviceBuffer& buffer, const TControl& control)>;

    // An output queue runs from the start; an input queue waits for Start, and again after
    // each Reset.
    enum class TKind : std::uint8_t { Output, Input };

    TDeviceQueue(TKind kind, TDeviceEvent& event, TTransfer transfer);
    // Takes every buffer back and ends the thread.
    ~TDeviceQueue();
    TDeviceQueue(const TDeviceQueue&) = delete;
    TDeviceQueue& operator=(const TDeviceQueue&) = delete;

    void Queue(TDeviceBuffer& buffer);
    void Start();
    // Interrupts the buffer being worked, marks every queued buffer done and returns when the
    // thread no longer touches any of them.
    void Reset();

  private:
    void Run();

    const TKind Kind_;
    TDeviceEvent& Event_;
    const TTransfer Transfer_;

    mutable std::mutex Lock_;
    mutable std::condition_variable Changed_;
    std::deque<TDeviceBuffer*> Pending_;
    bool Running_ = false;
    bool Busy_ = false;        // the thread works Pending_.front()
    bool Cancelling_ = false;  // a reset waits for the thread to let go
    bool Ending_ = false;
    std::thread Thread_;  // last: started once everything above exists
};

}  // namespace sonavel
