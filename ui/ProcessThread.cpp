#include "ui/ProcessThread.h"

namespace sonavel {

TProcessThread::TProcessThread(std::function<void()> work, QObject* context,
                               std::function<void()> done)
    // A child of the context: it goes with the context, or after the run with this.
    : Done_(new TCallPost(context)) {  // NOLINT(cppcoreguidelines-owning-memory)
    Thread_ = std::thread([this, work = std::move(work), done = std::move(done)] {
        try {
            work();
        } catch (...) {
            Failure_ = std::current_exception();
        }
        if (TCallPost* post = Done_) {
            post->Post(done);
        }
    });
}

TProcessThread::~TProcessThread() {
    if (Thread_.joinable()) {
        Thread_.join();
    }
    // Later: this may be ending inside the call it delivered.
    if (Done_) {
        Done_->deleteLater();
    }
}

}  // namespace sonavel
