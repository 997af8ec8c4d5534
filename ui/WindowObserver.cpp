#include "ui/WindowObserver.h"

#include "ui/ChildForm.h"

namespace sonavel {

TWindowObserver::TWindowObserver(TProcessForm& progress, TChildForm* form)
    : Progress_(&progress), Form_(form), Calls_(std::make_unique<TCallPost>(nullptr)) {}

TWindowObserver::~TWindowObserver() = default;

TChildForm* TWindowObserver::FormOf(const TDocument& document) const {
    return Form_ != nullptr && &Form_->Document() == &document ? Form_ : nullptr;
}

void TWindowObserver::SetCaption(const std::string& caption) {
    Calls_->Post([progress = Progress_, text = QString::fromStdString(caption)] {
        if (progress) {
            progress->SetCaption(text);
        }
    });
}

void TWindowObserver::FillChannelBox(TDocument& document) {
    if (TChildForm* form = FormOf(document)) {
        form->FillChannelBox();
    }
}

void TWindowObserver::BuildGraph(TDocument& document) {
    if (TChildForm* form = FormOf(document)) {
        form->BuildGraph();
    }
}

void TWindowObserver::ShowProperties(TDocument& document) {
    if (TChildForm* form = FormOf(document)) {
        form->ShowProperties();
    }
}

}  // namespace sonavel
