#include "exchange/Translation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "careers/CareerDatabase.h"
#include "careers/CareerStrings.h"
#include "careers/GlobalTextsForm.h"
#include "document/LineBreaks.h"
#include "platform/CodePages.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/RecentFolders.h"
#include "platform/Version.h"

namespace jf {

namespace {

constexpr int kSourceLanguage = 0;  // USEnglish: the source texts

constexpr std::array<const char*, kLanguageSlotCount> kGettextCodes = {
    "en_US", "en_GB", "fr", "de", "it", "es", "nl",    "da",    "sv", "nb",
    "fi",    "he",    "ru", "pt", "ja", "pl", "zh_CN", "zh_TW", "th", "ko",
};

// Other codes a PO editor may put in the Language field.
struct LanguageAlias {
    const char* code;
    int slot;
};
constexpr std::array<LanguageAlias, 6> kLanguageAliases = {{
    {"en", 0},
    {"no", 9},
    {"nn", 9},
    {"zh", 16},
    {"zh_hans", 16},
    {"zh_hant", 17},
}};

// The track texts in contexts: the fields of a track, then of a job level.
struct TrackTextKey {
    const char* name;
    TextField field;
};
constexpr std::array<TrackTextKey, 3> kTrackKeys = {{
    {"careerName", TextField::CareerName},
    {"maleOffer", TextField::MaleOffer},
    {"femaleOffer", TextField::FemaleOffer},
}};
constexpr std::array<TrackTextKey, 3> kJobKeys = {{
    {"maleJobName", TextField::MaleJobName},
    {"femaleJobName", TextField::FemaleJobName},
    {"jobDescription", TextField::JobDescription},
}};
constexpr char kChanceCardKey[] = "chanceCard";

std::string lowerCase(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// Stored bytes of `language` as the file shows them.
std::string fileText(const std::string& bytes, int language) {
    return multiLineFieldText(toUtf8Lossy(bytes, codePageForSlot(language)));
}

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string trackPrefix(std::size_t position, const CareerTrack& track) {
    return "track " + std::to_string(position) + " (id " + std::to_string(track.id) + ")";
}

std::string jobPrefix(std::size_t position, const CareerTrack& track, std::size_t level) {
    return trackPrefix(position, track) + " job " + std::to_string(level + 1);
}

// The label of a global text field without its colon.
std::string globalLabel(std::size_t field) {
    std::string label = globalTextFields()[field].label;
    if (!label.empty() && label.back() == ':') {
        label.pop_back();
    }
    return label;
}

std::size_t levelsOf(const CareerTrack& track) {
    return std::min(track.career.levels.size(), CareerStrings::kLevelSlots);
}

// The global texts entry of the card of (position, level) whose text is
// translated: a card with items and a text entry the table has.
std::optional<std::size_t> cardTextEntry(const CareerDatabase& database, std::size_t position,
                                         std::size_t level) {
    const ChanceCard* card = database.chanceCard(position, level);
    if (card == nullptr || card->empty() || card->textIndex == 0 ||
        card->textIndex > database.globalTexts().rowCount()) {
        return std::nullopt;
    }
    return card->textIndex - 1u;
}

class FileBuilder {
public:
    FileBuilder(PoFile& file, int language) : file_(file), language_(language) {}

    void add(const StringTable& table, std::size_t entry, std::string context,
             std::string comment) {
        const std::string source = table.text(entry, kSourceLanguage);
        if (source.empty()) {
            return;
        }
        PoEntry po;
        po.context = std::move(context);
        po.source = fileText(source, kSourceLanguage);
        po.translation = fileText(table.text(entry, language_), language_);
        po.comments.push_back(std::move(comment));
        file_.entries.push_back(std::move(po));
    }

private:
    PoFile& file_;
    int language_;
};

// ---- Reading a context back -------------------------------------------------------------

// Where a context points.
struct Target {
    bool global = false;
    std::size_t position = 0;
    std::size_t entry = 0;
    int cardLevel = -1;  // for a card's text: its level
};

// Reads "track P (id I) ..." and "global KEY"; the reason in `why` when the
// context names nothing that exists.
std::optional<Target> resolveContext(const CareerDatabase& database, const std::string& context,
                                     std::string& why) {
    std::istringstream words(context);
    std::string word;
    words >> word;
    if (word == "global") {
        std::string key;
        words >> key;
        for (std::size_t i = 0; i < kGlobalTextKeys.size(); ++i) {
            if (key == kGlobalTextKeys[i] && !(words >> word)) {
                Target target;
                target.global = true;
                target.entry = globalTextFields()[i].entry;
                return target;
            }
        }
        why = "no such global text";
        return std::nullopt;
    }
    why = "not a context of a career text";
    std::size_t position = 0;
    std::string idWord;
    unsigned long id = 0;
    if (word != "track" || !(words >> position >> word >> idWord) || word != "(id" ||
        idWord.size() < 2 || idWord.back() != ')') {
        return std::nullopt;
    }
    try {
        std::size_t used = 0;
        id = std::stoul(idWord, &used);
        if (used + 1 != idWord.size()) {
            return std::nullopt;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    std::string key;
    std::size_t job = 0;
    if (!(words >> key)) {
        return std::nullopt;
    }
    const bool jobText = key == "job";
    if (jobText && !(words >> job >> key)) {
        return std::nullopt;
    }
    if (words >> word) {
        return std::nullopt;
    }
    const long found = id <= CareerDatabase::kMaxTrackId
                           ? database.positionOfId(static_cast<std::uint16_t>(id))
                           : -1;
    if (found < 0) {
        why = "there is no career with id " + std::to_string(id);
        return std::nullopt;
    }
    Target target;
    target.position = static_cast<std::size_t>(found);
    const CareerTrack& track = *database.track(target.position);
    std::optional<TextField> field;
    for (const TrackTextKey& candidate : jobText ? kJobKeys : kTrackKeys) {
        if (key == candidate.name) {
            field = candidate.field;
        }
    }
    if (jobText && (job == 0 || job > levelsOf(track))) {
        why = "career id " + std::to_string(id) + " has no job " + std::to_string(job);
        return std::nullopt;
    }
    if (jobText && key == kChanceCardKey) {
        const std::optional<std::size_t> entry = cardTextEntry(database, target.position, job - 1);
        if (!entry) {
            why = "this job has no chance card with a text";
            return std::nullopt;
        }
        target.global = true;
        target.entry = *entry;
        target.cardLevel = static_cast<int>(job - 1);
        return target;
    }
    if (!field) {
        why = "no such text of a career";
        return std::nullopt;
    }
    target.entry = *entryOfField(*field, jobText ? job - 1 : 0);
    if (target.entry >= track.strings.rowCount()) {
        why = "this career's texts end before it";
        return std::nullopt;
    }
    return target;
}

std::string headerText(int language) {
    return std::string("Project-Id-Version: ") + kProgramCaption + " careers\n" +
           "Language: " + gettextLanguageCode(language) + "\n" +
           "Language-Team: " + languageNameForSlot(language) +
           "\n"
           // Filled in by the translator's PO editor.
           "Last-Translator: \n"
           "PO-Revision-Date: \n"
           "MIME-Version: 1.0\n"
           "Content-Type: text/plain; charset=UTF-8\n"
           "Content-Transfer-Encoding: 8bit\n"
           "X-Generator: " +
           kProgramCaption + " " + programVersion() + "\n";
}

std::string problemLine(const PoEntry& entry, const std::string& why) {
    return "line " + std::to_string(entry.line) + ": msgctxt \"" + entry.context + "\": " + why;
}

std::string listedProblems(const std::string& lead, const std::vector<std::string>& problems) {
    std::string text = lead + "\n";
    for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i) {
        text += "\n" + problems[i];
    }
    if (problems.size() > kProblemsShown) {
        text += "\n... and " + std::to_string(problems.size() - kProblemsShown) + " more";
    }
    return text;
}

}  // namespace

const char* gettextLanguageCode(int slot) {
    return slot >= 0 && slot < kLanguageSlotCount ? kGettextCodes[static_cast<std::size_t>(slot)]
                                                  : "";
}

std::optional<int> slotOfGettextLanguage(std::string_view code) {
    const std::string wanted = lowerCase(code);
    if (wanted.empty()) {
        return std::nullopt;
    }
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        if (wanted == lowerCase(gettextLanguageCode(slot))) {
            return slot;
        }
    }
    for (const LanguageAlias& alias : kLanguageAliases) {
        if (wanted == alias.code) {
            return alias.slot;
        }
    }
    if (const std::size_t separator = wanted.find('_'); separator != std::string::npos) {
        if (std::optional<int> slot = slotOfGettextLanguage(wanted.substr(0, separator))) {
            return slot;
        }
    }
    return languageSlotFromName(code);
}

PoFile translationFile(const Document& document, int language) {
    const CareerDatabase& database = document.database();
    PoFile file;
    file.header = headerText(language);
    FileBuilder builder(file, language);
    for (std::size_t position = 0; position < database.trackCount(); ++position) {
        const CareerTrack& track = *database.track(position);
        const std::string careerLine =
            "Career: " +
            oneLine(fileText(track.strings.text(CareerStrings::kCareerNameEntry, kSourceLanguage),
                             kSourceLanguage));
        for (const TrackTextKey& key : kTrackKeys) {
            builder.add(track.strings, *entryOfField(key.field, 0),
                        trackPrefix(position, track) + " " + key.name, careerLine);
        }
        for (std::size_t level = 0; level < levelsOf(track); ++level) {
            const std::string jobLine = document.jobDetailsLine(position, level, kSourceLanguage);
            for (const TrackTextKey& key : kJobKeys) {
                builder.add(track.strings, *entryOfField(key.field, level),
                            jobPrefix(position, track, level) + " " + key.name, jobLine);
            }
            if (const std::optional<std::size_t> entry = cardTextEntry(database, position, level)) {
                builder.add(database.globalTexts(), *entry,
                            jobPrefix(position, track, level) + " " + kChanceCardKey,
                            jobLine + " (chance card)");
            }
        }
    }
    for (std::size_t i = 0; i < kGlobalTextFieldCount; ++i) {
        builder.add(database.globalTexts(), globalTextFields()[i].entry,
                    std::string("global ") + kGlobalTextKeys[i], "Global text: " + globalLabel(i));
    }
    return file;
}

std::optional<int> translationLanguage(const PoFile& file, const std::string& override,
                                       std::string& problem) {
    if (!override.empty()) {
        if (std::optional<int> slot = languageSlotFromName(override)) {
            return slot;
        }
        problem = "unknown language '" + override + "'";
        return std::nullopt;
    }
    const std::string code = poHeaderField(file.header, "Language");
    if (std::optional<int> slot = slotOfGettextLanguage(code)) {
        return slot;
    }
    problem = code.empty() ? "the file's header names no language (Language:)"
                           : "the file's language '" + code + "' is none of the game's";
    return std::nullopt;
}

TranslationPlan planTranslation(const Document& document, const PoFile& file, int language) {
    const CareerDatabase& database = document.database();
    TranslationPlan plan;
    plan.language = language;
    std::set<std::string> contexts;
    // The new text of each entry changed so far, to find two cards sharing
    // one text entry translated two ways.
    std::map<std::pair<bool, std::pair<std::size_t, std::size_t>>, std::string> planned;
    const int codePage = codePageForSlot(language);
    const std::string contentType = poHeaderField(file.header, "Content-Type");
    if (const std::size_t at = lowerCase(contentType).find("charset="); at != std::string::npos) {
        const std::string charset = contentType.substr(at + 8);
        const std::string wanted = lowerCase(charset);
        // "CHARSET" is the placeholder of an empty template.
        if (wanted != "utf_8" && wanted != "utf8" && wanted != "ascii" && wanted != "us_ascii" &&
            wanted != "charset") {
            plan.problems.push_back("the file's header says charset=" + charset +
                                    "; save it as UTF-8");
            return plan;
        }
    }
    for (const PoEntry& entry : file.entries) {
        if (!contexts.insert(entry.context).second) {
            plan.problems.push_back(problemLine(entry, "appears more than once"));
            continue;
        }
        std::string why;
        const std::optional<Target> target = resolveContext(database, entry.context, why);
        if (!target) {
            plan.problems.push_back(problemLine(entry, why));
            continue;
        }
        if (entry.plural) {
            ++plan.plural;
            continue;
        }
        if (entry.fuzzy) {
            ++plan.fuzzy;
            continue;
        }
        if (entry.translation.empty()) {
            ++plan.untranslated;
            continue;
        }
        const StringTable& table =
            target->global ? database.globalTexts() : database.track(target->position)->strings;
        const std::string current = table.text(target->entry, language);
        if (entry.translation == fileText(current, language)) {
            ++plan.unchanged;
            continue;
        }
        const std::string stored = multiLineDataText(entry.translation);
        const std::optional<std::string> bytes = fromUtf8(stored, codePage);
        if (!bytes) {
            const char32_t point = firstUnstorableCharacter(stored, codePage).value_or(0xFFFD);
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(point));
            plan.problems.push_back(problemLine(
                entry, point == 0xFFFD && stored.find("\xEF\xBF\xBD") == std::string::npos
                           ? "the text is not valid UTF-8"
                           : std::string("the character ") + code + " cannot be stored in " +
                                 languageNameForSlot(language)));
            continue;
        }
        if (*bytes == current) {
            ++plan.unchanged;
            continue;
        }
        const auto [where, added] = planned.emplace(
            std::make_pair(target->global,
                           std::make_pair(target->global ? 0 : target->position, target->entry)),
            *bytes);
        if (!added) {
            if (where->second != *bytes) {
                plan.problems.push_back(problemLine(
                    entry, "shares its text with another entry translated differently"));
            }
            continue;
        }
        plan.changes.push_back({target->global, target->position, target->entry, *bytes});
    }
    return plan;
}

EditResult applyTranslation(Document& document, const TranslationPlan& plan) {
    if (!plan.problems.empty()) {
        return {EditStatus::Refused, listedProblems(kTranslationNotImportedText, plan.problems)};
    }
    if (plan.changes.empty()) {
        return {};
    }
    EditScope scope;
    for (const TranslationPlan::Change& change : plan.changes) {
        if (change.global) {
            if (!scope.globalTexts) {
                scope.globalTexts = TableScope{};
            }
            scope.globalTexts->rows.push_back(change.entry);
            continue;
        }
        auto track =
            std::find_if(scope.tracks.begin(), scope.tracks.end(),
                         [&](const TrackScope& t) { return t.position == change.position; });
        if (track == scope.tracks.end()) {
            TrackScope reach;
            reach.position = change.position;
            reach.strings = TableScope{};
            scope.tracks.push_back(reach);
            track = scope.tracks.end() - 1;
        }
        track->strings->rows.push_back(change.entry);
    }
    const int language = plan.language;
    return document.change(
        steptext::kImportTranslation, {EditPlace::kNone, EditPlace::kNone, language}, scope,
        [&](EditorSession& session) {
            for (const TranslationPlan::Change& change : plan.changes) {
                const bool stored =
                    change.global
                        ? session.database.setGlobalText(change.entry, language, change.bytes)
                        : session.database.track(change.position)
                              ->strings.setString(change.entry, language, StringTable::kText,
                                                  change.bytes);
                if (!stored) {
                    return false;
                }
            }
            return true;
        });
}

// ---- The editor's File menu -------------------------------------------------------

FileChoice exportTranslationChoice(int language) {
    FileChoice choice;
    choice.title = "Export translation";
    choice.filters = {{kTranslationFilterText, kPoPattern}};
    choice.defaultExtension = "po";
    choice.initialName = std::string("careers-") + gettextLanguageCode(language) + ".po";
    return choice;
}

FileChoice importTranslationChoice() {
    FileChoice choice;
    choice.title = "Import translation";
    choice.filters = {{kTranslationFilterText, kPoPattern}};
    choice.defaultExtension = "po";
    return choice;
}

std::optional<std::string> readTextFile(Document& document, const std::string& path) {
    const std::unique_ptr<File> file = document.session().fs.open(path, OpenMode::Read);
    if (!file) {
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    while (true) {
        const std::int64_t got = file->read(buffer, sizeof buffer);
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

ExchangeResult exportTranslation(Document& document, Prompts& prompts, int language) {
    EditorSession& session = document.session();
    FileChoice choice = exportTranslationChoice(language);
    choice.initialFolder = recentFolder(session.settings, FileKind::Translations);
    const std::optional<std::string> path = prompts.chooseSaveFile(choice);
    if (!path) {
        return ExchangeResult::Cancelled;
    }
    rememberFolder(session.settings, FileKind::Translations, *path);
    const std::string text = writePoFile(translationFile(document, language));
    if (!writeFileAtomically(session.fs, *path, reinterpret_cast<const std::uint8_t*>(text.data()),
                             text.size())) {
        prompts.show(errorMessage(kCannotWriteTranslationText, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
    prompts.show(
        {kTranslationExportedText, kProgramCaption, PromptButtons::Ok, PromptIcon::Information});
    return ExchangeResult::Succeeded;
}

ExchangeResult importTranslation(Document& document, Prompts& prompts, EditPlace* place) {
    EditorSession& session = document.session();
    FileChoice choice = importTranslationChoice();
    choice.initialFolder = recentFolder(session.settings, FileKind::Translations);
    const std::optional<std::string> path = prompts.chooseOpenFile(choice);
    if (!path) {
        return ExchangeResult::Cancelled;
    }
    rememberFolder(session.settings, FileKind::Translations, *path);
    const std::optional<std::string> text = readTextFile(document, *path);
    if (!text) {
        prompts.show(errorMessage(kCannotOpenFileText, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
    std::vector<std::string> problems;
    std::optional<PoFile> file = parsePoFile(*text, problems);
    std::optional<int> language;
    if (file) {
        std::string problem;
        language = translationLanguage(*file, {}, problem);
        if (!language) {
            problems.push_back(problem);
        }
    }
    TranslationPlan plan;
    if (language) {
        plan = planTranslation(document, *file, *language);
        problems = plan.problems;
    }
    if (!problems.empty()) {
        prompts.show(errorMessage(listedProblems(kTranslationNotImportedText, problems),
                                  kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
    const EditResult result = applyTranslation(document, plan);
    if (result.refused()) {
        prompts.show(errorMessage(result.message, kExchangeErrorCaption));
        return ExchangeResult::Failed;
    }
    if (place != nullptr) {
        *place = {EditPlace::kNone, EditPlace::kNone, plan.language};
    }
    prompts.show({"Translation imported into " + std::string(languageNameForSlot(plan.language)) +
                      ": " + std::to_string(plan.changes.size()) + " texts changed, " +
                      std::to_string(plan.unchanged) + " unchanged, " +
                      std::to_string(plan.untranslated) + " untranslated, " +
                      std::to_string(plan.fuzzy) + " fuzzy skipped.",
                  kProgramCaption, PromptButtons::Ok, PromptIcon::Information});
    return ExchangeResult::Succeeded;
}

}  // namespace jf
