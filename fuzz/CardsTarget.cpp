// Chance cards: loadChanceCards on a fuzzed card container next to a fixed
// career container, then saveChanceCards and a second load of the written
// file. The second load must give the same cards (sounds moved to the front,
// see soundsFirst), options and global texts (an all-empty texts table is
// written without rows), saving must not change the cards in memory, and a
// failed load must leave no cards and refuse to save.
//
// Input: byte 0 is the installed-packs mask (it chooses the root tree), the
// rest is the card container.
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "careers/CareerDatabase.h"
#include "support/CareerBuilders.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace cards_target {

constexpr const char* kTarget = "cards";

// The career container the cards belong to: tracks 1, 2 and 9.
struct FixedCareers {
    NullFileSystem fs;
    IffFileTable table{fs};
    IffView view{table};
    bool ok = false;

    FixedCareers() {
        const Bytes bytes = test::buildCareerContainer(
            {test::sampleTrack(1, "a"), test::sampleTrack(2, "b", 4), test::sampleTrack(9, "c")});
        ok = openContainer(table, view, bytes.data(), bytes.size(), "Work.iff") && view.loadAll();
    }
};

FixedCareers& fixedCareers() {
    static FixedCareers careers;
    return careers;
}

struct CardState {
    std::vector<TrackCards> cards;
    std::uint16_t optionsFlag = 0;
    std::vector<std::int16_t> options;
    std::vector<StringTable::Row> texts;
};

// A generated tree plays a card's sounds before its text and its changes,
// so a card read from a tree that plays them elsewhere comes back with its
// sounds first; the other items keep their order. A level without items has
// no card, so the save writes nothing for it: a text found there without
// any item does not come back.
TrackCards soundsFirst(TrackCards cards) {
    for (ChanceCard& card : cards) {
        if (card.items.empty()) {
            card.textIndex = 0;
        }
        std::stable_partition(card.items.begin(), card.items.end(), [](const CardItem& item) {
            return item.kind == CardItem::kKindSound;
        });
    }
    return cards;
}

CardState stateOf(const CareerDatabase& database) {
    CardState state;
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        state.cards.push_back(soundsFirst(database.track(p)->cards));
    }
    state.optionsFlag = database.globalOptions().flag() ? 1 : 0;
    state.options = database.globalOptions().values();
    state.texts = database.globalTexts().rows();
    return state;
}

std::string describe(const ChanceCard& card) {
    std::string text = "text " + std::to_string(card.textIndex) + " items";
    for (const CardItem& item : card.items) {
        text += " (" + std::to_string(item.kind) + "," + std::to_string(item.mode) + "," +
                std::to_string(item.value) + ")";
    }
    return text;
}

// The first card that differs, for the report.
std::string firstDifference(const std::vector<TrackCards>& a, const std::vector<TrackCards>& b) {
    for (std::size_t p = 0; p < a.size() && p < b.size(); ++p) {
        for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
            if (!(a[p][level] == b[p][level])) {
                return "track " + std::to_string(p) + " level " + std::to_string(level) + ": " +
                       describe(a[p][level]) + " became " + describe(b[p][level]);
            }
        }
    }
    return "track count";
}

bool allEmpty(const std::vector<StringTable::Row>& rows) {
    for (const StringTable::Row& row : rows) {
        for (const StringTable::Entry& entry : row) {
            if (!entry.text.empty() || !entry.comment.empty()) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace cards_target

int runCards(const std::uint8_t* data, std::size_t size) {
    using namespace cards_target;
    if (size < 1) {
        return 0;
    }
    FixedCareers& careers = fixedCareers();
    check(careers.ok, kTarget, "the fixed career container does not load");
    const std::uint32_t packs = data[0];

    CareerDatabase database;
    check(database.loadCareers(careers.view), kTarget, "the fixed careers do not load");

    NullFileSystem fs;
    IffFileTable table(fs);
    IffView view(table);
    if (!openContainer(table, view, data + 1, size - 1, "CarPortal.iff") || !view.loadAll()) {
        return 0;
    }
    if (!database.loadChanceCards(view, packs)) {
        for (std::size_t p = 0; p < database.trackCount(); ++p) {
            for (const ChanceCard& card : database.track(p)->cards) {
                check(card.empty() && card.textIndex == 0, kTarget, "a failed load kept cards");
            }
        }
        check(!database.saveChanceCards(view, packs), kTarget, "saved after a failed load");
        return 0;
    }
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        for (const ChanceCard& card : database.track(p)->cards) {
            check(card.items.size() <= kMaxCardItems, kTarget, "a card with too many items");
        }
    }
    const CardState loaded = stateOf(database);
    std::vector<TrackCards> cardsInMemory;
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        cardsInMemory.push_back(database.track(p)->cards);
    }
    if (!database.saveChanceCards(view, packs)) {
        return 0;  // blocks that fit no tree, or no tree id left
    }
    for (std::size_t p = 0; p < database.trackCount(); ++p) {
        check(database.track(p)->cards == cardsInMemory[p], kTarget,
              "saving changed the cards in memory");
    }
    const Bytes written = backingBytes(view);

    IffFileTable again(fs);
    IffView secondView(again);
    check(openContainer(again, secondView, written.data(), written.size(), "CarPortal.iff") &&
              secondView.loadAll(),
          kTarget, "the written card file does not load");
    CareerDatabase reread;
    check(reread.loadCareers(careers.view), kTarget, "the fixed careers do not load again");
    check(reread.loadChanceCards(secondView, packs), kTarget,
          "the written card file has no loadable cards");
    const CardState back = stateOf(reread);
    check(back.cards == loaded.cards, kTarget,
          "the cards changed on the way through the file: " +
              firstDifference(loaded.cards, back.cards));
    check(back.optionsFlag == loaded.optionsFlag && back.options == loaded.options, kTarget,
          "the global options changed");
    if (allEmpty(loaded.texts)) {
        check(back.texts.empty(), kTarget, "an all-empty texts table came back with rows");
    } else {
        check(back.texts == loaded.texts, kTarget, "the global texts changed");
    }
    return 0;
}

}  // namespace jf::fuzz
