#pragma once
// The working folder holds the thumbnails, the side-car telemetry files and FileReport.log.
// It is "<XDG cache home>/KorvaneData" (XDG_CACHE_HOME, else ~/.cache), else
// "<programFolder>/.KorvaneData".
#include <QString>

namespace korvane {

// The cache home by the XDG rule; empty when neither XDG_CACHE_HOME nor HOME is set.
QString XdgCacheHome();

// Creates the folder when needed and returns its path in `folder`. When neither place can be
// made, clears `folder`, shows "サムネイルを作成できません!" (title "Korvane", error icon) and
// returns false.
bool PrepareWorkingFolder(const QString& programFolder, QString& folder);
bool PrepareWorkingFolder(const QString& programFolder, const QString& cacheHome, QString& folder);

// Deletes the thumbnails and side-car files of `folder` (files whose upper-cased name contains
// ".BMP" or ".GPS"; directories and hidden entries stay) and its FileReport.log. An empty path
// is refused (nothing is deleted). Returns the number of files deleted.
int PurgeWorkingFolder(const QString& folder);

} // namespace korvane
