#include "ui/ChanceCardDialog.h"
#include "ui/DialogSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "careers/CareerDatabase.h"
#include "careers/ChanceCardForm.h"
#include "document/Document.h"
#include "platform/CodePages.h"
#include "platform/Prompts.h"
#include "ui/CardItemDialog.h"
#include "ui/DialogUnits.h"

namespace jf {

namespace {

constexpr int kWidthDu = 234;
constexpr int kHeightDu = 217;

}  // namespace

ChanceCardListDialog::ChanceCardListDialog(Prompts& prompts, CareerDatabase& database,
                                           ChanceCard& card, int language, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts),
      database_(database),
      card_(card),
      language_(language),
      textIndex_(card.textIndex),
      items_(card.items) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    confirm_ = [this](std::uint16_t& textIndex, const std::vector<CardItem>& items, int slot,
                      const std::string& text) {
        return confirmCard(database_, textIndex, items, slot, text);
    };
    editItem_ = [this](QWidget* owner, CardItem& item) {
        ChanceCardItemDialog dialog(prompts_, item, owner);
        return dialog.exec() == QDialog::Accepted;
    };
    buildControls();

    std::string bytes;
    if (textIndex_ != 0) {
        database_.globalText(textIndex_ - 1u, language_, bytes);
    }
    originalText_ = FieldText(bytes, codePageForSlot(language_), true);
    text_->setPlainText(originalText_.shown());
    refreshItemList();
}

void ChanceCardListDialog::buildControls() {
    const DialogUnits du(font());
    setFixedSize(du.size(kWidthDu, kHeightDu));

    auto* label = new QLabel(QStringLiteral("Text displayed:"), this);
    label->setGeometry(du.rect(7, 10, 52, 8));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(controlObjectName(1003));
    text_->setGeometry(du.rect(61, 7, 165, 45));
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setTabChangesFocus(true);
    label->setBuddy(text_);

    auto* group = new QGroupBox(QStringLiteral("Items"), this);
    group->setGeometry(du.rect(7, 57, 220, 131));
    list_ = new QListWidget(this);
    list_->setObjectName(controlObjectName(1004));
    list_->setGeometry(du.rect(18, 72, 197, 83));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setSortingEnabled(false);
    connect(list_, &QListWidget::itemSelectionChanged, this, &ChanceCardListDialog::updateButtons);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { editItem(); });

    auto button = [&](const char* text, int id, int x, int y) {
        return addDialogButton(this, du, text, id, x, y);
    };
    add_ = button("&Add", 1005, 31, 163);
    edit_ = button("&Edit", 1006, 92, 163);
    delete_ = button("&Delete", 1007, 152, 163);
    ok_ = button(kOkButtonText, 1, 117, 196);
    cancel_ = button(kCancelButtonText, 2, 177, 196);
    makeEnterPressFocusedButton(this, ok_);
    connect(add_, &QPushButton::clicked, this, &ChanceCardListDialog::addItem);
    connect(edit_, &QPushButton::clicked, this, &ChanceCardListDialog::editItem);
    connect(delete_, &QPushButton::clicked, this, &ChanceCardListDialog::deleteItem);
    connect(ok_, &QPushButton::clicked, this, &ChanceCardListDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &ChanceCardListDialog::reject);
    // Enter in the text presses OK; Ctrl+Enter types a line break.
    makeEnterPressDefault(text_, ok_);

    setTabOrder(text_, list_);
    setTabOrder(list_, add_);
    setTabOrder(add_, edit_);
    setTabOrder(edit_, delete_);
    setTabOrder(delete_, ok_);
    setTabOrder(ok_, cancel_);
}

int ChanceCardListDialog::selectedRow() const {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.constFirst());
}

void ChanceCardListDialog::refreshItemList() {
    int row = selectedRow();
    if (row < 0) {
        row = 0;
    }
    list_->clear();
    for (const CardItem& item : items_) {
        list_->addItem(QString::fromStdString(describeItem(item)));
    }
    if (row >= list_->count()) {
        row = list_->count() - 1;
    }
    if (row >= 0) {
        list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }
    updateButtons();
}

void ChanceCardListDialog::updateButtons() {
    const bool selected = selectedRow() >= 0;
    edit_->setEnabled(selected);
    delete_->setEnabled(selected);
}

void ChanceCardListDialog::addItem() {
    items_.push_back(kNewCardItem);
    refreshItemList();
    list_->setCurrentRow(list_->count() - 1, QItemSelectionModel::ClearAndSelect);
    editItem();
}

void ChanceCardListDialog::editItem() {
    const int row = selectedRow();
    if (row < 0 || static_cast<std::size_t>(row) >= items_.size()) {
        return;
    }
    CardItem item = items_[static_cast<std::size_t>(row)];
    if (!editItem_(this, item)) {
        return;
    }
    items_[static_cast<std::size_t>(row)] = item;
    refreshItemList();
}

void ChanceCardListDialog::deleteItem() {
    const int row = selectedRow();
    if (row < 0 || static_cast<std::size_t>(row) >= items_.size()) {
        return;
    }
    items_.erase(items_.begin() + row);
    refreshItemList();
}

void ChanceCardListDialog::accept() {
    const QString typed = text_->toPlainText();
    std::string bytes;
    if (!items_.empty()) {
        if (soundItemCount(items_) != 1) {
            prompts_.show(
                {kOneSoundMessage, kErrorCaption, PromptButtons::Ok, PromptIcon::Warning});
            return;
        }
        const std::optional<std::string> stored = originalText_.stored(typed);
        if (!stored) {
            prompts_.show(unstorableTextWarning(typed, language_));
            focusAndSelect(text_);
            return;
        }
        bytes = *stored;
    }
    const CardConfirmation result = confirm_(textIndex_, items_, language_, bytes);
    if (result == CardConfirmation::NeedOneSound) {
        return;  // checked above
    }
    if (result == CardConfirmation::NoFreeEntry) {
        // The card keeps no text; say so instead of dropping the text
        // without a word.
        prompts_.show(errorMessage(kMessageOverflowText, kMessageOverflowCaption));
    }
    card_.textIndex = textIndex_;
    card_.items = items_;
    QDialog::accept();
}

}  // namespace jf
