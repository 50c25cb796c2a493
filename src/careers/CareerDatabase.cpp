#include "careers/CareerDatabase.h"

#include <new>
#include <string>
#include <utility>

#include "iff/IffFile.h"
#include "platform/File.h"

namespace jf {

namespace {

// Ids 1..32767: the id taken as a signed 16-bit value is positive.
bool isTrackId(std::uint16_t id) {
    return id >= CareerDatabase::kMinTrackId && id <= CareerDatabase::kMaxTrackId;
}

// Copies the texts of the job-name entries, in every language, from the
// track's table into its job-name copy. Entries the track's table lacks are
// left as they are in the copy; a copy shorter than an entry is first
// lengthened with empty rows.
bool copyJobNames(const CareerStrings& source, StringTable& copy) {
    for (std::size_t entry = 0; entry < CareerStrings::kEntryCount; ++entry) {
        if (!CareerStrings::isJobNameEntry(entry) || entry >= source.rowCount()) {
            continue;
        }
        while (copy.rowCount() < entry) {
            if (!copy.setString(copy.rowCount(), 0, StringTable::kText, std::string())) {
                return false;
            }
        }
        for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
            std::string text;
            if (!source.getString(entry, slot, StringTable::kText, text) ||
                !copy.setString(entry, slot, StringTable::kText, text)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

// ---- Career tracks ----------------------------------------------------------

void CareerDatabase::clearCareers() {
    tracks_.clear();
    // The cards went with the tracks: saving them now would wipe the card
    // file, so a save waits for the next loadChanceCards.
    cardsLoaded_ = false;
}

bool CareerDatabase::loadCareers(IffView& careerView) {
    clearCareers();

    // Counting pass, in list order: every loadable CARR chunk with a track id.
    std::size_t count = 0;
    IffView::Position at = careerView.firstOfType(kTypeCarr);
    while (IffChunk* chunk = careerView.nextOfType(kTypeCarr, at)) {
        if (careerView.loadChunk(*chunk) && isTrackId(chunk->id)) {
            ++count;
        }
    }
    if (count == 0) {
        return false;
    }

    // Filling pass, in ascending id order. The container never holds two
    // chunks of one type and id (adding or reading a second one replaces the
    // first), so this pass fills exactly the positions counted; should the
    // counts ever differ, the tracks are the ids actually visited.
    try {
        tracks_.reserve(count);
        IffChunk* current = careerView.lowestIdOfType(kTypeCarr);
        while (IffChunk* chunk = careerView.nextIdOfType(kTypeCarr, current)) {
            if (!isTrackId(chunk->id)) {
                continue;
            }
            CareerTrack track;
            track.position = tracks_.size();
            track.id = chunk->id;
            IffChunk* strings = nullptr;
            if (!track.career.attachTo(careerView, *chunk) ||
                (strings = careerView.find(kTypeStr, chunk->id)) == nullptr ||
                !track.strings.attachTo(careerView, *strings)) {
                clearCareers();
                return false;
            }
            tracks_.push_back(std::move(track));
        }
    } catch (const std::bad_alloc&) {
        clearCareers();
        return false;
    }
    if (tracks_.empty()) {
        return false;
    }
    return true;
}

bool CareerDatabase::saveCareers(IffView& careerView) {
    return encodeCareers(careerView) && careerView.writeTo(nullptr);
}

bool CareerDatabase::encodeCareers(IffView& careerView) {
    for (CareerTrack& track : tracks_) {
        if (!track.career.saveTo(careerView) || !track.strings.saveTo(careerView)) {
            return false;
        }
        const std::uint16_t copyId = CareerStrings::jobNameCopyId(track.id);
        if (IffChunk* existing = careerView.find(kTypeStr, copyId)) {
            StringTable copy;
            if (!copy.attachTo(careerView, *existing) || !copyJobNames(track.strings, copy) ||
                !copy.saveTo(careerView)) {
                return false;
            }
        } else {
            // A missing copy is created whole; failing to create it does not
            // stop the save.
            MemoryFile body;
            if (track.strings.writeToFile(body)) {
                careerView.add(kTypeStr, copyId, kJobNameCopyLabel, body);
            }
        }
    }
    return true;
}

std::vector<std::uint16_t> CareerDatabase::trackIds() const {
    std::vector<std::uint16_t> ids;
    ids.reserve(tracks_.size());
    for (const CareerTrack& track : tracks_) {
        ids.push_back(track.id);
    }
    return ids;
}

CareerTrack* CareerDatabase::track(std::size_t position) {
    return position < tracks_.size() ? &tracks_[position] : nullptr;
}

const CareerTrack* CareerDatabase::track(std::size_t position) const {
    return position < tracks_.size() ? &tracks_[position] : nullptr;
}

CareerChunk* CareerDatabase::careerChunk(std::size_t position) {
    CareerTrack* t = track(position);
    return t != nullptr ? &t->career : nullptr;
}

CareerStrings* CareerDatabase::careerStrings(std::size_t position) {
    CareerTrack* t = track(position);
    return t != nullptr ? &t->strings : nullptr;
}

long CareerDatabase::positionOfId(std::uint16_t id) const {
    for (const CareerTrack& t : tracks_) {
        if (t.id == id) {
            return static_cast<long>(t.position);
        }
    }
    return -1;
}

}  // namespace jf
