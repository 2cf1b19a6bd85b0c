#pragma once
// The backup destination: the folder the user picked (kept for the program's life), its checks
// before a copy starts, and the dated folder the copies go into.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace korvane {

// The destination the backup dialog shows and remembers between showings.
struct BackupDestination {
    QString destinationFolder;  // empty until the user picks one
    QString sourceFolder;       // the card folder, taken each time the backup starts

    // The last path component of the destination ("/media/usb/Backup" shows "Backup", "/"
    // shows nothing): the text of the dialog's folder-name label.
    QString Label() const;
    // The dialog's OK button is usable only when that label has at least two characters.
    bool OkEnabled() const { return Label().size() >= 2; }
};

// What the folder button does with the folder the chooser returned; an empty choice (cancelled)
// changes nothing. Trailing separators are dropped ("/media/usb/" is "/media/usb").
void ChooseDestination(BackupDestination& destination, const QString& chosenFolder);

enum class DestinationCheck {
    Ok,
    NotAFolder,    // not an absolute path of an existing folder ("Error1")
    InsideCard,    // the card folder itself or a folder inside it: nothing is written to a card
    SpaceUnknown,  // its free space cannot be read ("Error2")
    TooSmall,      // fewer bytes available to the user than needed
};

struct DestinationReport {
    DestinationCheck result = DestinationCheck::NotAFolder;
    std::uint64_t availableBytes = 0;
    QString detail;  // for the log and the command line
};

// Checks `folder` for a backup of `neededBytes` from `cardFolder`; equal is enough. The space is
// what an unprivileged user may still write there (blocks reserved for root do not count).
DestinationReport CheckDestination(const QString& folder, std::uint64_t neededBytes,
                                   const QString& cardFolder = QString());

// Tests replace the free-space reading with their own figure; nullptr restores the real one.
using FreeSpaceProbe = std::function<std::optional<std::uint64_t>(const QString& folder)>;
void SetFreeSpaceProbeForTesting(FreeSpaceProbe probe);

// "YYYYMMDDhhmmss" of a local time, and the dated folder's path under the destination.
QString DatedFolderName(const QDateTime& localTime);
QString DatedFolderPath(const QString& destination, const QDateTime& localTime);

enum class DatedFolderState {
    Created,         // made now
    ExistsClean,     // was there already, holds none of the listed recordings
    ExistsWithListed,// was there already and holds a listed recording
    CannotCreate,    // neither there nor creatable
};
// Makes the dated folder when it is missing (mode 0755 less the umask).
DatedFolderState PrepareDatedFolder(const QString& path, const QStringList& names, QString* error);

} // namespace korvane
