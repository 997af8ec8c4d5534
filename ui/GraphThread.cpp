#include "ui/GraphThread.h"

#include "app/Document.h"
#include "app/GraphCache.h"

namespace sonavel {

TGraphicThread::TGraphicThread(TDocument& form, TGraphCache& graph) : Form_(form), Graph_(graph) {
    Form_.GraphBuilding.store(true);
    try {
        Thread_ = std::thread([this] {
            try {
                RunGraphThread(Form_, Graph_);
            } catch (...) {
                Failure_ = std::current_exception();
            }
            Finished_.store(true);
        });
    } catch (...) {
        Form_.GraphBuilding.store(false);
        throw;
    }
}

TGraphicThread::~TGraphicThread() {
    Wait();
}

std::exception_ptr TGraphicThread::Wait() {
    if (Thread_.joinable()) {
        Thread_.join();
    }
    return Failure_;
}

}  // namespace sonavel
