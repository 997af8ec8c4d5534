#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/Document.h"
#include "app/DocumentView.h"
#include "app/Workspace.h"

namespace sonavel {

class TAudioSystem;
class TGraphCache;

// The document window: shows one document of the workspace (waveform of every channel,
// time track, cursor, selection, zoom and transport buttons) and forwards the user's
// actions to the document-view rules of the application layer. It owns the graph cache;
// the workspace owns the document.
//
// Threads: the operations below may be called from the worker or a play thread as well as
// from the user interface thread. BuildGraph builds on the calling thread; everything that
// touches a widget is handed to the user interface thread when called from elsewhere.
class TChildForm : public QWidget {
    Q_OBJECT
  public:
    TChildForm(TWorkspace& workspace, TDocument& document, QWidget* parent = nullptr);
    // Stops the document's playback and recording and waits until both read "stopped", so
    // that nothing plays into a document that is about to go.
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
    // While held (the worker changes the document behind the modal progress window), the
    // boxes keep the picture they had and the scroll bar stays, so nothing on this thread
    // reads what the worker writes; letting go repaints from the document. Window thread.
    void HoldView(bool held);
    void FollowCursor();
    // The control timer's time label.
    void SetTimeLabel(const std::string& text);

    // Keyboard selection: everything, or from the selection's far end (or the cursor) to the
    // start or the end.
    void SelectAll();
    void SelectToStart();
    void SelectToEnd();
    // Gives the keyboard focus to the waveform, so that the editor's keys act on the document.
    void TakeFocus();

    // The language word last given to SetLanguage (empty before).
    const std::string& Language() const;
    // The graph cache the waveform is drawn from.
    TGraphCache& Graph() const;
    // The sound devices, asked whether the system has an output or input device when the
    // play or record button is pressed. Without them the buttons assume it has, and a missing
    // device is reported by the engine when it opens it.
    void SetAudioSystem(std::shared_ptr<TAudioSystem> devices);
    // Shows the progress window modally with the caption until finished() returns true (the
    // window is to poll it, e.g. on its timer, and also close when it is true from the start).
    // Zoom commands use it while the graph thread rebuilds the cache; without it they wait
    // for the thread without showing anything.
    using TProgressWait =
        std::function<void(const std::string& caption, const std::function<bool()>& finished)>;
    void SetProgressWait(TProgressWait wait);

  signals:
    // The transport or selection changed in a way that may enable or disable commands.
    void CommandsMayChange();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct TWidgets;

    void FormCreate();
    void FormResize();
    // Runs f on the user interface thread: at once there, else queued (dropped when the
    // window has gone meanwhile). True when f ran at once.
    bool OnWindowThread(const std::function<void()>& f);
    // Rebuilds the cache on the graph thread and waits for it.
    void RebuildGraph(TGraphRebuild kind);
    TRebuildGraph Rebuilder();
    void Apply(const TCommandResult& result);
    void ShowMessage(const std::string& text);
    void SelectChannelItem(int item);

    void TrackBoxMouseDown(int x, Qt::MouseButton button);
    void TrackBoxMouseMove(int x);
    void TrackBoxMouseUp(Qt::MouseButton button);
    void WaveBoxMouseDown(int x);
    void WaveBoxPress(int x, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void WaveBoxMove(int x);
    void WaveBoxRelease(Qt::MouseButton button);
    void WaveBoxWheel(int x, int notches, Qt::KeyboardModifiers modifiers);
    void ScrollBarMoved(int value);
    void SyncScrollBar();
    void CurrentChannelBoxChange(int index);
    void PlayBtnClick();
    void PlayViewBtnClick();
    void StopBtnClick();
    void RecordBtnClick();
    void SetMarkerBtnClick();
    void DelMarkerBtnClick();
    void ToBeginBtnClick();
    void LeftBtnClick();
    void RightBtnClick();
    void ToEndBtnClick();

    TWorkspace& Workspace_;
    TDocument& Document_;
    std::unique_ptr<TWidgets> Widgets_;
};

}  // namespace sonavel
