#include "datamgmt/destination.h"

#include "datamgmt/datamgmt_log.h"
#include "datamgmt/listed_files.h"
#include "datamgmt/posix_files.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace korvane {
namespace fsx = posixfs;
namespace {

FreeSpaceProbe& Probe()
{
    static FreeSpaceProbe probe;
    return probe;
}

QString Trimmed(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QString BackupDestination::Label() const
{
    const qsizetype slash = destinationFolder.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : destinationFolder.mid(slash + 1);
}

void ChooseDestination(BackupDestination& destination, const QString& chosenFolder)
{
    if (chosenFolder.isEmpty())
        return;
    destination.destinationFolder = Trimmed(chosenFolder);
}

void SetFreeSpaceProbeForTesting(FreeSpaceProbe probe)
{
    Probe() = std::move(probe);
}

DestinationReport CheckDestination(const QString& folder, std::uint64_t neededBytes,
                                   const QString& cardFolder)
{
    DestinationReport r;
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder) || !fsx::IsFolder(folder)) {
        r.result = DestinationCheck::NotAFolder;
        r.detail = QStringLiteral("%1 is not an existing folder").arg(folder);
        qCWarning(lcDataMgmt) << "backup destination:" << r.detail;
        return r;
    }
    // Compared with links resolved, so no other spelling of the card's path gets through.
    const QString realDest = QFileInfo(folder).canonicalFilePath();
    const QString realCard = cardFolder.isEmpty() ? QString() : QFileInfo(cardFolder).canonicalFilePath();
    if (!realCard.isEmpty()
        && (realDest == realCard || realDest.startsWith(realCard.endsWith(QLatin1Char('/')) ? realCard : realCard + QLatin1Char('/')))) {
        r.result = DestinationCheck::InsideCard;
        r.detail = QStringLiteral("%1 lies inside the card folder %2").arg(folder, cardFolder);
        qCWarning(lcDataMgmt) << "backup destination:" << r.detail;
        return r;
    }
    int error = 0;
    const std::optional<std::uint64_t> free =
        Probe() ? Probe()(folder) : fsx::AvailableBytes(folder, &error);
    if (!free) {
        r.result = DestinationCheck::SpaceUnknown;
        r.detail = QStringLiteral("cannot read the free space of %1: %2")
                       .arg(folder, error ? fsx::ErrorText(error) : QStringLiteral("no figure"));
        qCWarning(lcDataMgmt) << "backup destination:" << r.detail;
        return r;
    }
    r.availableBytes = *free;
    if (*free < neededBytes) {
        r.result = DestinationCheck::TooSmall;
        r.detail = QStringLiteral("%1 has %2 bytes free, the recordings need %3")
                       .arg(folder).arg(*free).arg(neededBytes);
        qCWarning(lcDataMgmt) << "backup destination:" << r.detail;
        return r;
    }
    r.result = DestinationCheck::Ok;
    return r;
}

QString DatedFolderName(const QDateTime& localTime)
{
    return localTime.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString DatedFolderPath(const QString& destination, const QDateTime& localTime)
{
    const QString base = Trimmed(destination);
    return (base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/')) + DatedFolderName(localTime);
}

DatedFolderState PrepareDatedFolder(const QString& path, const QStringList& names, QString* error)
{
    if (fsx::IsFolder(path))
        return AnyListedFileIn(path, names) ? DatedFolderState::ExistsWithListed : DatedFolderState::ExistsClean;
    const int made = fsx::MakeFolder(path);
    if (made != 0 || !fsx::IsFolder(path)) {
        const QString reason = fsx::ErrorText(made ? made : ENOTDIR);
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(path, reason);
        qCWarning(lcDataMgmt) << "cannot create the backup folder" << path << ":" << reason;
        return DatedFolderState::CannotCreate;
    }
    return DatedFolderState::Created;
}

} // namespace korvane
