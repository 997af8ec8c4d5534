#include "ui/SelDelSpectraDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace sonavel {

TSelDelSpectraForm::TSelDelSpectraForm(TDialogValues& values, QWidget* parent)
    : TParameterForm(TOperation::SelDelSpectra, values, parent) {
    setObjectName("SelDelSpectraForm");
    const std::vector<QRadioButton*> modes = MakeRadios("mode", {"RB1", "RB2"});
    RB1 = modes.at(0);
    RB2 = modes.at(1);
    QLabel* from = MakeLabel("Label1");
    SE1 = MakeSpin("low");
    QLabel* to = MakeLabel("Label2");
    SE2 = MakeSpin("high");
    from->setBuddy(SE1);
    to->setBuddy(SE2);

    auto* band = new QHBoxLayout;  // NOLINT(cppcoreguidelines-owning-memory): the grid owns it
    band->addWidget(from);
    band->addWidget(SE1, 1);
    band->addWidget(to);
    band->addWidget(SE2, 1);
    band->addWidget(MakeLabel("Label3"));
    Grid().addWidget(RB1, 0, 0);
    Grid().addWidget(RB2, 1, 0);
    Grid().addLayout(band, 2, 0);
    Finish("Button1");
}

}  // namespace sonavel
