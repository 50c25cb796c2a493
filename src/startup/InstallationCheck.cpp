#include "startup/InstallationCheck.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "document/EditorSession.h"
#include "platform/CodePages.h"

namespace jf {
namespace {

// The job level values that may not go down from one level to the next:
// friends (0) and the six skills (1..6).
constexpr std::size_t kRequirementCount = 7;
constexpr std::array<const char*, kRequirementCount> kRequirementNames = {
    "Friends", "Cooking", "Mechanical", "Charisma", "Body", "Logic", "Creativity"};
constexpr int kUsEnglishSlot = 0;

struct CardPlace {
    std::size_t position;
    std::size_t level;
};

std::string trackPlace(const CareerTrack& track) {
    return "track " + std::to_string(track.position) + " (#" + std::to_string(track.id) + " " +
           toUtf8Lossy(track.career.internalCareerName, kNeutralCodePage) + ")";
}

std::string levelPlace(const CareerDatabase& database, std::size_t position, std::size_t level) {
    return trackPlace(*database.track(position)) + " level " + std::to_string(level + 1);
}

std::string globalTextPlace(std::size_t entry) {
    return "global text " + std::to_string(entry);
}

class Checker {
public:
    explicit Checker(const EditorSession& session)
        : session_(session), database_(session.database) {}

    std::vector<Finding> run() {
        if (session_.state.chanceCardsDisabled) {
            add(FindingSeverity::Warning, kFindingCardsNotLoaded, "CarPortal.iff",
                "the chance cards could not be loaded, so they were not checked");
        } else {
            checkCards();
        }
        checkRequirements();
        checkIcons();
        checkTranslations();
        return std::move(findings_);
    }

private:
    void add(FindingSeverity severity, const char* kind, std::string place, std::string message) {
        findings_.push_back({severity, kind, std::move(place), std::move(message)});
    }

    void checkCards() {
        std::map<std::uint16_t, std::vector<CardPlace>> byText;
        for (std::size_t position = 0; position < database_.trackCount(); ++position) {
            for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
                const ChanceCard& card = *database_.chanceCard(position, level);
                if (card.textIndex == 0) {
                    continue;
                }
                const std::size_t entry = card.textIndex - 1u;
                byText[card.textIndex].push_back({position, level});
                if (card.items.empty()) {
                    add(FindingSeverity::Error, kFindingCardTextWithoutItems,
                        levelPlace(database_, position, level),
                        "the chance card has a text (" + globalTextPlace(entry) +
                            ") but no items; saving drops the text");
                }
                if (database_.textEntryPinned(entry)) {
                    add(FindingSeverity::Error, kFindingCardTextUsedByDialog,
                        levelPlace(database_, position, level),
                        "the chance card's text, " + globalTextPlace(entry) +
                            ", is also shown by dialog code: editing the card changes that "
                            "dialog");
                }
            }
        }
        for (const auto& [textIndex, places] : byText) {
            if (places.size() < 2) {
                continue;
            }
            std::string cards;
            for (const CardPlace& place : places) {
                cards += (cards.empty() ? "" : ", ") +
                         levelPlace(database_, place.position, place.level);
            }
            add(FindingSeverity::Error, kFindingSharedCardText, globalTextPlace(textIndex - 1u),
                std::to_string(places.size()) +
                    " chance cards share this text, editing one changes the others: " + cards);
        }
    }

    void checkRequirements() {
        for (std::size_t position = 0; position < database_.trackCount(); ++position) {
            const std::vector<JobLevel>& levels = database_.track(position)->career.levels;
            for (std::size_t level = 1; level < levels.size(); ++level) {
                for (std::size_t value = 0; value < kRequirementCount; ++value) {
                    const std::int32_t before = levels[level - 1].value(value);
                    const std::int32_t now = levels[level].value(value);
                    if (now < before) {
                        add(FindingSeverity::Warning, kFindingRequirementGoesDown,
                            levelPlace(database_, position, level),
                            std::string(kRequirementNames[value]) + " needed goes down from " +
                                std::to_string(before) + " to " + std::to_string(now));
                    }
                }
            }
        }
    }

    void checkIcons() {
        const IconStore& icons = session_.icons;
        for (std::size_t position = 0; position < database_.trackCount(); ++position) {
            const CareerTrack& track = *database_.track(position);
            for (const auto& [strip, count] : {std::pair{"popup", icons.popupIconCount()},
                                               std::pair{"button", icons.buttonIconCount()}}) {
                if (track.id >= count) {
                    add(FindingSeverity::Warning, kFindingMissingIcon, trackPlace(track),
                        std::string("no icon in the ") + strip + " strip, which holds " +
                            std::to_string(count) + " icons (ids 0 to " +
                            std::to_string(count - 1) + "); the game shows none");
                }
            }
        }
    }

    // Counts, per language, the texts of the tracks and of the cards that
    // are present in US English and empty there.
    void checkTranslations() {
        std::array<std::size_t, kLanguageSlotCount> missing{};
        auto count = [&](const StringTable::Row& row) {
            if (row[kUsEnglishSlot].text.empty()) {
                return;
            }
            for (std::size_t slot = 1; slot < row.size(); ++slot) {
                missing[slot] += row[slot].text.empty() ? 1 : 0;
            }
        };
        for (std::size_t position = 0; position < database_.trackCount(); ++position) {
            const CareerTrack& track = *database_.track(position);
            for (const StringTable::Row& row : track.strings.rows()) {
                count(row);
            }
            for (const ChanceCard& card : track.cards) {
                const std::vector<StringTable::Row>& rows = database_.globalTexts().rows();
                if (card.textIndex != 0 && card.textIndex <= rows.size()) {
                    count(rows[card.textIndex - 1u]);
                }
            }
        }
        for (std::size_t slot = 1; slot < missing.size(); ++slot) {
            if (missing[slot] != 0) {
                const std::string language = languageNameForSlot(static_cast<int>(slot));
                add(FindingSeverity::Warning, kFindingMissingTranslation, language,
                    std::to_string(missing[slot]) + " texts present in US English are empty in " +
                        language);
            }
        }
    }

    const EditorSession& session_;
    const CareerDatabase& database_;
    std::vector<Finding> findings_;
};

}  // namespace

const char* severityName(FindingSeverity severity) {
    return severity == FindingSeverity::Error ? "error" : "warning";
}

std::vector<Finding> checkInstallation(const EditorSession& session) {
    return Checker(session).run();
}

bool hasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const Finding& finding) {
        return finding.severity == FindingSeverity::Error;
    });
}

}  // namespace jf
