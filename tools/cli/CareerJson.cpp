#include "CareerJson.h"

#include "Cli.h"
#include "careers/CareerDatabase.h"

namespace jf::cli {

nlohmann::json trackJson(const CareerTrack& track) {
    nlohmann::json levels = nlohmann::json::array();
    for (const JobLevel& level : track.career.levels) {
        nlohmann::json values = nlohmann::json::array();
        for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
            values.push_back(level.value(v));
        }
        nlohmann::json texts = nlohmann::json::array();
        for (std::size_t t = 0; t < JobLevel::kTextCount; ++t) {
            texts.push_back(latin1(level.text(t)));
        }
        levels.push_back({{"values", values}, {"texts", texts}});
    }
    nlohmann::json strings = nlohmann::json::array();
    for (const StringTable::Row& row : track.strings.rows()) {
        nlohmann::json texts = nlohmann::json::array();
        for (const StringTable::Entry& entry : row) {
            texts.push_back(latin1(entry.text));
        }
        strings.push_back(std::move(texts));
    }
    return {{"position", track.position},
            {"id", track.id},
            {"internalCareerName", latin1(track.career.internalCareerName)},
            {"levels", levels},
            {"strings", strings}};
}

nlohmann::json cardJson(const ChanceCard& card) {
    nlohmann::json items = nlohmann::json::array();
    for (const CardItem& item : card.items) {
        items.push_back({item.kind, item.mode, item.value});
    }
    return {{"textIndex", card.textIndex}, {"items", items}};
}

nlohmann::json trackCardsJson(const CareerTrack& track) {
    nlohmann::json cards = nlohmann::json::array();
    for (const ChanceCard& card : track.cards) {
        cards.push_back(cardJson(card));
    }
    return cards;
}

nlohmann::json optionsJson(const CareerDatabase& database) {
    const GlobalOptions& options = database.globalOptions();
    nlohmann::json values = nlohmann::json::array();
    for (std::int16_t value : options.values()) {
        values.push_back(value);
    }
    return {{"flag", options.flag() ? 1 : 0}, {"values", values}};
}

nlohmann::json globalTextsJson(const CareerDatabase& database) {
    nlohmann::json texts = nlohmann::json::array();
    for (const StringTable::Row& row : database.globalTexts().rows()) {
        nlohmann::json languages = nlohmann::json::array();
        for (const StringTable::Entry& entry : row) {
            languages.push_back(latin1(entry.text));
        }
        texts.push_back(std::move(languages));
    }
    return texts;
}

nlohmann::json freeEntriesJson(const CareerDatabase& database) {
    nlohmann::json freeEntries = nlohmann::json::array();
    for (std::size_t entry = 0; entry < kFreeTextFlagCount; ++entry) {
        if (database.textEntryFree(entry)) {
            freeEntries.push_back(entry);
        }
    }
    return freeEntries;
}

}  // namespace jf::cli
