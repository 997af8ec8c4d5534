#include "ui/Prompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>

#include "ui/MainTexts.h"
#include "ui/SaveDialog.h"

namespace sonavel {

QStringList NameFilters(const char* filter) {
    // Pairs of a description and its patterns; Qt wants the patterns in parentheses at the
    // end, which the dialogs then keep out of sight.
    const QStringList parts = QString::fromUtf8(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(';', ' ');
        filters << parts.at(i) + " (" + patterns + ")";
    }
    return filters;
}

void TWidgetPrompts::Inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

TAnswer TWidgetPrompts::AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) {
    const auto button = QMessageBox::question(
        parent, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    if (button == QMessageBox::Yes) {
        return TAnswer::Yes;
    }
    return button == QMessageBox::No ? TAnswer::No : TAnswer::Cancel;
}

bool TWidgetPrompts::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> TWidgetPrompts::OpenFileName(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName("OpenDialog");
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(NameFilters(OpenDialogFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<TSaveChoice> TWidgetPrompts::SaveFileName(QWidget* parent, const QString& preset,
                                                        int filterIndex) {
    TSaveDialog dialog(parent);
    dialog.SetFilterIndex(filterIndex);
    if (!preset.isEmpty()) {
        dialog.selectFile(preset);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return TSaveChoice{dialog.selectedFiles().constFirst(), dialog.FilterIndex()};
}

int TWidgetPrompts::Run(QDialog& dialog) {
    return dialog.exec();
}

bool TWidgetPrompts::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool TWidgetPrompts::StartProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

}  // namespace sonavel
