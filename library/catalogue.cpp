#include "library/catalogue.h"

namespace korvane {

QString RecordingStem(const QString& name)
{
    return name.left(qMax(0, name.size() - 4));
}

void TakeCameraCard(const CameraCard& card, RecordingCatalogue& catalogue)
{
    catalogue.moments.clear();
    for (int g : {kGroupNormal, kGroupEvent}) {
        QStringList& files = catalogue.Files(g);
        std::uint64_t& total = g == kGroupNormal ? catalogue.normalTotalBytes : catalogue.eventTotalBytes;
        files.clear();
        total = 0;
        for (const CameraMoment& m : g == kGroupNormal ? card.normal : card.event) {
            const QString cell = m.CellName();
            files.append(cell);
            total += m.bytes;
            catalogue.moments.insert(cell, m);
        }
    }
}

QString MomentCaption(const RecordingCatalogue& catalogue, const QString& name)
{
    const auto it = catalogue.moments.constFind(name);
    if (it == catalogue.moments.cend())
        return {};
    // "YYYY/MM/DD hh:mm:ss" -> "YYYY.MM.DD\r\nhh:mm:ss"
    QString text = StartText(it->start);
    text.replace(QLatin1Char('/'), QLatin1Char('.'));
    text.replace(10, 1, QStringLiteral("\r\n"));
    const QString letters = it->OtherLetters();
    return letters.isEmpty() ? text : text + QLatin1Char(' ') + letters;
}

QString FlatName(const QString& name)
{
    if (!name.contains(QLatin1Char('/')))
        return name;
    QString flat = name;
    flat.replace(QLatin1Char('%'), QLatin1String("%25"));
    flat.replace(QLatin1Char('/'), QLatin1String("%2F"));
    return flat;
}

QString RecordingPath(const QString& recordingFolder, const QString& name)
{
    return recordingFolder + QLatin1Char('/') + name;
}

QString ThumbnailPath(const QString& workingFolder, const QString& name)
{
    return workingFolder + QLatin1Char('/') + RecordingStem(FlatName(name)) + QStringLiteral(".bmp");
}

QString SidecarPath(const QString& workingFolder, const QString& name)
{
    const QString flat = FlatName(name);
    return workingFolder + QLatin1Char('/') + flat.left(qMax(0, flat.size() - 3)) + QStringLiteral("GPS");
}

QString RepairedPath(const QString& workingFolder, const QString& name)
{
    return workingFolder + QLatin1Char('/') + RecordingStem(FlatName(name)) + QStringLiteral("_repaired.MP4");
}

QString RepairedPicturePath(const QString& workingFolder, const QString& name)
{
    return workingFolder + QLatin1Char('/') + RecordingStem(name) + QStringLiteral("_repaired.bmp");
}

} // namespace korvane
