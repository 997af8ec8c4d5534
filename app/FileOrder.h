#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonavel {

class TWorkspace;
class TDocument;

// The list of the join and mix dialogs: one line per open document with its caption, and
// beside it the document's index among the open documents (FileIndexes), edited together.
// The list never shrinks below two lines by deleting.
class TFileOrder {
  public:
    struct TLine {
        std::string Caption;
        std::int32_t FileIndex = 0;
    };

    // The open documents, the one active longest ago first and the active one last.
    void Fill(const TWorkspace& workspace);
    void Fill(std::vector<TLine> lines);

    const std::vector<TLine>& Lines() const { return Lines_; }
    std::vector<std::int32_t> FileIndexes() const;
    int Selected() const { return Selected_; }
    // Selects a line; an index outside the list selects none (-1).
    void Select(int index);

    // The selected line swaps places with the one above (below) and stays selected; false
    // when it is already the first (last) or none is selected.
    bool MoveUp();
    bool MoveDown();
    // Removes the selected line while at least three are listed; the selection stays at the
    // same index, or goes to the new last line. False when nothing was removed.
    bool Delete();

    // The documents of the lines, in their order.
    std::vector<TDocument*> Documents(const TWorkspace& workspace) const;

  private:
    std::vector<TLine> Lines_;
    int Selected_ = -1;
};

}  // namespace sonavel
