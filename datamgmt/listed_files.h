#pragma once
// Checks of a folder against a list of recordings: is any of them there, and did every one of
// them arrive whole. Names are looked up inside the folder without following links.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace korvane {

// True when `folder` holds any of `names` as something other than a folder.
bool AnyListedFileIn(const QString& folder, const QStringList& names);
// The names that `folder` does not hold as a regular file of the size in `sizes` (same order;
// a size of -1, unknown, never matches). Empty when every recording arrived whole.
QStringList MissingFrom(const QString& folder, const QStringList& names,
                        const std::vector<std::int64_t>& sizes);
inline bool AllListedFilesIn(const QString& folder, const QStringList& names,
                             const std::vector<std::int64_t>& sizes)
{
    return MissingFrom(folder, names, sizes).isEmpty();
}

} // namespace korvane
