#pragma once

#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <deque>
#include <optional>

#include "UiTestSupport.h"
#include "formats/PCM_Format.h"
#include "platform/MemoryAudioDevice.h"
#include "ui/MainForm.h"
#include "ui/OperationRunner.h"
#include "ui/ProcessDlg.h"
#include "ui/Prompts.h"
#include "ui/SetLangDlg.h"

namespace sonavel::test {

// Answers the main window's questions and dialogs in place of the user, and keeps what it
// was told.
class TScriptedPrompts : public TPrompts {
  public:
    struct TShown {
        QString Title;
        QString Text;
    };

    std::vector<TShown> Informed;
    std::vector<TShown> Asked;
    std::deque<TAnswer> Answers;    // Cancel once used up
    std::deque<bool> YesNoAnswers;  // No once used up
    std::deque<std::optional<QString>> OpenNames;
    std::deque<std::optional<TSaveChoice>> SaveChoices;
    std::vector<QString> DialogsRun;  // object names, in order
    // How a modal dialog is answered; by default the language window gets "English " and
    // every other dialog OK.
    std::function<int(QDialog&)> OnDialog;
    std::vector<QUrl> OpenedUrls;
    bool BrowserWorks = true;                  // what opening an address answers
    std::vector<QStringList> StartedPrograms;  // the program followed by its arguments

    void Inform(QWidget* /*parent*/, const QString& title, const QString& text) override {
        Informed.push_back({title, text});
    }
    TAnswer AskYesNoCancel(QWidget* /*parent*/, const QString& title,
                           const QString& text) override {
        Asked.push_back({title, text});
        return Take(Answers, TAnswer::Cancel);
    }
    bool AskYesNo(QWidget* /*parent*/, const QString& title, const QString& text) override {
        Asked.push_back({title, text});
        return Take(YesNoAnswers, false);
    }
    std::optional<QString> OpenFileName(QWidget* /*parent*/) override { return Take(OpenNames); }
    std::optional<TSaveChoice> SaveFileName(QWidget* /*parent*/, const QString& /*preset*/,
                                            int /*filterIndex*/) override {
        return Take(SaveChoices);
    }
    int Run(QDialog& dialog) override {
        DialogsRun.push_back(dialog.objectName());
        if (OnDialog) {
            return OnDialog(dialog);
        }
        if (auto* lang = qobject_cast<TSetLangForm*>(&dialog)) {
            lang->BitBtn2->click();
        } else {
            dialog.accept();
        }
        return dialog.result();
    }

    bool OpenUrl(const QUrl& url) override {
        OpenedUrls.push_back(url);
        return BrowserWorks;
    }
    bool StartProgram(const QString& program, const QStringList& arguments) override {
        StartedPrograms.push_back(QStringList{program} + arguments);
        return true;
    }

  private:
    template <class T>
    static T Take(std::deque<T>& queue, T otherwise) {
        if (!queue.empty()) {
            otherwise = queue.front();
            queue.pop_front();
        }
        return otherwise;
    }
    // An empty answer once used up. The value is copied out only when there is one: GCC 12
    // takes moves of an empty std::optional<QString> for reads of uninitialised memory.
    template <class T>
    static std::optional<T> Take(std::deque<std::optional<T>>& queue) {
        std::optional<T> value;
        if (!queue.empty()) {
            if (queue.front().has_value()) {
                value.emplace(*queue.front());
            }
            queue.pop_front();
        }
        return value;
    }
};

// A main window built with scripted prompts and sound devices in memory; its settings are
// kept in the test's own folder and its channel files in another.
class TMainFormTest : public TStreamTest {
  protected:
    TMainFormTest() {
        const QString folder = QString::fromStdString(SettingsFolder.Path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    }

    void SetUp() override { MakeForm(); }
    void TearDown() override { Form.reset(); }

    void MakeForm(TMemoryDeviceOptions devices = {}) {
        Form.reset();
        Prompts = std::make_shared<TScriptedPrompts>();
        Devices = std::make_shared<TMemoryAudioSystem>(std::move(devices));
        Form = std::make_unique<TMainForm>(TMainFormOptions{Devices, Prompts});
        Form->SetHelpFolder(QString::fromStdString(Temp.File("help")));
        Form->Runner().FinishDelay = std::chrono::milliseconds(0);
    }

    // A 16-bit WAV file of the samples (one vector per channel) in the test's folder.
    std::string WriteWav(const std::string& name,
                         const std::vector<std::vector<std::int32_t>>& channels,
                         std::uint32_t rate = 44100) {
        TAudioStream stream(static_cast<std::uint16_t>(channels.size()), 16, rate);
        for (std::size_t c = 0; c < channels.size(); ++c) {
            stream.WriteSamples(static_cast<std::uint16_t>(c), 0,
                                static_cast<std::uint32_t>(channels[c].size()), channels[c].data());
        }
        std::string path = Temp.File(name);
        SavePCMFile(stream, path);
        return path;
    }

    // Opens a stereo document of `length` samples of a sine.
    TDocument& OpenSine(const std::string& name, std::uint32_t length = 4000) {
        const std::vector<std::int32_t> wave = Sine(length, 100);
        const std::string path = WriteWav(name, {wave, wave});
        EXPECT_TRUE(Form->OpenDocument(QString::fromStdString(path)));
        return *Form->Workspace().Active();
    }

    // A new empty project through the new-project command.
    TDocument& NewProject() {
        Form->NewFileMIClick();
        return *Form->Workspace().Active();
    }

    bool Enabled(TCommand command) const { return Form->Action(command)->isEnabled(); }
    bool ButtonEnabled(const char* name) const {
        return Form->findChild<QToolButton*>(QString::fromLatin1(name))->isEnabled();
    }

    std::vector<std::int32_t> Samples(TDocument& document, std::uint16_t channel) {
        const std::uint32_t length = document.Stream->GetLength();
        std::vector<std::int32_t> values(length);
        document.Stream->ReadSamples(channel, 0, length, values.data());
        return values;
    }

    TTempFolder SettingsFolder;
    std::shared_ptr<TScriptedPrompts> Prompts;
    std::shared_ptr<TMemoryAudioSystem> Devices;
    std::unique_ptr<TMainForm> Form;
};

}  // namespace sonavel::test
