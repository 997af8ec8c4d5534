#include "app/UndoClipboard.h"

#include <cmath>

namespace sonavel {

namespace {

void TrimRestorePoints(TDocument& document, int maxUndos) {
    while (document.RestoreCount() > maxUndos) {
        document.RestorePoints.pop_back();
    }
}

// Puts the copy in front; returns the oldest point when it had to give way.
std::unique_ptr<TAudioStream> PushRestorePoint(TDocument& document,
                                               std::unique_ptr<TAudioStream> copy, int maxUndos) {
    std::unique_ptr<TAudioStream> pushedOut;
    if (document.RestoreCount() == maxUndos) {
        pushedOut = std::move(document.RestorePoints.back());
        document.RestorePoints.pop_back();
    }
    document.RestorePoints.insert(document.RestorePoints.begin(), std::move(copy));
    return pushedOut;
}

}  // namespace

std::unique_ptr<TAudioStream> CopyWholeStream(TAudioStream& stream) {
    auto copy = std::make_unique<TAudioStream>();
    stream.CopyTo(-1, 0, *copy, stream.GetLength());
    copy->Version = stream.Version;
    return copy;
}

void AddRestorePoint(TDocument& document, int maxUndos) {
    TrimRestorePoints(document, maxUndos);
    if (maxUndos <= 0) {
        return;
    }
    PushRestorePoint(document, CopyWholeStream(*document.Stream), maxUndos);
}

namespace {

// The front of `from` becomes the stream; the stream goes to the front of `to`.
void SwapIn(TDocument& document, std::vector<std::unique_ptr<TAudioStream>>& from,
            std::vector<std::unique_ptr<TAudioStream>>& to) {
    document.ClearSelection();
    to.insert(to.begin(), std::move(document.Stream));
    document.Stream = std::move(from.front());
    from.erase(from.begin());
    document.FillChannelBox();
    document.UpdateModified();
}

}  // namespace

void UndoLast(TDocument& document) {
    SwapIn(document, document.RestorePoints, document.RedoPoints);
}

void RedoLast(TDocument& document) {
    SwapIn(document, document.RedoPoints, document.RestorePoints);
}

void PasteSelection(TDocument& document, std::uint32_t position, TAudioStream& source) {
    const long double ratio = static_cast<long double>(source.SampleRate) /
                              static_cast<long double>(document.Stream->SampleRate);
    const auto written = static_cast<std::int64_t>(std::llrint(source.GetLength() / ratio));
    // A selection holds at least two samples; a paste shorter than that selects nothing.
    if (written >= 2) {
        document.Select(position, static_cast<std::uint32_t>(position + written - 1));
    } else {
        document.ClearSelection();
    }
}

TRollbackGuard::TRollbackGuard(TDocument& document, int maxUndos, bool safetyCopyWithoutUndo)
    : Document_(document), Saved_{document.SampleCount, document.SelStart,    document.SelEnd,
                                  document.CursorPos,   document.ViewStart,   document.ViewLength,
                                  document.GraphStart,  document.GraphLength, document.PlayEnd,
                                  document.SelStartSet, document.SelEndSet,   document.Modified,
                                  document.ChannelItem} {
    TrimRestorePoints(document, maxUndos);
    if (maxUndos > 0) {
        // The copy is made before the oldest point gives way, so a failure here or later
        // leaves every point there was.
        auto copy = CopyWholeStream(*document.Stream);
        PushedOut_ = PushRestorePoint(document, std::move(copy), maxUndos);
        InRestorePoints_ = true;
    } else if (safetyCopyWithoutUndo) {
        SafetyCopy_ = CopyWholeStream(*document.Stream);
    }
}

TAudioStream* TRollbackGuard::LastCompleted() const {
    if (Committed_) {
        return nullptr;
    }
    return InRestorePoints_ ? Document_.RestorePoints.front().get() : SafetyCopy_.get();
}

void TRollbackGuard::Commit() {
    Committed_ = true;
    PushedOut_.reset();
    SafetyCopy_.reset();
}

TRollbackGuard::~TRollbackGuard() {
    if (Committed_) {
        return;
    }
    TDocument& d = Document_;
    if (InRestorePoints_) {
        d.Stream = std::move(d.RestorePoints.front());
        d.RestorePoints.erase(d.RestorePoints.begin());
        if (PushedOut_) {
            d.RestorePoints.push_back(std::move(PushedOut_));
        }
    } else if (SafetyCopy_) {
        d.Stream = std::move(SafetyCopy_);
    }
    d.SampleCount = Saved_.SampleCount;
    d.SelStart = Saved_.SelStart;
    d.SelEnd = Saved_.SelEnd;
    d.CursorPos = Saved_.CursorPos;
    d.ViewStart = Saved_.ViewStart;
    d.ViewLength = Saved_.ViewLength;
    d.GraphStart = Saved_.GraphStart;
    d.GraphLength = Saved_.GraphLength;
    d.PlayEnd = Saved_.PlayEnd;
    d.SelStartSet = Saved_.SelStartSet;
    d.SelEndSet = Saved_.SelEndSet;
    d.Modified = Saved_.Modified;
    d.ChannelItem = Saved_.ChannelItem;
}

}  // namespace sonavel
