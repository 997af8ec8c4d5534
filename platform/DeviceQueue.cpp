#include "platform/DeviceQueue.h"

namespace sonavel {

bool TDeviceQueue::TControl::Cancelled() const {
    const std::lock_guard lock(Queue_.Lock_);
    return Queue_.Cancelling_ || Queue_.Ending_;
}

bool TDeviceQueue::TControl::Sleep(std::chrono::nanoseconds duration) const {
    std::unique_lock lock(Queue_.Lock_);
    return !Queue_.Changed_.wait_for(lock, duration,
                                     [this] { return Queue_.Cancelling_ || Queue_.Ending_; });
}

TDeviceQueue::TDeviceQueue(TKind kind, TDeviceEvent& event, TTransfer transfer)
    : Kind_(kind),
      Event_(event),
      Transfer_(std::move(transfer)),
      Running_(kind == TKind::Output),
      Thread_([this] { Run(); }) {}

TDeviceQueue::~TDeviceQueue() {
    Reset();
    {
        const std::lock_guard lock(Lock_);
        Ending_ = true;
    }
    Changed_.notify_all();
    Thread_.join();
}

void TDeviceQueue::Queue(TDeviceBuffer& buffer) {
    buffer.Done.store(false, std::memory_order_relaxed);
    buffer.BytesRecorded = 0;
    {
        const std::lock_guard lock(Lock_);
        Pending_.push_back(&buffer);
    }
    Changed_.notify_all();
}

void TDeviceQueue::Start() {
    {
        const std::lock_guard lock(Lock_);
        Running_ = true;
    }
    Changed_.notify_all();
}

void TDeviceQueue::Reset() {
    {
        std::unique_lock lock(Lock_);
        Cancelling_ = true;
        Changed_.notify_all();
        Changed_.wait(lock, [this] { return !Busy_; });
        for (TDeviceBuffer* buffer : Pending_) {
            buffer->Done.store(true, std::memory_order_release);
        }
        Pending_.clear();
        Cancelling_ = false;
        Running_ = Kind_ == TKind::Output;
    }
    Changed_.notify_all();
    Event_.Signal();
}

void TDeviceQueue::Run() {
    const TControl control(*this);
    std::unique_lock lock(Lock_);
    for (;;) {
        Changed_.wait(
            lock, [this] { return Ending_ || (Running_ && !Cancelling_ && !Pending_.empty()); });
        if (Ending_) {
            return;
        }
        TDeviceBuffer& buffer = *Pending_.front();
        Busy_ = true;
        lock.unlock();
        try {
            Transfer_(buffer, control);
        } catch (...) {  // NOLINT(bugprone-empty-catch): a failed transfer ends like a reset one
        }
        lock.lock();
        Pending_.pop_front();
        Busy_ = false;
        buffer.Done.store(true, std::memory_order_release);
        Changed_.notify_all();
        Event_.Signal();
    }
}

}  // namespace sonavel
