#pragma once
// A career database with three tracks (ids 3, 7, 12 at positions 0, 1, 2)
// and its chance cards, global options and global texts loaded from
// in-memory containers, for tests of the card, options and texts editors.
//
// The global texts table has twelve rows ("G e<entry> s<slot>"), and a
// dialog tree refers to entries 0..11 as the game's own code does, so card
// texts start at entry 12.

#include <vector>

#include "careers/CareerDatabase.h"
#include "support/CardBuilders.h"
#include "support/CareerBuilders.h"

namespace jf::test {

// The card container used by default: sample options and texts, the dialog
// tree, and a root tree holding `cards`.
Bytes sampleCardPortalWithDialogs(const std::vector<CardRecipe>& cards = {});

class LoadedCardDatabase {
public:
    explicit LoadedCardDatabase(const Bytes& cardPortal = sampleCardPortalWithDialogs());
    // True when both loads succeeded.
    bool ok() const { return ok_; }
    // Takes every free text entry of 0..255 (so the next allocation fails).
    void useAllTextEntries();

    CareerDatabase db;

private:
    MemoryContainer careers_;
    MemoryContainer cards_;
    bool ok_ = false;
};

}  // namespace jf::test
