#pragma once
// The choice of the career track an imported career overwrites: the game
// cannot be given new careers, so a single imported track always replaces
// an existing one. The list shows every track ("#" and its id, the internal
// career name), with the first row selected at opening.

#include <QDialog>
#include <cstddef>

class QPushButton;

namespace jf {

class CareerDatabase;
class CareerListControl;
class Prompts;

class ReplaceCareerDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Replace career track";
    static constexpr char kExplanation[] =
        "Because of the way The Sims is organised, you cannot add new careers!\nYou therefore "
        "need to select the career you want to overwrite / replace.";
    static constexpr char kNoSelectionMessage[] = "You need to select a career to replace!";

    ReplaceCareerDialog(Prompts& prompts, const CareerDatabase& database,
                        QWidget* parent = nullptr);

    // The track position chosen; valid after OK.
    std::size_t chosenTrack() const { return chosenTrack_; }

    CareerListControl* careerList() const { return list_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    // Refused, with a message, while no row is selected.
    void accept() override;

private:
    Prompts& prompts_;
    CareerListControl* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::size_t chosenTrack_ = 0;
};

}  // namespace jf
