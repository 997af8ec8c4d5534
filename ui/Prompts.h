#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QDialog;
class QWidget;

namespace sonavel {

// The answer to a question with Yes, No and Cancel.
enum class TAnswer : std::uint8_t { Yes, No, Cancel };

// What the save dialog returns: the chosen path and the file type (1 PCM, 2 MP3).
struct TSaveChoice {
    QString FileName;
    int FilterIndex = 1;
};

// Every place where the main window waits for the user: message boxes, the file dialogs and
// the modal parameter dialogs. The program shows real windows; tests answer in their place.
class TPrompts {
  public:
    virtual ~TPrompts() = default;

    // A message with an OK button.
    virtual void Inform(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with Yes, No and Cancel.
    virtual TAnswer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // The open dialog with its filter; none when cancelled.
    virtual std::optional<QString> OpenFileName(QWidget* parent) = 0;
    // The save dialog preset with a name (may be empty) and a type; none when cancelled.
    virtual std::optional<TSaveChoice> SaveFileName(QWidget* parent, const QString& preset,
                                                    int filterIndex) = 0;
    // Shows a dialog modally; its result (QDialog::Accepted for OK).
    virtual int Run(QDialog& dialog) = 0;
    // Opens an address with the desktop's program for it (browser, mail); false when none
    // could be started. Nothing leaves the program unless a window overrides this.
    virtual bool OpenUrl(const QUrl& /*url*/) { return false; }
    // Starts a program detached from this one; false when it could not be started.
    virtual bool StartProgram(const QString& /*program*/, const QStringList& /*arguments*/) {
        return false;
    }
};

// The real windows.
class TWidgetPrompts : public TPrompts {
  public:
    void Inform(QWidget* parent, const QString& title, const QString& text) override;
    TAnswer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> OpenFileName(QWidget* parent) override;
    std::optional<TSaveChoice> SaveFileName(QWidget* parent, const QString& preset,
                                            int filterIndex) override;
    int Run(QDialog& dialog) override;
    bool OpenUrl(const QUrl& url) override;
    bool StartProgram(const QString& program, const QStringList& arguments) override;
};

// "A (*.a)|*.a|B (*.b)|*.b" as Qt's name filters: "A (*.a)", "B (*.b)".
QStringList NameFilters(const char* filter);

}  // namespace sonavel
