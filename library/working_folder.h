#pragma once
// The working folder holds the thumbnails, the side-car telemetry files and FileReport.log.
// It is "<XDG cache home>/KorvaneData" (XDG_CACHE_HOME when absolute, else ~/.cache), else
// "$XDG_RUNTIME_DIR/KorvaneData", else a fresh "korvane-data-XXXXXX" in the temporary folder;
// never a folder on the card. It is always a private folder of the user (mode 0700).
#include <QString>

#include "core/expected.h"

namespace korvane {

enum class WorkingFolderError {
    NoPlace,   // neither the cache home nor a fallback place could be made private
};

// The cache home by the XDG rule; empty when neither XDG_CACHE_HOME nor HOME is an absolute path.
QString XdgCacheHome();

// Creates the folder when needed, empties it of what an earlier run left (PurgeWorkingFolder)
// and returns its path; NoPlace (logged) when no place can be made. The viewer tells the user
// with CannotMakeThumbnailsText(). `programFolder` (the card) is never used for it.
Expected<QString, WorkingFolderError> PrepareWorkingFolder(const QString& programFolder);
Expected<QString, WorkingFolderError> PrepareWorkingFolder(const QString& programFolder, const QString& cacheHome);

// The names the viewer writes into the working folder: "<stem>.bmp", "<name>.GPS",
// "FileReport.log" (exact letter case, not hidden) and the tool's input links ".input-<n>.MP4".
bool IsWorkingFileName(const QString& name);

// Deletes the viewer's own files (IsWorkingFileName) from `folder`, and nothing else. Only a
// private folder of the user (a real directory, owned by the user, mode 0700) is touched; an
// empty path, a symbolic link or any other folder is refused. Returns the number of files
// deleted (FileReport.log not counted).
int PurgeWorkingFolder(const QString& folder);

} // namespace korvane
