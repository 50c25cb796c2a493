#include "ui/JobDetailsDialog.h"
#include "ui/DialogSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

#include "document/Document.h"
#include "platform/CodePages.h"
#include "ui/SpinButton.h"

namespace jf {

namespace {

constexpr int kWidthDu = 258;
// The line naming the job takes the top; everything else lies below it.
constexpr int kJobLineHeightDu = 13;
constexpr int kHeightDu = 284 + kJobLineHeightDu;
// Width of a spin button, in dialog units.
constexpr int kSpinWidthDu = 10;

constexpr std::size_t indexOf(JobDetailField field) {
    return static_cast<std::size_t>(field);
}

}  // namespace

JobDetailsDialog::JobDetailsDialog(Prompts& prompts, JobLevel& level,
                                   const JobRequirements& previous, QWidget* parent)
    : QDialog(parent), prompts_(prompts), level_(level), previous_(previous), buffers_(level) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();

    // The number fields take what they hold; the spin ranges; the skill
    // spins speed up when held.
    for (const JobDetailFieldInfo& info : jobDetailFields()) {
        SpinButton* spinner = spins_[indexOf(info.field)];
        if (spinner == nullptr) {
            continue;
        }
        guideNumberField(edits_[indexOf(info.field)], jobFieldKind(info.field),
                         jobFieldRange(info.field, previous_));
        const NumericRange range = jobFieldSpinRange(info.field, previous_);
        spinner->setRange(static_cast<int>(range.minimum), static_cast<int>(range.maximum));
        if (info.acceleratedSpin) {
            spinner->setAcceleration(kSkillSpinAccelerationMs, kSkillSpinFastStep);
        }
    }
    showFields();
}

void JobDetailsDialog::buildControls() {
    const DialogUnits du(font());
    setFixedSize(du.size(kWidthDu, kHeightDu));
    // A rectangle below the job line.
    auto rect = [&du](int x, int y, int width, int height) {
        return du.rect(x, y + kJobLineHeightDu, width, height);
    };

    jobLine_ = new QLabel(this);
    jobLine_->setObjectName(QStringLiteral("jobLine"));
    jobLine_->setGeometry(du.rect(7, 6, kWidthDu - 14, 8));
    jobLine_->setTextFormat(Qt::PlainText);

    // Group boxes first, so that the controls inside lie above them.
    auto* studyGroup = new QGroupBox(QStringLiteral("Study points and friends needed"), this);
    studyGroup->setGeometry(rect(7, 71, 116, 115));
    auto* moodGroup = new QGroupBox(QStringLiteral("Mood changes per hour"), this);
    moodGroup->setGeometry(rect(135, 71, 116, 115));
    auto* generalGroup = new QGroupBox(QStringLiteral("General information"), this);
    generalGroup->setGeometry(rect(7, 199, 116, 78));

    auto place = [&](JobDetailField field, int labelX, int labelWidth, int editX, int y,
                     int editWidth) {
        const JobDetailFieldInfo& info = jobDetailField(field);
        auto* label = new QLabel(QString::fromUtf8(info.label), this);
        label->setGeometry(rect(labelX, y + 2, labelWidth, 8));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(controlObjectName(info.editId));
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setGeometry(rect(editX, y, editWidth, 12));
        label->setBuddy(edit);
        edits_[indexOf(field)] = edit;
        if (info.spinId != 0) {
            auto* spinner = new SpinButton(edit, du.x(kSpinWidthDu));
            spinner->setObjectName(controlObjectName(info.spinId));
            spins_[indexOf(field)] = spinner;
        }
    };

    // The four texts at the top.
    place(JobDetailField::InternalName, 7, 54, 63, 7, 188);
    place(JobDetailField::MaleMesh, 7, 54, 63, 23, 188);
    place(JobDetailField::FemaleMesh, 7, 54, 63, 39, 188);
    place(JobDetailField::SkinTexture, 7, 54, 63, 55, 188);

    constexpr int kFirstRow = 84;
    constexpr int kRowStep = 14;
    constexpr std::array<JobDetailField, 7> kStudy = {
        JobDetailField::Friends,   JobDetailField::Cooking, JobDetailField::Mechanical,
        JobDetailField::Charisma,  JobDetailField::Body,    JobDetailField::Logic,
        JobDetailField::Creativity};
    constexpr std::array<JobDetailField, 7> kMoods = {
        JobDetailField::Hunger,  JobDetailField::Comfort, JobDetailField::Hygiene,
        JobDetailField::Bladder, JobDetailField::Energy,  JobDetailField::Fun,
        JobDetailField::Social};
    for (std::size_t i = 0; i < kStudy.size(); ++i) {
        const int y = kFirstRow + static_cast<int>(i) * kRowStep;
        place(kStudy[i], 14, 50, 66, y, 50);
        place(kMoods[i], 142, 50, 194, y, 50);
    }
    place(JobDetailField::Salary, 14, 50, 66, 212, 50);
    place(JobDetailField::BeginTime, 14, 50, 66, 226, 50);
    place(JobDetailField::EndTime, 14, 50, 66, 240, 50);

    auto* vehicleLabel = new QLabel(QString::fromUtf8(kVehicleLabel), this);
    vehicleLabel->setGeometry(rect(14, 260, 30, 8));
    vehicle_ = new QComboBox(this);
    vehicle_->setObjectName(controlObjectName(jobDetailField(JobDetailField::Vehicle).editId));
    for (const char* name : kCarTypeNames) {
        vehicle_->addItem(QString::fromUtf8(name));
    }
    vehicle_->setGeometry(rect(46, 258, 70, 12));
    vehicleLabel->setBuddy(vehicle_);

    auto button = [&](const char* text, int id, int y) {
        return addDialogButton(this, du, text, id, 168, y + kJobLineHeightDu);
    };
    loadPrevious_ = button("Load previous", 1025, 205);
    ok_ = button(kOkButtonText, 1, 237);
    cancel_ = button(kCancelButtonText, 2, 255);
    makeEnterPressFocusedButton(this, ok_);
    connect(loadPrevious_, &QPushButton::clicked, this, &JobDetailsDialog::loadPrevious);
    connect(ok_, &QPushButton::clicked, this, &JobDetailsDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &JobDetailsDialog::reject);

    // Tab order: the texts, the requirements, the moods, the general
    // information, the buttons.
    QWidget* last = nullptr;
    auto chain = [&last, this](QWidget* next) {
        if (last != nullptr) {
            setTabOrder(last, next);
        }
        last = next;
    };
    for (JobDetailField field : {JobDetailField::InternalName, JobDetailField::MaleMesh,
                                 JobDetailField::FemaleMesh, JobDetailField::SkinTexture}) {
        chain(edits_[indexOf(field)]);
    }
    for (JobDetailField field : kStudy) {
        chain(edits_[indexOf(field)]);
    }
    for (JobDetailField field : kMoods) {
        chain(edits_[indexOf(field)]);
    }
    chain(edits_[indexOf(JobDetailField::Salary)]);
    chain(edits_[indexOf(JobDetailField::BeginTime)]);
    chain(edits_[indexOf(JobDetailField::EndTime)]);
    chain(vehicle_);
    chain(loadPrevious_);
    chain(ok_);
    chain(cancel_);
}

void JobDetailsDialog::setJobLine(const QString& line) {
    jobLine_->setText(line);
}

QLineEdit* JobDetailsDialog::edit(JobDetailField field) const {
    return edits_[indexOf(field)];
}

SpinButton* JobDetailsDialog::spin(JobDetailField field) const {
    return spins_[indexOf(field)];
}

bool JobDetailsDialog::readFields() {
    JobLevel read = buffers_;
    for (JobDetailField which : kJobDetailReadOrder) {
        const JobDetailFieldInfo& info = jobDetailField(which);
        switch (info.type) {
            case JobFieldType::List:
                read.carType = carTypeForSelection(vehicle_->currentIndex(), buffers_.carType);
                break;
            case JobFieldType::Text: {
                QLineEdit* field = edits_[indexOf(info.field)];
                const std::optional<std::string> bytes = texts_[info.index].stored(field->text());
                if (!bytes) {
                    prompts_.show(unstorableTextWarning(field->text(), kNoLanguage));
                    focusAndSelect(field);
                    return false;
                }
                read.text(info.index) = *bytes;
                break;
            }
            case JobFieldType::Unsigned:
            case JobFieldType::Integer:
            case JobFieldType::Mood: {
                QLineEdit* field = edits_[indexOf(info.field)];
                std::int32_t value = 0;
                const NumericCheck check =
                    checkJobField(info.field, field->text().toStdString(), previous_, value);
                if (!check.ok) {
                    prompts_.show(fieldWarning(check.message));
                    focusAndSelect(field);
                    return false;
                }
                read.value(info.index) = value;
                break;
            }
        }
    }
    buffers_ = read;
    return true;
}

void JobDetailsDialog::showFields() {
    for (const JobDetailFieldInfo& info : jobDetailFields()) {
        QLineEdit* field = edits_[indexOf(info.field)];
        switch (info.type) {
            case JobFieldType::List:
                vehicle_->setCurrentIndex(vehicleListIndex(buffers_.carType));
                break;
            case JobFieldType::Text:
                texts_[info.index] = FieldText(buffers_.text(info.index), kNeutralCodePage, false);
                field->setText(texts_[info.index].shown());
                break;
            case JobFieldType::Unsigned:
            case JobFieldType::Integer:
            case JobFieldType::Mood:
                field->setText(QString::fromStdString(jobFieldText(buffers_, info.field)));
                break;
        }
    }
}

void JobDetailsDialog::loadPrevious() {
    if (!readFields()) {
        return;
    }
    loadPreviousRequirements(buffers_, previous_);
    showFields();
}

void JobDetailsDialog::accept() {
    if (!readFields()) {
        return;
    }
    copyEditedJobFields(buffers_, level_);
    QDialog::accept();
}

}  // namespace jf
