#include "library/thumbnail_tool.h"
#include "platform/file_name_bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <unistd.h>

namespace korvane {

namespace {
QString ExecutableIn(const QString& folder)
{
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return {};
    const QFileInfo tool(folder + QStringLiteral("/ffmpeg"));
    return tool.isFile() && tool.isExecutable() ? tool.absoluteFilePath() : QString();
}
} // namespace

QString FindThumbnailTool(const QString& installFolder)
{
    if (const QString beside = ExecutableIn(installFolder); !beside.isEmpty())
        return beside;
    // Empty and relative PATH entries name the current folder (the card): they are skipped.
    const QStringList path = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : path) {
        if (const QString found = ExecutableIn(folder); !found.isEmpty())
            return found;
    }
    return {};
}

QStringList ThumbnailToolArguments(const QString& mp4Path, const QString& bmpPath)
{
    // "file:" makes both names plain files (no other protocol, whatever the name holds) and
    // "-update 1" makes the picture name a name, never a pattern like "%04d". "-n" never
    // overwrites a picture that is already there.
    return {QStringLiteral("-nostdin"), QStringLiteral("-n"), QStringLiteral("-i"), QStringLiteral("file:") + mp4Path,
            QStringLiteral("-s"), QStringLiteral("80x60"), QStringLiteral("-r"), QStringLiteral("1"),
            QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-update"), QStringLiteral("1"),
            QStringLiteral("file:") + bmpPath};
}

QString ThumbnailToolOutput(const QStringList& arguments)
{
    const QString last = arguments.isEmpty() ? QString() : arguments.constLast();
    return last.startsWith(QLatin1String("file:")) ? last.mid(5) : last;
}

QString ThumbnailToolInput(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("-i"));
    const QString input = at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
    return input.startsWith(QLatin1String("file:")) ? input.mid(5) : input;
}

QString ToolInputPath(const QString& recordingPath, const QString& workingFolder, int n)
{
    const QByteArray bytes = EncodeFileNameBytes(recordingPath);
    if (QFile::encodeName(recordingPath) == bytes)
        return recordingPath;
    const QString link = workingFolder + QStringLiteral("/.input-%1.MP4").arg(n);
    const QByteArray linkBytes = EncodeFileNameBytes(link);
    ::unlink(linkBytes.constData());
    return ::symlink(bytes.constData(), linkBytes.constData()) == 0 ? link : QString();
}

bool IsToolInputLinkName(const QString& name)
{
    return name.startsWith(QLatin1String(".input-")) && name.endsWith(QLatin1String(".MP4"));
}

bool IsUsableThumbnail(const QString& bmpPath)
{
    const QFileInfo info(bmpPath);
    if (!info.isFile() || info.size() == 0)
        return false;
    return !QImage(bmpPath).isNull();
}

} // namespace korvane
