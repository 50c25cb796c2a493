#pragma once
// The job details of one job level: the internal job name, the outfit
// names, the friends and study points the level needs, the mood changes per
// working hour, salary, hours and the car-pool vehicle.
//
// The dialog edits a copy of the level held by the caller. OK copies the
// edited fields into it (values 0..6 and 10..20, texts T0..T3; reserved7..9
// and extraText are never touched); Cancel leaves it as it was. A field that
// fails its check shows its message, gets the focus with its text selected,
// and nothing is taken over. Texts are shown and stored in the neutral code
// page; a text that has not been edited is stored back byte for byte.

#include <QDialog>
#include <array>

#include "careers/JobDetailsForm.h"
#include "careers/JobLevel.h"
#include "ui/DialogSupport.h"
#include "ui/DialogUnits.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace jf {

class Prompts;
class SpinButton;

class JobDetailsDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Job details...";
    static constexpr char kVehicleLabel[] = "Vehicle:";

    // `level` is the copy to edit and must outlive the dialog; `previous`
    // holds values 0..6 of the level below (zeros for the first level).
    JobDetailsDialog(Prompts& prompts, JobLevel& level, const JobRequirements& previous,
                     QWidget* parent = nullptr);

    // The edit field of a field (nullptr for the vehicle list) and its spin
    // button (nullptr for texts and the list).
    QLineEdit* edit(JobDetailField field) const;
    SpinButton* spin(JobDetailField field) const;
    QComboBox* vehicleList() const { return vehicle_; }
    // The line at the top naming the job edited (jobDetailsHeading); empty
    // until setJobLine.
    QLabel* jobLine() const { return jobLine_; }
    void setJobLine(const QString& line);
    QPushButton* loadPreviousButton() const { return loadPrevious_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    // "Load previous": when every field reads, friends and the six skills
    // take the previous level's values and all fields are shown again.
    void loadPrevious();
    // OK: read and check, copy back, close; stays open on a failed check.
    void accept() override;

private:
    void buildControls();
    // Reads every field in the checking order into buffers_; false (after
    // the message, buffers_ unchanged) at the first failing field.
    bool readFields();
    void showFields();

    Prompts& prompts_;
    JobLevel& level_;
    JobRequirements previous_;
    JobLevel buffers_;
    std::array<QLineEdit*, kJobDetailFieldCount> edits_{};
    std::array<SpinButton*, kJobDetailFieldCount> spins_{};
    std::array<FieldText, 4> texts_;
    QComboBox* vehicle_ = nullptr;
    QLabel* jobLine_ = nullptr;
    QPushButton* loadPrevious_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace jf
