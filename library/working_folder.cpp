#include "library/working_folder.h"
#include "library/library_texts.h"
#include "library/library_log.h"
#include "library/thumbnail_tool.h"
#include "platform/private_folder.h"

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
    return home.isEmpty() || !QDir::isAbsolutePath(home) ? QString() : home + QStringLiteral("/.cache");
}

namespace {
// The cache home may be missing (a fresh account): its parents are made as the user's normal
// folders; the working folder itself is made private.
bool MakeFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return MakePrivateFolder(QFile::encodeName(path).toStdString());
}

// The places tried after the cache home, never inside the card: a folder in the user's runtime
// folder, else a fresh folder under the temporary folder.
QString FallbackWorkingFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (IsAbsolutePath(runtime.constData()) && IsPrivateFolder(runtime.toStdString())) {
        const QString inRuntime = QFile::decodeName(runtime) + QStringLiteral("/KorvaneData");
        if (MakePrivateFolder(QFile::encodeName(inRuntime).toStdString()))
            return inRuntime;
    }
    const std::string fresh = MakeFreshPrivateFolder(QFile::encodeName(QDir::tempPath()).toStdString(), "korvane-data-");
    return fresh.empty() ? QString() : QFile::decodeName(QByteArray::fromStdString(fresh));
}
} // namespace

Expected<QString, WorkingFolderError> PrepareWorkingFolder(const QString& programFolder, const QString& cacheHome)
{
    Q_UNUSED(programFolder);  // the card: nothing is ever written there
    const QString first = cacheHome.isEmpty() ? QString() : cacheHome + QStringLiteral("/KorvaneData");
    QString folder = first;
    if (!MakeFolder(first)) {
        folder = FallbackWorkingFolder();
        if (folder.isEmpty()) {
            qCWarning(lcLibrary) << "no working folder: neither" << first << "nor a fallback place could be made";
            return Unexpected(WorkingFolderError::NoPlace);
        }
    }
    // What an earlier run left behind (it may have been killed) belongs to another card.
    PurgeWorkingFolder(folder);
    return folder;
}

Expected<QString, WorkingFolderError> PrepareWorkingFolder(const QString& programFolder)
{
    return PrepareWorkingFolder(programFolder, XdgCacheHome());
}

bool IsWorkingFileName(const QString& name)
{
    if (name == QLatin1String("FileReport.log") || IsToolInputLinkName(name))
        return true;
    if (name.startsWith(QLatin1Char('.')))
        return false;
    return (name.endsWith(QLatin1String(".bmp")) && name.size() > 4)
           || (name.endsWith(QLatin1String(".GPS")) && name.size() > 4);
}

int PurgeWorkingFolder(const QString& folder)
{
    // Only a private folder of this user is ever emptied, never through a symbolic link, and
    // only of the names the viewer itself writes there.
    if (folder.isEmpty() || !IsPrivateFolder(QFile::encodeName(folder).toStdString()))
        return 0;
    QDir dir(folder);
    int removed = 0;
    const auto entries = dir.entryInfoList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
        if (!IsWorkingFileName(info.fileName()) || info.fileName() == QLatin1String("FileReport.log"))
            continue;
        if (info.isDir() && !info.isSymLink())
            continue;
        removed += QFile::remove(info.filePath()) ? 1 : 0;
    }
    QFile::remove(folder + QStringLiteral("/FileReport.log"));
    return removed;
}

} // namespace korvane
