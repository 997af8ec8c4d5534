#include "ui/SaveDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

#include "app/FileCommands.h"
#include "ui/MainTexts.h"
#include "ui/Prompts.h"

namespace sonavel {

namespace {

// The name field of Qt's own file dialog.
QLineEdit* NameEdit(const QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>("fileNameEdit");
}

}  // namespace

TSaveDialog::TSaveDialog(QWidget* parent) : QFileDialog(parent) {
    setObjectName("SaveDialog");
    // Qt's own dialog, so that the name field can follow the type.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setSizeGripEnabled(true);
    setNameFilters(NameFilters(SaveDialogFilter));
    if (auto* types = findChild<QComboBox*>("fileTypeCombo")) {
        connect(types, &QComboBox::activated, this, &TSaveDialog::SaveDialogTypeChange);
    }
}

int TSaveDialog::FilterIndex() const {
    // With the patterns kept out of sight the dialog names the chosen filter without them.
    const QString selected = selectedNameFilter();
    const QStringList filters = nameFilters();
    for (qsizetype i = 0; i < filters.size(); ++i) {
        if (filters.at(i) == selected || filters.at(i).startsWith(selected + " (")) {
            return static_cast<int>(i) + 1;
        }
    }
    return 1;
}

void TSaveDialog::SetFilterIndex(int index) {
    const QStringList filters = nameFilters();
    if (index >= 1 && index <= filters.size()) {
        selectNameFilter(filters.at(index - 1));
    }
}

QString TSaveDialog::TypedName() const {
    const QLineEdit* edit = NameEdit(*this);
    return edit != nullptr ? edit->text() : QString();
}

void TSaveDialog::SetTypedName(const QString& name) {
    if (QLineEdit* edit = NameEdit(*this)) {
        edit->setText(name);
    } else {
        selectFile(name);
    }
}

void TSaveDialog::SaveDialogTypeChange(int filterIndex) {
    const std::string format = filterIndex == 1 ? Mp3Format : PcmFormat;
    const QString typed = TypedName();
    if (typed.isEmpty()) {
        return;
    }
    const QString name = QFileInfo(typed).fileName();
    SetTypedName(QString::fromStdString(FileNameForFormat(name.toStdString(), format)));
}

}  // namespace sonavel
