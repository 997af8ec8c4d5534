#include "app/Recovery.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "app/ErrorText.h"
#include "platform/FileError.h"
#include "platform/ProgramFolder.h"

namespace sonavel {

namespace {

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The channel file's stored bytes into a new channel of the stream, as they are.
void CopyChannel(const std::string& path, TAudioStream& stream, std::uint16_t channel) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw TFileError(ENOENT, path, "Cannot open");
    }
    const std::uint32_t bytesPerSample = stream.BytesPerSample;
    std::vector<std::uint8_t> buffer(std::size_t{1} << 20);
    std::uint32_t index = 0;
    while (in) {
        in.read(reinterpret_cast<char*>(
                    buffer.data()),  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
                static_cast<std::streamsize>(buffer.size()));
        const auto samples = static_cast<std::uint32_t>(in.gcount() / bytesPerSample);
        if (samples == 0) {
            break;
        }
        stream.WriteStored(channel, index, samples, buffer.data());
        index += samples;
    }
}

std::unique_ptr<TAudioStream> StreamOf(const std::string& folder, const TDocumentNote& note) {
    auto stream = std::make_unique<TAudioStream>(static_cast<std::uint16_t>(note.Channels.size()),
                                                 note.BitsPerSample, note.SampleRate);
    for (std::size_t c = 0; c < note.Channels.size(); ++c) {
        CopyChannel(folder + note.Channels[c], *stream, static_cast<std::uint16_t>(c));
    }
    for (const auto& file : stream->ChannelFiles) {
        file->Flush();
    }
    return stream;
}

}  // namespace

void DropRecoveryNote(TDocument& document) noexcept {
    document.Note.Remove();
}

void KeepRecoveryNote(const TWorkspace& workspace, TDocument& document,
                      TAudioStream* lastCompleted) noexcept {
    if (!workspace.KeepRecoveryNotes) {
        return;
    }
    TAudioStream* stream = lastCompleted != nullptr ? lastCompleted : document.Stream.get();
    try {
        if (stream == nullptr || stream->ChannelCount == 0) {
            document.Note.Remove();
            return;
        }
        TDocumentNote note;
        const std::string folder = FolderOf(stream->ChannelFileNames.front());
        for (const std::string& path : stream->ChannelFileNames) {
            if (FolderOf(path) != folder) {
                document.Note.Remove();
                return;
            }
            note.Channels.push_back(NameOf(path));
        }
        // The note names what is on disk: the windows of the files are written back first.
        for (const auto& file : stream->ChannelFiles) {
            file->Flush();
        }
        note.FileName = document.FileName;
        note.FileFormat = document.FileFormat;
        note.Caption = document.Caption;
        note.SampleRate = stream->SampleRate;
        note.BitsPerSample = stream->BitsPerSample;
        note.SelStartSet = document.SelStartSet;
        note.SelEndSet = document.SelEndSet;
        note.SelStart = document.SelStart;
        note.SelEnd = document.SelEnd;
        note.CursorPos = document.CursorPos;
        document.Note.Write(folder, NoteText(note));
    } catch (...) {
        // The files may not hold what an old note says any more.
        document.Note.Remove();
    }
}

TRecoverableDocuments::TRecoverableDocuments(const std::string& parent) {
    for (auto& folder : ClaimDeadFoldersWithNotes(parent)) {
        std::vector<TFound> found;
        for (const std::string& name : folder->NoteNames()) {
            auto note = ParseNote(ReadWhole(folder->Path() + name));
            // A note whose files are not all there describes nothing that can come back.
            if (note &&
                std::all_of(note->Channels.begin(), note->Channels.end(),
                            [&](const std::string& channel) {
                                return std::filesystem::is_regular_file(folder->Path() + channel);
                            })) {
                found.push_back({Folders_.size(), std::move(*note)});
            }
        }
        // A folder whose notes bring nothing back (the editor died while naming a note) is
        // of no use to anyone.
        if (found.empty()) {
            folder->Remove();
            continue;
        }
        Documents_.insert(Documents_.end(), found.begin(), found.end());
        Folders_.push_back(std::move(folder));
    }
}

TRecoverableDocuments::~TRecoverableDocuments() = default;

std::vector<std::string> TRecoverableDocuments::Captions() const {
    std::vector<std::string> captions;
    for (const TFound& found : Documents_) {
        captions.push_back(found.Note.Caption);
    }
    return captions;
}

TRecoverableDocuments::TResult TRecoverableDocuments::Recover(TWorkspace& workspace) {
    TResult result;
    std::set<std::size_t> failed;
    for (const TFound& found : Documents_) {
        const TDocumentNote& note = found.Note;
        std::unique_ptr<TAudioStream> stream;
        try {
            stream = StreamOf(Folders_[found.Folder]->Path(), note);
        } catch (const std::exception& error) {
            failed.insert(found.Folder);
            if (result.Failure.empty()) {
                result.Failure = DescribeFailure(error, workspace.Language);
            }
            continue;
        }
        TDocument& d =
            workspace.AddDocument(std::move(stream), note.Caption, note.FileName, note.FileFormat);
        d.SampleCount = d.Stream->GetLength();
        d.ResetView();
        if (note.SelEndSet && note.SelStart <= note.SelEnd && note.SelEnd < d.SampleCount) {
            d.SelStartSet = note.SelStartSet;
            d.SelEndSet = true;
            d.SelStart = note.SelStart;
            d.SelEnd = note.SelEnd;
        }
        d.CursorPos = note.CursorPos <= d.SampleCount ? note.CursorPos : 0;
        // Nothing of it is saved anywhere yet.
        d.MarkChanged();
        KeepRecoveryNote(workspace, d);
        result.Documents.push_back(&d);
    }
    for (std::size_t f = 0; f < Folders_.size(); ++f) {
        if (!failed.contains(f)) {
            Folders_[f]->Remove();
        }
    }
    Documents_.clear();
    Folders_.clear();
    return result;
}

void TRecoverableDocuments::Discard() {
    for (const auto& folder : Folders_) {
        folder->Remove();
    }
    Documents_.clear();
    Folders_.clear();
}

}  // namespace sonavel
