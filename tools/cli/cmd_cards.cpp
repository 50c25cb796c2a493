// cards dump / resave: the chance cards, global options and global texts of
// a chance card object file, with the tracks of a career file.
//
// Every card item is shown as [kind, mode, value], the three fields of
// CardItem unchanged: kind 1 budget, 2 skill, 3 job, 4 sound; mode 0 add,
// 1 subtract, 2 set; value the amount, skill x 65536 + study points,
// 56/57 x 65536 + number, or the sound (312 good, 311 bad).
#include <vector>

#include "CareerJson.h"
#include "Cli.h"
#include "careers/CareerDatabase.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"
#include "startup/Loader.h"

namespace jf::cli {
namespace {

const char* const kCannotLoadCards = "Cannot load the Chance Cards!";

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

nlohmann::json databaseJson(const CareerDatabase& database, TextForm form) {
    nlohmann::json tracks = nlohmann::json::array();
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        const CareerTrack& track = *database.track(p);
        tracks.push_back({{"id", track.id}, {"cards", trackCardsJson(track)}});
    }
    return {{"tracks", tracks},
            {"options", optionsJson(database)},
            {"globalTexts", globalTextsJson(database, form)},
            {"freeEntries", freeEntriesJson(database)}};
}

int cardsDump(const Args& args) {
    CommandOptions options;
    if (!parseCommandOptions(args, true, {"--utf8"}, options)) {
        return kExitUsage;
    }
    const Args& rest = options.positional;
    const std::uint32_t packs = options.packs.value_or(kDefaultPacks);
    if (rest.size() != 2) {
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
    printJson(databaseJson(database, options.has("--utf8") ? TextForm::Decoded : TextForm::Latin1));
    return kExitOk;
}

// Copies CARPORTAL to OUT, loads the tracks from CAREERFILE and the cards
// from OUT, and saves the cards back into OUT, as File Save does.
int cardsResave(const Args& args) {
    CommandOptions options;
    if (!parseCommandOptions(args, true, {}, options)) {
        return kExitUsage;
    }
    const Args& rest = options.positional;
    const std::uint32_t packs = options.packs.value_or(kDefaultPacks);
    if (rest.size() != 3) {
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

Registrar dumpReg{{"cards", "dump", "CAREERFILE CARPORTAL [--packs MASK] [--utf8]", cardsDump,
                   "Shows the chance cards, global options and global texts, as JSON",
                   "Reads the tracks from CAREERFILE and the cards from CARPORTAL\n"
                   "(CarPortal.iff) without changing either. Card items are [kind, mode, value]:\n"
                   "kind 1 budget, 2 skill, 3 job, 4 sound; mode 0 add, 1 subtract, 2 set.\n"
                   "\n"
                   "  --utf8  global texts decoded with their code pages (see `help dump`)."}};
Registrar resaveReg{{"cards", "resave", "CAREERFILE CARPORTAL OUT [--packs MASK]", cardsResave,
                     "Copies a chance card file and saves the cards into the copy",
                     "Copies CARPORTAL to OUT, loads the tracks from CAREERFILE and the cards\n"
                     "from OUT, and saves the cards back into OUT as File Save does."}};

}  // namespace
}  // namespace jf::cli
