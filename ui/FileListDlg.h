#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "app/FileOrder.h"
#include "app/OperationTable.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace sonavel {

struct TFileListTexts;
class TWorkspace;

// What the join and mix dialogs share: the new document's format (channels, rate and bits,
// kept between uses) and the list of the open documents with the delete button. The join
// dialog adds its buttons that reorder the list.
class TFileListForm : public QDialog {
    Q_OBJECT
  public:
    // Lists the open documents in the order of their last activation, the active one last.
    void Fill(const TWorkspace& workspace);
    void SetLanguage(const std::string& language);

    const TFileOrder& Order() const { return Order_; }
    // Per line, the index among the open documents of the document shown there.
    std::vector<std::int32_t> FileIndexes() const { return Order_.FileIndexes(); }

    QGroupBox* GroupBox1;
    QComboBox* ChnBox;
    QComboBox* HzBox;
    QComboBox* BitBox;
    QGroupBox* GroupBox2;
    QListWidget* ListBox;
    QToolButton* DelButton;
    QPushButton* Button1;

  public slots:
    void DelButtonClick();
    void accept() override;

  protected:
    using TTextTable = const TFileListTexts* (*)(const std::string&);
    TFileListForm(TOperation operation, TDialogValues& values, TTextTable texts, const char* ok,
                  QWidget* parent);

    void showEvent(QShowEvent* event) override;
    // The list box after the order changed, with the order's line selected.
    void ShowOrder();
    // The column beside the list that holds the buttons.
    QVBoxLayout& ButtonColumn() const { return *ButtonColumn_; }
    TFileOrder& EditOrder() { return Order_; }

  private:
    std::span<const TParameter> Parameters() const;

    TOperation Operation_;
    TDialogValues& Values_;
    TTextTable Texts_;
    TFileOrder Order_;
    QVBoxLayout* ButtonColumn_;
    QLabel* Label1_;
    QLabel* Label2_;
    QLabel* Label3_;
    QLabel* Label4_;
    QLabel* Label5_;
    QLabel* Label6_;
};

}  // namespace sonavel
