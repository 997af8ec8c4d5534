#pragma once

#include <atomic>
#include <exception>
#include <thread>

namespace sonavel {

class TDocument;
class TGraphCache;

// Builds a document window's graph cache from its GraphStart and GraphLength on a thread of
// its own. The window waits for it (quietly or behind the progress window); paints that
// arrive meanwhile draw from the cache as it stands.
class TGraphicThread {
  public:
    // Starts at once. GraphBuilding is set before the thread exists, so whoever waits for it
    // to clear never sees the build as over before it began.
    TGraphicThread(TDocument& form, TGraphCache& graph);
    // Waits for the build: the thread works on the document and its cache.
    ~TGraphicThread();
    TGraphicThread(const TGraphicThread&) = delete;
    TGraphicThread& operator=(const TGraphicThread&) = delete;

    // The build has ended (and GraphBuilding is clear again).
    bool Finished() const { return Finished_.load(); }
    // Waits for the build to end; the build's failure, or none.
    std::exception_ptr Wait();

  private:
    TDocument& Form_;
    TGraphCache& Graph_;
    std::atomic<bool> Finished_{false};
    std::exception_ptr Failure_;
    std::thread Thread_;
};

}  // namespace sonavel
