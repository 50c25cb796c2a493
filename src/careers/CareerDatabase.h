#pragma once
// The in-memory copy of everything the editor changes in the game's files.
//
// The application owns one CareerDatabase (there is no global instance) and
// hands it around by reference. This file holds its career half: the career
// tracks, each with its CARR chunk (name and job levels) and its texts in
// twenty languages. A track is addressed by its position 0..trackCount()-1
// in all editing code (positions follow ascending chunk id) and by its chunk
// id (1..32767) for icons and exchange files.
//
// Objects of a track stay attached to the chunks of the career container
// they were loaded from: the container (and its IffFileTable) must outlive
// the database's use of them, and every load replaces them. Not thread-safe:
// one thread at a time (the loading worker during loadCareers, the user
// interface otherwise).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "careers/CareerChunk.h"
#include "careers/CareerStrings.h"
#include "careers/ChanceCard.h"
#include "careers/ChanceCardCodec.h"
#include "careers/GlobalOptions.h"

namespace jf {

class IffView;

struct CareerTrack {
    std::size_t position = 0;  // index in the database, by ascending id
    std::uint16_t id = 0;      // chunk id of the CARR and STR# chunks, 1..32767
    CareerChunk career;
    CareerStrings strings;
    // One chance card per job level, empty after loadCareers.
    TrackCards cards;
};

class CareerDatabase {
public:
    // Ids of career tracks: a CARR chunk whose id is 0 or has bit 15 set is
    // not a track.
    static constexpr std::uint16_t kMinTrackId = 1;
    static constexpr std::uint16_t kMaxTrackId = 0x7FFF;
    // Label of a job-name copy table the save has to create.
    static constexpr const char* kJobNameCopyLabel = "Strings";

    CareerDatabase() = default;
    CareerDatabase(const CareerDatabase&) = delete;
    CareerDatabase& operator=(const CareerDatabase&) = delete;
    ~CareerDatabase() = default;

    // ---- Career tracks ----------------------------------------------------

    // Discards every track and rebuilds them from the career container's CARR
    // chunks with ids 1..32767, in ascending id order, each with the STR#
    // chunk of the same id. Fails when there is no such CARR chunk, when a
    // body cannot be loaded or decoded, or when a track lacks its STR# chunk;
    // the database is then empty (trackCount() 0) and may simply be
    // discarded or loaded again.
    bool loadCareers(IffView& careerView);

    // Encodes every track back into the career container (its CARR chunk,
    // its STR# table, and the job names into the STR# table with id + 1000,
    // which is created as a full copy labelled "Strings" when missing) and
    // writes the container over its own file (IffView::writeTo(nullptr)).
    // Stops at the first failure without writing the file; chunks encoded
    // until then stay encoded in the container. The in-memory tracks are not
    // changed either way. With no tracks it only writes the container.
    bool saveCareers(IffView& careerView);
    // saveCareers without writing the file: the chunks only.
    bool encodeCareers(IffView& careerView);

    std::size_t trackCount() const { return tracks_.size(); }
    // The chunk id of every track, by position.
    std::vector<std::uint16_t> trackIds() const;
    // nullptr when position >= trackCount().
    CareerTrack* track(std::size_t position);
    const CareerTrack* track(std::size_t position) const;
    CareerChunk* careerChunk(std::size_t position);
    CareerStrings* careerStrings(std::size_t position);
    // The position of the track with this id, or -1.
    long positionOfId(std::uint16_t id) const;

    // Removes every track (and with them the cards; saveChanceCards then
    // refuses until loadChanceCards has run again).
    void clearCareers();

    // ---- Chance cards, global options and global texts --------------------
    // All three live in the chance card object file (the card container):
    // the cards as code trees (ChanceCardCodec.h), the options in BCON 4097,
    // the texts in STR# 301. The options and texts tables stay attached to
    // their chunks in the card container until the next loadChanceCards.

    // Reads the global options, the cards of every track (their cards are
    // emptied first), the global texts and the free-entry flags from the
    // card container; `installedPacks` chooses the root tree. Fails when
    // BCON 4097 or STR# 301 is missing or does not decode, or when the
    // trees hold more card items than kMaxCardItems per card or
    // kMaxTotalCardItems in all; the cards are then empty and
    // saveChanceCards refuses to run until a load succeeds. Missing or
    // damaged trees only mean fewer cards.
    bool loadChanceCards(IffView& cardView, std::uint32_t installedPacks);

    // Replaces the card trees of the card container by trees generated from
    // the cards, re-encodes the options and texts tables and writes the
    // container over its own file (IffView::writeTo(nullptr), which replaces
    // it in one step). Every tree is generated before the container is
    // changed, so a track block that fits no tree, or running out of tree
    // ids, fails with the container untouched apart from the options table
    // being re-encoded. Fails as well when the last loadChanceCards did not
    // succeed on this container. The file is never written on failure.
    bool saveChanceCards(IffView& cardView, std::uint32_t installedPacks);
    // saveChanceCards without writing the file: the trees and tables only.
    bool encodeChanceCards(IffView& cardView, std::uint32_t installedPacks);

    // The card of (track position, job level 0..9); nullptr when out of range.
    ChanceCard* chanceCard(std::size_t position, std::size_t level);
    const ChanceCard* chanceCard(std::size_t position, std::size_t level) const;

    // Gives a card without text the lowest free entry e of 0..255: clears
    // its free flag, sets textIndex to e + 1 and makes sure the global texts
    // table has a row e (empty rows are added up to it), so that the text
    // can be set at once. A textIndex that is not 0 is kept (true). False,
    // textIndex 0, when no entry is free.
    bool allocateCardText(std::uint16_t& textIndex);
    bool allocateCardText(ChanceCard& card) { return allocateCardText(card.textIndex); }
    // Gives entry textIndex - 1 back (its strings stay) and sets textIndex to
    // 0. An entry that some dialog of the card code refers to other than as
    // a card's text stays taken, so no later card text overwrites it.
    void releaseCardText(std::uint16_t& textIndex);
    void releaseCardText(ChanceCard& card) { releaseCardText(card.textIndex); }

    // Whether entry 0..299 of the global texts table is free for card texts.
    bool textEntryFree(std::size_t entry) const;
    // Whether a dialog of the card code refers to entry 0..299 other than as
    // the text of a card (such an entry is never handed back); true for
    // every entry until loadChanceCards has succeeded.
    bool textEntryPinned(std::size_t entry) const {
        return entry < kFreeTextFlagCount && !releasableTexts_[entry];
    }
    const FreeTextFlags& freeTextFlags() const { return freeTextFlags_; }
    // Puts back free-entry flags read earlier from freeTextFlags() (undoing
    // an edit that took or gave back entries).
    void setFreeTextFlags(const FreeTextFlags& flags) { freeTextFlags_ = flags; }

    // Global options (BCON 4097): value of an entry (false when not below
    // the count), and setting one (the table grows as needed).
    GlobalOptions& globalOptions() { return globalOptions_; }
    const GlobalOptions& globalOptions() const { return globalOptions_; }
    bool option(std::size_t entry, std::int16_t& value) const {
        return globalOptions_.option(entry, value);
    }
    bool setOption(std::size_t entry, std::int16_t value) {
        return globalOptions_.setOption(entry, value);
    }

    // Global texts (STR# 301): entries 0..11 are the game's messages, the
    // others card texts. Setting an entry past the end adds empty rows up to
    // it (false beyond StringTable::kMaxEntries).
    StringTable& globalTexts() { return globalTexts_; }
    const StringTable& globalTexts() const { return globalTexts_; }
    bool globalText(std::size_t entry, int slot, std::string& text) const {
        return globalTexts_.getString(entry, slot, StringTable::kText, text);
    }
    bool setGlobalText(std::size_t entry, int slot, const std::string& text);

private:
    bool ensureGlobalTextRow(std::size_t entry);

    std::vector<CareerTrack> tracks_;
    GlobalOptions globalOptions_;
    StringTable globalTexts_;
    FreeTextFlags freeTextFlags_{};
    // False for entries dialogs refer to other than as card texts: those
    // are never handed back.
    FreeTextFlags releasableTexts_{};
    bool cardsLoaded_ = false;
};

}  // namespace jf
