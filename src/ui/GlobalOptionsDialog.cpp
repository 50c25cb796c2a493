#include "ui/GlobalOptionsDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

#include "careers/CareerDatabase.h"
#include "careers/GlobalOptionsForm.h"
#include "platform/Prompts.h"
#include "ui/DialogSupport.h"
#include "ui/DialogUnits.h"
#include "ui/SpinButton.h"

namespace jf {

namespace {

constexpr int kWidthDu = 280;
constexpr int kHeightDu = 188;
constexpr int kSpinWidthDu = 10;
// Rows of the eight fields; the mood note takes the place of one row
// between the sixth and the seventh.
constexpr std::array<int, kGlobalOptionCount> kRowTopDu = {8, 24, 40, 56, 72, 88, 130, 146};
constexpr int kNoteTopDu = 106;
constexpr int kUnitLeftDu = 174;
constexpr int kRangeLeftDu = 184;

}  // namespace

GlobalOptionsDialog::GlobalOptionsDialog(Prompts& prompts, const CareerDatabase& database,
                                         QWidget* parent)
    : QDialog(parent), prompts_(prompts), database_(database) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();

    const auto& fields = globalOptionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        spins_[i]->setRange(fields[i].minimum, fields[i].maximum);
        edits_[i]->setText(
            QString::number(globalOptionValue(database_.globalOptions(), fields[i].entry)));
    }
    for (QLineEdit* field : edits_) {
        connect(field, &QLineEdit::textChanged, this, [this] { changed_ = true; });
    }
    changed_ = false;
}

void GlobalOptionsDialog::buildControls() {
    const DialogUnits du(font());
    setFixedSize(du.size(kWidthDu, kHeightDu));

    const auto& fields = globalOptionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const GlobalOptionField& field = fields[i];
        const int top = kRowTopDu[i];
        auto* label = new QLabel(QString::fromUtf8(field.label), this);
        label->setGeometry(du.rect(7, top + 2, 110, 8));
        if (field.prefix[0] != '\0') {
            auto* prefix = new QLabel(QString::fromUtf8(field.prefix), this);
            prefix->setGeometry(du.rect(119, top + 2, 6, 8));
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(controlObjectName(field.editId));
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setGeometry(du.rect(126, top, 44, 12));
        label->setBuddy(edit);
        guideNumberField(edit, kGlobalOptionKind, globalOptionRange(field));
        auto* spinner = new SpinButton(edit, du.x(kSpinWidthDu));
        spinner->setObjectName(controlObjectName(field.spinId));
        edits_[i] = edit;
        spins_[i] = spinner;
        // The unit, when there is one, stands between the field and the range.
        if (field.unit[0] != '\0') {
            auto* unit = new QLabel(QString::fromUtf8(field.unit), this);
            unit->setGeometry(du.rect(kUnitLeftDu, top + 2, 8, 8));
        }
        // A text that names its own unit ("times normal salary ...") starts
        // where the units stand; the bare ranges line up behind them.
        const int rangeLeft = field.range[0] == '(' ? kRangeLeftDu : kUnitLeftDu;
        auto* range = new QLabel(QString::fromUtf8(field.range), this);
        range->setGeometry(du.rect(rangeLeft, top + 2, kWidthDu - 7 - rangeLeft, 8));
    }
    auto* note = new QLabel(QString::fromUtf8(kMoodNote), this);
    note->setWordWrap(true);
    note->setGeometry(du.rect(7, kNoteTopDu, 266, 18));

    ok_ = new QPushButton(QString::fromUtf8(kOkButtonText), this);
    ok_->setObjectName(controlObjectName(1));
    ok_->setGeometry(du.rect(166, 167, 50, 14));
    cancel_ = new QPushButton(QString::fromUtf8(kCancelButtonText), this);
    cancel_->setObjectName(controlObjectName(2));
    cancel_->setGeometry(du.rect(223, 167, 50, 14));
    connect(ok_, &QPushButton::clicked, this, &GlobalOptionsDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &GlobalOptionsDialog::reject);
    makeEnterPressFocusedButton(this, ok_);

    for (std::size_t i = 1; i < edits_.size(); ++i) {
        setTabOrder(edits_[i - 1], edits_[i]);
    }
    setTabOrder(edits_.back(), ok_);
    setTabOrder(ok_, cancel_);
}

void GlobalOptionsDialog::accept() {
    const auto& fields = globalOptionFields();
    std::array<std::int16_t, kGlobalOptionCount> values{};
    for (const std::size_t position : kGlobalOptionReadOrder) {
        const NumericCheck check =
            checkGlobalOptionField(fields[position], edits_[position]->text().toStdString());
        if (!check.ok) {
            prompts_.show(fieldWarning(check.message));
            focusAndSelect(edits_[position]);
            return;
        }
        values[fields[position].entry] = static_cast<std::int16_t>(check.value);
    }
    values_ = values;
    QDialog::accept();
}

}  // namespace jf
