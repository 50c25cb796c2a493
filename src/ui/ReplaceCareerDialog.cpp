#include "ui/ReplaceCareerDialog.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "careers/CareerDatabase.h"
#include "platform/CodePages.h"
#include "platform/Messages.h"
#include "platform/Prompts.h"
#include "ui/CareerListControl.h"
#include "ui/DialogSupport.h"
#include "ui/DialogUnits.h"

namespace jf {

namespace {

constexpr int kWidthDu = 244;
constexpr int kHeightDu = 221;
constexpr int kIdColumnWidth = 35;
constexpr int kNameColumnWidth = 275;

}  // namespace

ReplaceCareerDialog::ReplaceCareerDialog(Prompts& prompts, const CareerDatabase& database,
                                         QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    const DialogUnits du(font());

    auto* explanation = new QLabel(QString::fromUtf8(kExplanation), this);
    explanation->setWordWrap(true);
    // Two lines in the classic dialog font; a wider font needs more, and
    // everything below moves down by what it needs.
    const QRect textArea = du.rect(7, 7, 230, 17);
    const int extra =
        std::max(0, explanation->heightForWidth(textArea.width()) - textArea.height());
    explanation->setGeometry(textArea.adjusted(0, 0, 0, extra));
    setFixedSize(du.size(kWidthDu, kHeightDu) + QSize(0, extra));

    list_ = new CareerListControl(this);
    list_->setObjectName(QStringLiteral("control1001"));
    list_->setGeometry(du.rect(7, 34, 230, 156).translated(0, extra));
    list_->addColumn(QString::fromUtf8(kIdColumnTitle), kIdColumnWidth);
    list_->addColumn(QString::fromUtf8(kCareerNameColumnTitle), kNameColumnWidth);
    for (std::size_t position = 0; position < database.trackCount(); ++position) {
        const CareerTrack* track = database.track(position);
        list_->appendRow({QStringLiteral("#%1").arg(track->id),
                          QString::fromStdString(
                              toUtf8Lossy(track->career.internalCareerName, kNeutralCodePage))},
                         static_cast<int>(position));
    }
    // The first row is selected but not focused.
    if (QTreeWidgetItem* first = list_->topLevelItem(0)) {
        first->setSelected(true);
    }

    ok_ = new QPushButton(QString::fromUtf8(kOkButtonText), this);
    ok_->setObjectName(QStringLiteral("control1"));
    ok_->setGeometry(du.rect(129, 200, 50, 14).translated(0, extra));
    cancel_ = new QPushButton(QString::fromUtf8(kCancelButtonText), this);
    cancel_->setObjectName(QStringLiteral("control2"));
    cancel_->setGeometry(du.rect(187, 200, 50, 14).translated(0, extra));
    connect(ok_, &QPushButton::clicked, this, &ReplaceCareerDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &ReplaceCareerDialog::reject);
    makeEnterPressFocusedButton(this, ok_);
    setTabOrder(list_, ok_);
    setTabOrder(ok_, cancel_);
}

void ReplaceCareerDialog::accept() {
    const int row = list_->selectedRow();
    if (row < 0) {
        prompts_.show(errorMessage(kNoSelectionMessage, kErrorCaption));
        return;
    }
    chosenTrack_ = static_cast<std::size_t>(list_->rowData(row));
    QDialog::accept();
}

}  // namespace jf
