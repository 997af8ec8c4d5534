#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/DialogValues.h"
#include "app/Document.h"
#include "app/RecentFiles.h"
#include "core/AudioStream.h"
#include "spectra/Complex.h"

namespace sonavel {

// The results of the general analysis, as its window shows them.
struct TStatistics {
    std::uint32_t SilentCount = 0;
    std::int32_t Peak = 0;
    std::int32_t Average = 0;
    std::uint32_t SampleRate = 0;
    std::uint32_t BitsPerSample = 0;
    std::uint32_t ChannelCount = 0;
    std::uint32_t Length = 0;
};

// Everything the application holds besides its windows: the open documents in opening order
// (a document's Tag is its index) and in order of last activation, the process-wide
// clipboard, the dialog values, the settings the operations read and the analysis results.
class TWorkspace {
  public:
    TWorkspace();
    ~TWorkspace();
    TWorkspace(const TWorkspace&) = delete;
    TWorkspace& operator=(const TWorkspace&) = delete;

    // Adds a document, numbers it after the others and makes it the active one.
    TDocument& AddDocument(std::unique_ptr<TAudioStream> stream, const std::string& caption,
                           const std::string& fileName = {}, const std::string& fileFormat = {});
    // Makes the document with this Tag the active one.
    void Activate(int tag);
    // Closes the document with this Tag (destroying its stream and restore points) and
    // renumbers the documents after it.
    void Close(int tag);

    TDocument* Active() const {
        return ActivationOrder_.empty() ? nullptr : ActivationOrder_.back();
    }
    std::size_t Count() const { return Documents_.size(); }
    TDocument& Document(int tag) const { return *Documents_.at(static_cast<std::size_t>(tag)); }
    // Open documents, the one active longest ago first and the active one last.
    const std::vector<TDocument*>& ActivationOrder() const { return ActivationOrder_; }

    std::unique_ptr<TAudioStream> ClipboardStream;
    std::unique_ptr<TAudioStream> TransferStream;
    TDialogValues Dialogs;
    std::string Language = "ENG";
    int MaxUndos = 2;
    // When restore points are switched off, still keep a private copy while an operation
    // runs so a failure can put the document back. The command-line tool, which never writes
    // a half-done document anywhere, turns this off to save the copy.
    bool SafetyCopyWithoutUndo = true;
    // The editor keeps a recovery note beside every open document (app/Recovery.h); the
    // command-line tool never does.
    bool KeepRecoveryNotes = false;
    // The files last opened or saved, the newest first.
    TRecentFiles RecentFiles;

    TStatistics Statistics;
    std::vector<TComplex> SpectrumData;

  private:
    std::vector<std::unique_ptr<TDocument>> Documents_;
    std::vector<TDocument*> ActivationOrder_;
};

}  // namespace sonavel
