#include "app/FileOrder.h"

#include <utility>

#include "app/Workspace.h"

namespace sonavel {

namespace {

constexpr std::size_t FewestAfterDelete = 2;

}  // namespace

void TFileOrder::Fill(const TWorkspace& workspace) {
    std::vector<TLine> lines;
    for (const TDocument* document : workspace.ActivationOrder()) {
        lines.push_back({document->Caption, document->Tag});
    }
    Fill(std::move(lines));
}

void TFileOrder::Fill(std::vector<TLine> lines) {
    Lines_ = std::move(lines);
    Select(0);
}

std::vector<std::int32_t> TFileOrder::FileIndexes() const {
    std::vector<std::int32_t> indexes;
    indexes.reserve(Lines_.size());
    for (const TLine& line : Lines_) {
        indexes.push_back(line.FileIndex);
    }
    return indexes;
}

void TFileOrder::Select(int index) {
    Selected_ = index >= 0 && static_cast<std::size_t>(index) < Lines_.size() ? index : -1;
}

bool TFileOrder::MoveUp() {
    if (Selected_ <= 0) {
        return false;
    }
    const auto i = static_cast<std::size_t>(Selected_);
    std::swap(Lines_[i], Lines_[i - 1]);
    --Selected_;
    return true;
}

bool TFileOrder::MoveDown() {
    if (Selected_ < 0 || static_cast<std::size_t>(Selected_) + 1 >= Lines_.size()) {
        return false;
    }
    const auto i = static_cast<std::size_t>(Selected_);
    std::swap(Lines_[i], Lines_[i + 1]);
    ++Selected_;
    return true;
}

bool TFileOrder::Delete() {
    if (Selected_ < 0 || Lines_.size() <= FewestAfterDelete) {
        return false;
    }
    Lines_.erase(Lines_.begin() + Selected_);
    if (static_cast<std::size_t>(Selected_) >= Lines_.size()) {
        Selected_ = static_cast<int>(Lines_.size()) - 1;
    }
    return true;
}

std::vector<TDocument*> TFileOrder::Documents(const TWorkspace& workspace) const {
    std::vector<TDocument*> documents;
    for (const TLine& line : Lines_) {
        // A line whose document has been closed since the list was filled is left out.
        if (line.FileIndex >= 0 && static_cast<std::size_t>(line.FileIndex) < workspace.Count()) {
            documents.push_back(&workspace.Document(line.FileIndex));
        }
    }
    return documents;
}

}  // namespace sonavel
