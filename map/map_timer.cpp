// The map state machine tmGMMap: the connectivity check, the update check once per run, the
// activation of the two maps and the drawing of a loaded recording's route. Every state
// stops the timer on entry and restarts it when it wants another tick; nothing waits.
#include "map/leaflet_map.h"
#include "map/map_log.h"
#include "map/map_view.h"
#include "map/page_check.h"

namespace korvane {

void MapView::tmGMMapTimer()
{
    tmGMMap.stop();
    switch (mapState) {
    case 0:
        connectivityPending = true;
        online = true;
        mapState = 1;
        tmGMMap.setInterval(10);
        ++connectivityChecks;
        wbInternetChecker_->Navigate(addresses_.connectivityUrl);
        tmGMMap.start();
        return;
    case 1:
        if (connectivityPending) {
            tmGMMap.start();
            return;
        }
        if (!online) {
            // Offline, the next check follows after a pause: without a network a check fails
            // within a millisecond, and starting the next one at once would keep a core busy and
            // ask the name server hundreds of times a second.
            mapState = 0;
            tmGMMap.setInterval(offlineRetryMs);
            tmGMMap.start();
            ShowPanel(neverOnline ? Panel::Background : Panel::Position);
            return;
        }
        if (!updateCheckPending || updateCheckDone) {
            mapState = 4;
            tmGMMap.start();
            return;
        }
        updateCheckDone = false;
        wbUpdateChecker_->Navigate(addresses_.updateUrl);
        mapState = 3;
        tmGMMap.start();
        return;
    case 3:
        if (!updateCheckDone) {
            tmGMMap.start();
            return;
        }
        if (updateFound) {
            qCInfo(lcMap) << "a newer version is published";
            emit updateAvailable();
        }
        mapState = 4;
        updateCheckPending = false;
        ChecksDone();
        return;
    default:
        ChecksDone();
        return;
    }
}

void MapView::ChecksDone()
{
    if (!online) {
        ShowPanel(Panel::Background);
        tmGMMap.setInterval(2000);
        mapState = 0;
        tmGMMap.start();
        return;
    }
    mapState = 0;
    tmGMMap.setInterval(10);
    if (positionPageNavigated && !positionFrameLoaded && !activationPending_)
        ActivateMaps();
    if (routePending) {
        DrawPendingRoute();
        return;
    }
    ShowPanel(Panel::Position);
    neverOnline = false;
}

void MapView::ActivateMaps()
{
    // The design lets the browser settle for 100 ms before each page; the loads are
    // asynchronous here, so both start at once and nothing waits.
    activationPending_ = true;
    gmMapCaptial_->view = LeafletMap::View{DefaultLatitude, DefaultLongitude, 4, QStringLiteral("terrain")};
    gmMapCaptial_->Activate();
    gmMapRoute_->view = LeafletMap::View{DefaultLatitude, DefaultLongitude, 17, QStringLiteral("terrain")};
    gmMapRoute_->Activate();
    if (gmMapRoute_->LineCount() == 0)
        route.currentLine = -1;
}

void MapView::DrawPendingRoute()
{
    const RouteSource& source = recording_;
    TelemetrySample scratch;
    TelemetrySample& current = source.currentSample ? *source.currentSample : scratch;
    bool drawn = false;
    if (source.track) {
        const bool clearFirst = !routeContinue;
        if (source.track->dataType == DataTypeSubtitle)
            drawn = BuildRouteForTextTrack(*gmMapRoute_, route, *source.track, source.mp4Path, clearFirst, current);
        else
            drawn = BuildRouteForBlocks(*gmMapRoute_, route, *source.track, source.mp4Path, clearFirst, current);
    }
    if (!drawn) {
        routePending = false;
        ShowPanel(Panel::Position);
        neverOnline = false;
        return;
    }
    if (source.hasLines && route.firstFixIndex >= 0 && route.firstFixIndex < ScannableSamples(*source.track)) {
        const TelemetrySample& s = source.track->samples[route.firstFixIndex];
        // A first sample without a position is shown at the default location, not at 0, 0.
        const bool known = HasPosition(s);
        gmMapRoute_->SetCenter(known ? s.latitude : DefaultLatitude, known ? s.longitude : DefaultLongitude);
        gmMapRoute_->SetZoom(route.routeZoom);
    }
    routePending = false;
    ShowPanel(Panel::Route);
    neverOnline = false;
}

} // namespace korvane
