#include "library/catalogue.h"

namespace korvane {

QString RecordingStem(const QString& name)
{
    return name.left(qMax(0, name.size() - 4));
}

QString RecordingPath(const QString& recordingFolder, const QString& name)
{
    return recordingFolder + QLatin1Char('/') + name;
}

QString ThumbnailPath(const QString& workingFolder, const QString& name)
{
    return workingFolder + QLatin1Char('/') + RecordingStem(name) + QStringLiteral(".bmp");
}

QString SidecarPath(const QString& workingFolder, const QString& name)
{
    return workingFolder + QLatin1Char('/') + name.left(qMax(0, name.size() - 3)) + QStringLiteral("GPS");
}

QString RepairedPath(const QString& workingFolder, const QString& name)
{
    return workingFolder + QLatin1Char('/') + RecordingStem(name) + QStringLiteral("_repaired.MP4");
}

QString RepairedPicturePath(const QString& workingFolder, const QString& name)
{
    return workingFolder + QLatin1Char('/') + RecordingStem(name) + QStringLiteral("_repaired.bmp");
}

} // namespace korvane
