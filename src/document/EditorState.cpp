#include "document/EditorState.h"

#include "careers/CareerStrings.h"

namespace jf {

ControlEnabling controlEnabling(bool careerSelected, bool jobSelected, bool chanceCardsDisabled) {
    ControlEnabling result;
    result.careerControls = careerSelected;
    result.jobControls = careerSelected && jobSelected;
    result.chanceCards = result.jobControls && !chanceCardsDisabled;
    return result;
}

void JobRowMemory::takeSelection(int selectedJobRow) {
    if (saved_ >= 0) {
        saved_ = selectedJobRow >= 0 ? selectedJobRow : 0;
    }
}

void JobRowMemory::careerCleared() {
    if (saved_ >= 0) {
        saved_ = ~saved_;
    }
}

int JobRowMemory::rowToSelect() {
    if (saved_ < 0) {
        saved_ = ~saved_;
    }
    return saved_;
}

std::optional<std::size_t> entryOfField(TextField field, std::size_t level) {
    switch (field) {
        case TextField::InternalCareerName:
            return std::nullopt;
        case TextField::CareerName:
            return CareerStrings::kCareerNameEntry;
        case TextField::MaleOffer:
            return CareerStrings::kMaleOfferEntry;
        case TextField::FemaleOffer:
            return CareerStrings::kFemaleOfferEntry;
        case TextField::MaleJobName:
            return CareerStrings::maleJobNameEntry(level);
        case TextField::FemaleJobName:
            return CareerStrings::femaleJobNameEntry(level);
        case TextField::JobDescription:
            return CareerStrings::jobDescriptionEntry(level);
    }
    return std::nullopt;
}

bool isJobField(TextField field) {
    return field == TextField::MaleJobName || field == TextField::FemaleJobName ||
           field == TextField::JobDescription;
}

bool isJobNameField(TextField field) {
    return field == TextField::MaleJobName || field == TextField::FemaleJobName;
}

bool isMultiLineField(TextField field) {
    return field == TextField::MaleOffer || field == TextField::FemaleOffer ||
           field == TextField::JobDescription;
}

int slotOfLanguageCommand(int commandId) {
    for (std::size_t slot = 0; slot < kLanguageMenu.size(); ++slot) {
        if (kLanguageMenu[slot].commandId == commandId) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

}  // namespace jf
