// cards dump / resave: the chance cards, global options and global texts of
// a chance card object file, with the tracks of a career file.
//
// Every card item is shown as [kind, mode, value], the three fields of
// CardItem unchanged: kind 1 budget, 2 skill, 3 job, 4 sound; mode 0 add,
// 1 subtract, 2 set; value the amount, skill x 65536 + study points,
// 56/57 x 65536 + number, or the sound (312 good, 311 bad).
#include <vector>

#include "Cli.h"
#include "careers/CareerDatabase.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

const char* const kCannotLoadCards = "Cannot load the Chance Cards!";
constexpr std::uint32_t kDefaultPacks = 0x01;

// Splits off "--packs MASK" (anywhere after the command words); false on a
// malformed option.
bool takePacks(const Args& args, Args& rest, std::uint32_t& packs) {
    packs = kDefaultPacks;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--packs") {
            unsigned long value = 0;
            if (i + 1 >= args.size() || !parseUnsigned(args[i + 1], value) ||
                value > 0xFFFFFFFFul) {
                return false;
            }
            packs = static_cast<std::uint32_t>(value);
            ++i;
        } else {
            rest.push_back(args[i]);
        }
    }
    return true;
}

// Opens and parses a container read-only; 0 with a message on failure.
int openReadOnly(IffFileTable& table, const std::string& path, std::string& message) {
    std::unique_ptr<File> file = table.fileSystem().open(path, OpenMode::Read);
    if (!file) {
        message = cannotOpenText(path);
        return 0;
    }
    int slot = table.openFile(*file, paths::fileName(path), true);
    if (slot == 0 || !table.parse(slot)) {
        message = notAnIffFileText(path);
        return 0;
    }
    return slot;
}

nlohmann::json cardJson(const ChanceCard& card) {
    nlohmann::json items = nlohmann::json::array();
    for (const CardItem& item : card.items) {
        items.push_back({item.kind, item.mode, item.value});
    }
    return {{"textIndex", card.textIndex}, {"items", items}};
}

nlohmann::json databaseJson(const CareerDatabase& database) {
    nlohmann::json tracks = nlohmann::json::array();
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        const CareerTrack& track = *database.track(p);
        nlohmann::json cards = nlohmann::json::array();
        for (const ChanceCard& card : track.cards) {
            cards.push_back(cardJson(card));
        }
        tracks.push_back({{"id", track.id}, {"cards", cards}});
    }
    const GlobalOptions& options = database.globalOptions();
    nlohmann::json values = nlohmann::json::array();
    for (std::int16_t value : options.values()) {
        values.push_back(value);
    }
    nlohmann::json texts = nlohmann::json::array();
    for (const StringTable::Row& row : database.globalTexts().rows()) {
        nlohmann::json languages = nlohmann::json::array();
        for (const StringTable::Entry& entry : row) {
            languages.push_back(latin1(entry.text));
        }
        texts.push_back(std::move(languages));
    }
    nlohmann::json freeEntries = nlohmann::json::array();
    for (std::size_t entry = 0; entry < kFreeTextFlagCount; ++entry) {
        if (database.textEntryFree(entry)) {
            freeEntries.push_back(entry);
        }
    }
    return {{"tracks", tracks},
            {"options", {{"flag", options.flag() ? 1 : 0}, {"values", values}}},
            {"globalTexts", texts},
            {"freeEntries", freeEntries}};
}

int cardsDump(const Args& args) {
    Args rest;
    std::uint32_t packs = 0;
    if (!takePacks(args, rest, packs) || rest.size() != 2) {
        return usage();
    }
    IffFileTable table(systemFileSystem());
    std::string message;
    const int careerSlot = openReadOnly(table, rest[0], message);
    if (careerSlot == 0) {
        return fail(message);
    }
    const int cardSlot = openReadOnly(table, rest[1], message);
    if (cardSlot == 0) {
        return fail(message);
    }
    IffView careerView(table);
    IffView cardView(table);
    careerView.attach(careerSlot);
    cardView.attach(cardSlot);
    CareerDatabase database;
    if (!database.loadCareers(careerView)) {
        return fail(kCannotLoadCareersText);
    }
    if (!database.loadChanceCards(cardView, packs)) {
        return fail(kCannotLoadCards);
    }
    printJson(databaseJson(database));
    return kExitOk;
}

// Copies CARPORTAL to OUT, loads the tracks from CAREERFILE and the cards
// from OUT, and saves the cards back into OUT, as File Save does.
int cardsResave(const Args& args) {
    Args rest;
    std::uint32_t packs = 0;
    if (!takePacks(args, rest, packs) || rest.size() != 3) {
        return usage();
    }
    const std::string& careerPath = rest[0];
    const std::string& in = rest[1];
    const std::string& out = rest[2];
    FileSystem& fs = systemFileSystem();
    std::vector<std::uint8_t> bytes;
    {
        std::unique_ptr<File> source = fs.open(in, OpenMode::Read);
        const std::int64_t length = source ? source->length() : -1;
        if (length < 0) {
            return fail(cannotOpenText(in));
        }
        bytes.resize(static_cast<std::size_t>(length));
        if (!bytes.empty() && !source->readExact(bytes.data(), bytes.size())) {
            return fail(cannotReadText(in));
        }
    }

    IffFileTable table(fs);
    std::string message;
    const int careerSlot = openReadOnly(table, careerPath, message);
    if (careerSlot == 0) {
        return fail(message);
    }
    IffView careerView(table);
    careerView.attach(careerSlot);
    CareerDatabase database;
    if (!database.loadCareers(careerView)) {
        return fail(kCannotLoadCareersText);
    }

    if (!writeFileAtomically(fs, out, bytes.data(), bytes.size())) {
        return fail(cannotWriteText(out));
    }
    const int cardSlot = table.openPath(paths::folderOf(out), paths::fileName(out), false);
    if (cardSlot == 0) {
        return fail(cannotOpenText(out));
    }
    if (!table.parse(cardSlot)) {
        return fail(notAnIffFileText(out));
    }
    IffView cardView(table);
    if (!cardView.attach(cardSlot) || !cardView.loadAll()) {
        return fail(cannotReadText(out));
    }
    if (!database.loadChanceCards(cardView, packs)) {
        return fail(kCannotLoadCards);
    }
    if (!database.saveChanceCards(cardView, packs)) {
        return fail(kSaveCardsFailedText);
    }
    printJson({{"file", latin1(out)}, {"tracks", database.trackCount()}});
    return kExitOk;
}

Registrar dumpReg{{"cards", "dump", "CAREERFILE CARPORTAL [--packs MASK]", cardsDump}};
Registrar resaveReg{{"cards", "resave", "CAREERFILE CARPORTAL OUT [--packs MASK]", cardsResave}};

}  // namespace
}  // namespace jf::cli
