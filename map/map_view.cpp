#include "map/map_view.h"

#include <QDesktopServices>
#include <QFrame>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "map/browser_host.h"
#include "map/browser_setup.h"
#include "map/leaflet_map.h"
#include "map/map_log.h"
#include "map/page_check.h"

namespace korvane {
namespace {

// The map page stays where it is: links (the attribution's) open in the desktop's browser.
class MapPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (!isMainFrame || url == QUrl(LeafletMap::PageUrl()) || url.scheme() == QLatin1String("about"))
            return true;
        if (type == NavigationTypeLinkClicked && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")))
            QDesktopServices::openUrl(url);
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override
    {
        if (level == ErrorMessageLevel)
            qCWarning(lcMap) << "map page:" << message << source << line;
    }
};

QFrame* MakeMapPanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    panel->hide();
    return panel;
}

QWebEngineView* MakeBrowser(QFrame* panel, QWebEngineProfile* profile, const char* name)
{
    auto* view = new QWebEngineView;
    view->setObjectName(QString::fromLatin1(name));
    view->setPage(new MapPage(profile, view));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    auto* host = new BrowserHost(view, panel);
    host->setObjectName(QString::fromLatin1(name));
    panel->layout()->addWidget(host);
    return view;
}

} // namespace

MapView::MapView(QFrame* plMapBackground, const MapAddresses& addresses, QObject* parent)
    : QObject(parent), addresses_(addresses), plMapBackground_(plMapBackground)
{
    // The offline panel is black and says nothing.
    QPalette pal = plMapBackground_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    plMapBackground_->setPalette(pal);
    plMapBackground_->setAutoFillBackground(true);

    QWidget* area = plMapBackground_->parentWidget();
    plMapRoute_ = MakeMapPanel(area, "plMapRoute");
    plMapCaptial_ = MakeMapPanel(area, "plMapCaptial");
    btnRoutePlus_ = new QPushButton(QStringLiteral("+"), plMapRoute_);
    btnRoutePlus_->setObjectName(QStringLiteral("btnRoutePlus"));
    btnRouteMinus_ = new QPushButton(QStringLiteral("-"), plMapRoute_);
    btnRouteMinus_->setObjectName(QStringLiteral("btnRouteMinus"));
    btnRoutePlus_->hide();
    btnRouteMinus_->hide();

    tmGMMap.setSingleShot(true);
    tmGMMap.setInterval(50);
    connect(&tmGMMap, &QTimer::timeout, this, &MapView::tmGMMapTimer);
    tmDummyH.setSingleShot(true);
    tmDummyH.setInterval(100);

    network_ = new QNetworkAccessManager(this);
    QString detail;
    const int runtime = CheckBrowserRuntime(&detail);
    if (runtime < 0) {
        // The messages come after start-up has finished; the maps simply stay empty.
        QTimer::singleShot(0, this, [runtime, detail] { wbRouteCreateWebViewCompleted(runtime, detail); });
        wbInternetChecker_ = new PageCheck(*network_, KorvaneUserAgent(QString()), this);
        wbUpdateChecker_ = new PageCheck(*network_, KorvaneUserAgent(QString()), this);
        return;
    }
    // PrepareBrowsers: one profile, one folder, for both map browsers and the checkers.
    profile_ = PrepareBrowsers();
    wbInternetChecker_ = new PageCheck(*network_, profile_->httpUserAgent(), this);
    wbUpdateChecker_ = new PageCheck(*network_, profile_->httpUserAgent(), this);
    connect(wbInternetChecker_, &PageCheck::navigationCompleted, this, &MapView::wbInternetCheckerNavigationCompleted);
    connect(wbUpdateChecker_, &PageCheck::navigationCompleted, this, &MapView::wbUpdateCheckerNavigationCompleted);
    wbRoute_ = MakeBrowser(plMapRoute_, profile_, "wbRoute");
    wbCaptial_ = MakeBrowser(plMapCaptial_, profile_, "wbCaptial");
    // The buttons lie over the route browser, which has a window of its own.
    for (QPushButton* button : {btnRoutePlus_, btnRouteMinus_}) {
        button->setAttribute(Qt::WA_NativeWindow);
        button->raise();
    }

    // The browsers' views come into being with their first page.
    StartMapBrowsers();

    gmMapRoute_ = new LeafletMap(wbRoute_, addresses_, true, 2, this);
    gmMapCaptial_ = new LeafletMap(wbCaptial_, addresses_, false, 0, this);
    gmMapRoute_->view.zoom = route.routeZoom;
    gmMapCaptial_->view.zoom = 4;

    // Page events.
    connect(gmMapCaptial_, &LeafletMap::navigationCompleted, this, [this](bool) {
        positionPageNavigated = true;
        // The browser came up after the checks had already finished: the machine runs once
        // more so that the maps get activated.
        if (!positionFrameLoaded && !activationPending_ && !tmGMMap.isActive() && !neverOnline)
            tmGMMap.start();
    });
    connect(gmMapCaptial_, &LeafletMap::pageLoaded, this, [this](bool ok) {
        activationPending_ = false;
        positionFrameLoaded = ok;
    });
    connect(gmMapRoute_, &LeafletMap::pageLoaded, this, [this](bool ok) {
        if (ok)
            routeMapReady = true;
        else
            routeMapReady = false;   // a page that went away takes no marker moves
    });
}

MapView::~MapView() = default;

void MapView::StartMapBrowsers()
{
    if (!wbRoute_)
        return;
    wbCaptial_->load(QUrl(QStringLiteral("about:blank")));
    wbRoute_->load(QUrl(QStringLiteral("about:blank")));
}

void MapView::Start()
{
    route.routeZoom = 17;
    ShowPanel(Panel::Background);
    mapState = 0;
    neverOnline = true;
    updateCheckPending = true;
    updateCheckDone = false;
    // Without a browser runtime no check ever completes: the black panel stays.
    if (!wbRoute_)
        return;
    tmGMMap.setInterval(50);
    tmGMMap.start();
}

void MapView::SetGeometry(const QRect& area)
{
    for (QFrame* panel : {plMapBackground_, plMapRoute_, plMapCaptial_})
        panel->setGeometry(area);
    const int size = 24;
    btnRoutePlus_->setGeometry(area.width() - size - 4, 4, size, size);
    btnRouteMinus_->setGeometry(area.width() - size - 4, 8 + size, size, size);
}

void MapView::ShowPanel(Panel panel)
{
    plMapBackground_->setVisible(panel == Panel::Background);
    plMapRoute_->setVisible(panel == Panel::Route);
    plMapCaptial_->setVisible(panel == Panel::Position);
    if (panel != Panel::Background)
        (panel == Panel::Route ? plMapRoute_ : plMapCaptial_)->raise();
}

void MapView::StartRouteMap(const RouteSource& recording)
{
    recording_ = recording;
    btnRoutePlus_->hide();
    btnRouteMinus_->hide();
    routePending = true;
    if (wbRoute_)
        tmGMMap.start();
}

void MapView::PrepareMapsForNewFolder()
{
    if (gmMapRoute_) {
        gmMapRoute_->ClearLines();
        // The marker goes back where the page put it (0/0, off any route): the last
        // recording's place is no place of the new folder.
        gmMapRoute_->MoveMarker(0, 0, true);
    }
    route.currentLine = -1;
}

void MapView::PrepareMapsForClean() { ShowPanel(Panel::Position); }

void MapView::FollowPlayback(const TelemetryTrack& track, qint64 index, bool followMap)
{
    if (!followMap || !routeMapReady || !gmMapRoute_ || index < 0 || index >= ScannableSamples(track))
        return;
    const int i = static_cast<int>(index);
    if (track.dataType == DataTypeSubtitle)
        MoveRouteMarker(*gmMapRoute_, track, i);
    else
        CenterRouteMap(*gmMapRoute_, route, track, i);
}

void MapView::miRouteContinueClick(bool checked)
{
    if (tmDummyH.isActive()) {
        // A second click within 100 ms is ignored: the check mark goes back.
        emit routeContinueRestored(routeContinue);
        return;
    }
    routeContinue = checked;
    emit routeContinueToggled(checked);
    tmDummyH.start();
}

void MapView::wbInternetCheckerNavigationCompleted(bool success, int)
{
    online = success;
    connectivityPending = false;
}

void MapView::wbUpdateCheckerNavigationCompleted(bool success, int)
{
    updateFound = success;
    updateCheckDone = true;
}

} // namespace korvane
