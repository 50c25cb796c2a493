#include "document/Document.h"

#include <cstdio>
#include <new>
#include <utility>

#include "careers/CareerDatabase.h"
#include "careers/CareerStrings.h"
#include "careers/GlobalOptionsForm.h"
#include "document/LanguageCopy.h"
#include "document/LineBreaks.h"
#include "platform/CodePages.h"

namespace jf {

namespace {

// The names of the job details fields in step texts, by value index
// (0..20) and by text index (0..4); "" for what the dialog does not edit.
constexpr std::array<const char*, JobLevel::kValueCount> kValueNames = {"Friends",
                                                                        "Cooking Skill",
                                                                        "Mechanical Skill",
                                                                        "Charisma Skill",
                                                                        "Body Skill",
                                                                        "Logic Skill",
                                                                        "Creativity Skill",
                                                                        "",
                                                                        "",
                                                                        "",
                                                                        "Hunger",
                                                                        "Comfort",
                                                                        "Hygiene",
                                                                        "Bladder",
                                                                        "Energy",
                                                                        "Fun",
                                                                        "Social",
                                                                        "Salary",
                                                                        "Start Time",
                                                                        "End Time",
                                                                        "Vehicle"};
constexpr std::array<const char*, JobLevel::kTextCount> kTextNames = {
    "Internal Job Name", "Male Outfit", "Female Outfit", "Skin Texture", ""};

EditResult refused(std::string message) {
    return {EditStatus::Refused, std::move(message)};
}

// Why an operation addressed something that is not there. The editor only
// addresses what it shows; these reach callers that pass positions of their
// own (the command line) and files whose tables end early.
constexpr char kNoSuchCareerText[] = "There is no career at this position.";
constexpr char kNoSuchTextText[] =
    "This career's texts end before this entry, so the text cannot be stored.\n\nThe change "
    "has not been made.";
constexpr char kNoSuchLevelText[] = "This career has no such job level.";
constexpr char kNoSuchLanguageText[] = "There is no such language.";

EditResult noSuchTrack() {
    return refused(kNoSuchCareerText);
}

// A code point in UTF-8.
std::string utf8Of(char32_t point) {
    std::string out;
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
    return out;
}

}  // namespace

std::string refusedCharacterDetail(const std::string& typed, int language) {
    const bool internal = language == kNoLanguage;
    const std::optional<char32_t> refusedPoint =
        firstUnstorableCharacter(typed, internal ? kNeutralCodePage : codePageForSlot(language));
    if (!refusedPoint) {
        return {};
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*refusedPoint));
    const std::string name = internal ? "none (internal name)" : languageNameForSlot(language);
    return "\n\nCharacter: \xC2\xAB" + utf8Of(*refusedPoint) + "\xC2\xBB (" + code +
           "), language: " + name;
}

std::string refusedCharacterMessage(const std::string& typed, int language) {
    return kRefusedCharacterText + refusedCharacterDetail(typed, language);
}

std::string fieldStepText(TextField field) {
    switch (field) {
        case TextField::InternalCareerName:
            return "Change Internal Career Name";
        case TextField::CareerName:
            return "Change Career Name";
        case TextField::MaleOffer:
            return "Change Male Offer Text";
        case TextField::FemaleOffer:
            return "Change Female Offer Text";
        case TextField::MaleJobName:
            return "Change Male Job Name";
        case TextField::FemaleJobName:
            return "Change Female Job Name";
        case TextField::JobDescription:
            return "Change Job Description";
    }
    return "Change Text";
}

std::string jobDetailsStepText(const JobLevel& before, const JobLevel& after) {
    const char* name = nullptr;
    int changes = 0;
    for (std::size_t i = 0; i < JobLevel::kValueCount; ++i) {
        if (before.value(i) != after.value(i)) {
            name = kValueNames[i];
            ++changes;
        }
    }
    for (std::size_t i = 0; i < JobLevel::kTextCount; ++i) {
        if (before.text(i) != after.text(i)) {
            name = kTextNames[i];
            ++changes;
        }
    }
    if (changes == 1 && name != nullptr && name[0] != '\0') {
        return std::string("Change ") + name;
    }
    return steptext::kChangeJobDetails;
}

Document::Document(FileSystem& fileSystem, SettingsStore& settingsStore)
    : session_(fileSystem, settingsStore) {}

// ---- Undo and redo -------------------------------------------------------------------

std::optional<EditPlace> Document::undo() {
    const EditStep* step = history_.undo();
    if (step == nullptr) {
        return std::nullopt;
    }
    restoreSnapshot(session_, step->before);
    return step->place;
}

std::optional<EditPlace> Document::redo() {
    const EditStep* step = history_.redo();
    if (step == nullptr) {
        return std::nullopt;
    }
    restoreSnapshot(session_, step->after);
    return step->place;
}

// ---- Reading ---------------------------------------------------------------------------

std::optional<std::string> Document::fieldText(std::size_t position, std::size_t level,
                                               TextField field, int language) const {
    const CareerTrack* track = session_.database.track(position);
    if (track == nullptr) {
        return std::nullopt;
    }
    if (field == TextField::InternalCareerName) {
        return toUtf8Lossy(track->career.internalCareerName, kNeutralCodePage);
    }
    const std::optional<std::size_t> entry = entryOfField(field, level);
    std::string bytes;
    if (!entry || !track->strings.getString(*entry, language, StringTable::kText, bytes)) {
        return std::nullopt;
    }
    const std::string text = toUtf8Lossy(bytes, codePageForSlot(language));
    if (isJobNameField(field)) {
        return escapeLineBreaks(text);
    }
    if (isMultiLineField(field)) {
        return multiLineFieldText(text);
    }
    return text;
}

std::string Document::jobDetailsLine(std::size_t position, std::size_t level, int language) const {
    const CareerTrack* track = session_.database.track(position);
    if (track == nullptr || level >= track->career.levels.size()) {
        return {};
    }
    // A text of the track in `language` on one line; `fallback` (neutral
    // bytes) when it is empty or missing.
    auto oneLine = [&](TextField field, const std::string& fallback) {
        std::string bytes;
        const std::optional<std::size_t> entry = entryOfField(field, level);
        std::string text;
        if (entry && track->strings.getString(*entry, language, StringTable::kText, bytes) &&
            !bytes.empty()) {
            text = toUtf8Lossy(bytes, codePageForSlot(language));
        } else {
            text = toUtf8Lossy(fallback, kNeutralCodePage);
        }
        std::string line;
        for (const char c : text) {
            if (c == '\n' || c == '\r') {
                if (!line.empty() && line.back() != ' ') {
                    line += ' ';
                }
            } else {
                line += c;
            }
        }
        return line;
    };
    return "Career: " + oneLine(TextField::CareerName, track->career.internalCareerName) +
           ", job " + std::to_string(level + 1) + ": " +
           oneLine(TextField::MaleJobName, track->career.levels[level].internalJobName);
}

JobRequirements Document::previousRequirements(std::size_t position, std::size_t level) const {
    JobRequirements previous{};
    const CareerTrack* track = session_.database.track(position);
    if (track == nullptr || level == 0 || level > track->career.levels.size()) {
        return previous;
    }
    for (std::size_t i = 0; i < previous.size(); ++i) {
        previous[i] = track->career.levels[level - 1].value(i);
    }
    return previous;
}

// ---- Recording ---------------------------------------------------------------------------

EditResult Document::record(const std::string& text, const EditPlace& place, const EditScope& scope,
                            const std::string& mergeKey, const std::function<void()>& apply) {
    EditStep step;
    step.text = text;
    step.place = place;
    step.mergeKey = mergeKey;
    try {
        step.before = captureSnapshot(session_, scope);
        apply();
        step.after = captureSnapshot(session_, scope, &step.before);
    } catch (const std::bad_alloc&) {
        // Whatever the edit did is taken back, so that the data stays what
        // the history says it is.
        restoreSnapshot(session_, step.before);
        return refused("Not enough memory for this change.");
    }
    if (step.after == step.before) {
        return {};
    }
    history_.push(std::move(step));
    return {EditStatus::Applied, {}};
}

EditResult Document::change(const std::string& text, const EditPlace& place, const EditScope& scope,
                            const std::function<bool(EditorSession&)>& apply, bool* completed) {
    bool reachedEnd = false;
    EditResult result = record(text, place, scope, {}, [&] { reachedEnd = apply(session_); });
    if (completed != nullptr) {
        *completed = reachedEnd;
    }
    return result;
}

// ---- Operations ----------------------------------------------------------------------------

EditResult Document::commitFieldText(std::size_t position, std::size_t level, TextField field,
                                     int language, const std::string& typed) {
    const std::string mergeKey = "field:" + std::to_string(static_cast<int>(field)) + ":" +
                                 std::to_string(position) + ":" + std::to_string(level) + ":" +
                                 std::to_string(language);
    if (field == TextField::InternalCareerName) {
        const std::optional<std::string> bytes = fromUtf8(typed, kNeutralCodePage);
        if (!bytes) {
            return refused(refusedCharacterMessage(typed, kNoLanguage));
        }
        return setInternalCareerName(position, *bytes, mergeKey);
    }
    std::string stored = typed;
    if (isJobNameField(field)) {
        stored = unescapeLineBreaks(stored);
    } else if (isMultiLineField(field)) {
        stored = multiLineDataText(stored);
    }
    const std::optional<std::string> bytes = fromUtf8(stored, codePageForSlot(language));
    if (!bytes) {
        return refused(refusedCharacterMessage(stored, language));
    }
    const std::optional<std::size_t> entry = entryOfField(field, level);
    if (!entry) {
        return refused(kNoSuchTextText);
    }
    return setTrackText(position, *entry, language, *bytes, mergeKey);
}

EditResult Document::setTrackText(std::size_t position, std::size_t entry, int language,
                                  const std::string& bytes, const std::string& mergeKey) {
    CareerTrack* track = session_.database.track(position);
    if (track == nullptr) {
        return noSuchTrack();
    }
    if (entry > track->strings.rowCount() || language < 0 || language >= kLanguageSlotCount) {
        return refused(kNoSuchTextText);
    }
    // The step names the main window field the entry belongs to.
    std::string text = "Change Text";
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const TextField field = static_cast<TextField>(i);
        for (std::size_t level = 0; level < CareerStrings::kLevelSlots; ++level) {
            if (entryOfField(field, level) == entry) {
                text = fieldStepText(field);
            }
        }
    }
    EditPlace place{position, EditPlace::kNone, language};
    if (entry >= CareerStrings::maleJobNameEntry(0)) {
        place.level = entry >= CareerStrings::femaleJobNameEntry(0)
                          ? entry - CareerStrings::femaleJobNameEntry(0)
                          : (entry - CareerStrings::maleJobNameEntry(0)) / 2;
    }
    return record(text, place, EditScope::trackText(position, entry), mergeKey,
                  [&] { track->strings.setString(entry, language, StringTable::kText, bytes); });
}

EditResult Document::setInternalCareerName(std::size_t position, const std::string& bytes,
                                           const std::string& mergeKey) {
    CareerTrack* track = session_.database.track(position);
    if (track == nullptr) {
        return noSuchTrack();
    }
    return record(fieldStepText(TextField::InternalCareerName), {position},
                  EditScope::trackChunk(position), mergeKey,
                  [&] { track->career.internalCareerName = bytes; });
}

EditResult Document::setJobLevel(std::size_t position, std::size_t level, const JobLevel& value) {
    CareerTrack* track = session_.database.track(position);
    if (track == nullptr) {
        return noSuchTrack();
    }
    if (level >= track->career.levels.size()) {
        return refused(kNoSuchLevelText);
    }
    const std::string text = jobDetailsStepText(track->career.levels[level], value);
    return record(text, {position, level}, EditScope::trackChunk(position), {},
                  [&] { track->career.levels[level] = value; });
}

EditResult Document::setChanceCard(std::size_t position, std::size_t level,
                                   const std::vector<CardItem>& items, int language,
                                   const std::string& text, CardConfirmation* confirmation) {
    ChanceCard* card = session_.database.chanceCard(position, level);
    if (card == nullptr) {
        return refused(kNoSuchLevelText);
    }
    if (!items.empty() && soundItemCount(items) != 1) {
        if (confirmation != nullptr) {
            *confirmation = CardConfirmation::NeedOneSound;
        }
        return refused(kOneSoundMessage);
    }
    EditScope scope;
    TrackScope reach;
    reach.position = position;
    reach.cards = true;
    scope.tracks.push_back(reach);
    scope.globalTexts = TableScope{};
    if (card->textIndex != 0) {
        scope.globalTexts->rows.push_back(card->textIndex - 1u);
    } else {
        // A card without text takes the lowest free entry.
        for (std::size_t entry = 0; entry < kCardTextEntries; ++entry) {
            if (session_.database.textEntryFree(entry)) {
                scope.globalTexts->rows.push_back(entry);
                break;
            }
        }
    }
    CardConfirmation result = CardConfirmation::Stored;
    EditResult edit =
        record(steptext::kChangeChanceCard, {position, level, language}, scope, {}, [&] {
            std::uint16_t textIndex = card->textIndex;
            result = confirmCard(session_.database, textIndex, items, language, text);
            card->textIndex = textIndex;
            card->items = items;
        });
    if (confirmation != nullptr) {
        *confirmation = result;
    }
    return edit;
}

EditResult Document::setIcons(std::size_t position, const Bitmap& popup, const Bitmap& button) {
    const CareerTrack* track = session_.database.track(position);
    if (track == nullptr) {
        return noSuchTrack();
    }
    EditScope scope;
    TrackScope reach;
    reach.position = position;
    reach.icons = true;
    scope.tracks.push_back(reach);
    const int id = track->id;
    return record(steptext::kChangeIcons, {position}, scope, {}, [&] {
        session_.icons.putButtonIcon(id, button);
        session_.icons.putPopupIcon(id, popup);
    });
}

EditResult Document::setGlobalOptions(const std::array<std::int16_t, kGlobalOptionCount>& values) {
    EditScope scope;
    scope.globalOptions = true;
    // The table only fails to take the values when it cannot grow to eight
    // entries; what it took is still one step.
    return record(steptext::kChangeGlobalOptions, {}, scope, {},
                  [&] { storeGlobalOptions(session_.database.globalOptions(), values); });
}

EditResult Document::setGlobalTexts(const std::map<int, GlobalTextValues>& texts) {
    for (const auto& entry : texts) {
        if (entry.first < 0 || entry.first >= kLanguageSlotCount) {
            return refused(kNoSuchLanguageText);
        }
    }
    EditScope scope;
    scope.globalTexts =
        TableScope{false, {kGlobalTextStoreOrder.begin(), kGlobalTextStoreOrder.end()}};
    return record(steptext::kChangeGlobalTexts, {}, scope, {}, [&] {
        for (const auto& [slot, values] : texts) {
            storeGlobalTexts(session_.database, slot, values);
        }
    });
}

EditResult Document::copyToAllLanguages(std::size_t position, int fromLanguage, bool withCards) {
    CareerTrack* track = session_.database.track(position);
    if (track == nullptr) {
        return noSuchTrack();
    }
    if (fromLanguage < 0 || fromLanguage >= kLanguageSlotCount) {
        return refused(kNoSuchLanguageText);
    }
    EditScope scope;
    TrackScope reach;
    reach.position = position;
    reach.strings = TableScope{true, {}};
    scope.tracks.push_back(reach);
    if (withCards) {
        scope.globalTexts = TableScope{};
        for (const ChanceCard& card : track->cards) {
            if (card.textIndex != 0) {
                scope.globalTexts->rows.push_back(card.textIndex - 1u);
            }
        }
    }
    return record(steptext::kSetAll, {position, EditPlace::kNone, fromLanguage}, scope, {}, [&] {
        copyTrackTextsToAllLanguages(track->strings, fromLanguage);
        if (withCards) {
            copyCardTextsToAllLanguages(session_.database, position, fromLanguage);
        }
    });
}

}  // namespace jf
