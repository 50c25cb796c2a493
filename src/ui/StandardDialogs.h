#pragma once
// The editing dialogs and the Career menu of the editor: the real
// implementation of EditorDialogs, working on one EditorSession.
//
// Each dialog edits the copy it is given and reports OK or Cancel; the main
// window stores the copies back. Two exceptions follow the dialogs' own
// rules: the chance card dialog writes the card text into the global texts
// table on OK, and the global texts dialog may have stored texts at a
// change of language before it ended with Cancel (see editGlobalTexts). The
// Career menu runs the exchange commands with real file choices (through
// Prompts) and the replace-career dialog.

#include "ui/EditorDialogs.h"

namespace jf {

struct EditorSession;

class StandardDialogs final : public EditorDialogs {
public:
    // The session and the prompts must outlive this object.
    StandardDialogs(EditorSession& session, Prompts& prompts)
        : session_(session), prompts_(prompts) {}

    bool editJobDetails(QWidget* parent, JobLevel& level,
                        const PreviousRequirements& previous) override;
    bool editChanceCard(QWidget* parent, std::size_t trackPosition, std::size_t level,
                        ChanceCard& card, int language) override;
    bool editIcons(QWidget* parent, std::size_t trackPosition, Bitmap& popup,
                   Bitmap& button) override;
    // `changed`: OK with a changed field.
    bool editGlobalOptions(QWidget* parent, bool& changed) override;
    // `changed`: texts were written into the table. Texts stored at a change
    // of language stay stored when the dialog then ends with Cancel; so that
    // the window still counts them as a change (and Exit asks before they
    // are lost), the result is true whenever `changed` is, not only for OK.
    // The dialog always opens in USEnglish.
    bool editGlobalTexts(QWidget* parent, int language, bool& changed) override;
    void importCareers(MainDialog& window) override;
    void exportCareer(MainDialog& window) override;
    void backupCareers(MainDialog& window) override;

private:
    EditorSession& session_;
    Prompts& prompts_;
};

}  // namespace jf
