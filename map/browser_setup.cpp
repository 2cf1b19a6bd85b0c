#include "map/browser_setup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include "map/map_log.h"
#include "map/map_texts.h"
#include "platform/folder_probe.h"
#include "platform/message_box.h"
#include "platform/user_identity.h"

namespace korvane {

namespace {
constexpr qint64 kShaderCacheRoom = 16 * 1024 * 1024;   // what the shader caches may grow by
} // namespace

void PrepareBrowserEnvironment()
{
    if (RunningAsRoot() && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void TurnOffShaderCachesWhenTheCacheIsFull()
{
    // The OpenGL shader caches (Mesa's and Qt's) are files in the user's cache folder that are
    // mapped into memory: on a full disk a mapped page cannot be backed and the process dies
    // with SIGBUS. When the cache folder takes no files, both caches are turned off.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    if (!QDir().mkpath(cache) || !FolderHasRoomFor(cache, kShaderCacheRoom)) {
        qCWarning(lcMap) << "the cache folder" << cache << "takes no files: shader caches turned off";
        if (!qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DISABLE"))
            qputenv("MESA_SHADER_CACHE_DISABLE", "true");
        qputenv("QT_DISABLE_SHADER_DISK_CACHE", "1");
        QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    }
}

QString BrowserDataFolder()
{
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return home + QStringLiteral("/Korvane/WebViewer2");
}

QString KorvaneUserAgent(const QString& runtimeAgent)
{
    const QString own = QStringLiteral("Korvane/%1 (dashcam viewer)").arg(QStringLiteral(KORVANE_VERSION));
    return runtimeAgent.isEmpty() ? own : own + QLatin1Char(' ') + runtimeAgent;
}

QWebEngineProfile* PrepareBrowsers()
{
    // One profile for the whole process: every browser shares its cache and cookies.
    static QPointer<QWebEngineProfile> shared;
    if (shared)
        return shared;
    const QString folder = BrowserDataFolder();
    if (!QDir().mkpath(folder))
        qCWarning(lcMap) << "cannot create the browser folder" << folder;
    auto* profile = new QWebEngineProfile(QStringLiteral("WebViewer2"), QCoreApplication::instance());
    profile->setPersistentStoragePath(folder);
    profile->setCachePath(folder + QStringLiteral("/cache"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->setHttpUserAgent(KorvaneUserAgent(profile->httpUserAgent()));
    // The page comes from the program's resources and fetches its tiles over http(s).
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    profile->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    shared = profile;
    return profile;
}

int CheckBrowserRuntime(QString* detail)
{
    QString helper = qEnvironmentVariable("QTWEBENGINE_PROCESS_PATH");
    if (helper.isEmpty())
        helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
    const QFileInfo info(helper);
    if (!info.exists()) {
        if (detail)
            *detail = helper;
        return BrowserFileNotFound;
    }
    if (!info.isExecutable()) {
        if (detail)
            *detail = QStringLiteral("%1 is not executable").arg(helper);
        return BrowserGenericFailure - 1;
    }
    return 0;
}

void wbRouteCreateWebViewCompleted(int result, const QString& detail)
{
    if (result >= 0)
        return;
    qCWarning(lcMap) << "the browser runtime cannot start:" << result << detail;
    ShowMessageBox(QStringLiteral("Korvane"), MapText(MapTextKey::InstallBrowser), BoxIcon::Warning);
    const QString caption = QStringLiteral("Edge initialisation error");
    if (result == BrowserFileNotFound)
        ShowMessageBox(caption,
                       QStringLiteral("Could not find Edge installation. Do you have a version installed that''s "
                                      "compatible with this WebView2 SDK version?"),
                       BoxIcon::Error);
    else if (result == BrowserGenericFailure)
        ShowMessageBox(caption, QStringLiteral("Failed to initialise Edge loader"), BoxIcon::Error);
    else
        ShowMessageBox(caption, QStringLiteral("Failed to initialise Edge: %1").arg(detail), BoxIcon::Error);
}

bool ProbeBrowserEmulationKey() { return true; }

} // namespace korvane
