#include "ui/AboutDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Language.h"
#include "ui/LinkLabel.h"
#include "ui/MakeChild.h"
#include "ui/Prompts.h"
#include "ui/SettingsTexts.h"

namespace sonavel {

const char* ProgramVersion() {
    return SONAVEL_VERSION;
}

TAboutForm::TAboutForm(TPrompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      Label1(MakeChild<QLabel>(this)),
      Label2(MakeChild<TLinkLabel>(this)),
      Label3(MakeChild<TLinkLabel>(this)),
      Label4(MakeChild<QLabel>(this)),
      BitBtn1(MakeChild<QPushButton>(QStringLiteral("OK"), this)),
      Prompts_(prompts) {
    setObjectName("AboutForm");
    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    Label3->setObjectName("Label3");
    Label4->setObjectName("Label4");
    BitBtn1->setObjectName("BitBtn1");

    QFont large = Label1->font();
    large.setPointSizeF(large.pointSizeF() * 2);
    large.setBold(true);
    Label1->setFont(large);
    for (QLabel* label :
         {Label1, static_cast<QLabel*>(Label2), static_cast<QLabel*>(Label3), Label4}) {
        label->setAlignment(Qt::AlignCenter);
    }
    Label2->setText(QString::fromUtf8(WebSite));
    Label3->setText(QString::fromUtf8(SupportMail));

    auto* layout = MakeChild<QVBoxLayout>(this);
    layout->setContentsMargins(24, 16, 24, 12);
    layout->addWidget(Label1);
    layout->addSpacing(8);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addWidget(Label4);
    layout->addSpacing(8);
    layout->addWidget(BitBtn1, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TAboutForm::accept);
    connect(Label2, &TLinkLabel::clicked, this, &TAboutForm::Label2Click);
    connect(Label3, &TLinkLabel::clicked, this, &TAboutForm::Label3Click);

    // The form shows the name with two spaces until a language is applied.
    setWindowTitle(QString::fromUtf8(AboutTexts(Russian)->Caption));
    Label1->setText(QStringLiteral("Sonavel Про  ") + QString::fromLatin1(ProgramVersion()));
    Label4->setText(QString::fromUtf8(AboutTexts(Russian)->Label4));
}

void TAboutForm::SetLanguage(const std::string& language) {
    const TAboutTexts* t = AboutTexts(language);
    if (t == nullptr) {
        return;
    }
    setWindowTitle(QString::fromUtf8(t->Caption));
    Label1->setText(QString::fromUtf8(t->Product) + QString::fromLatin1(ProgramVersion()));
    Label4->setText(QString::fromUtf8(t->Label4));
}

void TAboutForm::Label2Click() {
    Prompts_.OpenUrl(QUrl(QStringLiteral("http://") + Label2->text()));
}

void TAboutForm::Label3Click() {
    Prompts_.OpenUrl(
        QUrl(QStringLiteral("mailto:") + Label3->text() + QString::fromLatin1(MailSubject)));
}

}  // namespace sonavel
