#pragma once
// The map area of the main window: the route map, the position map and the black offline
// panel stacked in one place, the two map browsers sharing one profile, the connectivity and
// update checks, and the state machine tmGMMap that ties them together. It is told of each
// recording loaded and of each position played, and never waits on a browser.
#include <QObject>
#include <QRect>
#include <QTimer>

#include "map/map_addresses.h"
#include "map/route_builder.h"

class QFrame;
class QNetworkAccessManager;
class QPushButton;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace korvane {

class LeafletMap;
class PageCheck;

// What the route drawing needs of the recording that was loaded last. The pointers are the
// playback channel's, which outlives the map.
struct RouteSource {
    const TelemetryTrack* track = nullptr;
    QString mp4Path;
    bool hasLines = false;                    // the channel's telemetry line list is not empty
    TelemetrySample* currentSample = nullptr; // the channel's copy of the sample consumed
};

class MapView : public QObject {
    Q_OBJECT
public:
    // plMapBackground is the window's own panel; the two map panels are created beside it.
    MapView(QFrame* plMapBackground, const MapAddresses& addresses, QObject* parent = nullptr);
    ~MapView() override;

    // Start-up: browsers created and navigated to about:blank, background shown, tmGMMap on.
    void StartMapBrowsers();
    void Start();
    // Places the three panels over the same rectangle.
    void SetGeometry(const QRect& area);

    // A recording has been loaded: its route is to be drawn once the route map can take it.
    void StartRouteMap(const RouteSource& recording);
    // Another folder was opened: the route lines go.
    void PrepareMapsForNewFolder();
    // The clean command prepares its view: the position map in front.
    void PrepareMapsForClean();
    // The playback moved to a sample: the marker follows when followMap is set.
    void FollowPlayback(const TelemetryTrack& track, qint64 index, bool followMap);
    // The route history menu command (also Ctrl+H).
    void miRouteContinueClick(bool checked);
    bool routeContinue = false;

    // The state of the maps, as the state machine and the page events keep it.
    int mapState = 0;
    bool connectivityPending = false;
    bool online = false;
    bool updateCheckPending = true;
    bool updateCheckDone = false;
    bool updateFound = false;
    bool neverOnline = true;
    bool positionPageNavigated = false;
    bool positionFrameLoaded = false;
    bool routeMapReady = false;
    bool routePending = false;
    RouteState route;

    QTimer tmGMMap;
    QTimer tmDummyH;

    QFrame* plMapBackground() const { return plMapBackground_; }
    QFrame* plMapRoute() const { return plMapRoute_; }
    QFrame* plMapCaptial() const { return plMapCaptial_; }
    QWebEngineView* wbRoute() const { return wbRoute_; }
    QWebEngineView* wbCaptial() const { return wbCaptial_; }
    LeafletMap* GMMapRoute() const { return gmMapRoute_; }
    LeafletMap* GMMapCaptial() const { return gmMapCaptial_; }
    bool BrowsersAvailable() const { return wbRoute_ != nullptr; }
    const MapAddresses& addresses() const { return addresses_; }
    int connectivityChecks = 0;   // connectivity navigations started
    int offlineRetryMs = 500;     // pause before the next check while offline

signals:
    // The update page answered: the new-version notice is to be shown (once per run).
    void updateAvailable();
    // The route history was toggled: the invisible modal dialog is to be shown.
    void routeContinueToggled(bool on);
    // A second toggle within 100 ms was ignored: the menu's check mark goes back to `on`.
    void routeContinueRestored(bool on);

private:
    void tmGMMapTimer();
    void ChecksDone();
    void ActivateMaps();
    void DrawPendingRoute();
    enum class Panel { Background, Route, Position };
    void ShowPanel(Panel panel);
    void wbInternetCheckerNavigationCompleted(bool success, int status);
    void wbUpdateCheckerNavigationCompleted(bool success, int status);

    MapAddresses addresses_;
    QFrame* plMapBackground_ = nullptr;
    QFrame* plMapRoute_ = nullptr;
    QFrame* plMapCaptial_ = nullptr;
    QPushButton* btnRoutePlus_ = nullptr;
    QPushButton* btnRouteMinus_ = nullptr;
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* wbRoute_ = nullptr;
    QWebEngineView* wbCaptial_ = nullptr;
    LeafletMap* gmMapRoute_ = nullptr;
    LeafletMap* gmMapCaptial_ = nullptr;
    QNetworkAccessManager* network_ = nullptr;
    PageCheck* wbInternetChecker_ = nullptr;
    PageCheck* wbUpdateChecker_ = nullptr;
    bool activationPending_ = false;
    RouteSource recording_;   // the recording loaded last
};

} // namespace korvane
