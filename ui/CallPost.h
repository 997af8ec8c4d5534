#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

namespace sonavel {

// Calls handed from a worker or transport thread to an object on the window thread, as posted
// events. Qt passes a posted event on under its own locks, which ThreadSanitizer cannot see
// in a Qt that is not built with it: the hand-over is stated here in code it does see, so
// that it still tells a real race from a delivery (nothing is done in other builds).

// Posts `call` to run on the thread of `receiver`, whose event() passes every event to
// TakeCall first. Dropped with the receiver if it goes first.
void PostCall(QObject* receiver, std::function<void()> call);

// For receiver's event(): runs the call when the event is a posted one (true then). Call it
// before the event is looked at.
bool TakeCall(QObject* receiver, QEvent* event);

// Takes posted calls for an object without an event() of its own: a child of that object, so
// that no call runs once the object is gone.
class TCallPost final : public QObject {
  public:
    explicit TCallPost(QObject* owner) : QObject(owner) {}

    // From any thread.
    void Post(std::function<void()> call) { PostCall(this, std::move(call)); }

  protected:
    bool event(QEvent* event) override;
};

}  // namespace sonavel
