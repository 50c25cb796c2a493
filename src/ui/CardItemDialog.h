#pragma once
// One item of a chance card: a budget change, a skill change, a job change
// or a sound, chosen with four radio buttons (one per group) and filled in
// with the group's drop-down lists and edit fields.
//
// Every edit is read and checked on OK and at each radio click, in the
// order amount, number, study points; a failing field shows its message and
// gets the focus. On OK the failure keeps the dialog open; at a radio click
// the group is reset all the same. OK writes the edited kind, mode and value
// into the caller's item; an item of an unknown kind with no radio button
// clicked comes back unchanged.

#include <QDialog>
#include <array>
#include <optional>

#include "careers/ChanceCard.h"
#include "careers/ChanceCardForm.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace jf {

class Prompts;

class ChanceCardItemDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Chance card...";

    // `item` must outlive the dialog; it changes only on OK.
    ChanceCardItemDialog(Prompts& prompts, CardItem& item, QWidget* parent = nullptr);

    // The radio button of kind 1..4 (nullptr for any other kind).
    QRadioButton* radio(std::uint32_t kind) const;
    QComboBox* list(CardList which) const { return lists_[static_cast<std::size_t>(which)]; }
    QLineEdit* edit(CardEdit which) const { return edits_[static_cast<std::size_t>(which)]; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    // A click on the radio button of `kind` (1..4).
    void selectKind(std::uint32_t kind);
    void accept() override;

private:
    void buildControls();
    // Reads the edits in their order; false after the first failing one's
    // message. `values` then holds what was read so far.
    bool readEdits(std::array<std::uint32_t, kCardEditCount>& values);
    void readLists();
    void showFields();

    Prompts& prompts_;
    CardItem& item_;
    CardItemFields fields_;
    std::array<QRadioButton*, 4> radios_{};
    std::array<QComboBox*, kCardListCount> lists_{};
    std::array<QLineEdit*, kCardEditCount> edits_{};
    QButtonGroup* radioGroup_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace jf
