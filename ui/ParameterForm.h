#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/OperationTable.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace sonavel {

// A dialog that asks for the parameters of one operation. It is created once and keeps its
// values between uses; its controls take their ranges, list items and first values from the
// operation table, its texts from the dialog text table. OK stores the controls in the
// workspace's dialog record (and settles them as the operation wants), which the worker
// reads; the close box, Escape and a cancel button leave the record as it was.
class TParameterForm : public QDialog {
    Q_OBJECT
  public:
    TParameterForm(TOperation operation, TDialogValues& values, QWidget* parent = nullptr);

    TOperation Operation() const { return Operation_; }
    // The document the dialog is about to be shown for: ranges that depend on its rate follow
    // at once and again when the dialog is shown.
    void SetFormat(const TFormat& format);
    const TFormat& Format() const { return Format_; }
    // The highest frequency of the document: half its rate.
    int MaxFrequency() const { return static_cast<int>(Format_.SampleRate / 2); }

    // Sets the texts of the language; another word changes nothing.
    virtual void SetLanguage(const std::string& language);
    // What the dialog does when shown: the document's ranges.
    virtual void FormShow();

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;
    // Values the bound controls do not cover, stored on OK before the operation settles them.
    virtual void StoreMore() {}
    // The record's values shown again (after OK settled them).
    virtual void ShowMore() {}
    // The texts have changed language.
    virtual void LanguageChanged() {}

    const TParameter& Parameter(const char* key) const;
    // A number typed but not yet confirmed counts, clamped to the spin edit's range.
    static void TakeTyped(QSpinBox& box);

    // Controls bound to the operation's parameter of that key: their range, items and value
    // come from the table and the record, and OK stores them. Each is named after the
    // parameter's control unless a name is given.
    QSpinBox* MakeSpin(const char* key);
    QComboBox* MakeList(const char* key);
    QCheckBox* MakeCheck(const char* key, const char* name);
    QSlider* MakeSlider(const char* key);
    // Radio buttons for a choice, one per item, named name1, name2, ... (or by the names
    // given), their texts the items'.
    std::vector<QRadioButton*> MakeRadios(const char* key, std::vector<QString> names);
    // A label whose text the dialog text table gives.
    QLabel* MakeLabel(const char* name);

    // A row of the dialog's grid: label, control, unit (either may be missing).
    void AddRow(QLabel* label, QWidget* control, QLabel* unit = nullptr);
    // A bound spin edit or list in a row of its own, with the labels of those names.
    QSpinBox* AddSpinRow(const char* key, const char* label, const char* unit = nullptr);
    QComboBox* AddListRow(const char* key, const char* label, const char* unit = nullptr);
    QGridLayout& Grid() const { return *Grid_; }
    // The OK button (and a cancel button when named) under the body; the dialog is then
    // complete: its texts are the form's, and the first field gets the focus when shown.
    void Finish(const char* okName, const char* cancelName = nullptr, const char* okText = "OK");

    TDialogValues& Values_;
    QPushButton* OkButton_ = nullptr;

  private:
    enum class TKind : std::uint8_t { Spin, List, Check, Slider, Radios };
    struct TBinding {
        TKind Kind;
        const TParameter* Param;
        QWidget* Control;
        QButtonGroup* Group = nullptr;
        std::vector<QRadioButton*> Radios;
    };

    void ApplyTexts(const std::string& language, bool form);
    void ShowValues();
    void SetRanges();

    TOperation Operation_;
    TFormat Format_{2, 44100};  // until the first document
    QGridLayout* Grid_;
    std::vector<TBinding> Bindings_;
};

}  // namespace sonavel
