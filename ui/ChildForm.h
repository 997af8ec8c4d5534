#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/Document.h"
#include "app/Workspace.h"

namespace sonavel {

class TGraphCache;

// The document window: shows one document of the workspace (waveform of every channel,
// time track, cursor, selection, zoom and transport buttons) and forwards the user's
// actions to the document-view rules of the application layer. It owns the graph cache;
// the workspace owns the document.
class TChildForm : public QWidget {
    Q_OBJECT
public:
    TChildForm(TWorkspace& workspace, TDocument& document, QWidget* parent = nullptr);
    ~TChildForm() override;

    TDocument& Document() const { return Document_; }

    // The texts of the labels, hints and button captions in the language ("RUS"/"ENG").
    void SetLanguage(const std::string& language);
    // Rebuilds the channel list from the stream (item 0: all channels) and sizes the cache.
    void FillChannelBox();
    // Rebuilds the graph cache from GraphStart/GraphLength (on the calling thread; the
    // worker calls it through its observer).
    void BuildGraph();
    // Writes the properties line.
    void ShowProperties();
    // Repaints the waveform and the time track.
    void TrackBoxPaint();
    void FollowCursor();
    // The control timer's time label.
    void SetTimeLabel(const std::string& text);

signals:
    // The transport or selection changed in a way that may enable or disable commands.
    void CommandsMayChange();

private:
    struct TWidgets;
    TWorkspace& Workspace_;
    TDocument& Document_;
    std::unique_ptr<TWidgets> Widgets_;
};

}  // namespace sonavel
