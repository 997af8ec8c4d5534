#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace sonavel {

// The row of OK and Cancel at the right under a dialog's fields: OK is the default button and
// accepts the dialog, Cancel rejects it. The caller adds the row to the dialog's layout.
QHBoxLayout* OkCancelRow(QDialog* dialog, QPushButton* ok, QPushButton* cancel);

}  // namespace sonavel
