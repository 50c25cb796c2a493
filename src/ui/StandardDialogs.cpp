#include "ui/StandardDialogs.h"

#include <optional>

#include "careers/CareerDatabase.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "exchange/Export.h"
#include "exchange/Import.h"
#include "platform/CodePages.h"
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

    // The document's history tells whether anything is unsaved.
    void markDirty() override {}

private:
    MainDialog& window_;
    const CareerDatabase& database_;
};

}  // namespace

bool StandardDialogs::editJobDetails(QWidget* parent, JobLevel& level,
                                     const PreviousRequirements& previous,
                                     const std::string& jobLine) {
    JobDetailsDialog dialog(prompts_, level, previous, parent);
    dialog.setJobLine(QString::fromStdString(jobLine));
    return dialog.exec() == QDialog::Accepted;
}

bool StandardDialogs::editChanceCard(QWidget* parent, std::size_t trackPosition, std::size_t level,
                                     int language) {
    EditorSession& session = document_.session();
    const ChanceCard* card = session.database.chanceCard(trackPosition, level);
    if (card == nullptr) {
        return false;
    }
    ChanceCard copy = *card;
    ChanceCardListDialog dialog(prompts_, session.database, copy, language, parent);
    dialog.setConfirmation([&](std::uint16_t& textIndex, const std::vector<CardItem>& items,
                               int slot, const std::string& text) {
        CardConfirmation confirmation = CardConfirmation::Stored;
        document_.setChanceCard(trackPosition, level, items, slot, text, &confirmation);
        if (const ChanceCard* stored = session.database.chanceCard(trackPosition, level)) {
            textIndex = stored->textIndex;
        }
        return confirmation;
    });
    return dialog.exec() == QDialog::Accepted;
}

bool StandardDialogs::editIcons(QWidget* parent, std::size_t trackPosition, Bitmap& popup,
                                Bitmap& button) {
    EditorSession& session = document_.session();
    const CareerTrack* track = session.database.track(trackPosition);
    if (track == nullptr) {
        return false;
    }
    IconDialog dialog(prompts_, session.fs, session.settings, session.icons, track->id, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    popup = dialog.popup();
    button = dialog.button();
    return true;
}

bool StandardDialogs::editGlobalOptions(QWidget* parent,
                                        std::array<std::int16_t, kGlobalOptionCount>& values) {
    GlobalOptionsDialog dialog(prompts_, document_.database(), parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.changed()) {
        return false;
    }
    values = dialog.values();
    return true;
}

bool StandardDialogs::editGlobalTexts(QWidget* parent, int,
                                      std::map<int, GlobalTextValues>& texts) {
    GlobalTextsDialog dialog(prompts_, document_.database(), {}, parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.changed()) {
        return false;
    }
    texts = dialog.storedTexts();
    return true;
}

void StandardDialogs::importCareers(MainDialog& window) {
    DialogChooser chooser(window, prompts_, document_.database());
    WindowRefresh refresh(window, document_.database());
    jf::importCareers(document_, prompts_, chooser, refresh);
}

void StandardDialogs::exportCareer(MainDialog& window) {
    const int row = window.careerList()->selectedRow();
    std::optional<std::size_t> position;
    if (row >= 0) {
        position = static_cast<std::size_t>(window.careerList()->rowData(row));
    }
    jf::exportCareer(document_.session(), prompts_, position);
}

void StandardDialogs::backupCareers(MainDialog&) {
    jf::backupCareers(document_.session(), prompts_);
}

}  // namespace jf
