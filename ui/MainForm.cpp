#include "ui/MainForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <utility>

#include "app/DocumentTexts.h"
#include "app/ErrorText.h"
#include "app/FileCommands.h"
#include "app/Language.h"
#include "app/Recovery.h"
#include "app/StatusText.h"
#include "core/PlaybackEngine.h"
#include "core/Progress.h"
#include "core/TransportControl.h"
#include "platform/MemoryAudioDevice.h"
#include "platform/PortAudioDevice.h"
#include "ui/CallPost.h"
#include "ui/ChildForm.h"
#include "ui/ConnectFilesDlg.h"
#include "ui/MP3SettingsDlg.h"
#include "ui/MakeChild.h"
#include "ui/MixFilesDlg.h"
#include "ui/NewProjectDlg.h"
#include "ui/OperationRunner.h"
#include "ui/ParameterForm.h"
#include "ui/ParameterForms.h"
#include "ui/ProcessDlg.h"
#include "ui/Prompts.h"
#include "ui/SetLangDlg.h"
#include "ui/Settings.h"
#include "ui/SpectraAnalysDlg.h"
#include "ui/StatisticDlg.h"
#include "ui/ToolIcons.h"
#include "ui/WindowObserver.h"

namespace sonavel {

namespace {

constexpr int MinimumWidth = 640;
constexpr int MinimumHeight = 410;
constexpr int ControlInterval = 100;  // ms

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

std::string FileSystemName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The machine's sound devices; a system without sound gets none.
std::shared_ptr<TAudioSystem> MachineDevices() {
    try {
        return std::make_shared<TPortAudioSystem>();
    } catch (const std::exception&) {
        TMemoryDeviceOptions none;
        none.OutputNames.clear();
        none.InputNames.clear();
        return std::make_shared<TMemoryAudioSystem>(none);
    }
}

}  // namespace

TMainForm::TMainForm(TMainFormOptions options)
    : Prompts_(options.Prompts ? std::move(options.Prompts) : std::make_shared<TWidgetPrompts>()),
      Devices_(options.Devices ? std::move(options.Devices) : MachineDevices()),
      Engine_(std::make_unique<TPlaybackEngine>(
          Devices_,
          [this](const TEngineMessage& message) { PostMessage(message.Caption, message.Text); })),
      Layout_(TMainLayout::Build(*this)) {
    setObjectName("MainForm");
    setWindowTitle(QString::fromUtf8(FormCaption));
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth, MinimumHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - MinimumWidth) / 2,
             area.top() + (area.height() - MinimumHeight) / 2);
    }
    setAcceptDrops(true);

    // Every window of these commands lives for the whole run.
    ProcessForm_ = MakeChild<TProcessForm>(this);
    Runner_ = MakeChild<TOperationRunner>(*ProcessForm_, this);
    Calls_ = MakeChild<TCallPost>(this);
    NewProjectForm_ = MakeChild<TNewProjectForm>(Workspace_.Dialogs, this);
    MP3SettingsForm_ = MakeChild<TMP3SettingsForm>(this);
    SetLangForm_ = MakeChild<TSetLangForm>(this);
    CreateSettingsForms();
    SpectraAnalysForm_ =
        MakeChild<TSpectraAnalysForm>(Workspace_.Dialogs, Workspace_.SpectrumData, this);
    StatisticForm_ = MakeChild<TStatisticForm>(this);
    ConnectFilesForm_ = MakeChild<TConnectFilesForm>(Workspace_.Dialogs, this);
    MixFilesForm_ = MakeChild<TMixFilesForm>(Workspace_.Dialogs, this);
    ParameterForms_ = std::make_unique<TParameterForms>(Workspace_.Dialogs, this);

    ConnectCommands();
    AddShortcuts();
    // The form carries the Russian texts until a language is applied.
    ApplyTexts(Russian);
    setWindowTitle(QString::fromUtf8(FormCaption));

    // Loading the settings.
    InitDeviceNumbers(*Devices_);
    Workspace_.MaxUndos = 2;
    Language_.clear();
    TSettings::Load(Workspace_);
    // The editor's documents can be brought back if it dies.
    Workspace_.KeepRecoveryNotes = true;
    CreateRecentFileItems();

    connect(Layout_.PageControl, &QTabBar::currentChanged, this, &TMainForm::PageControlChange);
    // The selection line sits under the status tips of the tool buttons.
    auto* statusLine = MakeChild<QLabel>(Layout_.StatusBar);
    statusLine->setObjectName("StatusLine");
    Layout_.StatusBar->addWidget(statusLine, 1);
    // After a command's progress window the keys act on the document again.
    connect(Runner_, &TOperationRunner::Idle, this, &TMainForm::FocusDocument);
    ConrolTimer_ = MakeChild<QTimer>(this);
    ConrolTimer_->setObjectName("ConrolTimer");
    ConrolTimer_->setInterval(ControlInterval);
    ConrolTimer_->setTimerType(Qt::PreciseTimer);
    connect(ConrolTimer_, &QTimer::timeout, this, &TMainForm::ConrolTimerTimer);
    ConrolTimer_->start();

    UpdateCommands();
}

TMainForm::~TMainForm() {
    ConrolTimer_->stop();
    // The windows go before their documents, and the threads before the windows.
    while (!Windows_.empty()) {
        const TDocumentWindow window = Windows_.back();
        Windows_.pop_back();
        Transports_.Forget(*window.Document);
        delete window.SubWindow;  // NOLINT(cppcoreguidelines-owning-memory): owned by the area
    }
}

void TMainForm::ConnectCommands() {
    using enum TCommand;
    const std::vector<std::pair<TCommand, std::function<void()>>> handlers{
        {NewFile, [this] { NewFileMIClick(); }},
        {OpenFile, [this] { OpenFileMIClick(); }},
        {Save, [this] { SaveMIClick(); }},
        {SaveAs, [this] { SaveAsMIClick(); }},
        {SaveSelection, [this] { SaveSelectionMIClick(); }},
        {CloseFile, [this] { CloseFileMIClick(); }},
        {Undo, [this] { UndoMIClick(); }},
        {Redo, [this] { RedoMIClick(); }},
        {Cut, [this] { CutMIClick(); }},
        {CopyTo, [this] { CopyToMIClick(); }},
        {Insert, [this] { InsertMIClick(); }},
        {Mix, [this] { MixMIClick(); }},
        {Overwrite, [this] { OverwriteMIClick(); }},
        {InsFromFile, [this] { InsFromFileMIClick(); }},
        {Delete, [this] { DeleteMIClick(); }},
        {Erase, [this] { EraseMIClick(); }},
        {AddChannel, [this] { AddChannelMIClick(); }},
        {DelChannel, [this] { DelChannelMIClick(); }},
        {NormalizeVolume, [this] { NormalizeVolumeMIClick(); }},
        {UpVolume, [this] { UpVolumeMIClick(); }},
        {DownVolume, [this] { DownVolumeMIClick(); }},
        {Reverse, [this] { ReverseMIClick(); }},
        {Invert, [this] { InvertMIClick(); }},
        {Settings, [this] { SettingsMIClick(); }},
        {AudioSettings, [this] { AudioSettingsMIClick(); }},
        {Help, [this] { HelpMIClick(); }},
        {NewVersion, [this] { NewVersionMIClick(); }},
        {About, [this] { AboutMIClick(); }},
        {FreqAnalys, [this] { FreqAnalysMIClick(); }},
        {AllAnalys, [this] { AllAnalysMIClick(); }},
        {ConnectFiles, [this] { ConnectFilesMIClick(); }},
        {MixFiles, [this] { MixFilesMIClick(); }},
        {InsertSilence, [this] { InsertSilenceMIClick(); }},
        {SetSpeed, [this] { SetSpeedMIClick(); }},
        {SetVolume, [this] { SetVolumeMIClick(); }},
        {AddEcho, [this] { AddEchoMIClick(); }},
        {Revebration, [this] { RevebrationMIClick(); }},
        {SampleRateChange, [this] { SampleRateChangeMIClick(); }},
        {nBitsChange, [this] { nBitsChangeMIClick(); }},
        {AddBrainWaves, [this] { AddBrainWavesMIClick(); }},
        {OffsetSpectra, [this] { OffsetSpectraMIClick(); }},
        {MultiSpectra, [this] { MultiSpectraMIClick(); }},
        {SelDelSpectra, [this] { SelDelSpectraMIClick(); }},
        {RoundSound, [this] { RoundSoundMIClick(); }},
        {CreateFreq, [this] { CreateFreqMIClick(); }},
        {CreateNoise, [this] { CreateNoiseMIClick(); }},
        {Equalize, [this] { EqualizeMIClick(); }},
    };
    // Commands whose windows are still to come stay in their places, disabled.
    for (const auto& [command, handler] : handlers) {
        Implemented_.set(Index(command));
        connect(Layout_.Action(command), &QAction::triggered, this, handler);
    }
    for (const auto& [button, command] : Layout_.Buttons) {
        connect(button, &QToolButton::clicked, Layout_.Action(command), &QAction::trigger);
    }
}

void TMainForm::AddShortcuts() {
    using enum TCommand;
    Action(NewFile)->setShortcut(QKeySequence::New);
    Action(OpenFile)->setShortcut(QKeySequence::Open);
    Action(Save)->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    Action(CloseFile)->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    Action(Undo)->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    Action(Redo)->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    Action(Cut)->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    Action(CopyTo)->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    Action(Insert)->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    Action(Delete)->setShortcut(QKeySequence(QKeySequence::Delete));

    // Transport and cursor keys act on the active document window's buttons.
    const auto key = [this](const char* name, const QKeySequence& sequence,
                            const std::function<void()>& act) {
        auto* action = MakeChild<QAction>(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(sequence);
        connect(action, &QAction::triggered, this, act);
        addAction(action);
    };
    key("PlayStopKey", QKeySequence(Qt::Key_Space), [this] {
        const TDocument* d = Workspace_.Active();
        if (d == nullptr) {
            return;
        }
        const bool running = d->Stream->PlayState.load() != TTransportState::Stopped ||
                             d->Stream->RecordState.load() != TTransportState::Stopped;
        ClickChildButton(running ? "StopBtn" : "PlayBtn");
    });
    key("ToBeginKey", QKeySequence(Qt::Key_Home), [this] { ClickChildButton("ToBeginBtn"); });
    key("ToEndKey", QKeySequence(Qt::Key_End), [this] { ClickChildButton("ToEndBtn"); });
    const auto onChild = [this](void (TChildForm::*act)()) {
        return [this, act] {
            if (TChildForm* form = ActiveChild(); form != nullptr && !Runner_->Busy()) {
                (form->*act)();
                ShowStatus();
            }
        };
    };
    key("SelectAllKey", QKeySequence::SelectAll, onChild(&TChildForm::SelectAll));
    key("SelectToStartKey", QKeySequence(QStringLiteral("Shift+Home")),
        onChild(&TChildForm::SelectToStart));
    key("SelectToEndKey", QKeySequence(QStringLiteral("Shift+End")),
        onChild(&TChildForm::SelectToEnd));
    // Quitting goes through the same questions as closing the window.
    key("QuitKey", QKeySequence(QStringLiteral("Ctrl+Q")), [this] { close(); });
}

void TMainForm::ClickChildButton(const char* name) {
    if (TChildForm* form = ActiveChild()) {
        if (auto* button = form->findChild<QAbstractButton*>(QString::fromLatin1(name))) {
            button->click();
        }
    }
}

QString TMainForm::MainText(const char* TMainWindowTexts::*member) const {
    const TMainWindowTexts* texts = MainWindowTexts(Language_);
    return texts != nullptr ? QString::fromUtf8(texts->*member) : QString();
}

// ---------------------------------------------------------------------------------------------
// Language

void TMainForm::ApplyTexts(const std::string& language) {
    const TMainWindowTexts* texts = MainWindowTexts(language);
    if (texts == nullptr) {
        return;
    }
    const QString title = QString::fromUtf8(texts->Title);
    QGuiApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
    for (QMenu* menu : Layout_.TopMenus) {
        if (const char* text = FindText(texts->MenuItems, menu->objectName().toStdString())) {
            menu->setTitle(QString::fromUtf8(text));
        }
    }
    for (QAction* action : Layout_.Actions) {
        if (const char* text = FindText(texts->MenuItems, action->objectName().toStdString())) {
            action->setText(QString::fromUtf8(text));
        }
    }
    for (const auto& [button, command] : Layout_.Buttons) {
        if (const char* text = FindText(texts->Hints, button->objectName().toStdString())) {
            button->setToolTip(QString::fromUtf8(text));
            button->setStatusTip(QString::fromUtf8(text));
        }
    }
    UpdateTitles();
    ShowStatus();
}

QString TMainForm::DocumentTitle(const TDocument& document) const {
    return ToQt(document.Caption) + (document.Modified ? QStringLiteral("*") : QString());
}

void TMainForm::UpdateTitles() {
    const QString application = MainText(&TMainWindowTexts::Title);
    if (application.isEmpty()) {
        return;  // no language yet: the form's caption stays
    }
    const TDocument* d = Workspace_.Active();
    setWindowTitle(d != nullptr ? DocumentTitle(*d) + QStringLiteral(" - ") + application
                                : application);
    for (int i = 0; i < Layout_.PageControl->count(); ++i) {
        const int tag = Layout_.PageControl->tabData(i).toInt();
        if (tag >= 0 && static_cast<std::size_t>(tag) < Workspace_.Count()) {
            const QString text = DocumentTitle(Workspace_.Document(tag));
            if (Layout_.PageControl->tabText(i) != text) {
                Layout_.PageControl->setTabText(i, text);
            }
        }
    }
}

void TMainForm::ShowStatus() {
    const TDocument* d = Workspace_.Active();
    const QString text =
        d != nullptr && Runner_->BusyDocument() != d ? ToQt(StatusText(*d, Language_)) : QString();
    if (auto* line = Layout_.StatusBar->findChild<QLabel*>("StatusLine");
        line != nullptr && line->text() != text) {
        line->setText(text);
    }
}

void TMainForm::FocusDocument() {
    // In a window that is not active (a progress window still closing) the waveform gets the
    // focus once the window is active again.
    if (TChildForm* form = ActiveChild()) {
        form->TakeFocus();
    }
}

void TMainForm::SetLanguage(const std::string& word) {
    Language_ = word.substr(0, 3);
    if (Workspace_.Language != Language_) {
        Workspace_.Language = Language_;
    }
    Engine_->SetLanguage(word);
    ApplyTexts(word);
    NewProjectForm_->SetLanguage(word);
    MP3SettingsForm_->SetLanguage(word);
    SetSettingsLanguage(word);
    SpectraAnalysForm_->SetLanguage(word);
    StatisticForm_->SetLanguage(word);
    ConnectFilesForm_->SetLanguage(word);
    MixFilesForm_->SetLanguage(word);
    ParameterForms_->SetLanguage(word);
    ProcessForm_->SetLanguage(word);
    for (const TDocumentWindow& window : Windows_) {
        window.Form->SetLanguage(word);
    }
}

void TMainForm::FormActivate() {
    // The language is not touched while the worker reads it; it is the same anyway.
    if (InActivate_ || Runner_->Busy()) {
        return;
    }
    InActivate_ = true;
    if (Language_.empty()) {
        // The windows speak English while the language is being chosen.
        SetLanguage(English);
        Language_.clear();
        const std::optional<std::string> stored = TSettings::ReadLanguage();
        if (stored && !stored->empty()) {
            Language_ = *stored;
        } else {
            SetLangForm_->Language.clear();
            Prompts_->Run(*SetLangForm_);
            Language_ = SetLangForm_->Language.substr(0, 3);
        }
    }
    SetLanguage(Language_);
    InActivate_ = false;
    if (std::exchange(RecoveryPending_, false)) {
        RecoverAfterStart();
    }
    if (!PendingFiles_.isEmpty()) {
        OpenAfterStart(std::exchange(PendingFiles_, {}));
    }
}

void TMainForm::OpenAfterStart(const QStringList& files) {
    if (InActivate_ || Language_.empty()) {
        // Still choosing the language: the files follow once it is chosen.
        PendingFiles_ << files;
        return;
    }
    for (const QString& file : files) {
        OpenDocument(file);
    }
    UpdateCommands();
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        // Not from inside the event: choosing the language may show a window.
        QTimer::singleShot(0, this, &TMainForm::FormActivate);
    }
}

// ---------------------------------------------------------------------------------------------
// Commands

void TMainForm::UpdateCommands() {
    const TDocument* d = Workspace_.Active();
    const bool recording = d != nullptr && Transports_.Recording(*d);
    const TCommandSet enabled = EnabledCommands(ConditionsOf(Workspace_, recording)) & Implemented_;
    for (std::size_t i = 0; i < CommandCount; ++i) {
        Layout_.Actions.at(i)->setEnabled(enabled.test(i));
    }
    for (const auto& [button, command] : Layout_.Buttons) {
        button->setEnabled(enabled.test(Index(command)));
    }
    UpdateTitles();
    ShowStatus();
}

TOperationResult TMainForm::RunOperation(TOperation operation) {
    TDocument* d = Workspace_.Active();
    if (d == nullptr) {
        return {};
    }
    TChildForm* form = Child(*d);
    // The document's play and record threads are ended on the worker: waiting for a device
    // to stop must not hold up the window.
    std::shared_ptr<TTransports::TThreads> threads = Transports_.Take(*d);
    TWindowObserver observer(*ProcessForm_, form);
    TOperationResult result;
    const std::string language = Language_;
    if (form != nullptr) {
        form->HoldView(true);
    }
    Runner_->RunModal(ToQt(Caption(operation, language)), d, [&] {
        try {
            threads.reset();
            result = Execute(Workspace_, operation, observer);
        } catch (const std::exception& error) {
            result = {false, false, DescribeFailure(error, language)};
        }
    });
    if (form != nullptr) {
        form->HoldView(false);
    }
    if (!result.Ok && !result.Message.empty()) {
        Prompts_->Inform(this, QString(), ToQt(result.Message));
    }
    return result;
}

bool TMainForm::Allowed(TOperation operation) {
    const TRefusal refusal = Refusal(operation, Workspace_);
    const std::string message = refusal.Message.Text(Language_);
    if (refusal.Refused && !message.empty()) {
        Prompts_->Inform(this, QString(), ToQt(message));
    }
    return !refusal.Refused;
}

void TMainForm::RunCommand(TOperation operation) {
    if (!Allowed(operation)) {
        return;
    }
    RunOperation(operation);
    UpdateCommands();
}

TParameterForm* TMainForm::ParameterForm(TOperation operation) const {
    return ParameterForms_->Form(operation);
}

void TMainForm::RunDialogCommand(TOperation operation) {
    TParameterForm* form = ParameterForms_->Form(operation);
    if (form == nullptr || !Allowed(operation)) {
        return;
    }
    if (const TDocument* d = Workspace_.Active()) {
        form->SetFormat({d->Stream->ChannelCount, d->Stream->SampleRate});
    }
    if (Prompts_->Run(*form) != QDialog::Accepted) {
        return;
    }
    RunOperation(operation);
    UpdateCommands();
}

void TMainForm::InsertSilenceMIClick() {
    RunDialogCommand(TOperation::InsertSilence);
}
void TMainForm::SetSpeedMIClick() {
    RunDialogCommand(TOperation::SetSpeed);
}
void TMainForm::SetVolumeMIClick() {
    RunDialogCommand(TOperation::SetVolume);
}
void TMainForm::AddEchoMIClick() {
    RunDialogCommand(TOperation::AddEcho);
}
void TMainForm::RevebrationMIClick() {
    RunDialogCommand(TOperation::Revebration);
}
void TMainForm::SampleRateChangeMIClick() {
    RunDialogCommand(TOperation::SampleRateChange);
}
void TMainForm::nBitsChangeMIClick() {
    RunDialogCommand(TOperation::nBitsChange);
}
void TMainForm::AddBrainWavesMIClick() {
    RunDialogCommand(TOperation::AddBrainWaves);
}
void TMainForm::OffsetSpectraMIClick() {
    RunDialogCommand(TOperation::OffsetSpectra);
}
void TMainForm::MultiSpectraMIClick() {
    RunDialogCommand(TOperation::MultiSpectra);
}
void TMainForm::SelDelSpectraMIClick() {
    RunDialogCommand(TOperation::SelDelSpectra);
}
void TMainForm::RoundSoundMIClick() {
    RunDialogCommand(TOperation::RoundSound);
}
void TMainForm::CreateFreqMIClick() {
    RunDialogCommand(TOperation::CreateFreq);
}
void TMainForm::CreateNoiseMIClick() {
    RunDialogCommand(TOperation::CreateNoise);
}
void TMainForm::EqualizeMIClick() {
    RunDialogCommand(TOperation::Equalize);
}

void TMainForm::UndoMIClick() {
    RunCommand(TOperation::Undo);
}
void TMainForm::RedoMIClick() {
    RunCommand(TOperation::Redo);
}
void TMainForm::CutMIClick() {
    RunCommand(TOperation::Cut);
}
void TMainForm::CopyToMIClick() {
    RunCommand(TOperation::CopyTo);
}
void TMainForm::InsertMIClick() {
    RunCommand(TOperation::Insert);
}
void TMainForm::MixMIClick() {
    RunCommand(TOperation::Mix);
}
void TMainForm::OverwriteMIClick() {
    RunCommand(TOperation::Overwrite);
}
void TMainForm::DeleteMIClick() {
    RunCommand(TOperation::Delete);
}
void TMainForm::EraseMIClick() {
    RunCommand(TOperation::Erase);
}
void TMainForm::AddChannelMIClick() {
    RunCommand(TOperation::AddChannel);
}
void TMainForm::DelChannelMIClick() {
    RunCommand(TOperation::DelChannel);
}
void TMainForm::NormalizeVolumeMIClick() {
    RunCommand(TOperation::NormalizeVolume);
}
void TMainForm::UpVolumeMIClick() {
    RunCommand(TOperation::UpVolume);
}
void TMainForm::DownVolumeMIClick() {
    RunCommand(TOperation::DownVolume);
}
void TMainForm::ReverseMIClick() {
    RunCommand(TOperation::Reverse);
}
void TMainForm::InvertMIClick() {
    RunCommand(TOperation::Invert);
}

// ---------------------------------------------------------------------------------------------
// Analysis

void TMainForm::FreqAnalysMIClick() {
    if (!Allowed(TOperation::FreqAnalys)) {
        return;
    }
    SpectraAnalysForm_->MaxFrequency = Workspace_.Active()->Stream->SampleRate / 2;
    // "Analyse" closes the window with OK: analyse again with the size now chosen.
    while (RunOperation(TOperation::FreqAnalys).Ok &&
           Prompts_->Run(*SpectraAnalysForm_) == QDialog::Accepted) {
    }
    Workspace_.SpectrumData = {};
    UpdateCommands();
}

void TMainForm::AllAnalysMIClick() {
    if (!Allowed(TOperation::AllAnalys) || !RunOperation(TOperation::AllAnalys).Ok) {
        return;
    }
    StatisticForm_->Statistics = Workspace_.Statistics;
    Prompts_->Run(*StatisticForm_);
}

// ---------------------------------------------------------------------------------------------
// Joining and mixing documents

void TMainForm::ConnectFilesMIClick() {
    RunFilesCommand(TOperation::ConnectFiles, *ConnectFilesForm_);
}

void TMainForm::MixFilesMIClick() {
    RunFilesCommand(TOperation::MixFiles, *MixFilesForm_);
}

void TMainForm::RunFilesCommand(TOperation operation, TFileListForm& dialog) {
    if (!Allowed(operation)) {
        return;
    }
    dialog.Fill(Workspace_);
    if (Prompts_->Run(dialog) != QDialog::Accepted) {
        return;
    }
    TFilesValues& values = operation == TOperation::ConnectFiles ? Workspace_.Dialogs.ConnectFiles
                                                                 : Workspace_.Dialogs.MixFiles;
    std::unique_ptr<TAudioStream> stream;
    try {
        stream =
            std::make_unique<TAudioStream>(static_cast<std::uint16_t>(values.ChnBox),
                                           static_cast<std::uint16_t>(values.BitBox), values.HzBox);
    } catch (const std::exception& error) {
        Prompts_->Inform(this, QString(), ToQt(DescribeFailure(error, Language_)));
        return;
    }
    // The sources are taken before the new document joins the open ones.
    values.Order = dialog.Order().Documents(Workspace_);
    TDocument& document = Workspace_.AddDocument(
        std::move(stream), MainText(&TMainWindowTexts::NewProject).toStdString());
    TChildForm& form = SetUpDocumentWindow(document);
    form.BuildGraph();
    form.TrackBoxPaint();
    UpdateCommands();
    // The new window is the active document before the worker starts.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const TOperationResult result = RunOperation(operation);
    // No document pointers are kept past the run: a source may be closed next.
    values.Order.clear();
    // A cancelled or failed join leaves no half-made document behind.
    if (!result.Ok) {
        CloseDocument(document);
    }
    ShowActive();
    UpdateCommands();
}

// ---------------------------------------------------------------------------------------------
// Documents, windows and tabs

const TMainForm::TDocumentWindow* TMainForm::WindowOf(const TDocument& document) const {
    for (const TDocumentWindow& window : Windows_) {
        if (window.Document == &document) {
            return &window;
        }
    }
    return nullptr;
}

TChildForm* TMainForm::Child(const TDocument& document) const {
    const TDocumentWindow* window = WindowOf(document);
    return window != nullptr ? window->Form : nullptr;
}

TChildForm* TMainForm::ActiveChild() const {
    const TDocument* d = Workspace_.Active();
    return d != nullptr ? Child(*d) : nullptr;
}

TChildForm& TMainForm::SetUpDocumentWindow(TDocument& document) {
    auto* form = MakeChild<TChildForm>(Workspace_, document);
    form->SetAudioSystem(Devices_);
    form->SetProgressWait(
        [this](const std::string& caption, const std::function<bool()>& finished) {
            Runner_->WaitWithProgress(ToQt(caption), finished);
        });
    form->SetLanguage(Language_);
    document.SampleCount = document.Stream->GetLength();
    form->ShowProperties();
    document.CursorPos = 0;
    document.ViewStart = document.GraphStart = 0;
    document.ViewLength = document.GraphLength = document.SampleCount;
    form->FillChannelBox();
    connect(form, &TChildForm::CommandsMayChange, this, &TMainForm::UpdateCommands);

    const QString caption = ToQt(document.Caption);
    QMdiSubWindow* sub = Layout_.DocumentArea->addSubWindow(form, Qt::FramelessWindowHint);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowTitle(caption);
    Windows_.push_back({&document, sub, form});
    {
        const QSignalBlocker quiet(Layout_.PageControl);
        const int tab = Layout_.PageControl->addTab(DocumentTabIcon(), caption);
        Layout_.PageControl->setTabData(tab, document.Tag);
    }
    Workspace_.Activate(document.Tag);
    KeepRecoveryNote(Workspace_, document);
    ShowActive();
    return *form;
}

void TMainForm::ShowActive() {
    const TDocument* d = Workspace_.Active();
    if (d == nullptr) {
        return;
    }
    const TDocumentWindow* window = WindowOf(*d);
    if (window == nullptr) {
        return;
    }
    {
        const QSignalBlocker quiet(Layout_.PageControl);
        Layout_.PageControl->setCurrentIndex(d->Tag);
    }
    window->SubWindow->showMaximized();
    Layout_.DocumentArea->setActiveSubWindow(window->SubWindow);
    window->SubWindow->raise();
    FocusDocument();
}

void TMainForm::PageControlChange(int index) {
    for (const TDocumentWindow& window : Windows_) {
        if (window.Document->Tag == index) {
            Workspace_.Activate(index);
        }
    }
    ShowActive();
    UpdateCommands();
}

void TMainForm::SetDocumentCaption(TDocument& document, const QString& caption) {
    document.Caption = caption.toStdString();
    if (const TDocumentWindow* window = WindowOf(document)) {
        window->SubWindow->setWindowTitle(caption);
        window->Form->setWindowTitle(caption);
    }
    for (int i = 0; i < Layout_.PageControl->count(); ++i) {
        if (Layout_.PageControl->tabData(i).toInt() == document.Tag) {
            Layout_.PageControl->setTabText(i, caption);
        }
    }
    UpdateTitles();
}

void TMainForm::CloseDocument(TDocument& document) {
    const int tag = document.Tag;
    const auto window =
        std::find_if(Windows_.begin(), Windows_.end(),
                     [&](const TDocumentWindow& w) { return w.Document == &document; });
    if (window == Windows_.end()) {
        return;
    }
    QMdiSubWindow* sub = window->SubWindow;
    Windows_.erase(window);
    // Playback and recording end (and their threads are waited for) before the window and
    // the document go.
    Transports_.Forget(document);
    delete sub;  // NOLINT(cppcoreguidelines-owning-memory): with its document window
    {
        const QSignalBlocker quiet(Layout_.PageControl);
        for (int i = 0; i < Layout_.PageControl->count(); ++i) {
            if (Layout_.PageControl->tabData(i).toInt() == tag) {
                Layout_.PageControl->removeTab(i);
                break;
            }
        }
        for (int i = 0; i < Layout_.PageControl->count(); ++i) {
            const int tabTag = Layout_.PageControl->tabData(i).toInt();
            if (tabTag > tag) {
                Layout_.PageControl->setTabData(i, tabTag - 1);
            }
        }
    }
    // The document goes, and the windows above it move down one place.
    Workspace_.Close(tag);
}

void TMainForm::NewFileMIClick() {
    if (Prompts_->Run(*NewProjectForm_) != QDialog::Accepted) {
        return;
    }
    std::unique_ptr<TAudioStream> stream;
    try {
        stream = std::make_unique<TAudioStream>(
            static_cast<std::uint16_t>(NewProjectForm_->ChannelCount),
            NewProjectForm_->BitsPerSample,
            static_cast<std::uint32_t>(NewProjectForm_->SampleRate));
    } catch (const std::exception& error) {
        Prompts_->Inform(this, QString(), ToQt(DescribeFailure(error, Language_)));
        return;
    }
    TDocument& document = Workspace_.AddDocument(
        std::move(stream), MainText(&TMainWindowTexts::NewProject).toStdString());
    TChildForm& form = SetUpDocumentWindow(document);
    form.BuildGraph();
    form.TrackBoxPaint();
    UpdateCommands();
}

TMainForm::TDecoded TMainForm::DecodeFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        Prompts_->Inform(this, QString(), ToQt(FileNotFoundText(Language_, FileSystemName(path))));
        return {};
    }
    const std::string fileName = FileSystemName(path);
    std::string format;
    try {
        format = RecogniseFormat(fileName);
    } catch (const std::exception& error) {
        Prompts_->Inform(this, QString(), ToQt(DescribeFailure(error, Language_)));
        return {};
    }
    if (format.empty()) {
        Prompts_->Inform(this, QString(), ToQt(UnknownFormatText(Language_, fileName)));
        return {};
    }
    auto stream = std::make_unique<TAudioStream>();
    std::string failure;
    bool cancelled = false;
    const std::string language = Language_;
    Runner_->RunModal(ToQt(OpeningFileCaption(language)), nullptr, [&] {
        try {
            LoadFile(fileName, format, *stream);
        } catch (const TCancelled&) {
            cancelled = true;
        } catch (const std::exception& error) {
            failure = DescribeFailure(error, language);
        }
    });
    if (!failure.empty()) {
        Prompts_->Inform(this, QString(), ToQt(failure));
        return {};
    }
    if (cancelled) {
        return {};  // the partly read stream goes with its channel files
    }
    return {std::move(stream), format};
}

bool TMainForm::OpenDocument(const QString& path) {
    TDecoded decoded = DecodeFile(path);
    if (!decoded.Stream) {
        return false;
    }
    const std::string fileName = FileSystemName(path);
    TDocument& document = Workspace_.AddDocument(std::move(decoded.Stream), BaseName(fileName),
                                                 fileName, decoded.Format);
    SetUpDocumentWindow(document);
    // The new window is shown before its graph is built.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (RunOperation(TOperation::BuildGraph).Cancelled) {
        // A cancelled open leaves no document behind.
        CloseDocument(document);
        ShowActive();
        UpdateCommands();
        return false;
    }
    RememberFile(fileName);
    UpdateCommands();
    return true;
}

void TMainForm::OpenFileMIClick() {
    const std::optional<QString> path = Prompts_->OpenFileName(this);
    if (!path) {
        return;
    }
    OpenDocument(*path);
    UpdateCommands();
}

void TMainForm::InsFromFileMIClick() {
    if (Workspace_.Active() == nullptr) {
        return;
    }
    const std::optional<QString> path = Prompts_->OpenFileName(this);
    if (!path) {
        return;
    }
    TDecoded decoded = DecodeFile(*path);
    if (!decoded.Stream) {
        return;
    }
    Workspace_.TransferStream = std::move(decoded.Stream);
    RunOperation(TOperation::InsFromFile);
    Workspace_.TransferStream.reset();
    UpdateCommands();
}

// ---------------------------------------------------------------------------------------------
// Saving

bool TMainForm::SaveStreamTo(TAudioStream& stream, const std::string& fileName,
                             const std::string& format) {
    if (const TDocument* d = Workspace_.Active()) {
        MP3SettingsForm_->SampleRate = d->Stream->SampleRate;
    }
    if (format == Mp3Format && Prompts_->Run(*MP3SettingsForm_) != QDialog::Accepted) {
        return false;
    }
    const TMp3Settings settings = MP3SettingsForm_->Settings();
    const std::string language = Language_;
    TSaveResult result;
    Runner_->RunModal(MainText(&TMainWindowTexts::SavingFile), nullptr,
                      [&] { result = SaveStream(stream, fileName, format, settings, language); });
    if (!result.Ok && !result.Message.empty()) {
        Prompts_->Inform(this, QString(), ToQt(SaveFailedText(language, fileName, result.Message)));
    }
    return result.Ok;
}

bool TMainForm::ConfirmReplace(const QString& chosen, const std::string& fileName) {
    // The save dialog asked about the name as typed; a name changed to fit the type is asked
    // about here, so that no file is replaced unasked.
    const QString name = QFile::decodeName(fileName.c_str());
    if (name == chosen || !QFileInfo::exists(name)) {
        return true;
    }
    return Prompts_->AskYesNo(this, QString(), MainText(&TMainWindowTexts::ReplaceExisting) + name);
}

std::optional<std::pair<std::string, std::string>> TMainForm::AskSaveName(const QString& preset,
                                                                          int filterIndex) {
    const std::optional<TSaveChoice> choice = Prompts_->SaveFileName(this, preset, filterIndex);
    if (!choice) {
        return std::nullopt;
    }
    const std::string format = choice->FilterIndex == 2 ? Mp3Format : PcmFormat;
    const std::string name = FileNameForFormat(FileSystemName(choice->FileName), format);
    if (!ConfirmReplace(choice->FileName, name)) {
        return std::nullopt;
    }
    return std::make_pair(format, name);
}

bool TMainForm::SaveMIClick() {
    TDocument* d = Workspace_.Active();
    if (d == nullptr) {
        return false;
    }
    if (d->FileName.empty()) {
        return SaveAsMIClick();
    }
    if (!SaveStreamTo(*d->Stream, d->FileName, d->FileFormat)) {
        return false;
    }
    d->MarkSaved();
    RememberFile(d->FileName);
    return true;
}

bool TMainForm::SaveAsMIClick() {
    TDocument* d = Workspace_.Active();
    if (d == nullptr) {
        return false;
    }
    const int filterIndex = d->FileFormat == Mp3Format ? 2 : 1;
    const auto target = AskSaveName(QFile::decodeName(d->FileName.c_str()), filterIndex);
    if (!target) {
        return false;
    }
    const auto& [format, name] = *target;
    if (!SaveStreamTo(*d->Stream, name, format)) {
        return false;
    }
    d->FileName = name;
    d->FileFormat = format;
    d->MarkSaved();
    SetDocumentCaption(*d, QFile::decodeName(BaseName(name).c_str()));
    KeepRecoveryNote(Workspace_, *d);
    RememberFile(name);
    return true;
}

void TMainForm::SaveSelectionMIClick() {
    if (Workspace_.Active() == nullptr) {
        return;
    }
    const auto target = AskSaveName(QString(), 1);
    if (!target) {
        return;
    }
    Workspace_.TransferStream = std::make_unique<TAudioStream>();
    if (RunOperation(TOperation::SaveSelection).Ok) {
        SaveStreamTo(*Workspace_.TransferStream, target->second, target->first);
    }
    Workspace_.TransferStream.reset();
    UpdateCommands();
}

// ---------------------------------------------------------------------------------------------
// Closing

void TMainForm::CloseFileMIClick() {
    TDocument* d = Workspace_.Active();
    if (d == nullptr || Transports_.Recording(*d)) {
        return;
    }
    if (d->Modified && d->Stream->GetLength() > 0) {
        const TAnswer answer =
            Prompts_->AskYesNoCancel(this, QString(), MainText(&TMainWindowTexts::SaveChanges));
        if (answer == TAnswer::Cancel) {
            return;
        }
        // A document whose changes were to be saved stays open when they were not.
        if (answer == TAnswer::Yes && !SaveMIClick()) {
            return;
        }
    }
    CloseDocument(*d);
    ShowActive();
    UpdateCommands();
}

bool TMainForm::FormCloseQuery() {
    bool canClose = true;
    while (TDocument* d = Workspace_.Active()) {
        if (Transports_.Recording(*d)) {
            Prompts_->Inform(this, QString(), MainText(&TMainWindowTexts::StopRecord));
            canClose = false;
            break;
        }
        if (d->Modified && d->Stream->GetLength() > 0) {
            const QString title = ToQt(d->Caption);
            const TAnswer answer =
                Prompts_->AskYesNoCancel(this, title, MainText(&TMainWindowTexts::SaveChanges));
            // Changes that were to be saved are not dropped when saving failed either.
            canClose = answer != TAnswer::Cancel && (answer != TAnswer::Yes || SaveMIClick());
        }
        if (!canClose) {
            break;
        }
        CloseDocument(*d);
        if (Workspace_.Count() > 0) {
            ShowActive();
            UpdateCommands();
        }
    }
    UpdateCommands();
    return canClose;
}

void TMainForm::FormClose() {
    TSettings::Save(Workspace_, Language_);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (Runner_->Busy() || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Files dropped on the window

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    // Opened after the drop has ended: opening shows windows of its own.
    QTimer::singleShot(0, this, [this, paths] {
        for (const QString& path : paths) {
            OpenDocument(path);
        }
        UpdateCommands();
    });
}

// ---------------------------------------------------------------------------------------------
// The control timer, playback and recording

void TMainForm::ConrolTimerTimer() {
    if (Processing.load(std::memory_order_acquire)) {
        const std::uint32_t total = ProgressTotal.load(std::memory_order_relaxed);
        const std::uint32_t position = ProgressPosition.load(std::memory_order_relaxed);
        if (total > 0) {
            ProcessForm_->SetProgress(
                static_cast<int>(std::nearbyint(static_cast<double>(position) / total * 1000.0)));
        }
    }
    if (!Runner_->Busy()) {
        // The mouse selects and saving clears the mark without a command: these follow here.
        UpdateTitles();
        ShowStatus();
    }
    TDocument* d = Workspace_.Active();
    // A document the worker is changing, or whose graph is being rebuilt, is left alone.
    if (d == nullptr || Runner_->BusyDocument() == d || Runner_->Waiting()) {
        return;
    }
    TChildForm* form = Child(*d);
    if (form == nullptr) {
        return;
    }
    TAudioStream& s = *d->Stream;
    if (s.PlayState.load() == TTransportState::Started) {
        d->CursorPos = CursorAfterPlayback(s.Position.load(), d->SampleCount);
        if (!d->PlayViewMode) {
            form->FollowCursor();
        }
        form->TrackBoxPaint();
    }
    if (s.PlayState.load() == TTransportState::Starting) {
        StartPlayback(*d, *form);
    }
    if (s.RecordState.load() == TTransportState::Starting) {
        StartRecording(*d, *form);
    }
    if (s.RecordState.load() == TTransportState::Started) {
        d->CursorPos = s.Position.load();
        form->TrackBoxPaint();
    }
    form->SetTimeLabel(TimeText(d->CursorPos, s.SampleRate));
}

void TMainForm::PostMessage(const std::string& title, const std::string& text) {
    Calls_->Post(
        [this, title = ToQt(title), text = ToQt(text)] { Prompts_->Inform(this, title, text); });
}

void TMainForm::StartPlayback(TDocument& document, TChildForm& form) {
    const QPointer<TChildForm> window(&form);
    Transports_.StartPlay(
        document, *Engine_,
        [this, window](std::uint32_t cursorPos) {
            Calls_->Post([this, window, cursorPos] { PlayFinished(window, cursorPos); });
        },
        [this](const std::string& message) { PostMessage({}, message); });
}

void TMainForm::PlayFinished(const QPointer<TChildForm>& window, std::uint32_t cursorPos) {
    // Not while an operation has the document.
    Runner_->WhenIdle([this, window, cursorPos] {
        if (!window) {
            return;
        }
        TDocument& d = window->Document();
        d.CursorPos = CursorAfterPlayback(cursorPos, d.SampleCount);
        if (!d.PlayViewMode) {
            window->FollowCursor();
        }
        window->TrackBoxPaint();
        UpdateCommands();
    });
}

void TMainForm::StartRecording(TDocument& document, TChildForm& form) {
    const QPointer<TChildForm> window(&form);
    const bool started = Transports_.StartRecord(
        document, *Engine_,
        [this, window](std::uint32_t /*sampleCount*/) {
            Calls_->Post([this, window] { RecordFinished(window); });
        },
        [this](const std::string& message) { PostMessage({}, message); });
    if (started) {
        UpdateCommands();
    }
}

void TMainForm::RecordFinished(const QPointer<TChildForm>& window) {
    Runner_->WhenIdle([this, window] {
        if (!window) {
            return;
        }
        TDocument& d = window->Document();
        window->ShowProperties();
        window->TrackBoxPaint();
        d.MarkChanged();
        // The recording's graph is rebuilt while the main window waits, without a modal loop.
        TChildForm* form = window.data();
        auto failure = std::make_shared<std::string>();
        form->HoldView(true);
        Runner_->RunModeless(
            ToQt(Caption(TOperation::BuildGraph, Language_)), &d,
            [&d, form, failure, language = Language_] {
                try {
                    d.SampleCount = d.Stream->GetLength();
                    d.ViewStart = 0;
                    d.ViewLength = d.SampleCount;
                    d.GraphStart = 0;
                    d.GraphLength = d.SampleCount;
                    form->BuildGraph();
                } catch (const std::exception& error) {
                    *failure = DescribeFailure(error, language);
                }
            },
            [this, window, failure] {
                if (window) {
                    window->HoldView(false);
                    Transports_.RecordingDone(window->Document());
                    KeepRecoveryNote(Workspace_, window->Document());
                }
                UpdateCommands();
                if (!failure->empty()) {
                    Prompts_->Inform(this, QString(), ToQt(*failure));
                }
            });
    });
}

}  // namespace sonavel
