#pragma once
// The map component: one map page of our own (Leaflet, from the program's resources) in an
// embedded browser, and the map operations as script calls on it. Calls are sent in order,
// one script at a time; operations made while a script runs are gathered into the next one,
// and marker moves are coalesced so that only the newest waits. Nothing ever waits for the
// browser: counts come from the component's own record of what it has sent.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

#include "map/map_addresses.h"
#include "map/route_map_ops.h"

class QWebEngineView;

namespace korvane {

class LeafletMap : public QObject, public RouteMapOps {
    Q_OBJECT
public:
    // The map's required properties, applied when its page is built.
    struct View {
        double latitude = DefaultLatitude;
        double longitude = DefaultLongitude;
        int zoom = 17;
        QString mapType = QStringLiteral("terrain");
    };

    // withControls: layers and zoom controls (the route map); initialMarkers: markers titled
    // "TMarker" at 0, 0 that the page starts with.
    LeafletMap(QWebEngineView* browser, const MapAddresses& addresses, bool withControls, int initialMarkers,
               QObject* parent = nullptr);

    static QString PageUrl();

    View view;
    // Loads the page into the browser; what an earlier page held is forgotten.
    void Activate();
    bool PageReady() const { return pageReady_; }

    // RouteMapOps
    int MarkerCount() const override { return markerCount_; }
    void ClearMarkers() override;
    void AddMarker(double lat, double lon, const QString& title) override;
    int LineCount() const override { return lineCount_; }
    void ClearLines() override;
    int AddLine(const QColor& colour, int weight) override;
    void AddPoint(int line, double lat, double lon) override;
    void SetCenter(double lat, double lon) override;
    void SetZoom(int zoom) override;
    void MoveMarker(double lat, double lon, bool switchAutoUpdate) override;

    // Asks the page for its state (lines, points per line, markers, centre, zoom); the answer
    // comes later, after everything sent before it. An empty map when the page is not up.
    void QueryState(std::function<void(const QVariantMap&)> answer);

    // Figures for tests and benchmarks.
    int scriptsSent = 0;
    int movesSent = 0;
    int movesCoalesced = 0;
    bool ScriptInFlight() const { return inFlight_; }

signals:
    // The page finished loading: ok when the map page itself (not about:blank) loaded.
    void pageLoaded(bool ok);
    // Any navigation of the browser completed.
    void navigationCompleted(bool ok);

private:
    void OnLoadFinished(bool ok);
    void Append(const QString& script);
    void FlushPoints();
    void SchedulePump();
    void Pump();
    void Send(const QString& script, std::function<void(const QVariant&)> answer = {});

    QPointer<QWebEngineView> browser_;
    MapAddresses addresses_;
    bool withControls_;
    int initialMarkers_;
    bool pageReady_ = false;
    bool everReady_ = false;          // a page of this map has been up
    bool inFlight_ = false;
    bool pumpScheduled_ = false;
    int generation_ = 0;              // bumped by Activate: answers of an old page are dropped
    int markerCount_ = 0;
    int lineCount_ = 0;
    QString pending_;                 // scripts waiting to be sent, in order
    int pointsLine_ = -1;             // points gathered for one line
    QString points_;
    struct Move { double lat; double lon; bool autoUpdate; };
    std::optional<Move> move_;        // the newest marker move not yet sent
    QList<std::function<void(const QVariantMap&)>> queries_;
};

} // namespace korvane
