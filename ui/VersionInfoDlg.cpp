#include "ui/VersionInfoDlg.h"

#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/Language.h"
#include "app/LibraryVersions.h"
#include "ui/AboutDlg.h"
#include "ui/LinkLabel.h"
#include "ui/MakeChild.h"
#include "ui/Prompts.h"
#include "ui/SettingsTexts.h"

namespace sonavel {

TVersionInfoForm::TVersionInfoForm(TPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      InfoLabel(MakeChild<QLabel>(this)),
      UrlLabel(MakeChild<TLinkLabel>(this)),
      Prompts_(prompts) {
    setObjectName("VersionInfoForm");
    InfoLabel->setObjectName("InfoLabel");
    UrlLabel->setObjectName("UrlLabel");
    InfoLabel->setAlignment(Qt::AlignCenter);
    InfoLabel->setWordWrap(true);
    InfoLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    UrlLabel->setAlignment(Qt::AlignCenter);
    UrlLabel->setText(QString::fromUtf8(ReleasesUrl));

    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(InfoLabel, 1);
    layout->addWidget(UrlLabel);
    setMinimumWidth(480);
    connect(UrlLabel, &TLinkLabel::clicked, this, &TVersionInfoForm::UrlLabelClick);

    SetLanguage(Russian);
}

void TVersionInfoForm::SetLanguage(const std::string& language) {
    const TVersionInfoTexts* t = VersionInfoTexts(language);
    if (t == nullptr) {
        return;
    }
    setWindowTitle(QString::fromUtf8(t->Caption));
    const TLibraryVersions versions = LibraryVersions();
    const QString libraries =
        QStringLiteral("Qt %1, PortAudio %2, libmpg123 %3, LAME %4")
            .arg(QString::fromLatin1(qVersion()), QString::fromStdString(versions.PortAudio),
                 QString::fromStdString(versions.Mpg123), QString::fromStdString(versions.Lame));
    InfoLabel->setText(QString::fromUtf8(t->Running) + QString::fromLatin1(ProgramVersion()) +
                       "\n\n" + QString::fromUtf8(t->Libraries) + '\n' + libraries + "\n\n" +
                       QString::fromUtf8(t->NoNetwork));
}

void TVersionInfoForm::UrlLabelClick() {
    Prompts_.OpenUrl(QUrl(UrlLabel->text()));
}

}  // namespace sonavel
