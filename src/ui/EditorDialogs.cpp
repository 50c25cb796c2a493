#include "ui/EditorDialogs.h"

namespace jf {

namespace {
constexpr char kCaption[] = "Jobforge 3";
}  // namespace

PromptMessage PlaceholderDialogs::notAvailableMessage(const std::string& feature) {
    return {"The " + feature + " dialog is not available yet in this version of Jobforge 3.",
            kCaption, PromptButtons::Ok, PromptIcon::Information};
}

void PlaceholderDialogs::tell(const std::string& feature) {
    prompts_.show(notAvailableMessage(feature));
}

bool PlaceholderDialogs::editJobDetails(QWidget*, JobLevel&, const PreviousRequirements&) {
    tell("Job details");
    return false;
}

bool PlaceholderDialogs::editChanceCard(QWidget*, std::size_t, std::size_t, ChanceCard&, int) {
    tell("Chance Cards");
    return false;
}

bool PlaceholderDialogs::editIcons(QWidget*, std::size_t, Bitmap&, Bitmap&) {
    tell("Modify icons");
    return false;
}

bool PlaceholderDialogs::editGlobalOptions(QWidget*, bool& changed) {
    changed = false;
    tell("Global options");
    return false;
}

bool PlaceholderDialogs::editGlobalTexts(QWidget*, int, bool& changed) {
    changed = false;
    tell("Global texts");
    return false;
}

void PlaceholderDialogs::importCareers(MainDialog&) {
    tell("Import");
}

void PlaceholderDialogs::exportCareer(MainDialog&) {
    tell("Export");
}

void PlaceholderDialogs::backupCareers(MainDialog&) {
    tell("Backup");
}

}  // namespace jf
