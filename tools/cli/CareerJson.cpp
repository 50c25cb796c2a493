#include "CareerJson.h"

#include "Cli.h"
#include "careers/CareerDatabase.h"
#include "platform/CodePages.h"

namespace jf::cli {
namespace {

constexpr int kNoLanguage = -1;

// The texts of a string table's row, one per language slot.
nlohmann::json rowJson(const StringTable::Row& row, TextForm form) {
    nlohmann::json texts = nlohmann::json::array();
    for (std::size_t slot = 0; slot < row.size(); ++slot) {
        texts.push_back(textJson(row[slot].text, static_cast<int>(slot), form));
    }
    return texts;
}

}  // namespace

nlohmann::json textJson(const std::string& bytes, int slot, TextForm form) {
    if (form == TextForm::Latin1) {
        return latin1(bytes);
    }
    return toUtf8Lossy(bytes, slot == kNoLanguage ? kNeutralCodePage : codePageForSlot(slot));
}

nlohmann::json trackJson(const CareerTrack& track, TextForm form) {
    nlohmann::json levels = nlohmann::json::array();
    for (const JobLevel& level : track.career.levels) {
        nlohmann::json values = nlohmann::json::array();
        for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
            values.push_back(level.value(v));
        }
        nlohmann::json texts = nlohmann::json::array();
        for (std::size_t t = 0; t < JobLevel::kTextCount; ++t) {
            texts.push_back(textJson(level.text(t), kNoLanguage, form));
        }
        levels.push_back({{"values", values}, {"texts", texts}});
    }
    nlohmann::json strings = nlohmann::json::array();
    for (const StringTable::Row& row : track.strings.rows()) {
        strings.push_back(rowJson(row, form));
    }
    return {{"position", track.position},
            {"id", track.id},
            {"internalCareerName", textJson(track.career.internalCareerName, kNoLanguage, form)},
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

nlohmann::json globalTextsJson(const CareerDatabase& database, TextForm form) {
    nlohmann::json texts = nlohmann::json::array();
    for (const StringTable::Row& row : database.globalTexts().rows()) {
        texts.push_back(rowJson(row, form));
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
