#include "library/thumbnail_tool.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace korvane {

QString FindThumbnailTool(const QString& programFolder)
{
    if (!programFolder.isEmpty()) {
        const QFileInfo local(programFolder + QStringLiteral("/ffmpeg"));
        if (local.isFile() && local.isExecutable())
            return local.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

QStringList ThumbnailToolArguments(const QString& mp4Path, const QString& bmpPath)
{
    return {QStringLiteral("-i"), mp4Path, QStringLiteral("-s"), QStringLiteral("80x60"), QStringLiteral("-r"),
            QStringLiteral("1"), QStringLiteral("-frames:v"), QStringLiteral("1"), bmpPath};
}

} // namespace korvane
