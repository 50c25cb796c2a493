#include "document/DocumentSnapshot.h"

#include <algorithm>

#include "careers/CareerDatabase.h"
#include "document/EditorSession.h"

namespace jf {

namespace {

EditScope oneTrack(TrackScope track) {
    EditScope scope;
    scope.tracks.push_back(std::move(track));
    return scope;
}

}  // namespace

EditScope EditScope::trackText(std::size_t position, std::size_t row) {
    return oneTrack({position, false, TableScope{false, {row}}, false, false});
}

EditScope EditScope::trackChunk(std::size_t position) {
    return oneTrack({position, true, std::nullopt, false, false});
}

EditScope EditScope::wholeTrack(std::size_t position) {
    return oneTrack({position, true, TableScope{true, {}}, true, true});
}

namespace {

TableSnapshot captureTable(const StringTable& table, const TableScope& scope,
                           const TableSnapshot* before) {
    TableSnapshot copy;
    copy.rowCount = table.rowCount();
    copy.countFirstForm = table.countFirstForm();
    copy.hasLanguages = table.hasLanguages();
    copy.hasComments = table.hasComments();
    const std::vector<StringTable::Row>& rows = table.rows();
    if (scope.whole) {
        copy.rows.reserve(rows.size());
        for (std::size_t row = 0; row < rows.size(); ++row) {
            copy.rows.emplace_back(row, rows[row]);
        }
        return copy;
    }
    std::vector<std::size_t> wanted = scope.rows;
    // Rows appended since `before` are part of the change even unnamed.
    if (before != nullptr) {
        for (std::size_t row = before->rowCount; row < rows.size(); ++row) {
            wanted.push_back(row);
        }
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    for (std::size_t row : wanted) {
        if (row < rows.size()) {
            copy.rows.emplace_back(row, rows[row]);
        }
    }
    return copy;
}

void restoreTable(StringTable& table, const TableSnapshot& copy) {
    table.resizeRows(copy.rowCount);
    table.setForm(copy.countFirstForm, copy.hasLanguages, copy.hasComments);
    for (const auto& [row, value] : copy.rows) {
        table.setRow(row, value);
    }
}

const TrackSnapshot* findTrack(const DocumentSnapshot* snapshot, std::size_t position) {
    if (snapshot == nullptr) {
        return nullptr;
    }
    for (const TrackSnapshot& track : snapshot->tracks) {
        if (track.position == position) {
            return &track;
        }
    }
    return nullptr;
}

std::optional<Bitmap> iconOf(const IconStore& icons, int trackId, bool popup) {
    Bitmap icon;
    const bool held =
        popup ? icons.getPopupIcon(trackId, icon) : icons.getButtonIcon(trackId, icon);
    if (!held) {
        return std::nullopt;
    }
    return icon;
}

}  // namespace

DocumentSnapshot captureSnapshot(const EditorSession& session, const EditScope& scope,
                                 const DocumentSnapshot* before) {
    const CareerDatabase& database = session.database;
    DocumentSnapshot copy;
    for (const TrackScope& reach : scope.tracks) {
        const CareerTrack* track = database.track(reach.position);
        if (track == nullptr) {
            continue;
        }
        TrackSnapshot part;
        part.position = reach.position;
        if (reach.chunk) {
            part.internalCareerName = track->career.internalCareerName;
            part.levels = track->career.levels;
        }
        if (reach.strings) {
            const TrackSnapshot* earlier = findTrack(before, reach.position);
            part.strings =
                captureTable(track->strings, *reach.strings,
                             earlier != nullptr && earlier->strings ? &*earlier->strings : nullptr);
        }
        if (reach.cards) {
            part.cards = track->cards;
        }
        if (reach.icons) {
            part.icons = std::make_pair(iconOf(session.icons, track->id, true),
                                        iconOf(session.icons, track->id, false));
        }
        copy.tracks.push_back(std::move(part));
    }
    if (scope.globalTexts) {
        copy.globalTexts = captureTable(
            database.globalTexts(), *scope.globalTexts,
            before != nullptr && before->globalTexts ? &*before->globalTexts : nullptr);
        copy.freeTexts = database.freeTextFlags();
    }
    if (scope.globalOptions) {
        copy.globalOptions =
            std::make_pair(database.globalOptions().flag(), database.globalOptions().values());
    }
    return copy;
}

void restoreSnapshot(EditorSession& session, const DocumentSnapshot& snapshot) {
    CareerDatabase& database = session.database;
    for (const TrackSnapshot& part : snapshot.tracks) {
        CareerTrack* track = database.track(part.position);
        if (track == nullptr) {
            continue;
        }
        if (part.internalCareerName) {
            track->career.internalCareerName = *part.internalCareerName;
        }
        if (part.levels) {
            track->career.levels = *part.levels;
        }
        if (part.strings) {
            restoreTable(track->strings, *part.strings);
        }
        if (part.cards) {
            track->cards = *part.cards;
        }
        if (part.icons) {
            if (part.icons->first) {
                session.icons.putPopupIcon(track->id, *part.icons->first);
            }
            if (part.icons->second) {
                session.icons.putButtonIcon(track->id, *part.icons->second);
            }
        }
    }
    if (snapshot.globalTexts) {
        restoreTable(database.globalTexts(), *snapshot.globalTexts);
    }
    if (snapshot.freeTexts) {
        database.setFreeTextFlags(*snapshot.freeTexts);
    }
    if (snapshot.globalOptions) {
        database.globalOptions().setFlag(snapshot.globalOptions->first);
        database.globalOptions().setValues(snapshot.globalOptions->second);
    }
}

}  // namespace jf
