#include "ui/ProcessThread.h"

#include <QMetaObject>
#include <QPointer>

namespace sonavel {

TProcessThread::TProcessThread(std::function<void()> work, QObject* context,
                               std::function<void()> done) {
    Thread_ = std::thread([this, work = std::move(work), target = QPointer<QObject>(context),
                           done = std::move(done)] {
        try {
            work();
        } catch (...) {
            Failure_ = std::current_exception();
        }
        if (target) {
            QMetaObject::invokeMethod(target, done, Qt::QueuedConnection);
        }
    });
}

TProcessThread::~TProcessThread() {
    if (Thread_.joinable()) {
        Thread_.join();
    }
}

}  // namespace sonavel
