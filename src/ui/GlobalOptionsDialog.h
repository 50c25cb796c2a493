#pragma once
// The eight global options (careers and school): each in an edit field with
// a spin button, in screen order (which is not the table's order).
//
// The dialog reads the global options table of the database at opening; on
// OK it holds the eight values it read back (values()), and changed() tells
// whether a field's text changed since opening (a spin click counts, even
// one that is undone). The caller stores them, through the document, only
// then. A short table opens with 0 for its missing entries.

#include <QDialog>
#include <array>

#include "careers/GlobalOptions.h"

class QLineEdit;
class QPushButton;

namespace jf {

class CareerDatabase;
class Prompts;
class SpinButton;

class GlobalOptionsDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Global options";

    // `database` must outlive the dialog.
    GlobalOptionsDialog(Prompts& prompts, const CareerDatabase& database,
                        QWidget* parent = nullptr);

    // Whether a field changed since opening.
    bool changed() const { return changed_; }
    // After OK: the values by table entry.
    const std::array<std::int16_t, kGlobalOptionCount>& values() const { return values_; }

    // The field and spin button at screen position 0..7 (top to bottom).
    QLineEdit* edit(std::size_t position) const { return edits_[position]; }
    SpinButton* spin(std::size_t position) const { return spins_[position]; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void accept() override;

private:
    void buildControls();

    Prompts& prompts_;
    const CareerDatabase& database_;
    std::array<std::int16_t, kGlobalOptionCount> values_{};
    std::array<QLineEdit*, kGlobalOptionCount> edits_{};
    std::array<SpinButton*, kGlobalOptionCount> spins_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool changed_ = false;
};

}  // namespace jf
