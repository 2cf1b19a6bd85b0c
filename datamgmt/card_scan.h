#pragma once
// The recordings of a card folder as the viewer's folder scan lists them. Backup and clean work
// on this set: every recording of the scan, Normal and Event, whether or not it got a cell.
#include <QString>
#include <QStringList>
#include <cstdint>

namespace korvane {

struct CardRecordings {
    QString folder;                      // the card folder, no trailing separator
    QStringList normalFiles, eventFiles; // bare names, time-stamp order
    std::uint64_t normalTotalBytes = 0;
    std::uint64_t eventTotalBytes = 0;
    bool listed = false;                 // false: the folder could not be listed

    // Normal names first, then Event names: the order the jobs walk.
    QStringList AllNames() const { return normalFiles + eventFiles; }
    std::uint64_t TotalBytes() const { return normalTotalBytes + eventTotalBytes; }
};

// Scans both groups of `folder`.
CardRecordings ScanCard(const QString& folder);

} // namespace korvane
