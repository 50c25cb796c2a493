#include "ui/StandardDialogs.h"

#include <optional>

#include "careers/CareerDatabase.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "platform/CodePages.h"
#include "document/EditorSession.h"
#include "ui/CareerListControl.h"
#include "ui/ChanceCardDialog.h"
#include "ui/GlobalOptionsDialog.h"
#include "ui/GlobalTextsDialog.h"
#include "ui/IconDialog.h"
#include "ui/JobDetailsDialog.h"
#include "ui/MainDialog.h"
#include "ui/ReplaceCareerDialog.h"

namespace jf {

namespace {

// The replace-career choice of a single-track import.
class DialogChooser final : public ReplaceCareerChooser {
public:
    DialogChooser(MainDialog& window, Prompts& prompts, const CareerDatabase& database)
        : window_(window), prompts_(prompts), database_(database) {}

    std::optional<std::size_t> chooseTrackToReplace() override {
        ReplaceCareerDialog dialog(prompts_, database_, &window_);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.chosenTrack();
    }

private:
    MainDialog& window_;
    Prompts& prompts_;
    const CareerDatabase& database_;
};

// What the main window does after an import.
class WindowRefresh final : public ImportObserver {
public:
    WindowRefresh(MainDialog& window, const CareerDatabase& database)
        : window_(window), database_(database) {}

    void trackReplaced(std::size_t position) override {
        CareerListControl* list = window_.careerList();
        const CareerTrack* track = database_.track(position);
        int row = -1;
        for (int r = 0; r < list->rowCount(); ++r) {
            if (list->rowData(r) == static_cast<int>(position)) {
                row = r;
                break;
            }
        }
        if (track != nullptr && row >= 0) {
            list->setRowText(row, 1,
                             QString::fromStdString(
                                 toUtf8Lossy(track->career.internalCareerName, kNeutralCodePage)));
        }
        window_.selectCareerRow(row);
        window_.showCareer();
    }

    void careersRestored() override {
        window_.careerList()->removeAllRows();
        window_.fillCareerList();
        window_.selectCareerRow(0);
        window_.showCareer();
    }

    void markDirty() override { window_.markChanged(); }

private:
    MainDialog& window_;
    const CareerDatabase& database_;
};

}  // namespace

bool StandardDialogs::editJobDetails(QWidget* parent, JobLevel& level,
                                     const PreviousRequirements& previous) {
    JobDetailsDialog dialog(prompts_, level, previous, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool StandardDialogs::editChanceCard(QWidget* parent, std::size_t, std::size_t, ChanceCard& card,
                                     int language) {
    ChanceCardListDialog dialog(prompts_, session_.database, card, language, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool StandardDialogs::editIcons(QWidget* parent, std::size_t trackPosition, Bitmap& popup,
                                Bitmap& button) {
    const CareerTrack* track = session_.database.track(trackPosition);
    if (track == nullptr) {
        return false;
    }
    IconDialog dialog(prompts_, session_.fs, session_.icons, track->id, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    popup = dialog.popup();
    button = dialog.button();
    return true;
}

bool StandardDialogs::editGlobalOptions(QWidget* parent, bool& changed) {
    GlobalOptionsDialog dialog(prompts_, session_.database, parent);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    changed = accepted && dialog.changed();
    return accepted;
}

bool StandardDialogs::editGlobalTexts(QWidget* parent, int, bool& changed) {
    GlobalTextsDialog dialog(prompts_, session_.database, {}, parent);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    changed = dialog.changed();
    return accepted || changed;
}

void StandardDialogs::importCareers(MainDialog& window) {
    DialogChooser chooser(window, prompts_, session_.database);
    WindowRefresh refresh(window, session_.database);
    jf::importCareers(session_, prompts_, chooser, refresh);
}

void StandardDialogs::exportCareer(MainDialog& window) {
    const int row = window.careerList()->selectedRow();
    std::optional<std::size_t> position;
    if (row >= 0) {
        position = static_cast<std::size_t>(window.careerList()->rowData(row));
    }
    jf::exportCareer(session_, prompts_, position);
}

void StandardDialogs::backupCareers(MainDialog&) {
    jf::backupCareers(session_, prompts_);
}

}  // namespace jf
