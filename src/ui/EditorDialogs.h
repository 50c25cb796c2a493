#pragma once
// The editing dialogs and exchange commands the main window opens, behind
// one interface so that each can be plugged in on its own (tests plug in
// fakes). A dialog edits a copy and reports OK (true) or Cancel (false);
// the window hands the result to the document as one change, only on OK.
// The chance card dialog is the exception: its OK runs the card's rules
// (one sound item, the text entry taken or given back) against the
// document itself, so that their messages come while it is still open.

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "careers/Bitmap.h"
#include "careers/GlobalOptions.h"
#include "careers/GlobalTextsForm.h"
#include "careers/JobDetailsForm.h"
#include "careers/JobLevel.h"

class QWidget;

namespace jf {

class MainDialog;

// The first seven values of the level below (zeros for level 0): the
// minimum of each requirement and the "Load previous" source.
using PreviousRequirements = JobRequirements;

class EditorDialogs {
public:
    virtual ~EditorDialogs() = default;

    // Job details of one level; `level` is a copy to edit, `jobLine` names
    // the job (Document::jobDetailsLine).
    virtual bool editJobDetails(QWidget* parent, JobLevel& level,
                                const PreviousRequirements& previous,
                                const std::string& jobLine) = 0;
    // The chance card of level `level` of track `trackPosition`, its text
    // edited in `language`. True when OK stored the card (one step).
    virtual bool editChanceCard(QWidget* parent, std::size_t trackPosition, std::size_t level,
                                int language) = 0;
    // The icons of a track: on OK `popup` and `button` hold the new icons.
    virtual bool editIcons(QWidget* parent, std::size_t trackPosition, Bitmap& popup,
                           Bitmap& button) = 0;
    // Global options: true for OK with a changed field, `values` then
    // holding the eight values by table entry.
    virtual bool editGlobalOptions(QWidget* parent,
                                   std::array<std::int16_t, kGlobalOptionCount>& values) = 0;
    // Global texts: true for OK with texts kept, `texts` then holding them
    // by language slot.
    virtual bool editGlobalTexts(QWidget* parent, int language,
                                 std::map<int, GlobalTextValues>& texts) = 0;

    // The Career menu. They refresh the window themselves (fillCareerList,
    // selectCareerRow, showCareer); the import is a step of the document.
    virtual void importCareers(MainDialog& window) = 0;
    virtual void exportCareer(MainDialog& window) = 0;
    virtual void backupCareers(MainDialog& window) = 0;
};

}  // namespace jf
