#pragma once
// The folder scan: which entries of a folder are recordings, which group each belongs to and
// in which order they are listed.
//
// A continuous recording is named by a 14-digit stamp and ".MP4" (18 characters); an event
// recording carries the prefix G (19 characters); the prefixes H and P (19) and PH (20) are
// continuous recordings too. Each group is listed in time-stamp order whatever the prefix;
// for one stamp the name without prefix comes first.
#include <QString>
#include <QStringList>
#include <cstdint>

namespace korvane {

// Group codes for ScanRecordings: 1 Normal, 0 Event; any other code accepts every name that
// passes the extension and length rules.
// Fills `list` with the names of that group in `folder`, sorted; zeroes and then fills `total`
// with the sum of their sizes (full 64-bit sizes). Returns the number of names. A folder that
// cannot be listed gives an empty list and a zero total; `listed` (optional) tells which.
int ScanRecordings(const QString& folder, int group, QStringList& list, std::uint64_t& total,
                   bool* listed = nullptr);

// The extension rule (".MP4" in any letter case from the first ".") and the length rule.
bool PassesNameRules(const QString& name);
// The group rule on a name that passed the name rules.
bool InGroup(const QString& name, int group);
// Sorts names the way ScanRecordings does (the rotation sort).
void SortRecordingNames(QStringList& names);

} // namespace korvane
