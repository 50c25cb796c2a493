#include "startup/SampleInstallation.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "careers/Bitmap.h"
#include "careers/BmpFile.h"
#include "careers/CareerChunk.h"
#include "careers/CareerDatabase.h"
#include "careers/CareerStrings.h"
#include "careers/CodeTree.h"
#include "careers/DefaultTexts.h"
#include "careers/GlobalOptions.h"
#include "careers/IconStore.h"
#include "document/EditorSession.h"
#include "iff/FarArchive.h"
#include "iff/IffFile.h"
#include "iff/StringTable.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/WineRegistry.h"
#include "startup/Loader.h"
#include "startup/Startup.h"

namespace jf {
namespace {

// ---- Invented content ----------------------------------------------------------

constexpr std::array<std::uint16_t, kSampleTrackCount> kTrackIds = {1, 2, 3,  4,  5,  6,  7,
                                                                    8, 9, 10, 11, 12, 14, 17};
constexpr std::array<const char*, kSampleTrackCount> kTrackNames = {
    "Lighthouse", "Beekeeping", "Cartography", "Clockmaking", "Glassblowing",
    "Puppetry",   "Ferrying",   "Botany",      "Tailoring",   "Locksmithing",
    "Falconry",   "Weaving",    "Brewing",     "Pottery"};
constexpr std::size_t kLevels = 10;
constexpr std::array<const char*, kLevels> kRanks = {
    "Apprentice", "Helper",  "Assistant", "Journeyman", "Specialist",
    "Senior",     "Foreman", "Master",    "Chief",      "Grand Master"};

// One word pair per language, in the language's own script, so that every
// code page is exercised.
struct LanguageWords {
    const char* career;
    const char* job;
};
constexpr std::array<LanguageWords, kLanguageSlotCount> kWords = {{
    {"Career", "Job"},                                                     // USEnglish
    {"Profession", "Post"},                                                // UKEnglish
    {"Carri\u00e8re", "Poste d'\u00e9t\u00e9"},                            // French
    {"Laufbahn", "Stelle f\u00fcr Gr\u00f6\u00dfe"},                       // German
    {"Carriera", "Lavoro in citt\u00e0"},                                  // Italian
    {"Carrera", "Trabajo en Espa\u00f1a"},                                 // Spanish
    {"Loopbaan", "Baan"},                                                  // Dutch
    {"Karriere", "Stilling p\u00e5 \u00f8en"},                             // Danish
    {"Karri\u00e4r", "Tj\u00e4nst"},                                       // Swedish
    {"Karriere", "Stilling \u00e6"},                                       // Norwegian
    {"Ura", "Ty\u00f6paikka"},                                             // Finnish
    {"\u05e7\u05e8\u05d9\u05d9\u05e8\u05d4", "\u05de\u05e9\u05e8\u05d4"},  // Hebrew
    {"\u041a\u0430\u0440\u044c\u0435\u0440\u0430",
     "\u0414\u043e\u043b\u0436\u043d\u043e\u0441\u0442\u044c"},  // Russian
    {"Carreira", "Cargo de a\u00e7\u00e3o"},                     // Portuguese
    {"\u30ad\u30e3\u30ea\u30a2", "\u8077\u696d"},                // Japanese
    {"Kariera", "Stanowisko \u017c\u00f3\u0142\u0107"},          // Polish
    // Slot 16 holds GBK and slot 17 Big5 (see CodePages.cpp): simplified
    // characters under the first, traditional ones under the second.
    {"\u804c\u4e1a\u751f\u6daf", "\u804c\u4f4d"},                                      // slot 16
    {"\u8077\u696d\u751f\u6daf", "\u8077\u4f4d"},                                      // slot 17
    {"\u0e2d\u0e32\u0e0a\u0e35\u0e1e", "\u0e15\u0e33\u0e41\u0e2b\u0e19\u0e48\u0e07"},  // Thai
    {"\uacbd\ub825", "\uc9c1\uc5c5"},                                                  // Korean
}};

// Global texts: entries 0..11 are the built-in defaults, 12..47 further game
// texts that dialogs refer to; card texts come after them.
constexpr std::size_t kGameTextEntries = 48;
constexpr std::uint16_t kDialogTreeId = 4120;
constexpr std::uint16_t kCarPoolTreeId = 4121;
constexpr std::uint16_t kDialogOpcode = 36;
constexpr std::uint16_t kExpressionOpcode = 2;
// Operand bytes of a dialog instruction that name text entries (byte - 1).
constexpr std::array<std::size_t, 6> kDialogTextBytes = {0, 1, 2, 3, 4, 6};

constexpr std::array<std::int16_t, kGlobalOptionCount> kOptions = {150, 20, 8, 15, 2, 30, -30, 25};

// Popup strip bands up to the highest track id.
constexpr int kStripIcons = 18;

// The label of the career chunks and the track texts.
constexpr char kCareerLabel[] = "Career";
constexpr char kCareerTextsLabel[] = "Career texts";

// The words of every language in its code page, encoded once: the texts are
// those words followed by plain ASCII, which every one of these code pages
// stores as it is. nullptr when a word has no exact encoding.
struct EncodedWords {
    std::string career;
    std::string job;
};
using LanguageTable = std::array<EncodedWords, kLanguageSlotCount>;

const LanguageTable* encodedWords() {
    static const std::optional<LanguageTable> table = []() -> std::optional<LanguageTable> {
        LanguageTable encoded;
        for (std::size_t slot = 0; slot < encoded.size(); ++slot) {
            const int codePage = codePageForSlot(static_cast<int>(slot));
            std::optional<std::string> career = fromUtf8(kWords[slot].career, codePage);
            std::optional<std::string> job = fromUtf8(kWords[slot].job, codePage);
            if (!career || !job) {
                return std::nullopt;
            }
            encoded[slot] = {std::move(*career), std::move(*job)};
        }
        return encoded;
    }();
    return table ? &*table : nullptr;
}

// Sets the text of (row, every slot) from a maker given the slot's words;
// false when the words cannot be encoded or a text not stored.
template <typename Maker>
bool setAllLanguages(StringTable& table, std::size_t row, Maker makeText) {
    const LanguageTable* words = encodedWords();
    if (words == nullptr) {
        return false;
    }
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        if (!table.setString(row, slot, StringTable::kText,
                             makeText((*words)[static_cast<std::size_t>(slot)]))) {
            return false;
        }
    }
    return true;
}

std::string numbered(const std::string& word, std::size_t n) {
    return word + " " + std::to_string(n);
}

// ---- Career file ----------------------------------------------------------------

JobLevel sampleLevel(std::size_t track, std::size_t level) {
    const auto t = static_cast<std::int32_t>(track);
    const auto l = static_cast<std::int32_t>(level);
    JobLevel job;
    job.friendsNeeded = l < 2 ? 0 : (l - 1) * (1 + t % 2);
    job.cookingNeeded = (t % 3 == 0) ? l * 100 : 0;
    job.mechanicalNeeded = (t % 3 == 1) ? l * 90 : 0;
    job.charismaNeeded = l > 3 ? (l - 3) * 110 : 0;
    job.bodyNeeded = (t % 2 == 0) ? l * 60 : 0;
    job.logicNeeded = (t % 3 == 2) ? l * 100 : 0;
    job.creativityNeeded = l > 5 ? (l - 5) * 150 : 0;
    job.reserved7 = 0;
    job.reserved8 = 0;
    job.reserved9 = t == 0 ? -1 : 0;
    job.hungerPerHour = -((l + t) % 5);
    job.comfortPerHour = -((l * 2 + t) % 7);
    job.hygienePerHour = -((l + 2 * t) % 6);
    job.bladderPerHour = -((l + t) % 4);
    job.energyPerHour = -(3 + (l + t) % 8);
    job.funPerHour = (l + t) % 9 - 4;
    job.socialPerHour = (l * 3 + t) % 11 - 5;
    job.salary = 120 + l * l * 45 + t * 15;
    job.startHour = (7 + t + l / 4) % 24;
    job.endHour = (job.startHour + 6 + l % 4) % 24;
    job.carType = (t + l) % 9;
    const std::string name = kTrackNames[track];
    job.internalJobName = name + " " + kRanks[level];
    job.maleMesh =
        "B" + std::to_string(100 + t) + "MA" + name.substr(0, 3) + "_" + std::to_string(l);
    job.femaleMesh =
        "B" + std::to_string(100 + t) + "FA" + name.substr(0, 3) + "_" + std::to_string(l);
    job.skinTexture = "uniform-" + name.substr(0, 4) + std::to_string(l / 3);
    job.extraText = level == kLevels - 1 ? "top" : "";
    return job;
}

bool buildTrackTexts(std::size_t track, CareerStrings& strings) {
    const std::string name = kTrackNames[track];
    // Rows are only appended one past the end: make all of them first.
    for (std::size_t row = 0; row < CareerStrings::kEntryCount; ++row) {
        if (!strings.setString(row, 0, StringTable::kText, "")) {
            return false;
        }
    }
    bool ok =
        setAllLanguages(
            strings, CareerStrings::kCareerNameEntry,
            [&](const EncodedWords& w) { return std::string(w.career) + ": " + name; }) &&
        setAllLanguages(
            strings, CareerStrings::kMaleOfferEntry,
            [&](const EncodedWords& w) { return std::string(w.job) + " - " + name + " (he)?"; }) &&
        setAllLanguages(strings, CareerStrings::kFemaleOfferEntry, [&](const EncodedWords& w) {
            return std::string(w.job) + " - " + name + " (she)?";
        });
    for (std::size_t level = 0; ok && level < kLevels; ++level) {
        const std::string rank = kRanks[level];
        // The top job name holds a line break, as some of the game's do.
        const std::string male = level == kLevels - 1 ? rank + "\r\nof " + name : rank + " " + name;
        ok = setAllLanguages(
                 strings, CareerStrings::maleJobNameEntry(level),
                 [&](const EncodedWords& w) { return std::string(w.job) + " " + male; }) &&
             setAllLanguages(strings, CareerStrings::jobDescriptionEntry(level),
                             [&](const EncodedWords& w) {
                                 return std::string(w.career) + " " + name + ", " + rank +
                                        ": day " + std::to_string(level + 1) + ".";
                             }) &&
             setAllLanguages(strings, CareerStrings::femaleJobNameEntry(level),
                             [&](const EncodedWords& w) {
                                 return std::string(w.job) + " " + rank + " " + name + " (f)";
                             });
    }
    return ok;
}

bool addBody(IffView& view, ChunkObject& object, std::uint32_t type, std::uint16_t id,
             const std::string& label) {
    std::vector<std::uint8_t> body;
    return object.encodedBody(body) && view.addBytes(type, id, label, body.data(), body.size());
}

bool writeCareerFile(FileSystem& fs, const std::string& path) {
    IffFileTable table(fs);
    IffView view(table);
    for (std::size_t track = 0; track < kSampleTrackCount; ++track) {
        const std::uint16_t id = kTrackIds[track];
        CareerChunk career;
        career.internalCareerName = kTrackNames[track];
        for (std::size_t level = 0; level < kLevels; ++level) {
            career.levels.push_back(sampleLevel(track, level));
        }
        CareerStrings strings;
        if (!buildTrackTexts(track, strings) ||
            !addBody(view, career, kTypeCarr, id, kCareerLabel) ||
            !addBody(view, strings, kTypeStr, id, kCareerTextsLabel) ||
            !addBody(view, strings, kTypeStr, CareerStrings::jobNameCopyId(id),
                     CareerDatabase::kJobNameCopyLabel)) {
            return false;
        }
    }
    return table.writeContainerToPath(path, view.slot());
}

// ---- Card file --------------------------------------------------------------------

Instruction dialogInstruction(std::size_t firstEntry, std::uint8_t trueTarget) {
    Instruction instruction;
    instruction.opcode = kDialogOpcode;
    instruction.trueTarget = trueTarget;
    instruction.falseTarget = kTargetError;
    for (std::size_t i = 0; i < kDialogTextBytes.size(); ++i) {
        const std::size_t entry = firstEntry + i;
        if (entry < kGameTextEntries) {
            instruction.operands[kDialogTextBytes[i]] = static_cast<std::uint8_t>(entry + 1);
        }
    }
    return instruction;
}

// The dialogs that show the game texts: every entry below kGameTextEntries
// is named by some operand byte, between ordinary expressions.
bool addDialogTrees(IffView& view) {
    CodeTree messages;
    messages.setTreeVersion(1);
    messages.setLocalCount(2);
    std::size_t entry = 0;
    while (entry < kGameTextEntries) {
        const auto next = static_cast<std::uint8_t>(messages.instructionCount() + 1);
        const bool last = entry + kDialogTextBytes.size() >= kGameTextEntries;
        if (!messages.append(dialogInstruction(entry, last ? kTargetTrue : next))) {
            return false;
        }
        entry += kDialogTextBytes.size();
    }
    CodeTree carPool;
    carPool.setTreeVersion(1);
    Instruction test;
    test.opcode = kExpressionOpcode;
    test.trueTarget = 1;
    test.falseTarget = kTargetFalse;
    test.operands = {0x09, 0x00, 0x38, 0x00, 0x00, 0x05, 0x19, 0x12};
    Instruction warning = dialogInstruction(0, kTargetTrue);
    warning.operands = {1, 2, 0, 0, 0, 0, 0, 0};  // "Car Pool name", "Car Pool warning"
    return carPool.append(test) && carPool.append(warning) &&
           addBody(view, messages, kTypeBhav, kDialogTreeId, "Career messages") &&
           addBody(view, carPool, kTypeBhav, kCarPoolTreeId, "Car pool");
}

bool buildGlobalTexts(StringTable& texts) {
    MemoryFile defaults(defaultGlobalTextsBody());
    if (!texts.loadFromFile(defaults) ||
        texts.rowCount() != static_cast<std::size_t>(kDefaultGlobalTextEntries)) {
        return false;
    }
    for (std::size_t row = texts.rowCount(); row < kGameTextEntries; ++row) {
        if (!setAllLanguages(texts, row, [&](const EncodedWords& w) {
                return numbered(w.career, row) + " - " + numbered("notice", row);
            })) {
            return false;
        }
    }
    return true;
}

bool writeBareCardFile(FileSystem& fs, const std::string& path) {
    IffFileTable table(fs);
    IffView view(table);
    GlobalOptions options;
    for (std::size_t entry = 0; entry < kOptions.size(); ++entry) {
        if (!options.setOption(entry, kOptions[entry])) {
            return false;
        }
    }
    StringTable texts;
    return buildGlobalTexts(texts) &&
           addBody(view, options, kTypeBcon, kGlobalOptionsChunkId, "Career options") &&
           addBody(view, texts, kTypeStr, kGlobalTextsChunkId, "Global texts") &&
           addDialogTrees(view) && table.writeContainerToPath(path, view.slot());
}

// A few cards per track, of every kind of item.
bool fillCard(CareerDatabase& database, std::size_t position, std::size_t level) {
    ChanceCard* card = database.chanceCard(position, level);
    if (card == nullptr || !database.allocateCardText(*card)) {
        return false;
    }
    const bool good = (position + level) % 2 == 0;
    const std::string name = kTrackNames[position];
    const std::size_t entry = card->textIndex - 1u;
    const LanguageTable* words = encodedWords();
    if (words == nullptr) {
        return false;
    }
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        const EncodedWords& w = (*words)[static_cast<std::size_t>(slot)];
        if (!database.setGlobalText(entry, slot,
                                    w.job + " " + name + " " + std::to_string(level + 1) +
                                        (good ? ": a lucky day (+)" : ": a bad day (-)"))) {
            return false;
        }
    }
    const auto step = static_cast<std::uint16_t>(level + 1);
    card->items.push_back(CardItem::sound(good ? CardItem::kSoundGood : CardItem::kSoundBad));
    card->items.push_back(CardItem::budget(good ? CardItem::kModeAdd : CardItem::kModeSubtract,
                                           static_cast<std::uint16_t>((good ? 100 : 40) * step)));
    if (level % 2 == 0) {
        constexpr std::array<std::uint16_t, 6> kSkills = {
            CardItem::kSkillCooking,    CardItem::kSkillCharisma, CardItem::kSkillMechanical,
            CardItem::kSkillCreativity, CardItem::kSkillBody,     CardItem::kSkillLogic};
        card->items.push_back(CardItem::skill(good ? CardItem::kModeAdd : CardItem::kModeSubtract,
                                              kSkills[(position + level) % kSkills.size()],
                                              static_cast<std::uint16_t>(100 * (1 + level % 3))));
    }
    if (level == kLevels - 1 && position % 2 == 0) {
        card->items.push_back(CardItem::job(CardItem::kJobPromotionLevel, 8));
    } else if (level == 0 && position % 5 == 0) {
        card->items.push_back(
            CardItem::job(CardItem::kJobCareerPath, kTrackIds[(position + 1) % kSampleTrackCount]));
    }
    return true;
}

bool openLoaded(IffFileTable& table, IffView& view, const std::string& folder,
                const std::string& name) {
    const int slot = table.openPath(folder, name, false);
    return slot != 0 && table.parse(slot) && view.attach(slot) && view.loadAll();
}

bool writeCards(FileSystem& fs, const std::string& expansionFolder,
                const std::string& objectsFolder, std::uint32_t installedPacks) {
    IffFileTable table(fs);
    IffView careerView(table);
    IffView cardView(table);
    CareerDatabase database;
    if (!openLoaded(table, careerView, expansionFolder, kWorkFileName) ||
        !openLoaded(table, cardView, objectsFolder, kCarPortalFileName) ||
        !database.loadCareers(careerView) || !database.loadChanceCards(cardView, installedPacks)) {
        return false;
    }
    for (std::size_t position = 0; position < database.trackCount(); ++position) {
        for (std::size_t level = position % 3; level < kLevels; level += 3) {
            if (!fillCard(database, position, level)) {
                return false;
            }
        }
    }
    return database.saveChanceCards(cardView, installedPacks);
}

// ---- Icons ----------------------------------------------------------------------------

Rgb trackColour(int id, int salt) {
    return {static_cast<std::uint8_t>(40 + (id * 53 + salt) % 200),
            static_cast<std::uint8_t>(40 + (id * 97 + salt * 3) % 200),
            static_cast<std::uint8_t>(40 + (id * 151 + salt * 7) % 200)};
}

bool isTrackId(int id) {
    for (std::uint16_t trackId : kTrackIds) {
        if (trackId == id) {
            return true;
        }
    }
    return false;
}

// Band `id` of a strip: a track's own colours, a diamond whose size follows
// the id and the id in binary as dots; grey for ids without a track.
void drawIcon(Bitmap& strip, int id, int iconHeight) {
    const int width = strip.width();
    const int top = id * iconHeight;
    const bool track = isTrackId(id);
    const Rgb background = track ? trackColour(id, 0) : Rgb{128, 128, 128};
    const Rgb shape = track ? trackColour(id, 5) : Rgb{96, 96, 96};
    const int cx = width / 2;
    const int cy = iconHeight / 2;
    const int radius = iconHeight / 4 + id % (iconHeight / 4);
    for (int y = 0; y < iconHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            const int distance = std::abs(x - cx) / 2 + std::abs(y - cy);
            Rgb colour = distance <= radius ? shape : background;
            if (y == 0 || y == iconHeight - 1) {
                colour = {0, 0, 0};
            }
            strip.setPixel(x, top + y, colour);
        }
    }
    for (int bit = 0; bit < 5 && track; ++bit) {
        const Rgb dot = (id >> bit) & 1 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
        for (int y = iconHeight - 5; y < iconHeight - 2; ++y) {
            for (int x = 3 + bit * 5; x < 6 + bit * 5; ++x) {
                strip.setPixel(x, top + y, dot);
            }
        }
    }
}

std::vector<std::uint8_t> stripFile(int width, int iconHeight) {
    Bitmap strip(width, iconHeight * kStripIcons);
    for (int id = 0; id < kStripIcons; ++id) {
        drawIcon(strip, id, iconHeight);
    }
    return encodeBitmapFile(strip);
}

void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

// A FAR archive (version 1, 4-byte name lengths) holding the entries in order.
std::vector<std::uint8_t> farArchive(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& entries) {
    constexpr std::uint32_t kVersion = 1;
    std::vector<std::uint8_t> out(std::begin(FarArchive::kMagic), std::end(FarArchive::kMagic));
    appendLe32(out, kVersion);
    appendLe32(out, 0);  // the directory offset, set below
    std::vector<std::uint32_t> offsets;
    for (const auto& entry : entries) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), entry.second.begin(), entry.second.end());
    }
    const auto directory = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) {
        out[FarArchive::kHeaderSize - 4 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>((directory >> (8 * i)) & 0xFF);
    }
    appendLe32(out, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto length = static_cast<std::uint32_t>(entries[i].second.size());
        appendLe32(out, length);
        appendLe32(out, length);
        appendLe32(out, offsets[i]);
        appendLe32(out, static_cast<std::uint32_t>(entries[i].first.size()));
        out.insert(out.end(), entries[i].first.begin(), entries[i].first.end());
    }
    return out;
}

bool writeIconArchive(FileSystem& fs, const std::string& interfaceFolder) {
    Bitmap panel(32, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            panel.setPixel(
                x, y, {static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8), 90});
        }
    }
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> entries = {
        {"cpanel\\Backgrounds\\PanelBack.bmp", encodeBitmapFile(panel)},
        {kPopupIconName, stripFile(IconStore::kPopupIconWidth, IconStore::kPopupIconHeight)},
        {kButtonIconName, stripFile(IconStore::kButtonIconWidth, IconStore::kButtonIconHeight)},
    };
    const std::vector<std::uint8_t> bytes = farArchive(entries);
    return writeFileAtomically(fs, interfaceFolder + kSampleArchiveName, bytes.data(),
                               bytes.size());
}

// Creates every level of `relative` (backslash-separated, ending in one)
// under `root`; true when the last exists afterwards.
bool createFolders(FileSystem& fs, const std::string& root, const std::string& relative) {
    bool ok = true;
    for (std::size_t end = relative.find('\\'); end != std::string::npos;
         end = relative.find('\\', end + 1)) {
        ok = fs.createFolder(root + relative.substr(0, end));
    }
    return ok;
}

}  // namespace

std::vector<std::uint16_t> sampleTrackIds() {
    return {kTrackIds.begin(), kTrackIds.end()};
}

bool writeSampleGameFiles(FileSystem& fs, const std::string& gameFolder,
                          std::uint32_t installedPacks) {
    const std::string expansion = gameFolder + kExpansionFolderName;
    const std::string objects = gameFolder + kObjectsFolderName;
    const std::string interface = gameFolder + kInterfaceFolderName;
    return createFolders(fs, gameFolder, kExpansionFolderName) &&
           createFolders(fs, gameFolder, kObjectsFolderName) &&
           createFolders(fs, gameFolder, kInterfaceFolderName) &&
           writeCareerFile(fs, expansion + kWorkFileName) &&
           writeBareCardFile(fs, objects + kCarPortalFileName) &&
           writeCards(fs, expansion, objects, installedPacks) && writeIconArchive(fs, interface);
}

std::string sampleSystemRegistry() {
    SettingsValues values;
    auto text = [](const std::string& value) {
        SettingsValue v;
        v.type = SettingsValueType::String;
        v.data.assign(value.begin(), value.end());
        v.data.push_back(0);
        return v;
    };
    values[kDataFolderValue] = text(kSampleGameFolder);
    for (int pack = 0; pack < kPackCount; ++pack) {
        if ((kSampleInstalledPacks & packBit(pack)) != 0) {
            values[kPackValueNames[pack]] = text(kPackInstalledText);
        }
    }
    return std::string(kWineRegistryHeader) +
           "\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n" +
           wine::formatKey(kGameKeyPath, values);
}

bool makeSampleInstallation(const std::string& prefix, std::string* gameFolder) {
    namespace stdfs = std::filesystem;
    std::error_code error;
    const stdfs::path root(prefix);
    const stdfs::path drive = root / "drive_c";
    // kSampleGameFolder below its drive letter.
    const stdfs::path game = drive / "Program Files" / "Maxis" / "The Sims";
    stdfs::create_directories(game, error);
    if (error) {
        return false;
    }
#ifndef _WIN32
    // Wine's drive link; Windows has no such folder (nor a file named "c:").
    const stdfs::path devices = root / "dosdevices";
    stdfs::create_directories(devices, error);
    if (error) {
        return false;
    }
    const stdfs::path link = devices / "c:";
    stdfs::remove(link, error);
    stdfs::create_directory_symlink("../drive_c", link, error);
    if (error) {
        return false;
    }
#endif
    FileSystem& fs = systemFileSystem();
    const std::string registry = sampleSystemRegistry();
    if (!writeFileAtomically(fs, (root / "system.reg").string(),
                             reinterpret_cast<const std::uint8_t*>(registry.data()),
                             registry.size())) {
        return false;
    }
    const std::string folder = (game / "").string();  // with a trailing separator
    if (!writeSampleGameFiles(fs, folder, kSampleInstalledPacks)) {
        return false;
    }
    if (gameFolder != nullptr) {
        *gameFolder = folder;
    }
    return true;
}

}  // namespace jf
