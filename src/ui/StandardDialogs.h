#pragma once
// The editing dialogs and the Career menu of the editor: the real
// implementation of EditorDialogs, working on one Document.
//
// Each dialog edits a copy and reports OK or Cancel; the main window hands
// the result to the document. The chance card dialog confirms its card
// through the document itself (Document::setChanceCard). The Career menu
// runs the exchange commands with real file choices (through Prompts) and
// the replace-career dialog.

#include "ui/EditorDialogs.h"

namespace jf {

class Document;
class Prompts;

class StandardDialogs final : public EditorDialogs {
public:
    // The document and the prompts must outlive this object.
    StandardDialogs(Document& document, Prompts& prompts)
        : document_(document), prompts_(prompts) {}

    bool editJobDetails(QWidget* parent, JobLevel& level, const PreviousRequirements& previous,
                        const std::string& jobLine) override;
    bool editChanceCard(QWidget* parent, std::size_t trackPosition, std::size_t level,
                        int language) override;
    bool editIcons(QWidget* parent, std::size_t trackPosition, Bitmap& popup,
                   Bitmap& button) override;
    bool editGlobalOptions(QWidget* parent,
                           std::array<std::int16_t, kGlobalOptionCount>& values) override;
    // The dialog always opens in USEnglish.
    bool editGlobalTexts(QWidget* parent, int language,
                         std::map<int, GlobalTextValues>& texts) override;
    void importCareers(MainDialog& window) override;
    void exportCareer(MainDialog& window) override;
    void backupCareers(MainDialog& window) override;

private:
    Document& document_;
    Prompts& prompts_;
};

}  // namespace jf
