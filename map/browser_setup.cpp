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
#include "platform/message_box.h"
#include "platform/user_identity.h"

namespace korvane {

void PrepareBrowserEnvironment()
{
    if (RunningAsRoot() && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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
