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
#include <vector>

#include "careers/CareerChunk.h"
#include "careers/CareerStrings.h"

namespace jf {

class IffView;

struct CareerTrack {
    std::size_t position = 0;  // index in the database, by ascending id
    std::uint16_t id = 0;      // chunk id of the CARR and STR# chunks, 1..32767
    CareerChunk career;
    CareerStrings strings;
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

    // Removes every track.
    void clearCareers();

    // ---- Chance cards (ten per track) -------------------------------------
    // (kept beside the tracks, by position)

    // ---- Global options (BCON 4097 of the card container) ----------------

    // ---- Global texts (STR# 301 of the card container) and free-entry flags

private:
    std::vector<CareerTrack> tracks_;
};

}  // namespace jf
