#pragma once
// The toolkit-free rules of the main window: which controls are enabled,
// which job row is selected again when a career is shown, where each text
// field's text lives, and the Language menu's entries.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/CodePages.h"

namespace jf {

// ---- Enabled controls ---------------------------------------------------------

struct ControlEnabling {
    bool careerControls = false;  // the four career fields, Modify icons, the job list
    bool jobControls = false;     // Job details and the three job fields
    bool chanceCards = false;     // the Chance Cards button
    bool operator==(const ControlEnabling&) const = default;
};

// The enabling table of the main window: nothing without a career; the career
// controls with a career; the job controls too with a valid job row, and the
// Chance Cards button then as well unless chance-card editing is disabled.
ControlEnabling controlEnabling(bool careerSelected, bool jobSelected, bool chanceCardsDisabled);

// ---- Job row memory -------------------------------------------------------------

// The job-list row to select when a career is shown, so that switching
// careers keeps the same job row and the row survives a moment without a
// career. While no career is selected the row is held as its bitwise
// complement (always negative).
class JobRowMemory {
public:
    // Before the job list is emptied: when a row is held (not negative),
    // take the row now selected in the job list, or 0 when none is (-1).
    void takeSelection(int selectedJobRow);
    // No career is selected any more: complement the held row (once).
    void careerCleared();
    // A career is shown: complement back when needed and return the row.
    int rowToSelect();

    // The raw value: the row, or its complement while no career is selected.
    std::int32_t value() const { return saved_; }

private:
    std::int32_t saved_ = 0;
};

// ---- Text fields ----------------------------------------------------------------

// The seven text fields of the main window, in control order.
enum class TextField : int {
    InternalCareerName = 0,  // the track's internalCareerName (no language)
    CareerName,              // entry 0
    MaleOffer,               // entry 1
    FemaleOffer,             // entry 2
    MaleJobName,             // entry 2 j + 3
    FemaleJobName,           // entry j + 23
    JobDescription,          // entry 2 j + 4
};
inline constexpr std::size_t kTextFieldCount = 7;

// The CareerStrings entry a field shows for job level `level`; nullopt for
// the internal career name, which is no entry.
std::optional<std::size_t> entryOfField(TextField field, std::size_t level);

bool isJobField(TextField field);
// The single-line job-name fields that show line breaks as backslash "n".
bool isJobNameField(TextField field);
// The multi-line fields (offer texts and job description).
bool isMultiLineField(TextField field);

// ---- Language menu --------------------------------------------------------------

struct LanguageMenuEntry {
    const char* label;
    int commandId;
};

// The twenty entries in LanguageSlot order (menu position = slot); the
// command ids are not in slot order.
inline constexpr std::array<LanguageMenuEntry, 20> kLanguageMenu = {{
    {kLanguageNames[0], 32772},  {kLanguageNames[1], 32773},  {kLanguageNames[2], 32774},
    {kLanguageNames[3], 32775},  {kLanguageNames[4], 32776},  {kLanguageNames[5], 32777},
    {kLanguageNames[6], 32778},  {kLanguageNames[7], 32794},  {kLanguageNames[8], 32779},
    {kLanguageNames[9], 32795},  {kLanguageNames[10], 32796}, {kLanguageNames[11], 32797},
    {kLanguageNames[12], 32798}, {kLanguageNames[13], 32780}, {kLanguageNames[14], 32781},
    {kLanguageNames[15], 32782}, {kLanguageNames[16], 32783}, {kLanguageNames[17], 32784},
    {kLanguageNames[18], 32785}, {kLanguageNames[19], 32786},
}};

// The slot a language command selects, or -1 for any other command id.
int slotOfLanguageCommand(int commandId);

// Command ids of the other menu entries.
namespace command {
inline constexpr int kAbout = 16;
inline constexpr int kExit = 32771;
inline constexpr int kSetAll = 32787;
inline constexpr int kReload = 32789;
inline constexpr int kImport = 32791;
inline constexpr int kExport = 32792;
inline constexpr int kBackup = 32793;
inline constexpr int kGlobalOptions = 32799;
inline constexpr int kGlobalTexts = 32800;
inline constexpr int kExportTranslation = 32801;
inline constexpr int kImportTranslation = 32802;
inline constexpr int kUserGuide = 32803;
inline constexpr int kSave = 57603;
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
}  // namespace command

}  // namespace jf
