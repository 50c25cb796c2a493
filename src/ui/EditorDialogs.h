#pragma once
// The editing dialogs and exchange commands the main window opens, behind
// one interface so that each can be plugged in on its own. The main window
// does the copying around them: a dialog edits the copy it is given and
// reports OK (true) or Cancel (false); the window stores the copy back only
// on OK and clears its clean flag.
//
// PlaceholderDialogs stands in for dialogs that are not built yet: each
// entry shows a message saying so and reports Cancel, so nothing changes.

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

#include "careers/Bitmap.h"
#include "careers/ChanceCard.h"
#include "careers/JobLevel.h"
#include "platform/Prompts.h"

class QWidget;

namespace jf {

class MainDialog;

// The first seven values of the level below (zeros for level 0): the
// minimum of each requirement and the "Load previous" source.
using PreviousRequirements = std::array<std::int32_t, 7>;

class EditorDialogs {
public:
    virtual ~EditorDialogs() = default;

    // Job details of one level; `level` is a copy to edit.
    virtual bool editJobDetails(QWidget* parent, JobLevel& level,
                                const PreviousRequirements& previous) = 0;
    // The chance card of level `level` of track `trackPosition`: `card` is a
    // copy (text entry number and items), its text edited in `language`.
    virtual bool editChanceCard(QWidget* parent, std::size_t trackPosition, std::size_t level,
                                ChanceCard& card, int language) = 0;
    // The icons of a track: on OK `popup` and `button` hold the new icons.
    virtual bool editIcons(QWidget* parent, std::size_t trackPosition, Bitmap& popup,
                           Bitmap& button) = 0;
    // Global options and global texts; `changed` tells whether OK changed
    // anything.
    virtual bool editGlobalOptions(QWidget* parent, bool& changed) = 0;
    virtual bool editGlobalTexts(QWidget* parent, int language, bool& changed) = 0;

    // The Career menu. They refresh the window themselves (fillCareerList,
    // selectCareerRow, showCareer) and clear its clean flag (markChanged).
    virtual void importCareers(MainDialog& window) = 0;
    virtual void exportCareer(MainDialog& window) = 0;
    virtual void backupCareers(MainDialog& window) = 0;
};

class PlaceholderDialogs final : public EditorDialogs {
public:
    explicit PlaceholderDialogs(Prompts& prompts) : prompts_(prompts) {}

    // The message shown for a feature that is not available yet.
    static PromptMessage notAvailableMessage(const std::string& feature);

    bool editJobDetails(QWidget* parent, JobLevel& level,
                        const PreviousRequirements& previous) override;
    bool editChanceCard(QWidget* parent, std::size_t trackPosition, std::size_t level,
                        ChanceCard& card, int language) override;
    bool editIcons(QWidget* parent, std::size_t trackPosition, Bitmap& popup,
                   Bitmap& button) override;
    bool editGlobalOptions(QWidget* parent, bool& changed) override;
    bool editGlobalTexts(QWidget* parent, int language, bool& changed) override;
    void importCareers(MainDialog& window) override;
    void exportCareer(MainDialog& window) override;
    void backupCareers(MainDialog& window) override;

private:
    void tell(const std::string& feature);

    Prompts& prompts_;
};

}  // namespace jf
