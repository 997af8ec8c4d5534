#include "ui/OkCancelRow.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "ui/MakeChild.h"

namespace sonavel {

QHBoxLayout* OkCancelRow(QDialog* dialog, QPushButton* ok, QPushButton* cancel) {
    auto* row = MakeChild<QHBoxLayout>();
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

}  // namespace sonavel
