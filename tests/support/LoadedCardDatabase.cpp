#include "support/LoadedCardDatabase.h"

namespace jf::test {

namespace {

constexpr std::uint16_t kRootTree = 4124;
constexpr std::uint16_t kDialogTree = 4500;
constexpr std::uint32_t kBasePack = 1;
constexpr std::size_t kCardTextEntries = 256;

}  // namespace

Bytes sampleCardPortalWithDialogs(const std::vector<CardRecipe>& cards) {
    CardPortalRecipe recipe;
    recipe.trees.push_back({kRootTree,
                            cards.empty() ? cardOpeningInstructions() : handLaidCardTree(cards),
                            "Chance Cards"});
    // A dialog naming entries 0..11 (bytes hold entry + 1).
    recipe.trees.push_back({kDialogTree,
                            {dialogInstruction({1, 2, 3, 4, 5, 0, 6, 0}),
                             dialogInstruction({7, 8, 9, 10, 11, 0, 12, 0})},
                            "Dialogs"});
    return buildCardPortal(recipe);
}

LoadedCardDatabase::LoadedCardDatabase(const Bytes& cardPortal)
    : careers_(buildCareerContainer(
          {sampleTrack(3, "Three"), sampleTrack(7, "Seven"), sampleTrack(12, "Twelve")})),
      cards_(cardPortal) {
    ok_ = careers_.ok() && cards_.ok() && db.loadCareers(careers_.view()) &&
          db.loadChanceCards(cards_.view(), kBasePack);
}

void LoadedCardDatabase::useAllTextEntries() {
    for (std::size_t i = 0; i < kCardTextEntries; ++i) {
        std::uint16_t index = 0;
        if (!db.allocateCardText(index)) {
            return;
        }
    }
}

}  // namespace jf::test
