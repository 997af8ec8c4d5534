#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonavel {

// What an editor writes down about an open document so that a later start can bring it back
// if the editor dies: the document's name and format, its sample format, the files that hold
// its last completed content and its selection.
struct TDocumentNote {
    std::string FileName;
    std::string FileFormat;
    std::string Caption;
    std::uint32_t SampleRate = 0;
    std::uint16_t BitsPerSample = 0;
    // Names of channel files in the note's own folder, in channel order.
    std::vector<std::string> Channels;
    bool SelStartSet = false;
    bool SelEndSet = false;
    std::uint32_t SelStart = 0;
    std::uint32_t SelEnd = 0;
    std::uint32_t CursorPos = 0;

    bool operator==(const TDocumentNote&) const = default;
};

// "key=value" lines; newlines and backslashes in values are escaped.
std::string NoteText(const TDocumentNote& note);
// None for a text that is not a whole note (a note is replaced in one step, so a partial one
// means someone else's file) or that names a channel file outside its folder.
std::optional<TDocumentNote> ParseNote(const std::string& text);

// The note of one document on disk, "doc-N.txt" beside the files it names; removed when the
// object goes.
class TRecoveryNote {
  public:
    TRecoveryNote() = default;
    ~TRecoveryNote() { Remove(); }
    TRecoveryNote(const TRecoveryNote&) = delete;
    TRecoveryNote& operator=(const TRecoveryNote&) = delete;

    // Replaces the note by text, in folder (ending in '/'): written under another name and
    // renamed, so a crash leaves the old note or the new one, never half of one. A note that
    // moves to another folder is removed from the old one. False when it could not be
    // written (the note is then removed: an old one might name files gone or reused).
    bool Write(const std::string& folder, const std::string& text) noexcept;
    void Remove() noexcept;
    // Empty while there is no note.
    const std::string& Path() const noexcept { return Path_; }

  private:
    std::string Path_;
};

}  // namespace sonavel
