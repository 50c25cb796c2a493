// CareerDatabase: the chance cards, the global options and the global texts
// (the members that live in the chance card object file).
#include <algorithm>
#include <new>
#include <set>
#include <string>
#include <utility>

#include "careers/CareerDatabase.h"
#include "iff/IffFile.h"

namespace jf {

bool CareerDatabase::loadChanceCards(IffView& cardView, std::uint32_t installedPacks) {
    cardsLoaded_ = false;
    for (CareerTrack& t : tracks_) {
        t.cards = TrackCards{};
    }
    globalOptions_ = GlobalOptions();
    globalTexts_ = StringTable();
    freeTextFlags_.fill(false);
    releasableTexts_.fill(false);

    IffChunk* options = cardView.find(kTypeBcon, kGlobalOptionsChunkId);
    if (options == nullptr || !globalOptions_.attachTo(cardView, *options)) {
        return false;
    }
    const CardTrees trees = findCardTrees(cardView, cardRootTreeId(installedPacks));
    std::vector<TrackCards> cards;
    CardTextSites textSites;
    try {
        if (!decodeChanceCards(trees, trackIds(), cards, &textSites)) {
            return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    IffChunk* texts = cardView.find(kTypeStr, kGlobalTextsChunkId);
    if (texts == nullptr || !globalTexts_.attachTo(cardView, *texts)) {
        return false;
    }
    for (std::size_t position = 0; position < tracks_.size(); ++position) {
        tracks_[position].cards = std::move(cards[position]);
    }

    // An entry is free unless a dialog instruction of any tree refers to it.
    freeTextFlags_.fill(true);
    releasableTexts_.fill(true);
    IffView::Position at = cardView.firstOfType(kTypeBhav);
    while (IffChunk* chunk = cardView.nextOfType(kTypeBhav, at)) {
        CodeTree tree;
        if (!tree.attachTo(cardView, *chunk)) {
            continue;
        }
        markReferencedTexts(tree.instructions(), freeTextFlags_);
        auto sites = textSites.find(chunk->id);
        markPinnedTexts(tree.instructions(),
                        sites != textSites.end() ? sites->second : std::set<std::size_t>(),
                        releasableTexts_);
    }
    cardsLoaded_ = true;
    return true;
}

bool CareerDatabase::saveChanceCards(IffView& cardView, std::uint32_t installedPacks) {
    return encodeChanceCards(cardView, installedPacks) && cardView.writeTo(nullptr);
}

bool CareerDatabase::encodeChanceCards(IffView& cardView, std::uint32_t installedPacks) {
    // The tables must be attached to this container's chunks.
    if (!cardsLoaded_ || globalOptions_.ownsChunk() || globalTexts_.ownsChunk() ||
        cardView.find(kTypeBcon, kGlobalOptionsChunkId) != globalOptions_.chunk() ||
        cardView.find(kTypeStr, kGlobalTextsChunkId) != globalTexts_.chunk()) {
        return false;
    }
    globalOptions_.encodeInPlace();  // a failure here does not stop the save

    // Build every tree before the container changes.
    const std::uint16_t rootId = cardRootTreeId(installedPacks);
    const CardTrees found = findCardTrees(cardView, rootId);
    std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> bodies;
    try {
        std::vector<InstructionList> blocks(tracks_.size());
        for (std::size_t position = 0; position < tracks_.size(); ++position) {
            if (!buildTrackBlock(tracks_[position].id, tracks_[position].cards, blocks[position])) {
                return false;
            }
        }
        // The trees found are removed before the new ones are added. A root
        // tree that is missing or does not decode leaves entry 0 at 0; the
        // first tree then still takes the root id, where the game looks for
        // it (replacing an undecodable tree of that id).
        auto removed = [&found](std::uint16_t id) {
            return std::find(found.ids.begin(), found.ids.end(), id) != found.ids.end();
        };
        auto bhavExists = [&](std::uint16_t id) {
            return !removed(id) && cardView.find(kTypeBhav, id) != nullptr;
        };
        std::vector<GeneratedTree> trees;
        if (!assembleCardTrees(blocks, found.ids, rootId, bhavExists, trees)) {
            return false;
        }
        for (const GeneratedTree& tree : trees) {
            bodies.emplace_back(tree.id, std::vector<std::uint8_t>());
            if (!encodeCardTree(tree, bodies.back().second)) {
                return false;
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }

    for (std::uint16_t id : found.ids) {
        if (id != 0) {
            cardView.remove(kTypeBhav, id);
        }
    }
    for (const auto& [id, body] : bodies) {
        if (!cardView.addBytes(kTypeBhav, id, kCardTreeLabel, body.data(), body.size())) {
            return false;
        }
    }
    return globalTexts_.saveTo(cardView);
}

ChanceCard* CareerDatabase::chanceCard(std::size_t position, std::size_t level) {
    CareerTrack* t = track(position);
    return t != nullptr && level < kCardsPerTrack ? &t->cards[level] : nullptr;
}

const ChanceCard* CareerDatabase::chanceCard(std::size_t position, std::size_t level) const {
    const CareerTrack* t = track(position);
    return t != nullptr && level < kCardsPerTrack ? &t->cards[level] : nullptr;
}

bool CareerDatabase::ensureGlobalTextRow(std::size_t entry) {
    if (entry >= StringTable::kMaxEntries) {
        return false;
    }
    try {
        while (globalTexts_.rowCount() <= entry) {
            if (!globalTexts_.setString(globalTexts_.rowCount(), 0, StringTable::kText,
                                        std::string())) {
                return false;
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CareerDatabase::setGlobalText(std::size_t entry, int slot, const std::string& text) {
    if (slot < 0 || slot >= kLanguageSlotCount || !ensureGlobalTextRow(entry)) {
        return false;
    }
    return globalTexts_.setString(entry, slot, StringTable::kText, text);
}

bool CareerDatabase::allocateCardText(std::uint16_t& textIndex) {
    if (textIndex != 0) {
        return true;
    }
    for (std::size_t entry = 0; entry < kCardTextEntries; ++entry) {
        if (!freeTextFlags_[entry]) {
            continue;
        }
        // An entry past the end of the table gets its row (and the rows
        // before it) now, so that its text can be set like any other.
        if (!ensureGlobalTextRow(entry)) {
            return false;
        }
        freeTextFlags_[entry] = false;
        textIndex = static_cast<std::uint16_t>(entry + 1);
        return true;
    }
    return false;
}

void CareerDatabase::releaseCardText(std::uint16_t& textIndex) {
    if (textIndex >= 1 && textIndex <= kFreeTextFlagCount && releasableTexts_[textIndex - 1u]) {
        freeTextFlags_[textIndex - 1u] = true;
    }
    textIndex = 0;
}

bool CareerDatabase::textEntryFree(std::size_t entry) const {
    return entry < kFreeTextFlagCount && freeTextFlags_[entry];
}

}  // namespace jf
