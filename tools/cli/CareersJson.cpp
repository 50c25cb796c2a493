#include "CareersJson.h"

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>

#include "careers/BmpFile.h"
#include "careers/CareerDatabase.h"
#include "careers/ChanceCardForm.h"
#include "careers/GlobalOptionsForm.h"
#include "careers/GlobalTextsForm.h"
#include "careers/JobDetailsForm.h"
#include "document/Document.h"
#include "document/LineBreaks.h"
#include "exchange/Import.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"

namespace jf::cli {

namespace {

using Json = nlohmann::ordered_json;

// ---- Names --------------------------------------------------------------------------

// The key of each job details field, by JobDetailField.
constexpr std::array<const char*, kJobDetailFieldCount> kJobFieldKeys = {
    "internalName", "maleMesh",  "femaleMesh", "skinTexture", "friends",    "cooking",
    "mechanical",   "charisma",  "body",       "logic",       "creativity", "hunger",
    "comfort",      "hygiene",   "bladder",    "energy",      "fun",        "social",
    "salary",       "startHour", "endHour",    "car",
};

// The key of each skill of the card item editor's skill list: the job
// details key of the same skill (both lists follow kSkillNames).
const char* skillKey(std::size_t listIndex) {
    return kJobFieldKeys[static_cast<std::size_t>(JobDetailField::Cooking) + listIndex];
}

// The key of each global option, by table entry.
constexpr std::array<const char*, kGlobalOptionCount> kGlobalOptionKeys = {
    "aPlusBonusForChildren",    "aPlusBonusChances",
    "schoolStartHour",          "schoolEndHour",
    "promotionBonus",           "minimalMoodForHigherGrade",
    "maximalMoodForLowerGrade", "chanceCardChances",
};

struct TextKey {
    const char* key;
    std::size_t entry;
};

std::array<TextKey, 3> trackTextKeys() {
    return {{{"careerName", CareerStrings::kCareerNameEntry},
             {"maleOffer", CareerStrings::kMaleOfferEntry},
             {"femaleOffer", CareerStrings::kFemaleOfferEntry}}};
}

std::array<TextKey, 3> levelTextKeys(std::size_t level) {
    return {{{"maleJobName", CareerStrings::maleJobNameEntry(level)},
             {"femaleJobName", CareerStrings::femaleJobNameEntry(level)},
             {"jobDescription", CareerStrings::jobDescriptionEntry(level)}}};
}

constexpr char kKindBudget[] = "budget";
constexpr char kKindSkill[] = "skill";
constexpr char kKindJob[] = "job";
constexpr char kKindSound[] = "sound";
constexpr char kModeAdd[] = "add";
constexpr char kModeSubtract[] = "subtract";
constexpr char kTargetCareerPath[] = "careerPath";
constexpr char kTargetPromotionLevel[] = "promotionLevel";
constexpr char kSoundGood[] = "good";
constexpr char kSoundBad[] = "bad";

// ---- Export ---------------------------------------------------------------------------

// Stored bytes of `slot` as the file shows them: UTF-8, line breaks as "\n".
std::string displayText(const std::string& bytes, int slot) {
    return multiLineFieldText(toUtf8Lossy(bytes, codePageForSlot(slot)));
}

template <std::size_t N>
Json languageTexts(const StringTable& table, const std::array<TextKey, N>& keys) {
    Json languages = Json::object();
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        Json texts = Json::object();
        for (const TextKey& key : keys) {
            if (key.entry < table.rowCount()) {
                texts[key.key] = displayText(table.text(key.entry, slot), slot);
            }
        }
        languages[kLanguageNames[static_cast<std::size_t>(slot)]] = std::move(texts);
    }
    return languages;
}

// An item in words when the words give back exactly this item, else its
// three numbers.
Json itemJson(const CardItem& item) {
    const bool addOrSubtract =
        item.mode == CardItem::kModeAdd || item.mode == CardItem::kModeSubtract;
    const char* mode = item.mode == CardItem::kModeAdd ? kModeAdd : kModeSubtract;
    switch (item.kind) {
        case CardItem::kKindBudget:
            if (addOrSubtract && item.value <= 0xFFFF) {
                return {{"kind", kKindBudget}, {"mode", mode}, {"amount", item.value}};
            }
            break;
        case CardItem::kKindSkill:
            for (std::size_t i = 0; i < kSkillListNumbers.size(); ++i) {
                if (addOrSubtract && item.high() == kSkillListNumbers[i]) {
                    return {{"kind", kKindSkill},
                            {"skill", skillKey(i)},
                            {"mode", mode},
                            {"points", item.low()}};
                }
            }
            break;
        case CardItem::kKindJob:
            if (item.mode == CardItem::kModeSet && (item.high() == CardItem::kJobCareerPath ||
                                                    item.high() == CardItem::kJobPromotionLevel)) {
                return {{"kind", kKindJob},
                        {"target", item.high() == CardItem::kJobCareerPath ? kTargetCareerPath
                                                                           : kTargetPromotionLevel},
                        {"number", item.low()}};
            }
            break;
        case CardItem::kKindSound:
            if (item.mode == CardItem::kModeSet &&
                (item.value == CardItem::kSoundGood || item.value == CardItem::kSoundBad)) {
                return {{"kind", kKindSound},
                        {"sound", item.value == CardItem::kSoundGood ? kSoundGood : kSoundBad}};
            }
            break;
        default:
            break;
    }
    return {{"kind", item.kind}, {"mode", item.mode}, {"value", item.value}};
}

Json cardJson(const CareerDatabase& database, const ChanceCard& card) {
    Json items = Json::array();
    for (const CardItem& item : card.items) {
        items.push_back(itemJson(item));
    }
    Json out = {{"items", std::move(items)}};
    const StringTable& texts = database.globalTexts();
    if (card.textIndex != 0 && card.textIndex - 1u < texts.rowCount()) {
        Json languages = Json::object();
        for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
            languages[kLanguageNames[static_cast<std::size_t>(slot)]] =
                displayText(texts.text(card.textIndex - 1u, slot), slot);
        }
        out["texts"] = std::move(languages);
    }
    return out;
}

Json levelJson(const EditorSession& session, const CareerTrack& track, std::size_t level) {
    const JobLevel& values = track.career.levels[level];
    Json out = Json::object();
    for (const JobDetailFieldInfo& info : jobDetailFields()) {
        const char* key = kJobFieldKeys[static_cast<std::size_t>(info.field)];
        switch (info.type) {
            case JobFieldType::Text:
                out[key] = toUtf8Lossy(values.text(info.index), kNeutralCodePage);
                break;
            case JobFieldType::Unsigned:
                out[key] = static_cast<std::uint32_t>(values.value(info.index));
                break;
            case JobFieldType::Integer:
            case JobFieldType::Mood:
                out[key] = values.value(info.index);
                break;
            case JobFieldType::List: {
                const int index = vehicleListIndex(values.carType);
                if (index < 0) {
                    out[key] = values.carType;
                } else {
                    out[key] = kCarTypeNames[static_cast<std::size_t>(index)];
                }
                break;
            }
        }
    }
    if (level < CareerStrings::kLevelSlots) {
        out["texts"] = languageTexts(track.strings, levelTextKeys(level));
    }
    if (!session.state.chanceCardsDisabled && level < kCardsPerTrack) {
        out["chanceCard"] = cardJson(session.database, track.cards[level]);
    }
    return out;
}

Json trackJson(const EditorSession& session, const CareerTrack& track,
               const std::string& iconFolder) {
    Json out = {{"position", track.position},
                {"id", track.id},
                {"internalName", toUtf8Lossy(track.career.internalCareerName, kNeutralCodePage)}};
    Bitmap icon;
    if (!iconFolder.empty() && session.icons.getPopupIcon(track.id, icon) &&
        session.icons.getButtonIcon(track.id, icon)) {
        out["icons"] = {{"popup", popupIconName(iconFolder, track.position)},
                        {"button", buttonIconName(iconFolder, track.position)}};
    }
    out["texts"] = languageTexts(track.strings, trackTextKeys());
    Json levels = Json::array();
    for (std::size_t level = 0; level < track.career.levels.size(); ++level) {
        levels.push_back(levelJson(session, track, level));
    }
    out["levels"] = std::move(levels);
    return out;
}

Json globalOptionsJson(const CareerDatabase& database) {
    Json out = Json::object();
    for (const GlobalOptionField& field : globalOptionFields()) {
        out[kGlobalOptionKeys[field.entry]] =
            globalOptionValue(database.globalOptions(), field.entry);
    }
    return out;
}

Json globalTextsJson(const CareerDatabase& database) {
    Json languages = Json::object();
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        Json texts = Json::object();
        for (std::size_t i = 0; i < kGlobalTextFieldCount; ++i) {
            texts[kGlobalTextKeys[i]] =
                displayText(database.globalTexts().text(globalTextFields()[i].entry, slot), slot);
        }
        languages[kLanguageNames[static_cast<std::size_t>(slot)]] = std::move(texts);
    }
    return languages;
}

// ---- Apply ------------------------------------------------------------------------------

// A document message on one line.
std::string oneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += c;
        }
    }
    return line;
}

int languageSlot(const std::string& name) {
    for (std::size_t slot = 0; slot < kLanguageNames.size(); ++slot) {
        if (name == kLanguageNames[slot]) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

// The member `key` of `object`, or nullptr.
const Json* member(const Json* object, const std::string& key) {
    if (object == nullptr || !object->is_object()) {
        return nullptr;
    }
    const auto found = object->find(key);
    return found == object->end() ? nullptr : &*found;
}

// Whether `value` is what the current export holds at the same place.
bool unchanged(const Json& value, const Json* original) {
    return original != nullptr && *original == value;
}

class Applier {
public:
    Applier(Document& document, const std::string& baseFolder)
        : document_(document), session_(document.session()), baseFolder_(baseFolder) {
        std::vector<std::size_t> all;
        for (std::size_t p = 0; p < session_.database.trackCount(); ++p) {
            all.push_back(p);
        }
        original_ = careersJson(session_, all, true, "");
    }

    std::vector<std::string> apply(const Json& input) {
        if (!expectObject(input, "",
                          {"format", "version", "tracks", "globalOptions", "globalTexts"})) {
            return std::move(problems_);
        }
        if (const Json* format = member(&input, "format");
            format != nullptr && *format != kCareersJsonFormat) {
            problem("format", std::string("expected \"") + kCareersJsonFormat + "\"");
        }
        if (const Json* version = member(&input, "version");
            version != nullptr && *version != kCareersJsonVersion) {
            problem("version", "this program reads version " + std::to_string(kCareersJsonVersion));
        }
        if (const Json* tracks = member(&input, "tracks")) {
            if (!tracks->is_array()) {
                problem("tracks", "expected an array");
            } else {
                for (std::size_t i = 0; i < tracks->size(); ++i) {
                    track((*tracks)[i], "tracks[" + std::to_string(i) + "]");
                }
            }
        }
        const Json* options = member(&input, "globalOptions");
        const Json* texts = member(&input, "globalTexts");
        if ((options != nullptr || texts != nullptr) && session_.state.chanceCardsDisabled) {
            problem(options != nullptr ? "globalOptions" : "globalTexts", kCardsDisabled);
        } else {
            if (options != nullptr) {
                globalOptions(*options, "globalOptions");
            }
            if (texts != nullptr) {
                globalTexts(*texts, "globalTexts");
            }
        }
        return std::move(problems_);
    }

private:
    static constexpr char kCardsDisabled[] =
        "the chance cards, global options and global texts cannot be changed: CarPortal.iff "
        "could not be loaded";

    void problem(const std::string& path, const std::string& message) {
        problems_.push_back((path.empty() ? std::string("(top)") : path) + ": " + message);
    }

    // Reports every key of `value` not in `keys`; false (reported) when it
    // is not an object at all.
    bool expectObject(const Json& value, const std::string& path,
                      std::initializer_list<std::string_view> keys) {
        if (!value.is_object()) {
            problem(path, "expected an object");
            return false;
        }
        for (const auto& entry : value.items()) {
            bool known = false;
            for (const std::string_view key : keys) {
                known = known || entry.key() == key;
            }
            if (!known) {
                problem(join(path, entry.key()), "unknown key");
            }
        }
        return true;
    }

    static std::string join(const std::string& path, const std::string& key) {
        return path.empty() ? key : path + "." + key;
    }

    // A JSON integer as the decimal text a dialog field would hold.
    std::optional<std::string> integerText(const Json& value, const std::string& path) {
        if (!value.is_number_integer()) {
            problem(path, "expected an integer");
            return std::nullopt;
        }
        return value.dump();
    }

    // Reads an integer with a dialog field's rules and range.
    std::optional<std::int64_t> number(const Json& value, const std::string& path, NumericKind kind,
                                       std::optional<NumericRange> range) {
        const std::optional<std::string> text = integerText(value, path);
        if (!text) {
            return std::nullopt;
        }
        const NumericCheck check = checkNumericField(*text, kind, range);
        if (!check.ok) {
            problem(path, check.message);
            return std::nullopt;
        }
        return check.value;
    }

    std::optional<std::string> text(const Json& value, const std::string& path) {
        if (!value.is_string()) {
            problem(path, "expected a string");
            return std::nullopt;
        }
        std::string utf8 = value.get<std::string>();
        if (utf8.find('\0') != std::string::npos) {
            problem(path, "a text cannot hold the character U+0000");
            return std::nullopt;
        }
        return utf8;
    }

    // A text as the bytes of `language` (a slot, or kNoLanguage for the
    // neutral code page of internal names).
    std::optional<std::string> encoded(const std::string& utf8, int language,
                                       const std::string& path) {
        const int codePage = language == kNoLanguage ? kNeutralCodePage : codePageForSlot(language);
        std::optional<std::string> bytes = fromUtf8(utf8, codePage);
        if (!bytes) {
            const std::string detail = oneLine(refusedCharacterDetail(utf8, language));
            const std::size_t start = detail.find_first_not_of(' ');
            problem(path,
                    "the text holds a character its language's code page cannot store" +
                        (start == std::string::npos ? "" : " (" + detail.substr(start) + ")"));
        }
        return bytes;
    }

    void refusedBy(const EditResult& result, const std::string& path) {
        if (result.refused()) {
            problem(path, oneLine(result.message));
        }
    }

    // A language-keyed object of language texts: calls `each` with the slot,
    // the texts object and its path for every known language.
    template <typename Each>
    void forEachLanguage(const Json& value, const std::string& path, Each each) {
        if (!value.is_object()) {
            problem(path, "expected an object");
            return;
        }
        for (const auto& entry : value.items()) {
            const int slot = languageSlot(entry.key());
            if (slot < 0) {
                problem(join(path, entry.key()), "unknown language");
            } else {
                each(slot, entry.value(), join(path, entry.key()));
            }
        }
    }

    template <std::size_t N>
    void trackTexts(std::size_t position, const Json& value, const Json* original,
                    const std::array<TextKey, N>& keys, const std::string& path) {
        forEachLanguage(value, path, [&](int slot, const Json& texts, const std::string& at) {
            if (!expectObject(texts, at, {keys[0].key, keys[1].key, keys[2].key})) {
                return;
            }
            const Json* was = member(original, kLanguageNames[static_cast<std::size_t>(slot)]);
            for (const TextKey& key : keys) {
                const Json* given = member(&texts, key.key);
                if (given == nullptr || unchanged(*given, member(was, key.key))) {
                    continue;
                }
                const std::string keyPath = join(at, key.key);
                const std::optional<std::string> utf8 = text(*given, keyPath);
                if (!utf8) {
                    continue;
                }
                const std::optional<std::string> bytes =
                    encoded(multiLineDataText(*utf8), slot, keyPath);
                if (bytes) {
                    refusedBy(document_.setTrackText(position, key.entry, slot, *bytes), keyPath);
                }
            }
        });
    }

    void track(const Json& value, const std::string& path) {
        if (!expectObject(value, path,
                          {"position", "id", "internalName", "icons", "texts", "levels"})) {
            return;
        }
        const Json* positionValue = member(&value, "position");
        if (positionValue == nullptr) {
            problem(path, "\"position\" is missing: it says which career to change");
            return;
        }
        const std::size_t count = session_.database.trackCount();
        const std::optional<std::string> positionText =
            integerText(*positionValue, join(path, "position"));
        if (!positionText) {
            return;
        }
        const std::optional<std::int64_t> read =
            parseNumericField(*positionText, NumericKind::Integer);
        if (!read || *read < 0) {
            problem(join(path, "position"), "expected a row of the career list, 0 or more");
            return;
        }
        if (static_cast<std::uint64_t>(*read) >= count) {
            problem(join(path, "position"),
                    oneLine(noSuchTrackText(static_cast<std::size_t>(*read), count)));
            return;
        }
        const std::size_t position = static_cast<std::size_t>(*read);
        if (!seen_.insert(position).second) {
            problem(join(path, "position"), "this career appears twice in the file");
            return;
        }
        const CareerTrack& current = *session_.database.track(position);
        const Json* original = &original_["tracks"][position];
        if (const Json* id = member(&value, "id"); id != nullptr && *id != current.id) {
            problem(join(path, "id"), "the career at position " + std::to_string(position) +
                                          " has id " + std::to_string(current.id));
            return;
        }
        if (const Json* name = member(&value, "internalName");
            name != nullptr && !unchanged(*name, member(original, "internalName"))) {
            const std::string at = join(path, "internalName");
            if (const std::optional<std::string> utf8 = text(*name, at)) {
                if (const std::optional<std::string> bytes = encoded(*utf8, kNoLanguage, at)) {
                    refusedBy(document_.setInternalCareerName(position, *bytes), at);
                }
            }
        }
        if (const Json* icons = member(&value, "icons")) {
            trackIcons(position, *icons, join(path, "icons"));
        }
        if (const Json* texts = member(&value, "texts")) {
            trackTexts(position, *texts, member(original, "texts"), trackTextKeys(),
                       join(path, "texts"));
        }
        if (const Json* levels = member(&value, "levels")) {
            const std::string at = join(path, "levels");
            const std::size_t levelCount = current.career.levels.size();
            if (!levels->is_array()) {
                problem(at, "expected an array");
            } else if (levels->size() > levelCount) {
                problem(at, "this career has " + std::to_string(levelCount) +
                                " job levels; the file gives " + std::to_string(levels->size()));
            } else {
                for (std::size_t level = 0; level < levels->size(); ++level) {
                    jobLevel(position, level, (*levels)[level], &(*original)["levels"][level],
                             at + "[" + std::to_string(level) + "]");
                }
            }
        }
    }

    // Reads an icon file of exactly width x height pixels.
    std::optional<Bitmap> picture(const Json& value, int width, int height,
                                  const std::string& path) {
        const std::optional<std::string> name = text(value, path);
        if (!name) {
            return std::nullopt;
        }
        const bool absolute = !name->empty() && (name->front() == '/' || name->front() == '\\' ||
                                                 (name->size() > 1 && (*name)[1] == ':'));
        const std::string file = absolute ? *name : baseFolder_ + *name;
        std::unique_ptr<File> opened = session_.fs.open(file, OpenMode::Read);
        if (opened == nullptr) {
            problem(path, "cannot open " + file);
            return std::nullopt;
        }
        Bitmap read;
        if (readBitmapFile(*opened, read, nullptr, width, height)) {
            return read;
        }
        const std::string wanted = std::to_string(width) + " x " + std::to_string(height);
        int fileWidth = 0;
        int fileHeight = 0;
        opened->seek(0);
        if (!readBitmapSize(*opened, fileWidth, fileHeight)) {
            problem(path, file + " is not a BMP picture");
        } else if (fileWidth != width || fileHeight != height) {
            problem(path, file + " is " + std::to_string(fileWidth) + " x " +
                              std::to_string(fileHeight) + " pixels; the icon must be " + wanted);
        } else {
            problem(path, file + " cannot be read (a BMP of " + wanted +
                              " pixels without compression is needed)");
        }
        return std::nullopt;
    }

    void trackIcons(std::size_t position, const Json& value, const std::string& path) {
        if (!expectObject(value, path, {"popup", "button"})) {
            return;
        }
        const IconStore& icons = session_.icons;
        const int id = session_.database.track(position)->id;
        Bitmap popup;
        Bitmap button;
        if (!icons.getPopupIcon(id, popup) || !icons.getButtonIcon(id, button)) {
            problem(path, "the icon strips hold no icons for this career (id " +
                              std::to_string(id) + ")");
            return;
        }
        bool changed = false;
        bool failed = false;
        auto take = [&](const char* key, Bitmap& icon, int height) {
            if (const Json* name = member(&value, key)) {
                std::optional<Bitmap> read = picture(*name, icon.width(), height, join(path, key));
                failed = failed || !read;
                if (read && *read != icon) {
                    icon = std::move(*read);
                    changed = true;
                }
            }
        };
        take("popup", popup, IconStore::kPopupIconHeight);
        take("button", button, IconStore::kButtonIconHeight);
        if (changed && !failed) {
            refusedBy(document_.setIcons(position, popup, button), path);
        }
    }

    void jobLevel(std::size_t position, std::size_t level, const Json& value, const Json* original,
                  const std::string& path) {
        if (!value.is_object()) {
            problem(path, "expected an object");
            return;
        }
        for (const auto& entry : value.items()) {
            bool known = entry.key() == "texts" || entry.key() == "chanceCard";
            for (const char* key : kJobFieldKeys) {
                known = known || entry.key() == key;
            }
            if (!known) {
                problem(join(path, entry.key()), "unknown key");
            }
        }
        const std::size_t problemsBefore = problems_.size();
        const JobRequirements previous = document_.previousRequirements(position, level);
        JobLevel edited = session_.database.track(position)->career.levels[level];
        bool changed = false;
        for (const JobDetailFieldInfo& info : jobDetailFields()) {
            const char* key = kJobFieldKeys[static_cast<std::size_t>(info.field)];
            const Json* given = member(&value, key);
            if (given == nullptr || unchanged(*given, member(original, key))) {
                continue;
            }
            const std::string at = join(path, key);
            changed = true;
            if (info.type == JobFieldType::Text) {
                if (const std::optional<std::string> utf8 = text(*given, at)) {
                    if (const std::optional<std::string> bytes = encoded(*utf8, kNoLanguage, at)) {
                        edited.text(info.index) = *bytes;
                    }
                }
            } else if (info.type == JobFieldType::List) {
                carType(*given, at, edited);
            } else if (const std::optional<std::string> number = integerText(*given, at)) {
                std::int32_t stored = 0;
                const NumericCheck check = checkJobField(info.field, *number, previous, stored);
                if (check.ok) {
                    edited.value(info.index) = stored;
                } else {
                    problem(at, check.message);
                }
            }
        }
        if (changed && problems_.size() == problemsBefore) {
            refusedBy(document_.setJobLevel(position, level, edited), path);
        }
        if (const Json* texts = member(&value, "texts")) {
            if (level >= CareerStrings::kLevelSlots) {
                problem(join(path, "texts"), "only the first ten job levels have texts");
            } else {
                trackTexts(position, *texts, member(original, "texts"), levelTextKeys(level),
                           join(path, "texts"));
            }
        }
        if (const Json* card = member(&value, "chanceCard")) {
            chanceCard(position, level, *card, member(original, "chanceCard"),
                       join(path, "chanceCard"));
        }
    }

    // The index of `given` (nullptr when missing) in `words`.
    std::optional<std::size_t> wordIndex(const Json* given, const std::vector<std::string>& words,
                                         const std::string& path) {
        std::string list;
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (given != nullptr && given->is_string() && given->get<std::string>() == words[i]) {
                return i;
            }
            list += (i == 0 ? "\"" : ", \"") + words[i] + "\"";
        }
        problem(path,
                given == nullptr ? "is missing (one of " + list + ")" : "expected one of " + list);
        return std::nullopt;
    }

    void carType(const Json& value, const std::string& path, JobLevel& edited) {
        const std::vector<std::string> names(kCarTypeNames.begin(), kCarTypeNames.end());
        if (const std::optional<std::size_t> index = wordIndex(&value, names, path)) {
            edited.carType = carTypeForSelection(static_cast<int>(*index), edited.carType);
        }
    }

    // A card item in words (or as its three numbers).
    std::optional<CardItem> cardItem(const Json& value, const std::string& path) {
        const Json* kind = member(&value, "kind");
        if (!value.is_object() || kind == nullptr) {
            problem(path, "expected an object with a \"kind\"");
            return std::nullopt;
        }
        auto numberOf = [&](const char* key, NumericKind numberKind,
                            std::optional<NumericRange> range) -> std::optional<std::uint32_t> {
            const Json* given = member(&value, key);
            if (given == nullptr) {
                problem(path, std::string("\"") + key + "\" is missing");
                return std::nullopt;
            }
            const std::optional<std::int64_t> read =
                number(*given, join(path, key), numberKind, range);
            return read ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*read))
                        : std::nullopt;
        };
        // The index of the word `value[key]` in `words`.
        auto wordOf = [&](const char* key, const std::vector<std::string>& words) {
            return wordIndex(member(&value, key), words, join(path, key));
        };
        const std::vector<std::string> modes = {kModeAdd, kModeSubtract};
        if (kind->is_number_integer()) {
            if (!expectObject(value, path, {"kind", "mode", "value"})) {
                return std::nullopt;
            }
            const NumericRange any{0, 0xFFFFFFFFll};
            const auto rawKind = numberOf("kind", NumericKind::Unsigned, any);
            const auto mode = numberOf("mode", NumericKind::Unsigned, any);
            const auto raw = numberOf("value", NumericKind::Unsigned, any);
            if (!rawKind || !mode || !raw) {
                return std::nullopt;
            }
            return CardItem{*rawKind, *mode, *raw};
        }
        const std::string word = kind->is_string() ? kind->get<std::string>() : "";
        if (word == kKindBudget) {
            expectObject(value, path, {"kind", "mode", "amount"});
            const auto mode = wordOf("mode", modes);
            const auto amount =
                numberOf("amount", cardEditKind(CardEdit::Amount), cardEditRange(CardEdit::Amount));
            if (mode && amount) {
                return CardItem::budget(static_cast<std::uint32_t>(*mode),
                                        static_cast<std::uint16_t>(*amount));
            }
        } else if (word == kKindSkill) {
            expectObject(value, path, {"kind", "skill", "mode", "points"});
            std::vector<std::string> skills;
            for (std::size_t i = 0; i < kSkillListNumbers.size(); ++i) {
                skills.emplace_back(skillKey(i));
            }
            const auto skill = wordOf("skill", skills);
            const auto mode = wordOf("mode", modes);
            const auto points =
                numberOf("points", cardEditKind(CardEdit::Points), cardEditRange(CardEdit::Points));
            if (skill && mode && points) {
                return CardItem::skill(static_cast<std::uint32_t>(*mode), kSkillListNumbers[*skill],
                                       static_cast<std::uint16_t>(*points));
            }
        } else if (word == kKindJob) {
            expectObject(value, path, {"kind", "target", "number"});
            const auto target = wordOf("target", {kTargetCareerPath, kTargetPromotionLevel});
            const auto jobNumber =
                numberOf("number", cardEditKind(CardEdit::Number), cardEditRange(CardEdit::Number));
            if (target && jobNumber) {
                return CardItem::job(static_cast<std::uint16_t>(CardItem::kJobCareerPath + *target),
                                     static_cast<std::uint16_t>(*jobNumber));
            }
        } else if (word == kKindSound) {
            expectObject(value, path, {"kind", "sound"});
            if (const auto sound = wordOf("sound", {kSoundGood, kSoundBad})) {
                return CardItem::sound(*sound == 0 ? CardItem::kSoundGood : CardItem::kSoundBad);
            }
        } else {
            problem(join(path, "kind"),
                    "expected \"budget\", \"skill\", \"job\", \"sound\" or a number");
        }
        return std::nullopt;
    }

    void chanceCard(std::size_t position, std::size_t level, const Json& value,
                    const Json* original, const std::string& path) {
        if (session_.state.chanceCardsDisabled) {
            problem(path, kCardsDisabled);
            return;
        }
        if (level >= kCardsPerTrack) {
            problem(path, "only the first ten job levels have chance cards");
            return;
        }
        if (!expectObject(value, path, {"items", "texts"})) {
            return;
        }
        const std::size_t problemsBefore = problems_.size();
        const ChanceCard& card = *session_.database.chanceCard(position, level);
        std::vector<CardItem> items = card.items;
        bool itemsChanged = false;
        if (const Json* given = member(&value, "items")) {
            const std::string at = join(path, "items");
            if (!given->is_array()) {
                problem(at, "expected an array");
            } else {
                const std::size_t problemsBeforeItems = problems_.size();
                std::vector<CardItem> read;
                for (std::size_t i = 0; i < given->size(); ++i) {
                    if (std::optional<CardItem> item =
                            cardItem((*given)[i], at + "[" + std::to_string(i) + "]")) {
                        read.push_back(*item);
                    }
                }
                itemsChanged = read != card.items;
                items = std::move(read);
                if (itemsChanged && problems_.size() == problemsBeforeItems && !items.empty() &&
                    soundItemCount(items) != 1) {
                    problem(at, kOneSoundMessage);
                }
            }
        }
        // The changed texts, by slot.
        std::map<int, std::string> texts;
        if (const Json* given = member(&value, "texts")) {
            const Json* was = member(original, "texts");
            forEachLanguage(
                *given, join(path, "texts"),
                [&](int slot, const Json& entry, const std::string& at) {
                    if (unchanged(entry,
                                  member(was, kLanguageNames[static_cast<std::size_t>(slot)]))) {
                        return;
                    }
                    if (const std::optional<std::string> utf8 = text(entry, at)) {
                        if (auto bytes = encoded(multiLineDataText(*utf8), slot, at)) {
                            texts[slot] = *bytes;
                        }
                    }
                });
            if (!texts.empty() && items.empty()) {
                problem(join(path, "texts"), "a card without items keeps no text");
            }
        }
        if ((!itemsChanged && texts.empty()) || problems_.size() != problemsBefore) {
            return;
        }
        if (itemsChanged) {
            // The first step sets the items with the US English text, given
            // or as it is.
            std::string first;
            if (const auto found = texts.find(0); found != texts.end()) {
                first = found->second;
                texts.erase(found);
            } else if (card.textIndex != 0) {
                session_.database.globalText(card.textIndex - 1u, 0, first);
            }
            if (!cardStep(position, level, items, 0, first, path)) {
                return;
            }
        }
        for (const auto& [slot, bytes] : texts) {
            if (!cardStep(position, level, items, slot, bytes, path)) {
                return;
            }
        }
    }

    bool cardStep(std::size_t position, std::size_t level, const std::vector<CardItem>& items,
                  int slot, const std::string& bytes, const std::string& path) {
        CardConfirmation confirmation = CardConfirmation::Stored;
        const EditResult result =
            document_.setChanceCard(position, level, items, slot, bytes, &confirmation);
        if (result.refused()) {
            refusedBy(result, path);
            return false;
        }
        if (confirmation == CardConfirmation::NoFreeEntry) {
            problem(path, oneLine(kMessageOverflowText));
            return false;
        }
        return true;
    }

    void globalOptions(const Json& value, const std::string& path) {
        if (!expectObject(value, path,
                          {kGlobalOptionKeys[0], kGlobalOptionKeys[1], kGlobalOptionKeys[2],
                           kGlobalOptionKeys[3], kGlobalOptionKeys[4], kGlobalOptionKeys[5],
                           kGlobalOptionKeys[6], kGlobalOptionKeys[7]})) {
            return;
        }
        const Json* original = member(&original_, "globalOptions");
        std::array<std::int16_t, kGlobalOptionCount> values{};
        bool changed = false;
        bool failed = false;
        for (const GlobalOptionField& field : globalOptionFields()) {
            const char* key = kGlobalOptionKeys[field.entry];
            values[field.entry] = globalOptionValue(session_.database.globalOptions(), field.entry);
            const Json* given = member(&value, key);
            if (given == nullptr || unchanged(*given, member(original, key))) {
                continue;
            }
            const std::optional<std::int64_t> read =
                number(*given, join(path, key), kGlobalOptionKind, globalOptionRange(field));
            failed = failed || !read;
            if (read) {
                values[field.entry] = static_cast<std::int16_t>(*read);
                changed = true;
            }
        }
        if (changed && !failed) {
            refusedBy(document_.setGlobalOptions(values), path);
        }
    }

    void globalTexts(const Json& value, const std::string& path) {
        const Json* original = member(&original_, "globalTexts");
        std::map<int, GlobalTextValues> changed;
        const std::size_t problemsBefore = problems_.size();
        forEachLanguage(value, path, [&](int slot, const Json& texts, const std::string& at) {
            if (!texts.is_object()) {
                problem(at, "expected an object");
                return;
            }
            const Json* was = member(original, kLanguageNames[static_cast<std::size_t>(slot)]);
            GlobalTextValues values;
            readGlobalTexts(session_.database.globalTexts(), slot, values);
            bool any = false;
            for (const auto& entry : texts.items()) {
                std::size_t field = kGlobalTextFieldCount;
                for (std::size_t i = 0; i < kGlobalTextFieldCount; ++i) {
                    if (entry.key() == kGlobalTextKeys[i]) {
                        field = i;
                    }
                }
                const std::string keyPath = join(at, entry.key());
                if (field == kGlobalTextFieldCount) {
                    problem(keyPath, "unknown key");
                    continue;
                }
                if (unchanged(entry.value(), member(was, entry.key()))) {
                    continue;
                }
                if (const std::optional<std::string> utf8 = text(entry.value(), keyPath)) {
                    if (auto bytes = encoded(multiLineDataText(*utf8), slot, keyPath)) {
                        values[field] = *bytes;
                        any = true;
                    }
                }
            }
            if (any) {
                changed[slot] = values;
            }
        });
        if (!changed.empty() && problems_.size() == problemsBefore) {
            refusedBy(document_.setGlobalTexts(changed), path);
        }
    }

    Document& document_;
    EditorSession& session_;
    std::string baseFolder_;
    Json original_;
    std::set<std::size_t> seen_;
    std::vector<std::string> problems_;
};

}  // namespace

std::string popupIconName(const std::string& iconFolder, std::size_t position) {
    return iconFolder + "/" + std::to_string(position) + "-popup.bmp";
}

std::string buttonIconName(const std::string& iconFolder, std::size_t position) {
    return iconFolder + "/" + std::to_string(position) + "-button.bmp";
}

nlohmann::ordered_json careersJson(const EditorSession& session,
                                   const std::vector<std::size_t>& positions, bool global,
                                   const std::string& iconFolder) {
    Json tracks = Json::array();
    for (const std::size_t position : positions) {
        tracks.push_back(trackJson(session, *session.database.track(position), iconFolder));
    }
    Json out = {{"format", kCareersJsonFormat},
                {"version", kCareersJsonVersion},
                {"tracks", std::move(tracks)}};
    if (global && !session.state.chanceCardsDisabled) {
        out["globalOptions"] = globalOptionsJson(session.database);
        out["globalTexts"] = globalTextsJson(session.database);
    }
    return out;
}

std::vector<std::string> applyCareersJson(Document& document, const nlohmann::ordered_json& input,
                                          const std::string& baseFolder) {
    return Applier(document, baseFolder).apply(input);
}

}  // namespace jf::cli
