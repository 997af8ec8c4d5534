// Sonavel: the audio editor's entry point.

#include <QAction>
#include <QApplication>
#include <QSessionManager>
#include <QTimer>
#include <cstdio>

#include "app/ProgramLifetime.h"
#include "ui/MainForm.h"
#include "ui/MainTexts.h"

namespace {

// SONAVEL_SCREENSHOT=path.png makes the editor save a picture of its main window after
// SONAVEL_SCREENSHOT_DELAY milliseconds (default 2000) and quit: for looking at the windows
// without a screen. SONAVEL_SCREENSHOT_COMMAND names a menu item (e.g. SettingsMI) to choose
// halfway; the picture is then of the window it opens.
void ScheduleScreenshot(sonavel::TMainForm& form) {
    const QString path = qEnvironmentVariable("SONAVEL_SCREENSHOT");
    if (path.isEmpty()) {
        return;
    }
    bool ok = false;
    int delay = qEnvironmentVariableIntValue("SONAVEL_SCREENSHOT_DELAY", &ok);
    if (!ok) {
        delay = 2000;
    }
    const QString command = qEnvironmentVariable("SONAVEL_SCREENSHOT_COMMAND");
    // An empty name would match any unnamed action.
    if (auto* action = command.isEmpty() ? nullptr : form.findChild<QAction*>(command);
        action != nullptr) {
        QTimer::singleShot(delay / 2, action, &QAction::trigger);
    }
    QTimer::singleShot(delay, &form, [&form, path] {
        QWidget* modal = QApplication::activeModalWidget();
        QWidget* window = modal != nullptr ? modal : &form;
        const bool saved = window->grab().save(path);
        std::fprintf(stderr,
                     saved ? "sonavel: screenshot written to %s\n"
                           : "sonavel: cannot write the screenshot %s\n",
                     path.toLocal8Bit().constData());
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

// A desktop logout asks the program first, and lets it ask the user about unsaved documents
// when the session manager allows it; without that permission nothing is asked, so a shutdown
// never waits. SIGTERM itself ends the program at once (RemoveFilesOnTerminationSignals).
void AskAboutUnsavedDocumentsOnLogout(sonavel::TMainForm& form) {
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager& manager) {
                         if (!manager.allowsInteraction()) {
                             return;
                         }
                         const bool closed = form.close();
                         manager.release();
                         if (!closed) {
                             manager.cancel();
                         }
                     });
}

}  // namespace

int main(int argc, char* argv[]) {
    sonavel::RemoveFilesOnTerminationSignals();
    QApplication application(argc, argv);
    QGuiApplication::setApplicationDisplayName(QString::fromUtf8(sonavel::FormCaption));

    // The main window creates every window of its commands once, before the event loop.
    sonavel::TMainForm form;
    // The settings have named the temporary folder: what dead programs left there goes, except
    // the documents of dead editors, which are offered back once the language is known.
    sonavel::RemoveLeftoversOfDeadPrograms();
    AskAboutUnsavedDocumentsOnLogout(form);
    form.show();

    const QStringList files = QCoreApplication::arguments().mid(1);
    QTimer::singleShot(0, &form, [&form, files] {
        form.FormActivate();
        form.RecoverAfterStart();
        form.OpenAfterStart(files);
    });
    ScheduleScreenshot(form);
    return QApplication::exec();
}
