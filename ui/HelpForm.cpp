#include "ui/HelpForm.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Language.h"
#include "ui/SettingsTexts.h"

namespace sonavel {

THelpForm::THelpForm(QWidget* parent)
    : QDialog(parent, Qt::Window),
      HelpBrowser(new QTextBrowser(this)) {  // NOLINT(cppcoreguidelines-owning-memory)
    setObjectName("HelpForm");
    HelpBrowser->setObjectName("HelpBrowser");
    HelpBrowser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);  // NOLINT(cppcoreguidelines-owning-memory)
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(HelpBrowser);
    resize(760, 600);
    SetLanguage(Russian);
}

void THelpForm::SetLanguage(const std::string& language) {
    if (const THelpTexts* t = HelpTexts(language)) {
        setWindowTitle(QString::fromUtf8(t->Caption));
    }
}

void THelpForm::ShowPage(const QString& path) {
    // Reload even the same address: the file may have been rewritten in another language.
    HelpBrowser->setSource(QUrl());
    HelpBrowser->clearHistory();
    HelpBrowser->setSource(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

}  // namespace sonavel
