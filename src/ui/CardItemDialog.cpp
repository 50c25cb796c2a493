#include "ui/CardItemDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

#include "platform/Prompts.h"
#include "ui/DialogSupport.h"
#include "ui/DialogUnits.h"

namespace jf {

namespace {

constexpr int kWidthDu = 297;
constexpr int kHeightDu = 220;
constexpr int kGroupLeftDu = 25;
constexpr int kGroupWidthDu = 265;
constexpr int kGroupHeightDu = 38;
constexpr int kGroupStepDu = 46;
constexpr int kFirstGroupTopDu = 7;

// Which group (kind - 1) each list and each edit belongs to.
constexpr std::array<std::uint32_t, kCardListCount> kListKinds = {1, 2, 2, 3, 4};
constexpr std::array<std::uint32_t, kCardEditCount> kEditKinds = {1, 3, 2};

}  // namespace

ChanceCardItemDialog::ChanceCardItemDialog(Prompts& prompts, CardItem& item, QWidget* parent)
    : QDialog(parent), prompts_(prompts), item_(item) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    // Opening resets the controls as a radio click would, then fills them
    // in from the item.
    fields_ = cardItemFields(item_);
    showFields();
}

void ChanceCardItemDialog::buildControls() {
    const DialogUnits du(font());
    setFixedSize(du.size(kWidthDu, kHeightDu));

    static constexpr std::array<const char*, 4> kGroupTitles = {"Budget change", "Skill change",
                                                                "Job change", "Play sound"};
    static constexpr std::array<int, 4> kRadioIds = {1016, 1017, 1018, 1019};
    radioGroup_ = new QButtonGroup(this);
    radioGroup_->setExclusive(true);
    for (std::size_t g = 0; g < kGroupTitles.size(); ++g) {
        const int top = kFirstGroupTopDu + static_cast<int>(g) * kGroupStepDu;
        auto* group = new QGroupBox(QString::fromUtf8(kGroupTitles[g]), this);
        group->setGeometry(du.rect(kGroupLeftDu, top, kGroupWidthDu, kGroupHeightDu));
        auto* radio = new QRadioButton(this);
        radio->setObjectName(controlObjectName(kRadioIds[g]));
        radio->setGeometry(du.rect(9, top + 16, 12, 10));
        radio->setAccessibleName(QString::fromUtf8(kGroupTitles[g]));
        radioGroup_->addButton(radio);
        const auto kind = static_cast<std::uint32_t>(g + 1);
        connect(radio, &QRadioButton::clicked, this, [this, kind] { selectKind(kind); });
        radios_[g] = radio;
    }

    auto makeList = [&](CardList which, int id, int x, int group, int width) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(controlObjectName(id));
        for (const char* entry : cardListEntries(which)) {
            combo->addItem(QString::fromUtf8(entry));
        }
        const int top = kFirstGroupTopDu + group * kGroupStepDu;
        combo->setGeometry(du.rect(x, top + 15, width, 13));
        lists_[static_cast<std::size_t>(which)] = combo;
    };
    auto makeEdit = [&](CardEdit which, int id, int x, int group, int width) {
        auto* line = new QLineEdit(this);
        line->setObjectName(controlObjectName(id));
        line->setMaxLength(std::numeric_limits<int>::max());
        const int top = kFirstGroupTopDu + group * kGroupStepDu;
        line->setGeometry(du.rect(x, top + 15, width, 13));
        guideNumberField(line, cardEditKind(which), cardEditRange(which));
        edits_[static_cast<std::size_t>(which)] = line;
    };
    makeList(CardList::BudgetMode, 1008, 35, 0, 70);
    makeEdit(CardEdit::Amount, 1012, 115, 0, 60);
    makeList(CardList::Skill, 1010, 35, 1, 70);
    makeList(CardList::SkillMode, 1009, 115, 1, 60);
    makeEdit(CardEdit::Points, 1011, 185, 1, 60);
    makeList(CardList::JobTarget, 1013, 35, 2, 90);
    makeEdit(CardEdit::Number, 1014, 135, 2, 60);
    makeList(CardList::Sound, 1015, 35, 3, 90);

    ok_ = new QPushButton(QString::fromUtf8(kOkButtonText), this);
    ok_->setObjectName(controlObjectName(1));
    ok_->setGeometry(du.rect(183, 199, 50, 14));
    cancel_ = new QPushButton(QString::fromUtf8(kCancelButtonText), this);
    cancel_->setObjectName(controlObjectName(2));
    cancel_->setGeometry(du.rect(240, 199, 50, 14));
    connect(ok_, &QPushButton::clicked, this, &ChanceCardItemDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &ChanceCardItemDialog::reject);
    makeEnterPressFocusedButton(this, ok_);

    QWidget* order[] = {radios_[0], lists_[0], edits_[0],  radios_[1], lists_[2],
                        lists_[1],  edits_[2], radios_[2], lists_[3],  edits_[1],
                        radios_[3], lists_[4], ok_,        cancel_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

QRadioButton* ChanceCardItemDialog::radio(std::uint32_t kind) const {
    if (kind < CardItem::kKindBudget || kind > CardItem::kKindSound) {
        return nullptr;
    }
    return radios_[kind - 1];
}

bool ChanceCardItemDialog::readEdits(std::array<std::uint32_t, kCardEditCount>& values) {
    for (std::size_t i = 0; i < kCardEditCount; ++i) {
        const auto which = static_cast<CardEdit>(i);
        QLineEdit* field = edits_[i];
        const NumericCheck check = checkNumericField(field->text().toStdString(),
                                                     cardEditKind(which), cardEditRange(which));
        if (!check.ok) {
            prompts_.show(fieldWarning(check.message));
            focusAndSelect(field);
            return false;
        }
        values[i] = static_cast<std::uint32_t>(check.value);
        fields_.edits[i] = field->text().toStdString();
    }
    return true;
}

void ChanceCardItemDialog::readLists() {
    for (std::size_t i = 0; i < kCardListCount; ++i) {
        fields_.lists[i] = lists_[i]->currentIndex();
    }
}

void ChanceCardItemDialog::showFields() {
    if (radio(fields_.kind) != nullptr) {
        radio(fields_.kind)->setChecked(true);
    } else {
        // No kind: no radio button selected.
        radioGroup_->setExclusive(false);
        for (QRadioButton* button : radios_) {
            button->setChecked(false);
        }
        radioGroup_->setExclusive(true);
    }
    for (std::size_t i = 0; i < kCardListCount; ++i) {
        lists_[i]->setCurrentIndex(fields_.lists[i]);
        lists_[i]->setEnabled(cardGroupEnabled(fields_.kind, kListKinds[i]));
    }
    for (std::size_t i = 0; i < kCardEditCount; ++i) {
        edits_[i]->setText(QString::fromStdString(fields_.edits[i]));
        edits_[i]->setEnabled(cardGroupEnabled(fields_.kind, kEditKinds[i]));
    }
}

void ChanceCardItemDialog::selectKind(std::uint32_t kind) {
    std::array<std::uint32_t, kCardEditCount> values{};
    // A failed check shows its message; the reset goes ahead all the same.
    if (readEdits(values)) {
        readLists();
    }
    fields_ = resetCardItemFields(kind);
    showFields();
}

void ChanceCardItemDialog::accept() {
    std::array<std::uint32_t, kCardEditCount> values{};
    if (!readEdits(values)) {
        return;
    }
    readLists();
    item_ = cardItemFromFields(fields_, values, item_);
    QDialog::accept();
}

}  // namespace jf
