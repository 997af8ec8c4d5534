#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "app/Dispatcher.h"
#include "ui/CallPost.h"
#include "ui/ProcessDlg.h"

namespace sonavel {

class TChildForm;

// What the worker reports, passed on to the windows: the caption to the progress window and
// the document's channel list, graph and properties line to its window. Called on the worker
// thread; the document window builds its graph there and hands every widget change over to
// the user interface thread itself.
class TWindowObserver : public TOperationObserver {
  public:
    // Made on the user interface thread.
    TWindowObserver(TProcessForm& progress, TChildForm* form);
    ~TWindowObserver() override;
    TWindowObserver(const TWindowObserver&) = delete;
    TWindowObserver& operator=(const TWindowObserver&) = delete;

    void SetCaption(const std::string& caption) override;
    void FillChannelBox(TDocument& document) override;
    void BuildGraph(TDocument& document) override;
    void ShowProperties(TDocument& document) override;

  private:
    // The window, when it shows this document.
    TChildForm* FormOf(const TDocument& document) const;

    QPointer<TProcessForm> Progress_;
    TChildForm* Form_;
    // On the user interface thread; calls not yet delivered go with it.
    std::unique_ptr<TCallPost> Calls_;
};

}  // namespace sonavel
