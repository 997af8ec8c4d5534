#include "platform/DeviceEvent.h"

namespace sonavel {

void TDeviceEvent::Signal() {
    {
        const std::lock_guard lock(Lock_);
        Signalled_ = true;
    }
    Changed_.notify_one();
}

void TDeviceEvent::Wait() {
    std::unique_lock lock(Lock_);
    Changed_.wait(lock, [this] { return Signalled_; });
    Signalled_ = false;
}

bool TDeviceEvent::WaitUntil(TClock::time_point deadline) {
    std::unique_lock lock(Lock_);
    if (!Changed_.wait_until(lock, deadline, [this] { return Signalled_; })) {
        return false;
    }
    Signalled_ = false;
    return true;
}

}  // namespace sonavel
