// The map area on the real Qt WebEngine against the loopback tile server: offline panel,
// position map, route drawing and its lines, the marker following playback, the update
// notice, and a runtime that cannot start.
#include <gtest/gtest.h>

#include <QFrame>
#include <QTest>
#include <QWebEngineView>
#include <cmath>

#include "map/browser_setup.h"
#include "map/leaflet_map.h"
#include "map/map_view.h"
#include "page_state.h"
#include "platform/message_box.h"
#include "tile_server.h"

using namespace korvane;

namespace {

TileServer* server = nullptr;

QString TilePath(const char* layer, double lat, double lon, int z)
{
    const double n = std::pow(2.0, z);
    const int x = static_cast<int>(std::floor((lon + 180.0) / 360.0 * n));
    const double r = lat * M_PI / 180.0;
    const int y = static_cast<int>(std::floor((1.0 - std::log(std::tan(r) + 1.0 / std::cos(r)) / M_PI) / 2.0 * n));
    return QStringLiteral("/%1/%2/%3/%4.png").arg(QLatin1String(layer)).arg(z).arg(x).arg(y);
}

// A timed-text track: no fix for the first 40 samples, then a drive north-east.
std::unique_ptr<TelemetryTrack> Track(int n, double lat0, double lon0)
{
    auto t = std::make_unique<TelemetryTrack>();
    t->dataType = DataTypeSubtitle;
    t->sampleCount = n;
    for (int i = 0; i < n; ++i) {
        TelemetrySample& s = t->samples[i];
        s.speedKmh = NoSpeed;
        if (i < 40)
            continue;
        s.fixValid = 1;
        s.latitude = lat0 + (i - 40) * 0.00002;
        s.longitude = lon0 + (i - 40) * 0.00002;
        s.speedKmh = 30;
    }
    return t;
}

class Messages : public MessageSink {
public:
    int Show(const QString&, const QString& text, BoxIcon, BoxButtons) override
    {
        texts << text;
        return kResultOk;
    }
    QStringList texts;
};

} // namespace

class MapViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new TileServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(server->Running());
        SetMessageSink(&messages);
        host = std::make_unique<QWidget>();
        host->resize(420, 320);
        background = new QFrame(host.get());
    }
    void TearDown() override
    {
        view.reset();
        host.reset();
        SetMessageSink(nullptr);
    }

    MapAddresses Online(const QString& update = QString()) const
    {
        MapAddresses a;
        a.terrainTiles = server->Url(QStringLiteral("/terrain/{z}/{x}/{y}.png"));
        a.streetTiles = server->Url(QStringLiteral("/street/{z}/{x}/{y}.png"));
        a.connectivityUrl = server->Url(QStringLiteral("/connected/"));
        a.updateUrl = update.isEmpty() ? QString() : server->Url(update);
        return a;
    }

    // The recording loaded last, as the viewer hands it over.
    RouteSource Recording() { return RouteSource{track.get(), path, true, &current}; }

    void Make(const MapAddresses& a)
    {
        view = std::make_unique<MapView>(background, a);
        view->SetGeometry(QRect(0, 0, 420, 320));
        QObject::connect(view.get(), &MapView::updateAvailable, [this] { ++notices; });
        host->show();
        view->Start();
    }

    // Loads a recording and waits until its route is on the page.
    QVariantMap Load(const QString& mp4Path, int expectedLines)
    {
        path = mp4Path;
        view->StartRouteMap(Recording());
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->plMapRoute()->isVisible() && !view->routePending; }, 15000));
        QVariantMap state;
        (void)QTest::qWaitFor([&] {
            state = PageState(view->GMMapRoute());
            return state.value(QStringLiteral("ready")).toBool() &&
                   state.value(QStringLiteral("lines")).toInt() == expectedLines;
        }, 10000);
        return state;
    }

    Messages messages;
    std::unique_ptr<QWidget> host;
    QFrame* background = nullptr;
    std::unique_ptr<MapView> view;
    std::unique_ptr<TelemetryTrack> track = Track(200, 35.6812, 139.7671);
    QString path;
    TelemetrySample current;
    int notices = 0;
};

TEST_F(MapViewTest, OfflineShowsTheBlackPanelAndKeepsChecking)
{
    MapAddresses a = Online(QStringLiteral("/update/"));
    a.connectivityUrl = QStringLiteral("http://127.0.0.1:%1/connected/").arg(TileServer::ClosedPort());
    Make(a);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->connectivityChecks >= 5; }, 10000));
    // It keeps checking, at a pace: a refused check fails at once and must not spin.
    const int before = view->connectivityChecks;
    QTest::qWait(3 * view->offlineRetryMs);
    EXPECT_GE(view->connectivityChecks - before, 2);
    EXPECT_LE(view->connectivityChecks - before, 4);
    EXPECT_TRUE(view->plMapBackground()->isVisible());
    EXPECT_FALSE(view->plMapRoute()->isVisible());
    EXPECT_FALSE(view->plMapCaptial()->isVisible());
    EXPECT_EQ(view->plMapBackground()->palette().color(QPalette::Window), QColor(Qt::black));
    // A load while offline draws nothing and waits for the machine to come online.
    view->StartRouteMap(Recording());
    QTest::qWait(200);
    EXPECT_TRUE(view->plMapBackground()->isVisible());
    EXPECT_TRUE(view->routePending);
    EXPECT_EQ(notices, 0);
    EXPECT_TRUE(view->updateCheckPending);
}

TEST_F(MapViewTest, OnlineShowsThePositionMapWithoutControls)
{
    server->ClearLog();
    Make(Online());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->plMapCaptial()->isVisible(); }, 10000));
    EXPECT_FALSE(view->plMapBackground()->isVisible());
    EXPECT_FALSE(view->neverOnline);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->positionFrameLoaded && view->routeMapReady; }, 10000));
    const QVariantMap state = PageState(view->GMMapCaptial());
    EXPECT_EQ(state.value(QStringLiteral("zoom")).toInt(), 4);
    EXPECT_EQ(state.value(QStringLiteral("markers")).toInt(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->Requests().contains(TilePath("terrain", DefaultLatitude, DefaultLongitude, 4)); }, 10000));
    // Requests name Korvane and its version.
    bool named = false;
    for (const QString& line : server->Log())
        named = named || line.contains(QStringLiteral("Korvane/1.50"));
    EXPECT_TRUE(named);
    EXPECT_EQ(notices, 0);   // no update page configured: no notice
}

TEST_F(MapViewTest, RouteIsDrawnAroundTheFirstFixAndTheMarkerFollows)
{
    Make(Online());
    server->ClearLog();
    const QVariantMap state = Load(QStringLiteral("/card/20250614120000.MP4"), 1);
    ASSERT_EQ(state.value(QStringLiteral("lines")).toInt(), 1);
    EXPECT_EQ(state.value(QStringLiteral("points")).toList().value(0).toInt(), 160);
    EXPECT_EQ(state.value(QStringLiteral("zoom")).toInt(), 17);
    const QVariantList centre = state.value(QStringLiteral("center")).toList();
    EXPECT_NEAR(centre.value(0).toDouble(), track->samples[40].latitude, 1e-6);
    EXPECT_EQ(view->route.firstFixIndex, 40);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return server->Requests().contains(TilePath("terrain", track->samples[40].latitude, track->samples[40].longitude, 17));
    }, 10000)) << server->Requests().join(QLatin1Char(' ')).toStdString();
    // The text track keeps the two "TMarker"s; marker 0 follows playback.
    view->FollowPlayback(*track, 150, true);
    view->FollowPlayback(*track, 10, true);   // no fix there: the marker stays
    QVariantMap after;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        after = PageState(view->GMMapRoute());
        return after.value(QStringLiteral("markersAuto")).toBool();
    }, 5000));
    EXPECT_NEAR(after.value(QStringLiteral("marker0Shown")).toList().value(0).toDouble(), track->samples[150].latitude, 1e-6);
    EXPECT_NEAR(after.value(QStringLiteral("center")).toList().value(1).toDouble(), track->samples[150].longitude, 1e-6);
    // Without the follow flag nothing moves.
    view->FollowPlayback(*track, 190, false);
    after = PageState(view->GMMapRoute());
    EXPECT_NEAR(after.value(QStringLiteral("marker0")).toList().value(0).toDouble(), track->samples[150].latitude, 1e-6);
}

TEST_F(MapViewTest, NextMinuteContinuesTheLineAndTwoMinutesStartANewOne)
{
    Make(Online());
    view->routeContinue = true;
    EXPECT_EQ(Load(QStringLiteral("/card/20250614120000.MP4"), 1).value(QStringLiteral("points")).toList(), QVariantList{160});
    EXPECT_EQ(Load(QStringLiteral("/card/20250614120100.MP4"), 1).value(QStringLiteral("points")).toList(), QVariantList{320});
    EXPECT_EQ(Load(QStringLiteral("/card/20250614120300.MP4"), 2).value(QStringLiteral("points")).toList(), (QVariantList{320, 160}));
    // History off: every load starts from an empty map.
    view->routeContinue = false;
    EXPECT_EQ(Load(QStringLiteral("/card/20250614120400.MP4"), 1).value(QStringLiteral("points")).toList(), QVariantList{160});
    EXPECT_EQ(Load(QStringLiteral("/card/20250614120500.MP4"), 1).value(QStringLiteral("points")).toList(), QVariantList{160});
    // Another folder clears the lines.
    view->PrepareMapsForNewFolder();
    EXPECT_TRUE(QTest::qWaitFor([&] { return PageState(view->GMMapRoute()).value(QStringLiteral("lines")).toInt() == 0; }, 5000));
}

TEST_F(MapViewTest, MarkerMovesAreCoalesced)
{
    Make(Online());
    Load(QStringLiteral("/card/20250614120000.MP4"), 1);
    LeafletMap* map = view->GMMapRoute();
    const int sentBefore = map->movesSent;
    for (int i = 40; i < 200; ++i)
        view->FollowPlayback(*track, i, true);
    EXPECT_LE(map->movesSent - sentBefore, 1);   // one in flight, the newest waits
    EXPECT_GE(map->movesCoalesced, 150);
    QVariantMap state;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        state = PageState(map);
        return std::abs(state.value(QStringLiteral("marker0Shown")).toList().value(0).toDouble() - track->samples[199].latitude) < 1e-6;
    }, 5000));
    EXPECT_LE(map->movesSent - sentBefore, 2);
}

TEST_F(MapViewTest, TextTrackWithoutFixShowsThePositionMap)
{
    Make(Online());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->plMapCaptial()->isVisible(); }, 10000));
    track = Track(30, 35, 139);   // all 30 samples before the first fix
    path = QStringLiteral("/card/20250614120000.MP4");
    view->StartRouteMap(Recording());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->routePending; }, 10000));
    EXPECT_TRUE(view->plMapCaptial()->isVisible());
    EXPECT_FALSE(view->plMapRoute()->isVisible());
}

TEST_F(MapViewTest, GoingOfflineAfterBeingOnlineKeepsThePositionMapAndDrawsLater)
{
    MapAddresses a = Online();
    a.connectivityUrl = server->Url(QStringLiteral("/switched/"));
    server->SetOnline(true);
    Make(a);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->plMapCaptial()->isVisible(); }, 10000));
    server->SetOnline(false);
    const int checks = view->connectivityChecks;
    path = QStringLiteral("/card/20250614120000.MP4");
    view->StartRouteMap(Recording());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->connectivityChecks > checks + 3; }, 10000));
    // Offline once online before: the position map stays, no black panel, the route waits.
    EXPECT_TRUE(view->plMapCaptial()->isVisible());
    EXPECT_FALSE(view->plMapBackground()->isVisible());
    EXPECT_TRUE(view->routePending);
    server->SetOnline(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->plMapRoute()->isVisible() && !view->routePending; }, 10000));
    EXPECT_FALSE(view->tmGMMap.isActive());
    server->SetOnline(false);
}

TEST_F(MapViewTest, CleanShowsThePositionMap)
{
    Make(Online());
    view->PrepareMapsForClean();
    EXPECT_TRUE(view->plMapCaptial()->isVisible());
    EXPECT_FALSE(view->plMapBackground()->isVisible());
    EXPECT_FALSE(view->plMapRoute()->isVisible());
}

struct UpdateCase { const char* page; int notices; };

class UpdateNotice : public MapViewTest, public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(UpdateNotice, ShownOncePerRunWhenThePageAnswers)
{
    Make(Online(QString::fromLatin1(GetParam().page)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->updateCheckPending && view->plMapCaptial()->isVisible(); }, 10000));
    // Later loads check connectivity again but never the update page.
    for (const char* name : {"/card/20250614120000.MP4", "/card/20250614120100.MP4"}) {
        const int checks = view->connectivityChecks;
        path = QString::fromLatin1(name);
        view->StartRouteMap(Recording());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view->routePending && view->connectivityChecks > checks; }, 10000));
    }
    EXPECT_EQ(notices, GetParam().notices);
}

INSTANTIATE_TEST_SUITE_P(Pages, UpdateNotice, ::testing::Values(
    UpdateCase{"/update/", 1},     // published
    UpdateCase{"/moved/", 1},      // published behind a redirect
    UpdateCase{"/withdrawn/", 0},  // 404: no newer version
    UpdateCase{"", 0}));           // no update page configured

TEST_F(MapViewTest, MissingRuntimeLeavesTheBlackPanelAndSaysSo)
{
    const QByteArray saved = qgetenv("QTWEBENGINE_PROCESS_PATH");
    qputenv("QTWEBENGINE_PROCESS_PATH", "/nonexistent/QtWebEngineProcess");
    Make(Online());
    if (saved.isEmpty())
        qunsetenv("QTWEBENGINE_PROCESS_PATH");
    else
        qputenv("QTWEBENGINE_PROCESS_PATH", saved);
    EXPECT_FALSE(view->BrowsersAvailable());
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.texts.size() == 2; }, 2000));
    EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("最初に")));
    EXPECT_TRUE(messages.texts[1].startsWith(QStringLiteral("Could not find Edge installation.")));
    // Loads and playback ticks go nowhere and harm nothing.
    view->StartRouteMap(Recording());
    view->FollowPlayback(*track, 100, true);
    view->PrepareMapsForNewFolder();
    QTest::qWait(100);
    EXPECT_TRUE(view->plMapBackground()->isVisible());
    EXPECT_FALSE(view->tmGMMap.isActive());
}
