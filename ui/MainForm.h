#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Dispatcher.h"
#include "app/Workspace.h"
#include "ui/CommandTable.h"
#include "ui/HelpFiles.h"
#include "ui/MainLayout.h"
#include "ui/MainTexts.h"
#include "ui/Transports.h"

class QMdiSubWindow;
class QTabBar;
class QTimer;
class QTranslator;

namespace sonavel {

class TAboutForm;
class TAddFolderDialog;
class TAudioSettingsForm;
class TAudioSystem;
class TCallPost;
class THelpForm;
class TChildForm;
class TConnectFilesForm;
class TFileListForm;
class TMixFilesForm;
class TMP3SettingsForm;
class TNewProjectForm;
class TOperationRunner;
class TParameterForm;
class TParameterForms;
class TPlaybackEngine;
class TProcessForm;
class TPrompts;
class TSetLangForm;
class TSettingsForm;
class TVersionInfoForm;
class TSpectraAnalysForm;
class TStatisticForm;

// What the main window is built with; empty members take the real ones.
struct TMainFormOptions {
    std::shared_ptr<TAudioSystem> Devices;  // the machine's sound devices
    std::shared_ptr<TPrompts> Prompts;      // message boxes and file dialogs on screen
};

// The application's main window: the documents with their tabs, the menus and the tool bar,
// the control timer that drives the progress gauge, playback and recording, and the command
// handlers, which run their operations on the worker thread behind the progress window.
class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainForm(TMainFormOptions options = {});
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // The interface language word ("RUS", "ENG"; empty until chosen).
    const std::string& Language() const { return Language_; }
    // Applies a language to every window.
    void SetLanguage(const std::string& word);
    // The main window became active: chooses the language at the first time, applies it.
    void FormActivate();
    // Enables and disables the commands for the active document.
    void UpdateCommands();

    // Opens a file as a new document: the open command after its dialog, the command line
    // and files dropped on the window. False when nothing was opened (the user was told why).
    bool OpenDocument(const QString& path);
    // Opens the files given at start, once the language has been chosen.
    void OpenAfterStart(const QStringList& files);
    // Offers back the documents of editors that died (asking in the interface language, so
    // once it has been chosen): yes opens them as modified documents, no discards them.
    void RecoverAfterStart();
    // Opens the file of the File menu's recent list at index (0 the newest); a file that is
    // gone leaves the list with a message.
    void OpenRecentFile(std::size_t index);
    // The recent-file items of the File menu, "&1 path" to "&8 path"; hidden when unused.
    const std::vector<QAction*>& RecentFileActions() const { return RecentActions_; }
    // Runs an operation on the active document on the worker, behind the progress window;
    // a failure is shown, and the document is as it was.
    TOperationResult RunOperation(TOperation operation);

    TWorkspace& Workspace() { return Workspace_; }
    TChildForm* ActiveChild() const;
    TChildForm* Child(const TDocument& document) const;
    QAction* Action(TCommand command) const { return Layout_.Action(command); }
    QTabBar& PageControl() const { return *Layout_.PageControl; }
    TProcessForm& ProcessForm() const { return *ProcessForm_; }
    TOperationRunner& Runner() const { return *Runner_; }
    TNewProjectForm& NewProjectForm() const { return *NewProjectForm_; }
    TMP3SettingsForm& MP3SettingsForm() const { return *MP3SettingsForm_; }
    TSetLangForm& SetLangForm() const { return *SetLangForm_; }
    TSettingsForm& SettingsForm() const { return *SettingsForm_; }
    TAddFolderDialog& AddFolderDialog() const { return *AddFolderDialog_; }
    TAudioSettingsForm& AudioSettingsForm() const { return *AudioSettingsForm_; }
    TAboutForm& AboutForm() const { return *AboutForm_; }
    TVersionInfoForm& VersionInfoForm() const { return *VersionInfoForm_; }
    THelpForm& HelpForm() const { return *HelpForm_; }
    // Where the help pages are written (the system's temporary directory unless told).
    void SetHelpFolder(const QString& folder) { HelpFiles_ = THelpFiles(folder); }
    TSpectraAnalysForm& SpectraAnalysForm() const { return *SpectraAnalysForm_; }
    TStatisticForm& StatisticForm() const { return *StatisticForm_; }
    TConnectFilesForm& ConnectFilesForm() const { return *ConnectFilesForm_; }
    TMixFilesForm& MixFilesForm() const { return *MixFilesForm_; }
    // The dialog of an effect, synthesis or conversion command; nullptr for none.
    TParameterForm* ParameterForm(TOperation operation) const;
    TTransports& Transports() { return Transports_; }
    QTimer& ControlTimer() const { return *ConrolTimer_; }

  public slots:
    void NewFileMIClick();
    void OpenFileMIClick();
    void InsFromFileMIClick();
    // True when the document was saved.
    bool SaveMIClick();
    bool SaveAsMIClick();
    void SaveSelectionMIClick();
    void CloseFileMIClick();
    void UndoMIClick();
    void RedoMIClick();
    void CutMIClick();
    void CopyToMIClick();
    void InsertMIClick();
    void MixMIClick();
    void OverwriteMIClick();
    void DeleteMIClick();
    void EraseMIClick();
    void AddChannelMIClick();
    void DelChannelMIClick();
    void NormalizeVolumeMIClick();
    void UpVolumeMIClick();
    void DownVolumeMIClick();
    void ReverseMIClick();
    void InvertMIClick();
    void SettingsMIClick();
    void AudioSettingsMIClick();
    void HelpMIClick();
    void NewVersionMIClick();
    void AboutMIClick();
    void FreqAnalysMIClick();
    void AllAnalysMIClick();
    void ConnectFilesMIClick();
    void MixFilesMIClick();
    void InsertSilenceMIClick();
    void SetSpeedMIClick();
    void SetVolumeMIClick();
    void AddEchoMIClick();
    void RevebrationMIClick();
    void SampleRateChangeMIClick();
    void nBitsChangeMIClick();
    void AddBrainWavesMIClick();
    void OffsetSpectraMIClick();
    void MultiSpectraMIClick();
    void SelDelSpectraMIClick();
    void RoundSoundMIClick();
    void CreateFreqMIClick();
    void CreateNoiseMIClick();
    void EqualizeMIClick();

    void PageControlChange(int index);
    // Closes every document, asking about unsaved changes; false when the program is to
    // stay open.
    bool FormCloseQuery();
    void ConrolTimerTimer();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct TDocumentWindow {
        TDocument* Document;
        QMdiSubWindow* SubWindow;
        TChildForm* Form;
    };

    void ConnectCommands();
    void AddShortcuts();
    // The window title and the tabs: the active document's name, "*" on modified documents.
    void UpdateTitles();
    // The status bar: the active document's selection (or cursor) in time and samples.
    void ShowStatus();
    // The active document window takes the keyboard focus (after a command, a tab change).
    void FocusDocument();
    QString DocumentTitle(const TDocument& document) const;
    void ApplyTexts(const std::string& language);
    void CreateSettingsForms();
    void SetSettingsLanguage(const std::string& word);
    void FormClose();

    // Window and tab of a new document (new, open).
    TChildForm& SetUpDocumentWindow(TDocument& document);
    // Destroys the document's window and tab and renumbers those after it.
    void CloseDocument(TDocument& document);
    // Brings the active document's window to the front, maximized, with its tab selected.
    void ShowActive();
    void SetDocumentCaption(TDocument& document, const QString& caption);
    const TDocumentWindow* WindowOf(const TDocument& document) const;

    // Joins or mixes the open documents chosen in the dialog into a new project.
    void RunFilesCommand(TOperation operation, TFileListForm& dialog);

    // Whether the operation's precondition holds now; tells the user why not, where there is
    // something to tell.
    bool Allowed(TOperation operation);
    // Runs an operation the command table lists, then re-evaluates the commands.
    void RunCommand(TOperation operation);
    // The same after the operation's dialog has been shown for the document and closed with OK.
    void RunDialogCommand(TOperation operation);
    // Decodes a file for opening or inserting; none when it is missing, of no known format
    // or unreadable (the user was told).
    struct TDecoded {
        std::unique_ptr<TAudioStream> Stream;
        std::string Format;
    };
    TDecoded DecodeFile(const QString& path);
    // Writes a stream in a format, asking for the MP3 settings first; true when written.
    bool SaveStreamTo(TAudioStream& stream, const std::string& fileName, const std::string& format);
    // Asks before a name changed to fit its type replaces an existing file.
    bool ConfirmReplace(const QString& chosen, const std::string& fileName);
    // The save dialog's answer as a format and a file name; none when cancelled.
    std::optional<std::pair<std::string, std::string>> AskSaveName(const QString& preset,
                                                                   int filterIndex);

    // The recent-file items at the end of the File menu, made once.
    void CreateRecentFileItems();
    void UpdateRecentFileItems();
    // A file opened or saved goes to the front of the recent list.
    void RememberFile(const std::string& fileName);

    void StartPlayback(TDocument& document, TChildForm& form);
    void StartRecording(TDocument& document, TChildForm& form);
    void PlayFinished(const QPointer<TChildForm>& window, std::uint32_t cursorPos);
    void RecordFinished(const QPointer<TChildForm>& window);
    // Shows a message from another thread, once the user interface gets to it.
    void PostMessage(const std::string& title, const std::string& text);
    void ClickChildButton(const char* name);

    // A text of the main window's table for the current language; empty for another word.
    QString MainText(const char* TMainWindowTexts::*member) const;

    std::shared_ptr<TPrompts> Prompts_;
    std::shared_ptr<TAudioSystem> Devices_;
    std::unique_ptr<TPlaybackEngine> Engine_;
    TWorkspace Workspace_;
    TTransports Transports_;
    std::string Language_;
    bool InActivate_ = false;
    QStringList PendingFiles_;
    bool RecoveryPending_ = false;
    std::vector<QAction*> RecentActions_;

    TMainLayout Layout_;
    TCommandSet Implemented_;
    std::vector<TDocumentWindow> Windows_;
    TProcessForm* ProcessForm_ = nullptr;
    TOperationRunner* Runner_ = nullptr;
    // Takes the play and record threads' reports to the window thread.
    TCallPost* Calls_ = nullptr;
    TNewProjectForm* NewProjectForm_ = nullptr;
    TMP3SettingsForm* MP3SettingsForm_ = nullptr;
    TSetLangForm* SetLangForm_ = nullptr;
    TSpectraAnalysForm* SpectraAnalysForm_ = nullptr;
    TStatisticForm* StatisticForm_ = nullptr;
    TConnectFilesForm* ConnectFilesForm_ = nullptr;
    TMixFilesForm* MixFilesForm_ = nullptr;
    std::unique_ptr<TParameterForms> ParameterForms_;
    QTimer* ConrolTimer_ = nullptr;
    TSettingsForm* SettingsForm_ = nullptr;
    TAddFolderDialog* AddFolderDialog_ = nullptr;
    TAudioSettingsForm* AudioSettingsForm_ = nullptr;
    TAboutForm* AboutForm_ = nullptr;
    TVersionInfoForm* VersionInfoForm_ = nullptr;
    THelpForm* HelpForm_ = nullptr;
    QTranslator* QtTranslator_ = nullptr;
    bool QtTranslatorInstalled_ = false;
    THelpFiles HelpFiles_;
    QString Status_;  // what the status bar shows when no hint covers it
};

}  // namespace sonavel
