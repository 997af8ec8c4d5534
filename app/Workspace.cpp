#include "app/Workspace.h"

#include <algorithm>
#include <stdexcept>

namespace sonavel {

TWorkspace::TWorkspace() : ClipboardStream(std::make_unique<TAudioStream>()) {
    // The clipboard starts with no channels, no bits and no rate.
    ClipboardStream->SampleRate = 0;
}

TWorkspace::~TWorkspace() {
    ActivationOrder_.clear();
    while (!Documents_.empty()) {
        Documents_.pop_back();
    }
}

TDocument& TWorkspace::AddDocument(std::unique_ptr<TAudioStream> stream, const std::string& caption,
                                   const std::string& fileName, const std::string& fileFormat) {
    auto document = std::make_unique<TDocument>(std::move(stream));
    document->Caption = caption;
    document->FileName = fileName;
    document->FileFormat = fileFormat;
    document->Tag = static_cast<int>(Documents_.size());
    Documents_.push_back(std::move(document));
    ActivationOrder_.push_back(Documents_.back().get());
    return *Documents_.back();
}

void TWorkspace::Activate(int tag) {
    TDocument* document = &Document(tag);
    std::erase(ActivationOrder_, document);
    ActivationOrder_.push_back(document);
}

void TWorkspace::Close(int tag) {
    TDocument* document = &Document(tag);
    std::erase(ActivationOrder_, document);
    for (auto& files : {&Dialogs.ConnectFiles, &Dialogs.MixFiles}) {
        std::erase(files->Order, document);
    }
    Documents_.erase(Documents_.begin() + tag);
    for (auto& d : Documents_) {
        if (d->Tag > tag) {
            --d->Tag;
        }
    }
}

}  // namespace sonavel
