#include "library/scan_report.h"

#include "library/library_log.h"

#include <QSaveFile>

namespace korvane {

QStringList ScanReportLines(const RecordingCatalogue& c)
{
    QStringList lines;
    const auto total = c.normalShown.size() + c.normalMissing.size() + c.eventShown.size() + c.eventMissing.size();
    lines << QStringLiteral("Path : %1").arg(c.recordingFolder)
          << QStringLiteral("Total : %1").arg(total)
          << QStringLiteral("Normal File : %1").arg(c.normalShown.size())
          << QStringLiteral("Bad Normal File : %1").arg(c.normalMissing.size())
          << QStringLiteral("Event File : %1").arg(c.eventShown.size())
          << QStringLiteral("Bad Event File : %1").arg(c.eventMissing.size());
    if (!c.normalMissing.isEmpty()) {
        lines << QStringLiteral("----------Bad Normal File --------------");
        lines << c.normalMissing;
        lines << QString();
    }
    if (!c.eventMissing.isEmpty()) {
        lines << QStringLiteral("----------Bad Event File --------------");
        lines << c.eventMissing;
        lines << QString();
    }
    return lines;
}

bool WriteScanReport(const RecordingCatalogue& catalogue)
{
    if (catalogue.workingFolder.isEmpty())
        return false;
    QByteArray bytes;
    for (const QString& line : ScanReportLines(catalogue))
        bytes += line.toUtf8() + "\r\n";
    QSaveFile file(catalogue.workingFolder + QStringLiteral("/FileReport.log"));
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcLibrary) << "cannot write" << file.fileName() << ":" << file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace korvane
