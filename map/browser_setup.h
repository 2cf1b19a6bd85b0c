#pragma once
// The embedded browsers' common set-up: the process environment WebEngine needs, the one
// shared profile with its persistent folder, the check that the runtime can start, and the
// messages shown when it cannot.
#include <QString>

class QWebEngineProfile;

namespace korvane {

// Before the QApplication exists: disables Chromium's sandbox only when running as root (it
// cannot start there otherwise) and lets WebEngine share OpenGL contexts.
void PrepareBrowserEnvironment();
// Before the application object, in the viewer: the OpenGL shader caches are memory-mapped files
// in the user's cache folder, and a full disk turns a write into SIGBUS. When the cache folder
// has less than 16 MiB free or cannot be written, both caches are turned off.
void TurnOffShaderCachesWhenTheCacheIsFull();

// <XDG data home>/Korvane/WebViewer2
QString BrowserDataFolder();

// "Korvane/<version>" in front of the runtime's own user agent.
QString KorvaneUserAgent(const QString& runtimeAgent);

// The profile all browsers of the process share: cache and cookies persist in
// BrowserDataFolder(). Created on first use, it lives as long as the application.
QWebEngineProfile* PrepareBrowsers();

// Whether the browser runtime's helper process exists. 0 when it does; otherwise a negative
// code: BrowserFileNotFound when the helper is missing, BrowserGenericFailure for anything else.
constexpr int BrowserFileNotFound = -2147024894;   // the platform's code for "file not found"
constexpr int BrowserGenericFailure = -2147467259; // the platform's generic failure code
int CheckBrowserRuntime(QString* detail = nullptr);

// The creation-failure messages: the installation request, then one error box.
void wbRouteCreateWebViewCompleted(int result, const QString& detail);

// No registry on this platform: the probe always succeeds and shows nothing.
bool ProbeBrowserEmulationKey();

} // namespace korvane
