#include "library/working_folder.h"
#include "library/library_texts.h"
#include "library/library_log.h"
#include "platform/message_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvane {

QString XdgCacheHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QString() : home + QStringLiteral("/.cache");
}

namespace {
bool MakeFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(path);
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}
} // namespace

bool PrepareWorkingFolder(const QString& programFolder, const QString& cacheHome, QString& folder)
{
    const QString first = cacheHome.isEmpty() ? QString() : cacheHome + QStringLiteral("/KorvaneData");
    if (MakeFolder(first)) {
        folder = first;
        return true;
    }
    const QString second = programFolder.isEmpty() ? QString() : programFolder + QStringLiteral("/.KorvaneData");
    if (MakeFolder(second)) {
        folder = second;
        return true;
    }
    folder.clear();
    qCWarning(lcLibrary) << "no working folder could be made in" << first << "or" << second;
    ShowMessageBox(QStringLiteral("Korvane"), CannotMakeThumbnailsText(), BoxIcon::Error);
    return false;
}

bool PrepareWorkingFolder(const QString& programFolder, QString& folder)
{
    return PrepareWorkingFolder(programFolder, XdgCacheHome(), folder);
}

int PurgeWorkingFolder(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    QDir dir(folder);
    int removed = 0;
    const auto entries = dir.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
        const QString upper = info.fileName().toUpper();
        if (info.fileName().startsWith(QLatin1Char('.')) || info.isDir())
            continue;
        if (upper.contains(QLatin1String(".BMP")) || upper.contains(QLatin1String(".GPS")))
            removed += QFile::remove(info.filePath()) ? 1 : 0;
    }
    QFile::remove(folder + QStringLiteral("/FileReport.log"));
    return removed;
}

} // namespace korvane
