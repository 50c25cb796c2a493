#pragma once
// The chance card of one job level: its text in one language and its items
// as one-line descriptions, with Add, Edit and Delete (the items are edited
// one at a time in ChanceCardItemDialog).
//
// The dialog works on its own copy of the items. OK confirms the card: a
// card without items gives its text entry back; otherwise it needs exactly
// one sound item, and its text is stored in the dialog's language into the
// card's entry of the global texts table (a card without one gets the
// lowest free entry; when none is free the overflow warning is shown and
// the card stays without text). Only then are the caller's textIndex and
// items replaced. Storing goes through the confirmation (setConfirmation):
// the editor hands the card to its document there, as one step; without
// one the dialog confirms into the database itself. Cancel changes nothing.

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "careers/ChanceCard.h"
#include "careers/ChanceCardForm.h"
#include "ui/DialogSupport.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace jf {

class CareerDatabase;
class Prompts;

class ChanceCardListDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Chance cards...";

    // Edits one item; true for OK (the item then holds the edit).
    using ItemEditor = std::function<bool(QWidget* parent, CardItem& item)>;

    // `card` (text entry number and items) and `database` must outlive the
    // dialog; `language` is the LanguageSlot the text is shown and stored in.
    ChanceCardListDialog(Prompts& prompts, CareerDatabase& database, ChanceCard& card, int language,
                         QWidget* parent = nullptr);

    // Stores the card on OK: its text entry number (updated), items, the
    // language and the text's bytes; confirmCard's rules and result.
    using Confirmation =
        std::function<CardConfirmation(std::uint16_t& textIndex, const std::vector<CardItem>& items,
                                       int language, const std::string& text)>;

    // Replaces the item editor (the real ChanceCardItemDialog by default).
    void setItemEditor(ItemEditor editor) { editItem_ = std::move(editor); }
    void setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }

    QPlainTextEdit* textField() const { return text_; }
    QListWidget* itemList() const { return list_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    // The dialog's copy of the items.
    const std::vector<CardItem>& items() const { return items_; }

public slots:
    void addItem();
    void editItem();
    void deleteItem();
    void accept() override;

private:
    void buildControls();
    // Refills the list from the items, keeping the selected row (the first
    // when none was selected, the last when it is gone).
    void refreshItemList();
    void updateButtons();
    int selectedRow() const;

    Prompts& prompts_;
    CareerDatabase& database_;
    ChanceCard& card_;
    int language_;
    std::uint16_t textIndex_;
    std::vector<CardItem> items_;
    FieldText originalText_;
    ItemEditor editItem_;
    Confirmation confirm_;

    QPlainTextEdit* text_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace jf
