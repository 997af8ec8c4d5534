#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/RecoveryNote.h"
#include "core/AudioStream.h"

namespace sonavel {

// One open document: its stream, restore points and everything the operations read and
// write about selection, cursor and view. The editor's document window shows one of these;
// the command-line tool holds them without any window.
class TDocument {
  public:
    explicit TDocument(std::unique_ptr<TAudioStream> stream);
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    std::unique_ptr<TAudioStream> Stream;

    std::uint32_t SampleCount = 0;
    bool SelStartSet = false;
    bool SelEndSet = false;
    std::uint32_t SelStart = 0;
    std::uint32_t SelEnd = 0;  // inclusive
    std::uint32_t CursorPos = 0;
    std::int32_t PlayEnd = 0;
    bool PlayViewMode = false;
    std::uint32_t ViewStart = 0;
    std::uint32_t ViewLength = 0;
    std::uint32_t GraphStart = 0;
    std::uint32_t GraphLength = 0;

    // Document window state: the left button is held on the time track; a zoom command is
    // running; the graph thread is building (written by that thread, polled by the window).
    bool TrackDragging = false;
    bool ZoomBusy = false;
    // The left button is held on the waveform: where it was pressed, and whether the mouse
    // has moved far enough from there to select.
    bool WaveDragging = false;
    bool WaveDragSelects = false;
    int WaveDragX = 0;
    std::uint32_t WaveDragAnchor = 0;
    std::atomic<bool> GraphBuilding{false};

    // Newest first; owned.
    std::vector<std::unique_ptr<TAudioStream>> RestorePoints;
    std::int32_t RestoreCount() const { return static_cast<std::int32_t>(RestorePoints.size()); }
    // What the undos took, the last undone first; owned. An undo moves the current stream
    // here and a redo moves it back, so neither copies anything.
    std::vector<std::unique_ptr<TAudioStream>> RedoPoints;
    std::int32_t RedoCount() const { return static_cast<std::int32_t>(RedoPoints.size()); }

    std::string FileName;    // empty for a new project
    std::string FileFormat;  // "PCM", "MP3" or empty
    bool Modified = false;
    // The stream's Version when the document was last saved (or opened).
    std::uint64_t SavedVersion = 0;
    // The content changes: the document is modified and its content gets a number of its own.
    void MarkChanged() {
        Modified = true;
        Stream->Version = ++LastVersion_;
    }
    // The content is now what is on disk.
    void MarkSaved() {
        Modified = false;
        SavedVersion = Stream->Version;
    }
    // After an undo or a redo: modified unless back at the content last saved.
    void UpdateModified() { Modified = Stream->Version != SavedVersion; }
    std::string Caption;
    int Tag = 0;  // index among the open documents in opening order

    // Item index of the channel box: 0 all channels, k channel k - 1.
    int ChannelItem = 0;
    // The channel argument of the operations: -1 for all channels.
    int Channel() const { return ChannelItem - 1; }

    // The span an operation works on: the selection, else the whole document.
    std::uint32_t SpanStart() const { return SelEndSet ? SelStart : 0; }
    std::uint32_t SpanLength() const;

    // Cursor, view and graph range on the whole document (after opening or a length change).
    void ResetView();
    // The channel box back to all channels (its items follow the stream's channels).
    void FillChannelBox() { ChannelItem = 0; }
    void ClearSelection() { SelStartSet = SelEndSet = false; }
    void Select(std::uint32_t from, std::uint32_t to);

    // What a later start would need to bring the document back if the editor died; kept by
    // the editor only (app/Recovery.h). Last, so that it goes before the files it names.
    TRecoveryNote Note;

  private:
    std::uint64_t LastVersion_ = 0;
};

}  // namespace sonavel
