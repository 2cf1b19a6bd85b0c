#include "map/leaflet_map.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "map/browser_host.h"
#include "map/map_log.h"

namespace korvane {
namespace {

QString Num(double v) { return QString::number(v, 'f', 7); }

QString JsString(const QString& text)
{
    // A JSON string is a valid JavaScript string literal.
    const QByteArray json = QJsonDocument(QJsonObject{{QStringLiteral("s"), text}}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(5, json.size() - 6));
}

} // namespace

LeafletMap::LeafletMap(QWebEngineView* browser, const MapAddresses& addresses, bool withControls,
                       int initialMarkers, QObject* parent)
    : QObject(parent), browser_(browser), addresses_(addresses), withControls_(withControls),
      initialMarkers_(initialMarkers), markerCount_(initialMarkers)
{
    connect(browser, &QWebEngineView::loadFinished, this, &LeafletMap::OnLoadFinished);
    connect(browser->page(), &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                qCWarning(lcMap) << "map page renderer ended:" << status << code;
                pageReady_ = false;
                inFlight_ = false;
                ++generation_;
                emit pageLoaded(false);
            });
}

QString LeafletMap::PageUrl() { return QStringLiteral("qrc:/korvane/map/map.html"); }

void LeafletMap::Activate()
{
    ++generation_;
    // Operations made before the first page came up still apply to the new page; a page that
    // was up takes everything sent to it along when it goes.
    if (everReady_) {
        pending_.clear();
        points_.clear();
        pointsLine_ = -1;
        move_.reset();
        markerCount_ = initialMarkers_;
        lineCount_ = 0;
    }
    pageReady_ = false;
    inFlight_ = false;
    if (browser_)
        browser_->load(QUrl(PageUrl()));
}

void LeafletMap::OnLoadFinished(bool ok)
{
    const bool ours = browser_ && browser_->url() == QUrl(PageUrl());
    emit navigationCompleted(ok);
    if (!ours)
        return;
    if (!ok) {
        qCWarning(lcMap) << "map page did not load";
        emit pageLoaded(false);
        return;
    }
    // DoMap: build the map with its required properties before anything queued since Activate.
    const QString opts = QStringLiteral("{center:[%1,%2],zoom:%3,mapType:%4,controls:%5,terrainUrl:%6,streetUrl:%7,markers:%8}")
                             .arg(Num(view.latitude), Num(view.longitude)).arg(view.zoom)
                             .arg(JsString(view.mapType), withControls_ ? QStringLiteral("true") : QStringLiteral("false"),
                                  JsString(addresses_.terrainTiles), JsString(addresses_.streetTiles))
                             .arg(initialMarkers_);
    FlushPoints();
    pending_.prepend(QStringLiteral("korvane.doMap(%1);").arg(opts));
    pageReady_ = true;
    everReady_ = true;
    inFlight_ = false;
    Pump();
    emit pageLoaded(true);
}

void LeafletMap::Append(const QString& script)
{
    FlushPoints();
    pending_ += script;
    SchedulePump();
}

void LeafletMap::FlushPoints()
{
    if (pointsLine_ < 0)
        return;
    pending_ += QStringLiteral("korvane.lineAddPoints(%1,[%2]);").arg(pointsLine_).arg(points_);
    points_.clear();
    pointsLine_ = -1;
}

void LeafletMap::ClearMarkers()
{
    markerCount_ = 0;
    Append(QStringLiteral("korvane.markersClear();"));
}

void LeafletMap::AddMarker(double lat, double lon, const QString& title)
{
    ++markerCount_;
    Append(QStringLiteral("korvane.markersAdd(%1,%2,%3);").arg(Num(lat), Num(lon), JsString(title)));
}

void LeafletMap::ClearLines()
{
    lineCount_ = 0;
    Append(QStringLiteral("korvane.linesClear();"));
}

int LeafletMap::AddLine(const QColor& colour, int weight)
{
    Append(QStringLiteral("korvane.linesAdd(%1,%2);").arg(JsString(colour.name()), QString::number(weight)));
    return lineCount_++;
}

void LeafletMap::AddPoint(int line, double lat, double lon)
{
    if (line < 0 || line >= lineCount_)
        return;
    if (pointsLine_ != line) {
        FlushPoints();
        pointsLine_ = line;
    }
    if (!points_.isEmpty())
        points_ += QLatin1Char(',');
    points_ += QLatin1Char('[') + Num(lat) + QLatin1Char(',') + Num(lon) + QLatin1Char(']');
    SchedulePump();
}

void LeafletMap::SetCenter(double lat, double lon)
{
    Append(QStringLiteral("korvane.setCenter(%1,%2);").arg(Num(lat), Num(lon)));
}

void LeafletMap::SetZoom(int zoom) { Append(QStringLiteral("korvane.setZoom(%1);").arg(zoom)); }

void LeafletMap::MoveMarker(double lat, double lon, bool switchAutoUpdate)
{
    if (move_) {
        ++movesCoalesced;
        switchAutoUpdate = switchAutoUpdate || move_->autoUpdate;
    }
    move_ = Move{lat, lon, switchAutoUpdate};
    Pump();
}

void LeafletMap::QueryState(std::function<void(const QVariantMap&)> answer)
{
    if (!pageReady_) {
        QTimer::singleShot(0, this, [answer] { answer(QVariantMap{}); });
        return;
    }
    queries_.append(std::move(answer));
    SchedulePump();
}

void LeafletMap::SchedulePump()
{
    if (pumpScheduled_)
        return;
    pumpScheduled_ = true;
    // Operations made in one pass of the event loop go out as one script.
    QTimer::singleShot(0, this, [this] {
        pumpScheduled_ = false;
        Pump();
    });
}

void LeafletMap::Pump()
{
    if (!pageReady_ || inFlight_ || !browser_ || browser_->property(kBrowserClosingProperty).toBool())
        return;
    FlushPoints();
    if (!pending_.isEmpty()) {
        QString script;
        script.swap(pending_);
        Send(script);
    } else if (move_) {
        const Move m = *move_;
        move_.reset();
        ++movesSent;
        Send(QStringLiteral("korvane.follow(%1,%2,%3);").arg(Num(m.lat), Num(m.lon), m.autoUpdate ? QStringLiteral("true") : QStringLiteral("false")));
    } else if (!queries_.isEmpty()) {
        auto answer = queries_.takeFirst();
        Send(QStringLiteral("korvane.state();"), [answer](const QVariant& v) { answer(v.toMap()); });
    }
}

void LeafletMap::Send(const QString& script, std::function<void(const QVariant&)> answer)
{
    inFlight_ = true;
    ++scriptsSent;
    const int generation = generation_;
    QPointer<LeafletMap> self(this);
    browser_->page()->runJavaScript(script, 0, [self, generation, answer](const QVariant& result) {
        if (!self || self->generation_ != generation)
            return;
        self->inFlight_ = false;
        if (answer)
            answer(result);
        self->Pump();
    });
}

} // namespace korvane
