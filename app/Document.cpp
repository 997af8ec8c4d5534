#include "app/Document.h"

namespace sonavel {

TDocument::TDocument(std::unique_ptr<TAudioStream> stream) : Stream(std::move(stream)) {
    SampleCount = Stream->GetLength();
    ResetView();
}

TDocument::~TDocument() {
    // The note goes before the files it names, then the stream, then the restore points from
    // the last to the first.
    Note.Remove();
    Stream.reset();
    while (!RestorePoints.empty()) {
        RestorePoints.pop_back();
    }
    while (!RedoPoints.empty()) {
        RedoPoints.pop_back();
    }
}

std::uint32_t TDocument::SpanLength() const {
    return SelEndSet ? SelEnd - SelStart + 1 : Stream->GetLength();
}

void TDocument::ResetView() {
    CursorPos = 0;
    ViewStart = 0;
    ViewLength = SampleCount;
    GraphStart = 0;
    GraphLength = SampleCount;
}

void TDocument::Select(std::uint32_t from, std::uint32_t to) {
    SelStartSet = true;
    SelEndSet = true;
    SelStart = from;
    SelEnd = to;
}

}  // namespace sonavel
