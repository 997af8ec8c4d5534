#include "ui/CallPost.h"

#include <QCoreApplication>

#if defined(__SANITIZE_THREAD__)
#define SONAVEL_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SONAVEL_TSAN 1
#endif
#endif
#if defined(SONAVEL_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace sonavel {

namespace {

class TCallEvent final : public QEvent {
  public:
    explicit TCallEvent(std::function<void()> call) : QEvent(Kind()), Call(std::move(call)) {}
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    const std::function<void()> Call;
};

// What the sender did so far happens before what the receiver does after TakeCall.
void MarkSent([[maybe_unused]] QObject* receiver) {
#if defined(SONAVEL_TSAN)
    __tsan_release(receiver);
#endif
}

void MarkReceived([[maybe_unused]] QObject* receiver) {
#if defined(SONAVEL_TSAN)
    __tsan_acquire(receiver);
#endif
}

}  // namespace

void PostCall(QObject* receiver, std::function<void()> call) {
    // Qt's event queue owns the event from here.
    auto* event = new TCallEvent(std::move(call));  // NOLINT(cppcoreguidelines-owning-memory)
    MarkSent(receiver);
    QCoreApplication::postEvent(receiver, event);
}

bool TakeCall(QObject* receiver, QEvent* event) {
    MarkReceived(receiver);
    if (event->type() != TCallEvent::Kind()) {
        return false;
    }
    static_cast<TCallEvent*>(event)->Call();
    return true;
}

bool TCallPost::event(QEvent* event) {
    return TakeCall(this, event) || QObject::event(event);
}

}  // namespace sonavel
